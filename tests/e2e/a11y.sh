# Shared by the scripts that read the program over AT-SPI, as a screen reader does. Needs lib.sh.

python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher

skip() {
    echo "SKIP: $*"
    exit 77
}

# enter_a11y_session SCRIPT ARGS...: runs SCRIPT again on a private session bus, once; skips
# (exit 77) when the bus, the AT-SPI launcher or pyatspi is missing.
enter_a11y_session() {
    [ -z "${QM_A11Y_SESSION:-}" ] || return 0
    command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed"
    [ -x "$launcher" ] || skip "at-spi-bus-launcher is not installed (at-spi2-core)"
    "$python" -c 'import pyatspi' 2>/dev/null || skip "pyatspi is not installed (python3-pyatspi)"
    QM_A11Y_SESSION=1 exec dbus-run-session -- bash "$@"
}

# start_a11y_bus: starts the accessibility bus and registry (after start_session); skips when
# they do not come up.
start_a11y_bus() {
    "$launcher" --launch-immediately >"$work/launcher.out" 2>&1 &
    pids+=($!)
    bus_up() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null 2>&1; }
    wait_for 20 bus_up || skip "the accessibility bus did not start"
}

# start_program_for_a11y QUILLMERE PORTAL: a session on the demo portal (lib.sh), the
# accessibility bus, and the program with its accessibility always on; its pid is in $app.
start_program_for_a11y() {
    start_session "$2" 200
    start_a11y_bus
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" --portal "$url" --config "$work/empty.ini" \
        >"$work/quillmere.out" 2>&1 &
    app=$!
    pids+=($app)
}
