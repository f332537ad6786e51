#!/usr/bin/env bash
# The program on a Wayland session, natively (the wayland platform, no X11 anywhere): under a
# headless compositor it paints its main window, starts the web engine once idle, and a walk
# through the portal windows driven over AT-SPI (the headless compositor has no pointer to click
# with) opens windows and asks the portal for their pages. Skipped, saying so, where no
# compositor can start; the walk is skipped where the accessibility bus cannot.
#
#   wayland.sh QUILLMERE DEMO_PORTAL
set -euo pipefail
quillmere=$1
portal=$2
here=$(dirname "$0")
source "$here/lib.sh"

if ! command -v weston >/dev/null; then
    echo "SKIPPED: no Wayland compositor (weston) on this machine"
    exit 0
fi
if [ ! -e "$(dirname "$(dpkg -L qt6-wayland 2>/dev/null | grep -m1 'platforms/libqwayland')")" ]; then
    echo "SKIPPED: the Qt Wayland platform plugin (qt6-wayland) is not installed"
    exit 0
fi

python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
if [ -z "${QM_A11Y_SESSION:-}" ] && command -v dbus-run-session >/dev/null && [ -x "$launcher" ] &&
    "$python" -c 'import pyatspi' 2>/dev/null; then
    QM_A11Y_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi

start_session "$portal" 200
runtime="$work/runtime"
mkdir -m 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=quillmere-test QT_QPA_PLATFORM=wayland
unset DISPLAY
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --width=1280 --height=1024 \
    --idle-time=0 >"$work/weston.out" 2>&1 &
pids+=($!)
socket_up() { [ -S "$runtime/$WAYLAND_DISPLAY" ]; }
if ! wait_for 30 socket_up; then
    echo "SKIPPED: weston did not start: $(tail -n 3 "$work/weston.out")"
    exit 0
fi

# The first paint, on Wayland.
timeout 120 "$quillmere" --portal "$url" --config "$work/empty.ini" --quit-after-first-paint \
    >"$work/paint.out" 2>&1 || fail "no first paint on Wayland: $(tail -n 5 "$work/paint.out")"
echo "main window painted"

# A session: the engine warms after the first paint and the main window's pane takes its view.
walk=0
if [ -n "${QM_A11Y_SESSION:-}" ]; then
    "$launcher" --launch-immediately >"$work/launcher.out" 2>&1 &
    pids+=($!)
    bus_up() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null 2>&1; }
    wait_for 20 bus_up && walk=1
fi
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QUILLMERE_TRACE=1 "$quillmere" --portal "$url" \
    --config "$work/empty.ini" >"$work/quillmere.out" 2>&1 &
app=$!
pids+=($app)
said() { grep -qF -- "$1" "$work/quillmere.out"; }
wait_for 90 said "quillmere: web engine warm" || fail "the engine did not start: $(tail -n 5 "$work/quillmere.out")"
wait_for 60 said "quillmere: first view: web engine warm" || fail "the browser pane got no view"
echo "browser pane: view made on the warm engine"

if ((walk)); then
    "$python" "$here/walk.py" "$app" "$work/requests.log" || fail "the walk on Wayland: see above"
else
    echo "SKIPPED (walk): no accessibility bus to drive the windows with"
fi
! grep -qi "xcb" "$work/quillmere.out" "$work/paint.out" || fail "something asked for X11"
kill "$app"
wait "$app" 2>/dev/null || true
echo "1 passed, 0 failed"
