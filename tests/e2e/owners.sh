#!/usr/bin/env bash
# Owner relations on the window system, whatever the order of events: a window keeps its native
# window from its first show on, also when its first page loads, and every tool window is
# transient for (WM_TRANSIENT_FOR) the window the program names as its owner: the main window
# for the tool windows and the console, the login window for the questions window, the console
# for the report-card window.
#
#   owners.sh QUILLMERE DEMO_PORTAL DESIGN_DIR
set -euo pipefail
quillmere=$1
portal=$2
designs=$3
here=$(dirname "$0")
source "$here/lib.sh"
source "$here/windows.sh"

start_session "$portal" 200
"$quillmere" --portal "$url" --webmail "$webmail" --config "$work/empty.ini" \
    >"$work/quillmere.out" 2>&1 &
pids+=($!)

logged() { grep -cxF -- "$1" "$work/requests.log" || true; }
logged_more() { (($(logged "$1") > $2)); }
transient_for() {
    xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p'
}
# owned_by FORM OWNER: FORM's window is transient for OWNER's window.
owned_by() {
    local w o t
    w=$(window_of "$1") && o=$(window_of "$2") || return 1
    t=$(transient_for "$w")
    [ -n "$t" ] && ((t == o))
}
expect_owner() {
    wait_for 10 owned_by "$1" "$2" ||
        fail "$1 is transient for '$(transient_for "$(window_of "$1")")', not $2 ($(window_of "$2"))"
    echo "$1 owned by $2"
}
# load FORM CONTROL LINE: clicks the control and waits for the page in the log.
load() {
    local before
    before=$(logged "$3")
    click "$1" "$2"
    wait_for 60 logged_more "$3" "$before" || fail "$1.$2 did not request \"$3\""
}

wait_for 60 is_open frmMain || fail "main window did not appear"
main=$(window_of frmMain)

# A tool window opened before any page loads, then the main window's first page.
click frmMain Label1 # " Attendance Records"
wait_for 60 is_open Form2 || fail "attendance window did not appear"
expect_owner Form2 frmMain
attendance=$(window_of Form2)
load frmMain gxButtons_H8 "GET /School/Profile/gui/logout.cfm" # "Logoff"
(($(window_of frmMain) == main)) || fail "the main window's native window changed with its first page"
expect_owner Form2 frmMain
# The attendance window's own first page.
load Form2 gxButtons_H1 "GET /School/Profile/gui/attendencelist.cfm?cmd=resetall"
(($(window_of Form2) == attendance)) || fail "the attendance window's native window changed"
expect_owner Form2 frmMain

# The console, from the link and from the button; the report cards over it.
click frmMain Label8 # " Load Administration Console"
wait_for 60 is_open Form5 || fail "console did not appear"
expect_owner Form5 frmMain
click Form5 Label10 # " Report Card Records"
wait_for 60 is_open Form8 || fail "report-card window did not appear"
expect_owner Form8 Form5
load Form8 gxButtons_H1 "GET /School/Profile/gui/teachers/reportcardsrch.cfm"
expect_owner Form8 Form5
click frmMain gxButtons_H6 # "Administration Login"
expect_owner Form5 frmMain

# The questions window over the login window.
click frmMain Label4 # " Login/Logout"
wait_for 60 is_open Form4 || fail "login window did not appear"
expect_owner Form4 frmMain
click Form4 Label3 # "Report Abuse"
wait_for 60 is_open Form9 || fail "questions window did not appear"
expect_owner Form9 Form4
(($(window_of frmMain) == main)) || fail "the main window's native window changed"
echo "1 passed, 0 failed"
