#!/usr/bin/env bash
# xvfb.sh COMMAND...: runs COMMAND under a virtual display of its own (1280 x 1024, 24 bits) and
# passes on its exit status. The X server picks a free display number itself (-displayfd) and says
# which once it accepts connections, so tests started at the same time never share a display or
# lose theirs (xvfb-run -a guesses a number from lock files, and two at once can take the same).
set -uo pipefail
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 300); do
    [ -s "$dir/display" ] && break
    if ! kill -0 "$xvfb" 2>/dev/null; then
        echo "xvfb.sh: the X server did not start:" >&2
        cat "$dir/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
[ -s "$dir/display" ] || { echo "xvfb.sh: the X server did not start within 30 s" >&2; exit 1; }
DISPLAY=:$(head -n 1 "$dir/display")
QM_XVFB_LOG=$dir/xvfb.log
export DISPLAY QM_XVFB_LOG
# The command runs as a child that a TERM given to this script stops too (a test that started
# this script in the background ends it so).
"$@" &
child=$!
trap 'kill "$child" 2>/dev/null' TERM INT HUP
while :; do
    wait "$child"
    status=$?
    kill -0 "$child" 2>/dev/null || break
done
exit "$status"
