#!/usr/bin/env bash
# A person's session under a virtual display: the main window opens, "Logoff" asks the portal's
# logout page, "Attendance Records" opens its window over the main window, and File > Close
# sends the logout request and ends the program.
set -euo pipefail
quillmere=$1
portal=$2
here=$(dirname "$0")
source "$here/lib.sh"

start_session "$portal" 200

"$quillmere" --portal "$url" --config "$work/empty.ini" >"$work/quillmere.out" 2>&1 &
app=$!
pids+=($app)

main_window() { xdotool search --name '^Quillmere 2\.0 Full$' 2>/dev/null | head -n 1; }
has_main_window() { [ -n "$(main_window)" ]; }
wait_for 60 has_main_window || fail "main window did not appear"
wid=$(main_window)
eval "$(xdotool getwindowgeometry --shell "$wid")"
menu=$((HEIGHT - 431))  # the client area is 431 px high; the menu bar sits above it
echo "main window $wid at ${X},${Y} size ${WIDTH}x${HEIGHT} (menu bar ${menu} px)"
((WIDTH == 720)) || fail "main window is ${WIDTH} px wide, not 720"

logged() { grep -c "^GET /School/Profile/gui/logout.cfm$" "$work/requests.log" 2>/dev/null || true; }
logged_at_least() { [ "$(logged)" -ge "$1" ]; }

# "Logoff" in the button bar (x 80 to 225, clear of its neighbours between 122 and 183).
xdotool mousemove --window "$wid" 150 $((menu + 20)) click 1
wait_for 60 logged_at_least 1 || fail "Logoff did not request the logout page"
echo "Logoff: logout page requested"
# The first page leaves the main window's native window as it was.
(($(main_window) == wid)) || fail "the main window's native window changed with its first page"

# "Attendance Records" (x 320 to 489, clear of its neighbours between 362 and 447).
xdotool mousemove --window "$wid" 400 $((menu + 20)) click 1
printf -v main_hex '0x%x' "$wid"
# The window is shown first and owned right after: look until one is both titled and owned.
owned_tool_window() {
    local w title transient
    for w in $(xdotool search --name 'Attendance Records' 2>/dev/null); do
        title=$(xprop -id "$w" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([A-Z_0-9]*) = "\(.*\)"$/\1/p')
        transient=$(xprop -id "$w" WM_TRANSIENT_FOR 2>/dev/null || true)
        if [ "$title" = "  Attendance Records" ] && [[ "$transient" == *"$main_hex"* ]]; then
            return 0
        fi
    done
    return 1
}
wait_for 30 owned_tool_window || fail "no window titled \"  Attendance Records\" transient for $main_hex"
echo "Attendance Records: window \"  Attendance Records\" transient for $main_hex"

# File > Close: the last entry of the first menu.
wid=$(main_window)
xdotool mousemove --window "$wid" 15 $((menu / 2)) click 1
menu_open() { xdotool search --onlyvisible --name '^$' 2>/dev/null | grep -q .; }
wait_for 10 menu_open || true
xdotool key Up Return
wait_for 20 logged_at_least 2 || fail "Close did not request the logout page"
app_ended() { ! kill -0 "$app" 2>/dev/null; }
wait_for 20 app_ended || fail "the program did not end after Close"
wait "$app" && status=0 || status=$?
((status == 0)) || fail "the program ended with status $status"
echo "Close: logout requested, program ended"
echo "1 passed, 0 failed"
