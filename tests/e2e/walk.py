#!/usr/bin/python3
# A walk through portal windows driven over AT-SPI, as a screen-reader user (or a session without
# a pointer device) would: press a button by name in a window by title, then wait for the page
# it asks for in the demo portal's request log.
#   walk.py PID REQUEST_LOG
# Exits 1 naming the step that failed.
import sys

from atspi_tree import application as application_of
from atspi_tree import fail, poll

pid = int(sys.argv[1])
log = sys.argv[2]


def application():
    return application_of(pid)


def window(app, title):
    for child in app:
        if child is not None and child.name == title:
            return child
    return None


def find(root, role, name):
    for child in root:
        if child is None:
            continue
        if child.getRoleName() == role and child.name == name:
            return child
        hit = find(child, role, name)
        if hit is not None:
            return hit
    return None


def press(node):
    action = node.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    action.doAction(names.index("press"))


def requests(line):
    with open(log, encoding="utf-8") as f:
        return sum(1 for l in f if l.rstrip("\n") == line)


app = poll(application, 60) or fail("the program never appeared on the accessibility bus")


def step(title, role, name, expect=None, opens=None):
    win = poll(lambda: window(app, title), 60) or fail("no window \"%s\"" % title)
    node = poll(lambda: find(win, role, name), 30) or fail("no %s \"%s\" in \"%s\"" % (role, name, title))
    before = requests(expect) if expect else 0
    press(node)
    if expect and not poll(lambda: requests(expect) > before, 60):
        fail("\"%s\" in \"%s\" did not ask for %s" % (name, title, expect))
    if opens and not poll(lambda: window(app, opens), 60):
        fail("\"%s\" in \"%s\" opened no window \"%s\"" % (name, title, opens))
    print("%s: %s -> %s" % (title.strip(), name, expect or ("window " + opens.strip())))


main = "Quillmere 2.0 Full"
home = "GET /School/Profile/gui"
step(main, "push button", "Logoff", expect=home + "/logout.cfm")
step(main, "push button", "Attendance Records", opens="  Attendance Records")
step("  Attendance Records", "push button", "Load/Reload Attendace",
     expect=home + "/attendencelist.cfm?cmd=resetall")
step("  Attendance Records", "push button", "Login Logout", expect=home + "/logout.cfm")
step(main, "push button", "Student Schedule", opens="Schedule")
step("Schedule", "push button", "Load/Reload Schedule", expect=home + "/schedulelist.cfm")
