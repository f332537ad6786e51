#!/usr/bin/env bash
# A page that opens a new window, as a person meets it: in the attendance window, a click on a
# target="_blank" link opens the linked page in a window of its own, owned by the attendance
# window (the window system has it transient for that window), and the server sees the request.
#
#   new_window.sh QUILLMERE DESIGN_DIR
set -euo pipefail
quillmere=$1
designs=$2
here=$(dirname "$0")
source "$here/lib.sh"
source "$here/windows.sh"

work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
touch "$work/requests.log" "$work/empty.ini"
python3 "$here/page_server.py" "$work/requests.log" 200 >"$work/server.out" &
pids+=($!)
wait_for 20 grep -q "listening on" "$work/server.out" || fail "page server did not start"
port=$(sed -n 's/^listening on \([0-9]*\)$/\1/p' "$work/server.out")

"$quillmere" --portal "http://127.0.0.1:$port" --webmail "127.0.0.1:$port" \
    --config "$work/empty.ini" >"$work/quillmere.out" 2>&1 &
pids+=($!)

logged() { grep -cxF -- "$1" "$work/requests.log" || true; }
has_logged() { (($(logged "$1") > 0)); }

wait_for 60 is_open frmMain || fail "main window did not appear"
click frmMain Label1 # " Attendance Records"
wait_for 60 is_open Form2 || fail "attendance window did not appear"
click Form2 gxButtons_H1 # "Load/Reload Attendace"
wait_for 60 has_logged "GET /School/Profile/gui/attendencelist.cfm?cmd=resetall" ||
    fail "the attendance page was not asked for"

# The page's link fills the pane; a click anywhere in it opens the printable copy. A click that
# comes before the page can take input is lost, as a person's would be: click again then.
printable() { xdotool search --onlyvisible --name '^Printable Attendance$' 2>/dev/null | head -n 1; }
opened() { [ -n "$(printable)" ]; }
for attempt in 1 2 3 4 5; do
    click Form2 Browser2
    wait_for 6 opened && break
done
opened || fail "no window opened for the target=_blank link"
wait_for 30 has_logged "GET /printable.html" || fail "the new window's page was not asked for"
(($(logged "GET /printable.html") == 1)) || fail "the new page was asked for more than once"

# Owned by the attendance window on the window system.
page=$(printable)
owner=$(window_of Form2)
transient_for() { xprop -id "$1" WM_TRANSIENT_FOR | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p'; }
owned() { [ -n "$(transient_for "$page")" ] && (($(transient_for "$page") == owner)); }
wait_for 10 owned || fail "the new window is transient for '$(transient_for "$page")', not the \
attendance window ($(printf 0x%x "$owner"))"
echo "new window $(printf 0x%x "$page") owned by the attendance window $(printf 0x%x "$owner")"
echo "1 passed, 0 failed"
