"""A user without a mouse adds an entry with a chosen day, month and year,
edits it, deletes it and takes the delete back, with keys alone (xdotool,
no pointer events). What the window shows is read through AT-SPI."""

import datetime
import os
import sys
import time

import pyatspi

from screen_reader import (application, find, keys, screenshot, start, type_text, wait_for,
                           window_named, write_list)

CHOSEN = datetime.date(1987, 3, 14)


def grid_rows(window):
    table = find(window, pyatspi.ROLE_TABLE).queryTable()
    return [[table.getAccessibleAt(r, c).name for c in range(table.nColumns)]
            for r in range(table.nRows)]


def focused(window):
    """The innermost object with the focus: a container whose part has the
    focus reads as focused too."""
    nodes = list(_walk_focused(window))
    return nodes[-1] if nodes else None


def _walk_focused(node):
    if node.getState().contains(pyatspi.STATE_FOCUSED):
        yield node
    if node.getRole() == pyatspi.ROLE_TABLE:
        return
    for child in node:
        if child is not None:
            yield from _walk_focused(child)


def choose_date(date):
    """From today, on the calendar: the first of the month, then whole years
    with the year buttons, then months with Page Up / Down, then the day."""
    today = datetime.date.today()
    keys("alt+d", "Home")
    years = today.year - date.year
    for _ in range(abs(years) // 5):
        keys("alt+5" if years > 0 else "alt+r")
    for _ in range(abs(years) % 5):
        keys("alt+1" if years > 0 else "alt+y")
    keys("alt+d")
    months = today.month - date.month
    keys(*(["Prior"] * months if months > 0 else ["Next"] * -months))
    keys(*(["Right"] * (date.day - 1)))


def main():
    folder = os.path.join(os.environ["TESSALY_WORK"], "program")
    os.makedirs(folder)
    write_list(folder, [("Bob", datetime.date(1990, 5, 7), "Anniversary")])
    process = start(os.environ["TESSALY_EXECUTABLE"], folder)
    failures = []
    try:
        app = wait_for("the program", application)
        window = wait_for("the main window", lambda: window_named(app, "Tessaly"))
        time.sleep(1)
        if window_named(app, "Coming") is not None:
            keys("Escape")
        wait_for("the list", lambda: grid_rows(window)[0][0] == "Bob")

        keys("alt+a")
        dialog = wait_for("the add dialog", lambda: window_named(app, "Add a New"))
        wait_for("the name field focused", lambda: focused(dialog).name.startswith("Name"))
        type_text("Ann Lee")
        choose_date(CHOSEN)
        keys("alt+e")
        type_text("Birthday")
        keys("alt+o")
        wait_for("the dialog to close", lambda: window_named(app, "Add a New") is None)
        rows = wait_for("the new entry", lambda: [r for r in grid_rows(window)
                                                 if r[0] == "Ann Lee"])
        # The short date's order is the region's; its parts are these.
        parts = sorted(rows[0][1].split("/"))
        if parts != sorted(CHOSEN.strftime("%d/%m/%Y").split("/")) or rows[0][5] != "Birthday":
            failures.append("added %r, wanted %s, Birthday" % (rows[0], CHOSEN))

        # Into the grid with Tab, onto the new row with the arrows.
        for _ in range(25):
            node = focused(window)
            if node is not None and node.getRole() == pyatspi.ROLE_TABLE:
                break
            keys("Tab")
        else:
            raise AssertionError("Tab never reached the grid")
        names = [r[0] for r in grid_rows(window)]
        keys(*(["Up"] * len(names)), *(["Down"] * names.index("Ann Lee")))
        keys("Return")
        dialog = wait_for("the edit dialog", lambda: window_named(app, "Edit an Existing"))
        type_text("Ann Smith")
        keys("alt+o")
        wait_for("the edited entry", lambda: "Ann Smith" in [r[0] for r in grid_rows(window)])
        if "Ann Lee" in [r[0] for r in grid_rows(window)]:
            failures.append("the edit left the old name")

        keys("Delete")
        wait_for("the question", lambda: len(list(app)) > 1 and
                 find(app, pyatspi.ROLE_PUSH_BUTTON, "Yes") is not None)
        screenshot("delete-question")
        keys("alt+y")
        wait_for("the delete", lambda: "Ann Smith" not in [r[0] for r in grid_rows(window)])

        keys("alt+d", "u")
        wait_for("the question", lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "Yes") is not None)
        keys("alt+y")
        wait_for("the undo", lambda: "Ann Smith" in [r[0] for r in grid_rows(window)])
        keys("alt+x")
        process.wait(timeout=30)
    except AssertionError:
        screenshot("failed")
        raise
    finally:
        if process.poll() is None:
            process.terminate()
            process.wait(timeout=30)

    with open(os.path.join(folder, "Tessaly.dat"), "rb") as saved:
        data = saved.read().decode()
    if "Ann Smith" not in data or "Bob" not in data:
        failures.append("the saved list lacks an entry:\n" + data)
    for failure in failures:
        print("FAILED:", failure)
    if not failures:
        print("keyboard_only: added, edited, deleted and restored with keys alone")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
