#!/usr/bin/env bash
# A screen reader's view under a virtual display: on a private session bus with the
# accessibility bus and registry, the main window's tree shows its buttons, links and panel
# toggles by name and no hidden text field, a panel toggled through its title bar announces the
# change, and pressing "Attendance Records" through its accessible action opens that window.
# Skipped (exit 77) when the buses cannot start.
set -euo pipefail
quillmere=$1
portal=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

skip() {
    echo "SKIP: $*"
    exit 77
}
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher

if [ -z "${QM_A11Y_SESSION:-}" ]; then
    command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed"
    [ -x "$launcher" ] || skip "at-spi-bus-launcher is not installed (at-spi2-core)"
    "$python" -c 'import pyatspi' 2>/dev/null || skip "pyatspi is not installed (python3-pyatspi)"
    QM_A11Y_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi

start_session "$portal" 200
"$launcher" --launch-immediately >"$work/launcher.out" 2>&1 &
pids+=($!)
bus_up() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress >/dev/null 2>&1; }
wait_for 20 bus_up || skip "the accessibility bus did not start"

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$quillmere" --portal "$url" --config "$work/empty.ini" \
    >"$work/quillmere.out" 2>&1 &
app=$!
pids+=($app)

"$python" "$here/accessibility.py" "$app" "Attendance Records" ||
    fail "accessibility tree: see above"

opened() { xdotool search --name 'Attendance Records' 2>/dev/null | grep -q .; }
wait_for 30 opened || fail "pressing Attendance Records opened no window"
echo "Attendance Records: its window opened by the accessible press"
