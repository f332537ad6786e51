#!/usr/bin/env bash
# The web engine starts once the main window has painted and the program is idle, so the first
# page a person asks for finds it warm; a screenshot run starts no engine at all.
#
#   warm_start.sh QUILLMERE DEMO_PORTAL DESIGN_DIR
set -euo pipefail
quillmere=$1
portal=$2
designs=$3
here=$(dirname "$0")
source "$here/lib.sh"
source "$here/windows.sh"

start_session "$portal" 200
QUILLMERE_TRACE=1 "$quillmere" --portal "$url" --config "$work/empty.ini" \
    >"$work/quillmere.out" 2>&1 &
pids+=($!)
said() { grep -qxF -- "$1" "$work/quillmere.out"; }
logged() { grep -qxF -- "$1" "$work/requests.log"; }

wait_for 60 is_open frmMain || fail "main window did not appear"
wait_for 30 said "quillmere: web engine warm" || fail "the engine was not started after the first paint"
click frmMain gxButtons_H8 # "Logoff"
wait_for 60 logged "GET /School/Profile/gui/logout.cfm" || fail "Logoff did not request its page"
said "quillmere: first view: web engine warm" || fail "the first page did not find the engine warm"
echo "first page: engine warm"

QUILLMERE_TRACE=1 "$quillmere" --portal "$url" --config "$work/empty.ini" \
    --screenshot "$work/main.png" >"$work/screenshot.out" 2>&1 || fail "the screenshot failed"
[ -s "$work/main.png" ] || fail "no screenshot"
! grep -q "web engine" "$work/screenshot.out" || fail "the screenshot run started the engine"
echo "screenshot: no engine"
echo "1 passed, 0 failed"
