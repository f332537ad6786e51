#!/usr/bin/python3
# Reads the program's accessibility tree over AT-SPI as a screen reader does, checks the main
# window's buttons, links and panel toggles, and presses one button by name.
#   accessibility.py PID [PRESS_NAME]
# Prints what it found; exits 1 naming what is missing.
import sys
import time

import pyatspi

pid = int(sys.argv[1])
press = sys.argv[2] if len(sys.argv) > 2 else None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def walk(node, out):
    for child in node:
        if child is None:
            continue
        out.append(child)
        walk(child, out)


def snapshot(app):
    nodes = []
    walk(app, nodes)
    return nodes


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

if press:
    target = next(n for n in nodes if n.getRoleName() == "push button" and n.name == press)
    action = target.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    index = next(i for i, n in enumerate(names) if n.lower() == "press")
    action.doAction(index)
    print("pressed %s (actions %s)" % (press, names))
