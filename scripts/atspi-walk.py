#!/usr/bin/python3
"""Prints what a screen reader finds in a running Tobrin: every accessible
object's role, name and description, indented by depth.

Run under a session bus and a display, with Qt's accessibility bridge on:
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 dbus-run-session -- xvfb-run -a \\
      sh -c 'build/tobrin & sleep 4; python3 scripts/atspi-walk.py; kill $!'
"""
import sys

import pyatspi

INTERACTIVE = {"push button", "toggle button", "text", "scroll bar", "slider", "combo box",
               "check box", "canvas", "image", "spin button", "radio button"}


def walk(node, depth, unnamed):
    try:
        role = node.getRoleName()
        name = node.name or ""
        description = node.description or ""
    except Exception:
        return
    print("%s%s: %r %s" % ("  " * depth, role, name, ("- " + description) if description else ""))
    if role in INTERACTIVE and not name.strip():
        unnamed.append(role)
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1, unnamed)


def main():
    desktop = pyatspi.Registry.getDesktop(0)
    unnamed = []
    found = False
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and (app.name or "").lower().startswith("tobrin"):
            found = True
            walk(app, 0, unnamed)
    if not found:
        print("no Tobrin application on the accessibility bus", file=sys.stderr)
        return 1
    print("interactive objects without a name: %d %s" % (len(unnamed), sorted(set(unnamed))))
    return 1 if unnamed else 0


if __name__ == "__main__":
    sys.exit(main())
