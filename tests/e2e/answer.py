#!/usr/bin/python3
"""Answers a message box of Kestrix through its accessibility.

answer.py TITLE BUTTON TIMEOUT [TEXT]

Waits until a window titled TITLE shows a push button named BUTTON (and,
when TEXT is given, a label holding TEXT), then presses that button. Exits 0
when it pressed it within TIMEOUT seconds; otherwise prints what it last saw
and exits 1.
"""
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from accessible_tree import descendants, windows  # noqa: E402

# The action calls used here are the ones Debian 12's bindings offer; newer
# ones mark them deprecated.
warnings.filterwarnings("ignore", category=DeprecationWarning)


def names(window, role):
    return [node.get_name() for node in descendants(window) if node.get_role() == role]


def look(title, button, text):
    seen = []
    for window in windows(title):
        labels = names(window, Atspi.Role.LABEL)
        seen.append({"buttons": names(window, Atspi.Role.PUSH_BUTTON), "labels": labels})
        if text is not None and not any(text in label for label in labels):
            continue
        for node in descendants(window):
            if node.get_role() == Atspi.Role.PUSH_BUTTON and node.get_name() == button:
                return node, seen
    return None, seen or "no window titled %r" % title


def main():
    if len(sys.argv) not in (4, 5):
        print(__doc__, file=sys.stderr)
        return 2
    title, button, timeout = sys.argv[1], sys.argv[2], float(sys.argv[3])
    text = sys.argv[4] if len(sys.argv) == 5 else None
    deadline = time.monotonic() + timeout
    while True:
        try:
            node, seen = look(title, button, text)
            if node is not None:
                action = node.get_action_iface()
                names = [action.get_action_name(i) for i in range(action.get_n_actions())]
                press = next((i for i, name in enumerate(names) if name in ("Press", "press", "click")), 0)
                action.do_action(press)
                return 0
        except GLib.Error as error:
            seen = str(error)
        if time.monotonic() > deadline:
            print("no button %r in a window titled %r; saw %r" % (button, title, seen))
            return 1
        time.sleep(0.1)


if __name__ == "__main__":
    sys.exit(main())
