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

source "$here/a11y.sh"
enter_a11y_session "$0" "$@"

start_program_for_a11y "$quillmere" "$portal"

"$python" "$here/accessibility.py" "$app" "Attendance Records" ||
    fail "accessibility tree: see above"

opened() { xdotool search --name 'Attendance Records' 2>/dev/null | grep -q .; }
wait_for 30 opened || fail "pressing Attendance Records opened no window"
echo "Attendance Records: its window opened by the accessible press"
