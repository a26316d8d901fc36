"""A screen reader's view of every window: every object the user can
operate has a name, the grid reads as a table with its titles as column
headers, and a selected row is reported selected."""

import datetime
import os
import shutil
import sys
import time

import pyatspi
from gi.repository import GLib

from screen_reader import (application, click, describe, find, interactive_objects, keys,
                           start, type_text, unnamed, wait_for, window_named, write_list)

ENTRIES = [("Ann Lee", datetime.date(1998, 2, 14), "Birthday"),
           ("Bob & Co", datetime.date(1990, 5, 7), "Anniversary"),
           ("Cy", datetime.date(2009, 7, 6), "Other")]
# The grid lists them by name.
ENTRIES_SORTED = sorted(name for name, _, _ in ENTRIES)
TITLES = ["Name", "Orig. Date", "Next Event", "Days Left", "Age Next", "Event Type", " Comments"]


def listen(event_types, action, seconds=2.0):
    """The events of the given kinds that follow the action."""
    heard = []

    def record(event):
        heard.append(event)

    for event_type in event_types:
        pyatspi.Registry.registerEventListener(record, event_type)
    action()
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        context.iteration(False)
        time.sleep(0.01)
    for event_type in event_types:
        pyatspi.Registry.deregisterEventListener(record, event_type)
    return heard


def main():
    folder = os.path.join(os.environ["TESSALY_WORK"], "program")
    os.makedirs(folder)
    write_list(folder, ENTRIES)
    # One dated backup, for the restore dialog to list.
    os.makedirs(os.path.join(folder, "Tessaly backups"))
    shutil.copy(os.path.join(folder, "Tessaly.dat"),
                os.path.join(folder, "Tessaly backups", "Tessaly 2026-01-02 03-04-05.dat"))
    process = start(os.environ["TESSALY_EXECUTABLE"], folder)
    failures = []
    counts = {}
    try:
        app = wait_for("the program on the accessibility bus", application)
        main_window = wait_for("the main window", lambda: window_named(app, "Tessaly"))
        # A start-up report may cover the main window: close it first.
        report = wait_for("the report or nothing", lambda: window_named(app, "Coming")
                          or (time.sleep(3) or True), timeout=10)
        if report is not True and report is not None:
            keys("Escape")

        def check(label, window):
            objects = interactive_objects(window)
            missing = unnamed(window)
            counts[label] = (len(missing), len(objects))
            for node in missing:
                failures.append("%s: unnamed %s" % (label, describe(node)))

        check("main window", main_window)

        grid = wait_for("the grid", lambda: find(main_window, pyatspi.ROLE_TABLE))
        table = grid.queryTable()
        headers = [table.getColumnHeader(c).name if table.getColumnHeader(c) else None
                   for c in range(table.nColumns)]
        if headers != TITLES:
            failures.append("grid headers read %r" % headers)
        if table.nRows != len(ENTRIES):
            failures.append("grid has %d rows for %d entries" % (table.nRows, len(ENTRIES)))
        click(table.getAccessibleAt(1, 0))
        try:
            wait_for("row 2 selected", lambda: table.isRowSelected(1), timeout=5)
        except AssertionError:
            failures.append("the clicked row is not reported selected")
        if list(table.getSelectedRows()) != [1]:
            failures.append("selected rows read %r" % list(table.getSelectedRows()))
        cell = table.getAccessibleAt(1, 0)
        if not cell.getState().contains(pyatspi.STATE_SELECTED):
            failures.append("the clicked cell is not in the selected state")

        # Moving down, the reader hears of the new cell and selection.
        heard = listen(["focus:", "object:state-changed:selected"], lambda: keys("Down"))
        focused = [e.source.name for e in heard if e.type.startswith("focus")]
        if focused[-1:] != [ENTRIES_SORTED[2]]:
            failures.append("moving down announced %r" % focused)
        selected = [e.source.name for e in heard if e.type.endswith("selected") and e.detail1]
        if ENTRIES_SORTED[2] not in selected:
            failures.append("moving down announced the selection of %r" % selected)

        # The find bar: staying in its field, the reader hears the entry found
        # and the count as the field's description.
        heard = listen(["object:property-change:accessible-description"],
                       lambda: (keys("ctrl+f"), type_text("BOB")))
        field = find(main_window, pyatspi.ROLE_TEXT, "Find")
        if field is None:
            failures.append("no text field named Find after Ctrl+F")
        elif field.description != "Bob & Co: 1 of 1 match":
            failures.append("the find field reads %r" % field.description)
        told = [e for e in heard if e.source.name == "Find"]
        if not told:
            failures.append("finding announced nothing")
        check("main window with the find bar", main_window)
        keys("Escape")
        if list(table.getSelectedRows()) != [ENTRIES_SORTED.index("Bob & Co")]:
            failures.append("after finding, selected rows read %r" % list(table.getSelectedRows()))

        add = find(main_window, pyatspi.ROLE_PUSH_BUTTON, "Add")
        click(add)
        dialog = wait_for("the add dialog", lambda: window_named(app, "Add a New"))
        check("add dialog", dialog)
        for name in ("Back 5 years", "Back 1 year", "Forward 1 year", "Forward 5 years"):
            if find(dialog, pyatspi.ROLE_PUSH_BUTTON, name) is None:
                failures.append("no year button reads %r" % name)
        keys("Escape")
        click(find(dialog, pyatspi.ROLE_PUSH_BUTTON, "Cancel"))
        wait_for("the add dialog to close", lambda: window_named(app, "Add a New") is None)

        click(find(main_window, pyatspi.ROLE_PUSH_BUTTON, "Report"))
        report = wait_for("the report window", lambda: window_named(app, "Coming"))
        check("report window", report)
        text = find(report, pyatspi.ROLE_TEXT)
        if text is None or not text.getState().contains(pyatspi.STATE_FOCUSED):
            failures.append("the report text does not have the focus when the window opens")
        keys("Escape")
        wait_for("the report to close", lambda: window_named(app, "Coming") is None)

        keys("alt+h", "a")
        about = wait_for("the about box", lambda: window_named(app, "About"))
        check("about box", about)
        links = [node.name for node in interactive_objects(about)
                 if node.getRole() == pyatspi.ROLE_LINK]
        if len(links) != 3:
            failures.append("the about box offers %d links: %r" % (len(links), links))
        keys("Escape")
        wait_for("the about box to close", lambda: window_named(app, "About") is None)

        keys("alt+d", "b")
        restore = wait_for("the restore dialog", lambda: window_named(app, "Restore from Backup"))
        check("restore dialog", restore)
        keys("Escape")
        wait_for("the restore dialog to close",
                 lambda: window_named(app, "Restore from Backup") is None)

        keys("alt+d", "o")
        account = wait_for("the calendar account form", lambda: window_named(app, "Calendar Account"))
        check("calendar account form", account)
        keys("Escape")
    finally:
        process.terminate()
        process.wait(timeout=30)

    for label, (missing, total) in counts.items():
        print("%s: %d of %d interactive objects unnamed" % (label, missing, total))
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
