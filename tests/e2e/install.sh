#!/usr/bin/env bash
# The installed program: `cmake --install` into a fresh prefix, then the program started from
# there finds its plugins in lib/.../quillmere and its sounds in share/quillmere, renders its main
# window with the demo portal (a plugin), warms the browser pane (the other plugin), and the
# desktop files it installs pass their validators.
#
#   install.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(dirname "$0")
source "$here/lib.sh"

work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.out" || fail "cmake --install failed"
touch "$work/empty.ini"

# Nothing of the build tree may help: the program is copied nowhere else, and it must not need
# anything beside itself.
[ ! -e "$prefix/bin/quillmere-webpane.so" ] || fail "a plugin was installed beside the program"
[ ! -e "$prefix/bin/Sounds" ] || fail "the sounds were installed beside the program"

# A screenshot from the installed program, with the demo portal from its plugin.
QUILLMERE_TRACE=1 "$prefix/bin/quillmere" --config "$work/empty.ini" \
    --screenshot "$work/main.png" >"$work/shot.out" 2>&1 ||
    fail "the installed program failed: $(cat "$work/shot.out")"
[ -s "$work/main.png" ] || fail "no screenshot"
grep -qxF "quillmere: run-time files in $prefix/share/quillmere" "$work/shot.out" ||
    fail "the sounds were not looked for under the prefix: $(cat "$work/shot.out")"
echo "screenshot: demo portal plugin and sounds found under the prefix"

# The browser pane plugin, under a display.
QUILLMERE_TRACE=1 "$here/xvfb.sh" "$prefix/bin/quillmere" \
    --config "$work/empty.ini" >"$work/run.out" 2>&1 &
pids+=($!)
said() { grep -qF -- "$1" "$work/run.out"; }
wait_for 90 said "quillmere: web engine warm" || fail "the engine did not warm: $(cat "$work/run.out")"
said "quillmere: browser pane plugin $prefix/lib" || fail "the pane plugin came from elsewhere"
echo "browser pane: plugin found under the prefix"

# The desktop files as installed.
if command -v desktop-file-validate >/dev/null; then
    for f in "$prefix"/share/applications/*.desktop; do
        desktop-file-validate "$f" | { ! grep -E "error"; } || fail "$f does not validate"
    done
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >"$work/as.out" 2>&1 ||
        fail "metainfo does not validate: $(cat "$work/as.out")"
fi
for size in 16 24 32 48 64 128 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x$size/apps/org.quillmere.Quillmere.png" ] ||
        fail "no $size-pixel icon"
done
[ -s "$prefix/share/icons/hicolor/scalable/apps/org.quillmere.Quillmere.svg" ] || fail "no scalable icon"
for page in quillmere quillmere-render quillmere-demo-portal; do
    [ -s "$prefix/share/man/man1/$page.1" ] || fail "no manual page $page(1)"
done
echo "desktop entry, metainfo, icons and manual page installed"
echo "1 passed, 0 failed"
