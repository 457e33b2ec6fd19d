#!/usr/bin/python3
"""Reads the file list of the Kestrix main window through its accessibility.

read_list.py TITLE TIMEOUT [EXPECTED...]

Waits until the file list in the window titled TITLE holds exactly the
EXPECTED entries in this order (none: until it is empty), then prints them one
per line. Exits 0 when they matched within TIMEOUT seconds; otherwise prints
what it last saw and exits 1.

The window holds two lists: the rule preview on top and the file list below
it. The file list is told apart by its object name where the accessibility
bridge exposes it, else as the lower of the two.
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from accessible_tree import children, windows  # noqa: E402


def find_window(title):
    return next(windows(title), None)


def find_lists(node, depth=0):
    found = []
    for child in children(node):
        if child.get_role() == Atspi.Role.LIST:
            found.append(child)
        elif depth < 40:
            found.extend(find_lists(child, depth + 1))
    return found


def file_list(window):
    lists = find_lists(window)
    for node in lists:
        if node.get_accessible_id() == "ListBox1":
            return node
    if not lists:
        return None
    return max(lists, key=lambda node: node.get_extents(Atspi.CoordType.SCREEN).y)


def entries(node):
    return [child.get_name() for child in children(node) if child.get_role() == Atspi.Role.LIST_ITEM]


def look(title):
    window = find_window(title)
    if window is None:
        return None, "no window titled %r" % title
    node = file_list(window)
    if node is None:
        return None, "no list in the window"
    return entries(node), None


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    title, timeout, expected = sys.argv[1], float(sys.argv[2]), sys.argv[3:]
    deadline = time.monotonic() + timeout
    while True:
        try:
            seen, problem = look(title)
        except GLib.Error as error:
            seen, problem = None, str(error)
        if seen == expected:
            for entry in seen:
                print(entry)
            return 0
        if time.monotonic() > deadline:
            print("expected %r, saw %r" % (expected, seen if problem is None else problem))
            return 1
        time.sleep(0.1)


if __name__ == "__main__":
    sys.exit(main())
