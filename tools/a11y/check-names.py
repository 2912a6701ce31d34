#!/usr/bin/python3
"""Walks Volumnia's windows through the desktop accessibility bus (AT-SPI) and
lists every control with its role and accessible name. Exits non-zero when a
control a screen reader would announce has no name.

Run on a real X server with an accessibility bus, Volumnia already started:
    tools/a11y/check-names.py
"""
import sys
import time

import pyatspi

CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_MENU, pyatspi.ROLE_TABLE,
    pyatspi.ROLE_FRAME, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_COMBO_BOX,
}


def walk(node, depth, problems, seen):
    try:
        role, name = node.getRole(), node.name
    except Exception:  # a node that went away while we walked
        return
    if role in CONTROLS:
        print("%s%s: %r" % ("  " * depth, node.getRoleName(), name))
        if not name:
            problems.append("%s without a name" % node.getRoleName())
        seen.add(node.getRoleName())
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1, problems, seen)


def main():
    desktop = pyatspi.Registry.getDesktop(0)
    for _ in range(50):
        apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
        apps = [a for a in apps if a is not None and a.name in ("Volumnia", "volumnia")]
        if apps:
            break
        time.sleep(0.2)
    if not apps:
        print("Volumnia is not on the accessibility bus")
        return 2
    problems, seen = [], set()
    for app in apps:
        walk(app, 0, problems, seen)
    print("roles seen:", ", ".join(sorted(seen)))
    for problem in problems:
        print("PROBLEM:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
