# What the scripts that read the program over AT-SPI share: finding the program on the bus by its
# process id, walking its tree, waiting by polling, and failing with a message.
import sys
import time

import pyatspi


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def poll(test, seconds, every=0.1):
    """test() until it gives something true (an exception counts as not yet), or None."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            result = test()
        except Exception:
            result = None
        if result:
            return result
        time.sleep(every)
    return None


def application(pid):
    """The program with process id `pid` on the accessibility bus, or None."""
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def nodes(root):
    """Every object under `root`, depth first."""
    out = []

    def walk(node):
        for child in node:
            if child is not None:
                out.append(child)
                walk(child)

    walk(root)
    return out
