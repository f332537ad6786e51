#!/usr/bin/env bash
# One walk through every portal window, as a person would: open each window from its link,
# click every control that loads a page, and check in the demo portal's request log that each
# page was asked for. Both inbox buttons of the administration console must reach the web-mail
# host, and the console's Close must sign out and take the report-card window along.
#
#   portal_windows.sh QUILLMERE DEMO_PORTAL DESIGN_DIR
#
# Set QM_E2E_SHOTS to a folder to keep a screenshot after each window is used.
set -euo pipefail
quillmere=$1
portal=$2
designs=$3
here=$(dirname "$0")
source "$here/lib.sh"

start_session "$portal" 400

"$quillmere" --portal "$url" --webmail "$webmail" --config "$work/empty.ini" \
    >"$work/quillmere.out" 2>&1 &
app=$!
pids+=($app)

source "$here/windows.sh"

shot() {
    [ -n "${QM_E2E_SHOTS:-}" ] || return 0
    mkdir -p "$QM_E2E_SHOTS"
    import -window root "$QM_E2E_SHOTS/$1.png" 2>/dev/null || true
}

# ---- The request log ----

logged() { grep -cxF -- "$1" "$work/requests.log" || true; }
logged_more() { (($(logged "$1") > $2)); }

# expect LINE FORM CONTROL [title]: clicks the control and waits for one more LINE in the log.
expect() {
    local line=$1 before
    shift
    before=$(logged "$line")
    click "$@"
    wait_for 60 logged_more "$line" "$before" || fail "$1.$2 did not request \"$line\""
    echo "$1.$2: $line"
}

# expect_after_animation LINE FORM CONTROL: as expect, for a control that a panel's animation is
# still uncovering: the click is repeated every 2 s until LINE comes (a click that lands while
# the panel still covers the control reaches nothing).
expect_after_animation() {
    local line=$1 before _
    shift
    before=$(logged "$line")
    for _ in $(seq 30); do
        click "$@"
        wait_for 2 logged_more "$line" "$before" && break
    done
    logged_more "$line" "$before" || fail "$1.$2 did not request \"$line\""
    echo "$1.$2: $line"
}

home=/School/Profile/gui
teachers=/School/Profile/gui/teachers

wait_open frmMain

# ---- The page windows, opened from the main window's links ----

click frmMain Label2 # " Student Schedule"
wait_open Form1
expect "GET $home/schedulelist.cfm" Form1 gxButtons_H1
expect "GET $home/logout.cfm" Form1 gxButtons_H2
shot Form1

click frmMain Label1 # " Attendance Records"
wait_open Form2
expect "GET $home/attendencelist.cfm?cmd=resetall" Form2 gxButtons_H1
expect "GET $home/logout.cfm" Form2 gxButtons_H2
shot Form2

click frmMain gxButtons_H5 # "Student Information"
wait_open Form3
expect "GET $home/studentslist.cfm?cmd=resetall" Form3 gxButtons_H1
expect "GET $home/logout.cfm" Form3 gxButtons_H2
shot Form3

click frmMain Label4 # " Login/Logout"
wait_open Form4
expect "GET $home/logout.cfm" Form4 gxButtons_H2
click Form4 Label3 # "Report Abuse"
wait_open Form9
expect "GET /school/profile/gui/badLogin/bad_login.cfm" Form9 gxButtons_H1
shot Form9

# ---- The assignment tool ----

click frmMain Command2 # " Assignment Work Folder"
wait_open frmToolbar
expect "GET /School/Profile/GUI/teachers/assignmentsrch.cfm" frmToolbar gxButtons_H3
expect "GET /School/Profile/GUI/logout.cfm" frmToolbar gxButtons_H2
# The upload panel starts under the class folder: open it first, as a student would.
click frmToolbar EBXp2 title
expect_after_animation "GET /school/profile/gui/homeworkadd.cfm" frmToolbar gxButtons_H1
shot frmToolbar

