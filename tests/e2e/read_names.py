#!/usr/bin/python3
"""Reads what a screen reader hears of a Kestrix window.

read_names.py TITLE TIMEOUT

Waits until a window titled TITLE shows controls, then prints one line per
visible control and per named container that holds them, in the order of the tree:
"ROLE | NAME | DESCRIPTION", indented by depth. A control a user can operate
(a button, box, edit, list, spinner) without a name is printed as
"UNNAMED ROLE" as well. Exits 0 when the window was read, 1 otherwise.
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from accessible_tree import children, windows  # noqa: E402

CONTROLS = {
    Atspi.Role.PUSH_BUTTON,
    Atspi.Role.TOGGLE_BUTTON,
    Atspi.Role.CHECK_BOX,
    Atspi.Role.RADIO_BUTTON,
    Atspi.Role.TEXT,
    Atspi.Role.ENTRY,
    Atspi.Role.LIST,
    Atspi.Role.TABLE,
    Atspi.Role.TREE,
    Atspi.Role.SPIN_BUTTON,
    Atspi.Role.COMBO_BOX,
    Atspi.Role.SLIDER,
    Atspi.Role.PROGRESS_BAR,
}
CONTAINERS = {Atspi.Role.TOOL_BAR, Atspi.Role.PANEL, Atspi.Role.GROUPING, Atspi.Role.SPLIT_PANE}


def read(node, depth, lines, unnamed):
    for child in children(node):
        # What is not on the screen is not heard (the tool bar's hidden
        # overflow button, a hidden gauge).
        if not child.get_state_set().contains(Atspi.StateType.VISIBLE):
            continue
        role = child.get_role()
        name = child.get_name() or ""
        description = child.get_description() or ""
        if role in CONTROLS or (role in CONTAINERS and name):
            lines.append("%s%s | %s | %s" % ("  " * depth, child.get_role_name(), name, description))
            if role in CONTROLS and not name.strip():
                unnamed.append("UNNAMED %s (%s)" % (child.get_role_name(), description))
        # The items of a list are its content, not its controls.
        if role not in (Atspi.Role.LIST, Atspi.Role.TABLE, Atspi.Role.TREE, Atspi.Role.COMBO_BOX) and depth < 30:
            read(child, depth + 1, lines, unnamed)


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    title, timeout = sys.argv[1], float(sys.argv[2])
    deadline = time.monotonic() + timeout
    while True:
        try:
            window = next(windows(title), None)
            if window is not None:
                lines, unnamed = [], []
                read(window, 0, lines, unnamed)
                if lines:
                    print("\n".join(lines + unnamed))
                    return 0
        except GLib.Error:
            pass
        if time.monotonic() > deadline:
            print("no window titled %r with controls" % title)
            return 1
        time.sleep(0.2)


if __name__ == "__main__":
    sys.exit(main())
