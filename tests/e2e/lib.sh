# Shared by the end-to-end scripts: failing, and waiting by polling with a bound.

fail() {
    echo "FAIL: $*" >&2
    # What the program said, so that a failure far away (in CI) can be understood.
    if [ -n "${work:-}" ] && [ -s "$work/quillmere.out" ]; then
        echo "--- the program's output (last 40 lines):" >&2
        tail -n 40 "$work/quillmere.out" >&2
    fi
    # And the virtual display's, with whether it still runs: a program that cannot reach its
    # display says only that no platform plugin could start.
    if [ -n "${QM_XVFB_LOG:-}" ]; then
        echo "--- the virtual display $DISPLAY ($(xdpyinfo >/dev/null 2>&1 && echo answers ||
            echo "does not answer")), its log:" >&2
        tail -n 20 "$QM_XVFB_LOG" >&2
    fi
    exit 1
}

# wait_for SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds or time runs out.
wait_for() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# start_session PORTAL SECONDS: makes the work folder $work (removed at exit, with every process
# in $pids killed), starts the demo portal for at most SECONDS with its request log in
# $work/requests.log, and sets $url (the portal) and $webmail (the web-mail host).
start_session() {
    local portal=$1 seconds=$2
    work=$(mktemp -d)
    pids=()
    trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
    touch "$work/portal.out"
    "$portal" --port 0 --log "$work/requests.log" --max-seconds "$seconds" >"$work/portal.out" &
    pids+=($!)
    wait_for 20 grep -q "listening on" "$work/portal.out" || fail "demo portal did not start"
    url=$(sed -n 's/^listening on \(http:[^ ]*\).*/\1/p' "$work/portal.out")
    webmail=$(sed -n 's/^listening on .* webmail \([^ ]*\).*/\1/p' "$work/portal.out")
    touch "$work/empty.ini" "$work/requests.log"
}
