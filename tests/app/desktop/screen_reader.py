"""What a screen reader finds in Tessaly's windows, read through AT-SPI.

Shared by the desktop scenarios: finding the program, walking its tree,
listing what can be used but has no name, and clicking or typing as a user.
"""

import datetime
import os
import subprocess
import time

import pyatspi

INTERACTIVE_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_TABLE,
    pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_LIST, pyatspi.ROLE_MENU, pyatspi.ROLE_MENU_ITEM,
    pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM, pyatspi.ROLE_LINK,
    pyatspi.ROLE_SLIDER, pyatspi.ROLE_CALENDAR, pyatspi.ROLE_PAGE_TAB,
}
# Cells are read with their column's header; an empty one is an empty cell.
CELL_ROLES = {pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_COLUMN_HEADER, pyatspi.ROLE_ROW_HEADER}


def wait_for(what, predicate, timeout=30.0):
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = predicate()
        except Exception:  # the tree changes under a walk
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.2)


def application(name="tessaly"):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name.lower() == name:
            return app
    return None


def walk(node, into_cells=False):
    """Every object under node, node included, depth first."""
    yield node
    if node.getRole() in (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE) and not into_cells:
        # The cells are checked through the table interface.
        for i in range(min(node.childCount, 64)):
            child = node.getChildAtIndex(i)
            if child is not None:
                yield child
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, into_cells)


def is_interactive(node):
    role = node.getRole()
    if role in CELL_ROLES:
        return False
    states = node.getState()
    if role in (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_MENU):
        return True
    if not states.contains(pyatspi.STATE_SHOWING):
        return False
    return role in INTERACTIVE_ROLES or states.contains(pyatspi.STATE_FOCUSABLE)


def describe(node):
    return "%s %r" % (node.getRoleName(), node.name)


def interactive_objects(window):
    return [node for node in walk(window) if is_interactive(node)]


def unnamed(window):
    return [node for node in interactive_objects(window) if not node.name.strip()]


def window_named(app, title_start):
    for window in app:
        if window is not None and window.name.startswith(title_start) and \
                window.getState().contains(pyatspi.STATE_SHOWING):
            return window
    return None


def find(root, role, name=None):
    for node in walk(root):
        if node.getRole() == role and (name is None or node.name == name):
            return node
    return None


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


def click(node):
    x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdotool("mousemove", str(x + width // 2), str(y + height // 2), "click", "1")


def keys(*names):
    for name in names:
        xdotool("key", "--clearmodifiers", name)
        time.sleep(0.15)


def type_text(text):
    xdotool("type", "--delay", "40", text)


def stored_date(date):
    """A date as the data file holds it: days since 30 December 1899."""
    days = (date - datetime.date(1899, 12, 30)).days
    mantissa, exponent = ("%.14E" % days).split("E")
    return " %sE%s%04d" % (mantissa, exponent[0], abs(int(exponent)))


def write_list(folder, entries):
    """Tessaly.dat with the (name, date, event type) entries."""
    lines = ["V1.1", str(len(entries))]
    for name, date, kind in entries:
        lines += [name, stored_date(date), kind, "", "", "", "", ""]
    with open(os.path.join(folder, "Tessaly.dat"), "wb") as out:
        out.write(("\r\n".join(lines) + "\r\n").encode())


def start(executable, folder):
    """The program copied into a folder of its own, so its list lives there."""
    os.makedirs(folder, exist_ok=True)
    program = os.path.join(folder, "tessaly")
    subprocess.run(["cp", executable, program], check=True)
    return subprocess.Popen([program], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def screenshot(name):
    """Where TESSALY_SHOTS names a folder, what the screen shows now."""
    folder = os.environ.get("TESSALY_SHOTS")
    if folder:
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")],
                       check=False)
