"""The desk the end-to-end test sits at: a private X display driven with real
input events (XTest, through xdotool) and the accessibility bus that the
programs' windows are read from."""
import subprocess
import time

import gi

gi.require_version("Atspi", "2.0")
import pyatspi  # noqa: E402
from gi.repository import GLib  # noqa: E402


class Failure(AssertionError):
    """What a window showed is not what the game should show."""


def wait_until(condition, timeout, what, seen=None):
    """Polls condition until it gives a true value, which it returns; after
    timeout seconds fails, saying what was awaited and, from seen(), what was
    there instead."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except GLib.Error:
            value = None  # a window busy for a moment answers the next poll
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"waited {timeout:.0f} s for {what}" + (f"; saw {seen()!r}" if seen else ""))
        time.sleep(0.02)


def check(condition, what):
    if not condition:
        raise Failure(what)


# ---- The accessible tree ----

def states(node):
    node.clear_cache()
    return node.getState()


def showing(node):
    return states(node).contains(pyatspi.STATE_SHOWING)


def checked(node):
    return states(node).contains(pyatspi.STATE_CHECKED)


def extents(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def children(node):
    node.clear_cache()
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def walk(node):
    yield node
    for child in children(node):
        if child is not None:
            yield from walk(child)


def name(node):
    """The name as the window has it now, not as last cached."""
    node.clear_cache()
    return node.name


def description(node):
    node.clear_cache()
    return node.description


# ---- Input through XTest ----

def _xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=20, capture_output=True)


PARKING = (0, 0)  # a spot on no window, set by the test


def click_at(x, y, button=1):
    # The pointer leaves at once, so that no tool tip opens where it rested.
    _xdo("mousemove", "--sync", x, y, "click", button, "mousemove", *PARKING)


def click(node, button=1):
    x, y, w, h = extents(node)
    check(w > 0 and h > 0, f"{node.name!r} has no place on the screen to click")
    click_at(x + w // 2, y + h // 2, button)


def type_text(window, text):
    _xdo("windowfocus", "--sync", window)
    _xdo("type", "--delay", 12, text)


def press(window, *keys):
    _xdo("windowfocus", "--sync", window)
    _xdo("key", "--delay", 12, *keys)


def press_grabbed(*keys):
    """Keys for whatever holds the keyboard now, such as an open pop-up menu."""
    _xdo("key", "--delay", 40, *keys)


def windows_of(pid):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                           capture_output=True, text=True, timeout=20)
    return found.stdout.split()


def screenshot(path, box=None):
    crop = ["-crop", "{2}x{3}+{0}+{1}".format(*box), "+repage"] if box else []
    subprocess.run(["import", "-window", "root", *crop, str(path)], check=True, timeout=30)
