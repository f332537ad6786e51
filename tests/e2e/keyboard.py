#!/usr/bin/python3
# Drives the main window with the keyboard alone, as a person who uses no mouse: real key presses
# (xdotool, to the window with the focus), with the accessibility tree read over AT-SPI to see
# where the focus is, as a screen reader would tell it.
#   keyboard.py PID WINDOW link     Tab to "Questions/Report Abuse", then Enter (opens a window)
#   keyboard.py PID WINDOW toggle   Tab to the "Student Tools" title bar, then Space toggles it
# WINDOW is the main window's X window, which gets the keyboard focus first.
# Exits 1 naming what failed.
import subprocess
import sys

import pyatspi
from atspi_tree import application as application_of
from atspi_tree import fail, nodes, poll

pid = int(sys.argv[1])
window = sys.argv[2]
step = sys.argv[3]


def application():
    return application_of(pid)


def main_window(app):
    for child in app:
        if child is not None and child.name == "Quillmere 2.0 Full":
            return child
    return app


def focused(app):
    # Only the main window counts: a window it opened may hold a focus of its own.
    for n in nodes(main_window(app)):
        try:
            if n.getState().contains(pyatspi.STATE_FOCUSED) and n.name:
                return n
        except Exception:
            pass
    return None


def key(name):
    subprocess.run(["xdotool", "key", name], check=True)



app = poll(application, 60)
if app is None:
    fail("the program never appeared on the accessibility bus")


def focus_window():
    # Asked again until the program tells of a focused control: a window just shown may not take
    # the focus at the first request.
    subprocess.run(["xdotool", "windowfocus", window], check=False)
    return poll(lambda: focused(app), 2)


if not poll(focus_window, 60):
    fail("nothing in the main window has the focus")


def tab_to(role, name):
    # Each Tab moves the focus on; wait for the move before the next press.
    seen = []
    for _ in range(80):
        now = focused(app)
        if now is not None and role in (None, now.getRoleName()) and now.name == name:
            return now
        before = (now.name if now else None)
        key("Tab")
        poll(lambda: (focused(app).name if focused(app) else None) != before, 5)
        seen.append(before)
    fail("Tab never reached %s \"%s\"; the focus went %s" % (role, name, seen))


if step == "link":
    tab_to("link", "Questions/Report Abuse")
    print("Tab reached the link \"Questions/Report Abuse\"")
    key("Return")
    print("Enter pressed on it")
    sys.exit(0)

# The focused panel and its title bar share the name; the title bar is the toggle.
tab_to(None, "Student Tools")
toggle = next(n for n in nodes(app) if n.getRoleName() == "push button" and n.name == "Student Tools")
checked = toggle.getState().contains(pyatspi.STATE_CHECKED)
key("space")
if not poll(lambda: toggle.getState().contains(pyatspi.STATE_CHECKED) != checked, 30):
    fail("Space on the \"Student Tools\" title bar did not toggle the panel")
print("Space on the \"Student Tools\" title bar toggled the panel (expanded: %s)"
      % (not checked))
