#!/usr/bin/python3
# Reads the program's accessibility tree over AT-SPI as a screen reader does, checks the main
# window's buttons, links and panel toggles, and presses one button by name.
#   accessibility.py PID [PRESS_NAME]
# Prints what it found; exits 1 naming what is missing.
import sys
import time

import pyatspi
from atspi_tree import application as application_of
from atspi_tree import nodes as snapshot

pid = int(sys.argv[1])
press = sys.argv[2] if len(sys.argv) > 2 else None


def application():
    return application_of(pid)


expected = {
    "push button": ["Login", "Logoff", "Assignment Work-Folder", "Attendance Records",
                    "Student Schedule", "Student Information", "Student Tools",
                    "Administration Tools"],
    "link": ["Login/Logout", "Questions/Report Abuse", "Load Administration Console"],
}

deadline = time.monotonic() + 60
missing = None
nodes = []
while time.monotonic() < deadline:
    app = application()
    if app is not None:
        nodes = snapshot(app)
        found = {(n.getRoleName(), n.name) for n in nodes}
        missing = [(role, name) for role, names in expected.items() for name in names
                   if (role, name) not in found]
        if not missing:
            break
    time.sleep(0.2)

if app is None:
    print("FAIL: the program never appeared on the accessibility bus", file=sys.stderr)
    sys.exit(1)
if missing:
    print("FAIL: missing %s" % missing, file=sys.stderr)
    sys.exit(1)
print("found %d objects: every button, link and panel toggle" % len(nodes))

# The hidden address fields stay out of the tree.
texts = [n for n in nodes if n.getRoleName() in ("text", "entry")]
if texts:
    print("FAIL: text fields exposed: %s" % [n.name for n in texts], file=sys.stderr)
    sys.exit(1)


def do_action(node, wanted):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(next(i for i, n in enumerate(names) if n.lower() == wanted))
    return names


# A panel's title bar toggles it and tells the screen reader: its checked state (expanded) changes.
from gi.repository import GLib  # noqa: E402

toggle = next(n for n in nodes if n.getRoleName() == "push button" and n.name == "Student Tools")
changes = []


def on_change(event):
    if event.source is not None and event.source.name == "Student Tools":
        changes.append(event.detail1)


def press_toggle():
    do_action(toggle, "toggle")
    return False


give_up = time.monotonic() + 30


def done():
    if changes or time.monotonic() > give_up:
        pyatspi.Registry.stop()
        return False
    return True


pyatspi.Registry.registerEventListener(on_change, "object:state-changed:checked")
GLib.idle_add(press_toggle)
GLib.timeout_add(100, done)
pyatspi.Registry.start()
if changes != [0]:
    print("FAIL: toggling Student Tools told %s, not one collapse" % changes, file=sys.stderr)
    sys.exit(1)
print("Student Tools: collapsed, and the change was announced")

if press:
    target = next(n for n in nodes if n.getRoleName() == "push button" and n.name == press)
    print("pressed %s (actions %s)" % (press, do_action(target, "press")))
