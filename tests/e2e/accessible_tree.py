"""Walks the accessibility tree of the desktop for the end-to-end scripts."""
import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def children(node):
    try:
        count = node.get_child_count()
        return [c for c in (node.get_child_at_index(i) for i in range(count)) if c is not None]
    except GLib.Error:  # the object went away while being read
        return []


def descendants(node, depth=0):
    for child in children(node):
        yield child
        if depth < 20:
            yield from descendants(child, depth + 1)


def windows(title):
    desktop = Atspi.get_desktop(0)
    # Nothing here runs an event loop, so the cached tree would never learn
    # of changes: read it afresh on every look.
    desktop.clear_cache()
    for app in children(desktop):
        for window in children(app):
            if window.get_name() == title:
                yield window
