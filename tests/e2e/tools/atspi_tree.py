"""Reads the accessibility tree of the running Kivvo through AT-SPI, as a screen reader does.

atspi_tree.py dump          prints one line per element: role 'name' [description] states
atspi_tree.py press NAME    runs the first action of the first element named NAME
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

STATES = ("checked", "selected", "focused", "showing")


def kivvo():
    desktop = Atspi.get_desktop(0)
    for _ in range(100):
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and (app.get_name() or "").lower() == "kivvo":
                return app
        time.sleep(0.1)
    sys.exit("no Kivvo on the accessibility bus")


def walk(node, visit):
    visit(node)
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, visit)


def line(node):
    states = node.get_state_set()
    marks = [s for s in STATES if states.contains(getattr(Atspi.StateType, s.upper()))]
    return "%s '%s' [%s] %s" % (node.get_role_name(), node.get_name(), node.get_description(), ",".join(marks))


def main():
    app = kivvo()
    if sys.argv[1] == "dump":
        walk(app, lambda node: print(line(node)))
        return
    found = []
    walk(app, lambda node: found.append(node) if node.get_name() == sys.argv[2] else None)
    if not found:
        sys.exit("nothing named " + sys.argv[2])
    found[0].do_action(0)


main()
