"""Under a Wayland compositor (weston, headless) the program starts, shows
the report, and leaves the window places stored from a desktop that reports
them as they were; Always On Top is unavailable and says why; a second start
says that the program runs already instead of ending without a word."""

import datetime
import os
import subprocess
import sys
import time

import pyatspi

from screen_reader import application, find, start, wait_for, window_named, write_list

SOCKET = "tessaly-wayland"
STORED = {"window_top_posn": "111", "window_left_posn": "222",
          "Dialog_Richedit_top_posn": "123", "Dialog_Richedit_left_posn": "234"}


def write_files(folder):
    # Born 30 years before three days from now: the report lists her.
    soon = datetime.date.today() + datetime.timedelta(days=3)
    born = soon.replace(year=soon.year - 30) if (soon.month, soon.day) != (2, 29) \
        else datetime.date(soon.year - 32, 2, 29)
    write_list(folder, [("Ann", born, "Birthday")])
    ini = ["[Tessaly]", "Auto_Display_Coming_Events_Report_CheckBox=1"]
    ini += ["%s=%s" % item for item in STORED.items()]
    with open(os.path.join(folder, "Tessaly.ini"), "wb") as out:
        out.write(("\r\n".join(ini) + "\r\n").encode())


def stored_values(folder):
    values = {}
    with open(os.path.join(folder, "Tessaly.ini"), "rb") as ini:
        for line in ini.read().decode("utf-8", "replace").splitlines():
            key, _, value = line.partition("=")
            values[key.strip()] = value.strip()
    return values


def already_running_message():
    """The window of any Tessaly process that says it runs already."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name.lower() != "tessaly":
            continue
        for window in app:
            label = None if window is None else find(window, pyatspi.ROLE_LABEL)
            if label is not None and "already running" in label.name:
                return window
    return None


def press(button):
    button.queryAction().doAction(0)


def main():
    runtime = os.environ["XDG_RUNTIME_DIR"]
    compositor = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", "--socket=" + SOCKET, "--idle-time=0"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for("the compositor", lambda: os.path.exists(os.path.join(runtime, SOCKET)))
    os.environ.update({"WAYLAND_DISPLAY": SOCKET, "QT_QPA_PLATFORM": "wayland"})
    os.environ.pop("DISPLAY", None)

    folder = os.path.join(os.environ["TESSALY_WORK"], "program")
    os.makedirs(folder)
    write_files(folder)
    failures = []
    process = start(os.environ["TESSALY_EXECUTABLE"], folder)
    second = None
    try:
        app = wait_for("the program", application)
        report = wait_for("the start-up report", lambda: window_named(app, "Coming"))
        if "Ann" not in find(report, pyatspi.ROLE_TEXT).queryText().getText(0, -1):
            failures.append("the report does not list the entry")
        press(wait_for("the report's close button",
                       lambda: find(report, pyatspi.ROLE_PUSH_BUTTON, "Events List")))
        window = wait_for("the main window", lambda: window_named(app, "Tessaly"))

        on_top = find(app, pyatspi.ROLE_CHECK_MENU_ITEM, "Always On Top") or \
            find(app, pyatspi.ROLE_MENU_ITEM, "Always On Top")
        # Its tooltip says why; menu tooltips do not reach AT-SPI.
        if on_top is None or on_top.getState().contains(pyatspi.STATE_ENABLED):
            failures.append("Always On Top is offered where it cannot work")

        # A second start cannot raise the window without a token: it says so.
        second = subprocess.Popen([os.path.join(folder, "tessaly")],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        message = wait_for("the second start's message", already_running_message)
        press(find(message, pyatspi.ROLE_PUSH_BUTTON))
        second.wait(timeout=30)
        if second.returncode != 0:
            failures.append("the second start ended with %d" % second.returncode)

        press(find(window, pyatspi.ROLE_PUSH_BUTTON, "Exit"))
        process.wait(timeout=30)
    finally:
        for child in (second, process):
            if child is not None and child.poll() is None:
                child.terminate()
                child.wait(timeout=30)
        compositor.terminate()
        compositor.wait(timeout=30)

    values = stored_values(folder)
    for key, value in STORED.items():
        if values.get(key) != value:
            failures.append("%s became %r, was %s" % (key, values.get(key), value))
    for failure in failures:
        print("FAILED:", failure)
    if not failures:
        print("under_wayland: report shown, places kept, Always On Top unavailable, "
              "second start answered")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
