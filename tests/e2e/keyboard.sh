#!/usr/bin/env bash
# The keyboard alone, under a virtual display: Tab to "Questions/Report Abuse" and Enter opens the
# questions window; Tab to the "Student Tools" title bar and Space toggles the panel. The focus is
# followed over AT-SPI, as a screen reader would tell it. Skipped (exit 77) when the buses cannot
# start.
set -euo pipefail
quillmere=$1
portal=$2
designs=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

source "$here/a11y.sh"
enter_a11y_session "$0" "$@"

start_program_for_a11y "$quillmere" "$portal"

source "$here/windows.sh"
wait_open frmMain
# The keys go to the main window, as when a person has just started the program.
"$python" "$here/keyboard.py" "$app" "$(window_of frmMain)" link || fail "keyboard: see above"
wait_for 30 is_open Form9 || fail "Enter on \"Questions/Report Abuse\" opened no window"
echo "Form9: the questions window opened from the keyboard"

# Back to the main window (the new window took the focus, as it should).
"$python" "$here/keyboard.py" "$app" "$(window_of frmMain)" toggle || fail "keyboard: see above"
echo "1 passed, 0 failed"
