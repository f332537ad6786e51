#!/usr/bin/env bash
# Regenerates the pictures (resources/pictures/*.png and resources/controls/<control>/*.png) and
# resources/Sounds/Action.wav from the code in this folder. The drawing program is built in a
# throwaway CMake project outside the repository; it is given the resources folder and writes each
# picture to its path below it.
#
#   tools/artwork/make.sh            # build dir defaults to ${TMPDIR:-/tmp}/artwork-build
#   ARTWORK_BUILD_DIR=/some/dir tools/artwork/make.sh
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="${ARTWORK_BUILD_DIR:-${TMPDIR:-/tmp}/artwork-build}"

command -v sox >/dev/null || { echo "make.sh: sox is needed (apt-get install -y sox)" >&2; exit 1; }
dpkg -s qt6-svg-dev >/dev/null 2>&1 || { echo "make.sh: qt6-svg-dev is needed (apt-get install -y qt6-svg-dev)" >&2; exit 1; }

mkdir -p "$build/project"
cat >"$build/project/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(QuillmereArtwork LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_subdirectory("$here" artwork)
CMAKE
cmake -S "$build/project" -B "$build/out" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/out" --parallel

# Pictures.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$build/runtime}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
QT_QPA_PLATFORM=offscreen "$build/out/artwork/quillmere-make-artwork" "$repo/resources"

# Click sound: a 35 ms mix of two soft sine partials that dies away quickly. -R keeps the output
# the same on every run; -D leaves dither out (a pure synthesised tone needs none).
mkdir -p "$repo/resources/Sounds"
sox -R -D -n -r 22050 -b 16 -c 1 -e signed-integer "$repo/resources/Sounds/Action.wav" \
    synth 0.035 sine 1320 sine 2640 remix - \
    fade l 0.0015 0.035 0.031 gain -n -14
echo "$repo/resources/Sounds/Action.wav"