# ---- The administration console ----

click frmMain Label8 # " Load Administration Console"
wait_open Form5
for c in Label4 Image4 gxButtons_H7; do expect "GET $teachers/logout.cfm" Form5 $c; done
for c in Label2 imgSignCol gxButtons_H6; do expect "GET $teachers/Schedulelist.cfm" Form5 $c; done
for c in Label1 Image2 gxButtons_H5; do expect "GET $teachers/attendenceadd.cfm" Form5 $c; done
for c in Label9 Image6; do expect "GET $teachers/paymentslist.cfm?cmd=resetall" Form5 $c; done
expect "GET $teachers/classroomtools/classtools.html" Form5 gxButtons_H1
expect "GET $teachers/studentslist.cfm" Form5 gxButtons_H8
# Both inbox buttons reach the web-mail host.
expect "webmail GET /" Form5 gxButtons_H9
expect "webmail GET /" Form5 gxButtons_H3
# The local disk: a folder view, nothing for the portal to see.
click Form5 gxButtons_H4
shot Form5

click Form5 Label10 # " Report Card Records"
wait_open Form8
expect "GET $teachers/reportcardsrch.cfm" Form8 gxButtons_H1
expect "GET $teachers/reportcardadd.cfm" Form8 cmdinsert
expect "GET $teachers/reportcardexternalprint.cfm" Form8 gxButtons_H3
expect "GET $teachers/logout.cfm" Form8 gxButtons_H2
shot Form8

menu Form5 Down Return # File > School eMail
wait_open Form6
expect "webmail GET /" Form6 gxButtons_H1
expect "webmail GET /" Form6 gxButtons_H2 # Refresh reloads the inbox
shot Form6

# File > Close signs the teacher out and takes the report-card window along.
before=$(logged "GET $teachers/logout.cfm")
menu Form5 Up Return
wait_for 60 logged_more "GET $teachers/logout.cfm" "$before" || fail "Close did not sign out"
wait_for 30 is_closed Form5 || fail "Close did not close the console"
wait_for 30 is_closed Form8 || fail "the report-card window outlived the console"
wait_for 30 is_closed Form6 || fail "the e-mail window outlived the console"
echo "Form5.mnuClose: signed out; console, report cards and e-mail closed"

# ---- The about box ----

menu frmMain Right Right Return # Help > About Quillmere 2.0
wait_open Form7
shot Form7
click Form7 cmdOK
wait_for 30 is_closed Form7 || fail "OK did not close the about box"
echo "Form7.cmdOK: closed"

# ---- Every page these windows open was asked for ----

missing=0
for line in \
    "GET $home/schedulelist.cfm" "GET $home/attendencelist.cfm?cmd=resetall" \
    "GET $home/studentslist.cfm?cmd=resetall" "GET $home/logout.cfm" \
    "GET /school/profile/gui/badLogin/bad_login.cfm" \
    "GET $teachers/reportcardsrch.cfm" "GET $teachers/reportcardadd.cfm" \
    "GET $teachers/reportcardexternalprint.cfm" "GET $teachers/logout.cfm" \
    "GET $teachers/Schedulelist.cfm" "GET $teachers/attendenceadd.cfm" \
    "GET $teachers/studentslist.cfm" "GET $teachers/paymentslist.cfm?cmd=resetall" \
    "GET $teachers/classroomtools/classtools.html" \
    "GET /School/Profile/GUI/logout.cfm" "GET /school/profile/gui/homeworkadd.cfm" \
    "GET /School/Profile/GUI/teachers/assignmentsrch.cfm" "webmail GET /"; do
    if (($(logged "$line") == 0)); then
        echo "not requested: $line" >&2
        missing=1
    fi
done
((missing == 0)) || fail "some pages were never requested"
kill -0 "$app" 2>/dev/null || fail "the program ended during the walk"
echo "1 passed, 0 failed"
