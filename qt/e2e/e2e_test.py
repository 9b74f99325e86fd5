# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""End-to-end test of the real lccalc binary, seen as a screen reader sees it.

It makes a session of its own (a D-Bus session bus, and with it the
accessibility bus, in a private runtime folder), starts the display of one
set-up, then the program with Qt's accessibility bridge on, drives it and
reads it through AT-SPI. The set-ups:
  xvfb     a bare X server; keys and clicks through xdotool;
  openbox  the same under a real window manager, which must show the title,
           offer no maximise, keep the size, close the program with status 0
           and give the focus back where it was;
  weston   a Wayland compositor (headless, so with no keyboard to focus);
           typing and clicks through the accessibility bus, and no error of
           Qt's Wayland plugin.
Needs Debian's python3 with python3-pyatspi: run it with /usr/bin/python3.
"""
import argparse
import contextlib
import os
import subprocess
import sys
import time

import pyatspi

from desktop import private_display, private_session

TITLE = "Расчет LC-конура" + " " * 31 + "TIRVAL"
TIMEOUT = 20.0
# A single-line text box is a "text" before AT-SPI 2.50 and an "entry" after.
TEXT_ROLES = (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, flush=True)


# Whether an error report that comes up fails the test: from when the
# window is up, except while the test asks for one.
reports_fail = False


def wait_for(what, probe, timeout=TIMEOUT):
    """Polls probe() until it returns something true; fails the test on
    timeout, or at once where an error report that the test did not ask
    for is up, saying what the report said."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = alert = None
        try:
            value = probe()
        except Exception:  # the tree changes under us while the program works
            pass
        try:
            alert = find_alert() if reports_fail and not value else None
        except Exception:  # the same, or no accessibility bus yet
            pass
        if alert is not None:
            said = [node.name for node in descendants(alert) if node.name]
            sys.exit(f"FAIL: waiting for {what}, a report no test expected: {said}")
        if value:
            return value
        time.sleep(0.1)
    sys.exit(f"FAIL: timed out waiting for {what}")


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def find_window():
    for app in pyatspi.Registry.getDesktop(0):
        for frame in app or []:
            if frame is not None and frame.name == TITLE and frame.getRole() == pyatspi.ROLE_FRAME:
                return frame
    return None


def find_alert():
    for app in pyatspi.Registry.getDesktop(0):
        for node in descendants(app):
            if node.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and node.name == TITLE:
                return node
    return None


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def visible_windows(env=None):
    """The X ids of lccalc's windows (the window, a report) once they are
    mapped: the focus cannot go to a window that is not viewable yet (X's
    BadMatch)."""
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "TIRVAL"], env=env,
                          capture_output=True, text=True).stdout.split()


def preloaded(env, preload):
    """`env` with `preload` preloaded where a sanitizer build asks for a
    library: AddressSanitizer's runtime then comes second."""
    if not preload:
        return env
    return dict(env, LD_PRELOAD=preload,
                ASAN_OPTIONS=env.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0")


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return []


def focused(node):
    return node.getState().contains(pyatspi.STATE_FOCUSED)


class X11:
    """Keys and clicks as a user's, through the X server."""
    wayland = False

    def __init__(self, window_manager):
        self.window_manager = window_manager

    def window_id(self):
        return wait_for("the window to be mapped", visible_windows)[0]

    def give_focus(self):
        # With no window manager the window gets the keyboard only when given it.
        if not self.window_manager:
            xdotool("windowfocus", "--sync", self.window_id())

    def click(self, node):
        x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        xdotool("mousemove", "--sync", x + width // 2, y + height // 2, "click", 1)

    def type(self, box, text):
        self.click(box)
        xdotool("key", "--clearmodifiers", "ctrl+a")
        xdotool("type", "--delay", "50", text)

    def dismiss(self, alert):
        xdotool("key", "Return")


class Wayland(X11):
    """A Wayland client takes no input from other programs: the
    accessibility bus types and presses, as an assistive tool would."""
    wayland = True

    def click(self, node):
        node.queryAction().doAction(0)

    def type(self, box, text):
        box.queryEditableText().setTextContents(text)

    def dismiss(self, alert):
        self.click(next(n for n in descendants(alert) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON))


@contextlib.contextmanager
def xvfb(window_manager=False):
    with private_display() as display:
        os.environ["DISPLAY"] = display
        manager = None
        if window_manager:
            manager = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            wait_for("openbox to manage the screen", lambda: subprocess.run(
                ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True,
                text=True).stdout.count("window id"))
        try:
            yield X11(window_manager), {"DISPLAY": display}
        finally:
            if manager is not None:
                manager.kill()
                manager.wait()


@contextlib.contextmanager
def weston():
    socket = f"lccalc-e2e-{os.getpid()}"
    compositor = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", f"--socket={socket}", "--idle-time=0",
         "--width=640", "--height=400"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for("weston's socket",
                 lambda: os.path.exists(os.path.join(os.environ["XDG_RUNTIME_DIR"], socket)))
        os.environ.pop("DISPLAY", None)
        yield Wayland(True), {"WAYLAND_DISPLAY": socket}
    finally:
        compositor.kill()
        compositor.wait()


SETUPS = {"xvfb": lambda: xvfb(), "openbox": lambda: xvfb(window_manager=True), "weston": weston}


def start(binary, display, locale, preload):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LC_ALL=locale, **display)
    for key in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"):
        if key not in display:
            env.pop(key, None)
    return subprocess.Popen([binary], env=preloaded(env, preload), stderr=subprocess.PIPE, text=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--setup", choices=SETUPS, default="xvfb")
    parser.add_argument("--screenshot")
    parser.add_argument("--preload", help="a library to preload into the program")
    args = parser.parse_args()

    with private_session():
        with SETUPS[args.setup]() as (driver, display):
            locales = [("C.UTF-8", lambda p: run(p, driver, args.screenshot))]
            if args.setup == "xvfb":
                locales.append(("ru_RU.UTF-8", lambda p: run_with_commas(p, driver)))
            for locale, check_program in locales:
                program = start(args.binary, display, locale, args.preload)
                try:
                    check_program(program)
                finally:
                    if program.poll() is None:
                        program.kill()
                    errors = program.communicate()[1]
                    sys.stderr.write(errors)
                # Qt's platform plugin says so when it could not do its work.
                check("qt.qpa" not in errors, f"Qt's platform plugin reported errors: {errors!r}")
    if failures:
        sys.exit(f"{len(failures)} check(s) failed")
    print(f"end-to-end ({args.setup}): all checks passed")


def check_window_manager(driver):
    """What the window manager shows of the window and offers for it."""
    wid = driver.window_id()
    props = subprocess.run(["xprop", "-id", wid, "_NET_WM_NAME", "WM_NORMAL_HINTS",
                            "_NET_WM_ALLOWED_ACTIONS"], capture_output=True, text=True).stdout
    check(f'_NET_WM_NAME(UTF8_STRING) = "{TITLE}"' in props, f"the title bar's text: {props!r}")
    minimum = [line for line in props.splitlines() if "minimum size" in line]
    maximum = [line for line in props.splitlines() if "maximum size" in line]
    check(minimum and maximum and minimum[0].split(":")[1] == maximum[0].split(":")[1]
          and "330 by 219" in minimum[0], f"the size hints: {minimum} {maximum}")
    check("_NET_WM_ACTION_MAXIMIZE" not in props and "_NET_WM_ACTION_CLOSE" in props,
          f"the window manager offers {props!r}")
    # The title bar's icon, and the doubled one for a doubled screen.
    icon = wait_for("the window's icon", lambda: subprocess.run(
        ["xprop", "-id", wid, "_NET_WM_ICON"], capture_output=True, text=True).stdout.count("Icon ("))
    check(icon == 2, f"the window has {icon} icon images, not 16 and 32 pixels")


def check_report_placement():
    """The error report is transient for the window (no task-bar entry of its
    own, kept above it) and the window manager centres it over the window."""
    found = wait_for("the report's window beside the window",
                     lambda: (lambda ids: ids if len(ids) == 2 else None)(visible_windows()))
    owners = {wid: subprocess.run(["xprop", "-id", wid, "WM_TRANSIENT_FOR"], capture_output=True,
                                  text=True).stdout for wid in found}
    report = [wid for wid, owner in owners.items() if "window id #" in owner]
    check(len(report) == 1, f"no window transient for another: {owners}")
    if len(report) != 1:
        return
    window = next(wid for wid in found if wid != report[0])
    check(int(owners[report[0]].split("#")[1], 16) == int(window),
          f"the report is transient for {owners[report[0]]!r}, not the window {window}")

    def centre(wid):
        shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], capture_output=True,
                               text=True).stdout
        geometry = dict(line.split("=") for line in shell.split())
        return (int(geometry["X"]) + int(geometry["WIDTH"]) // 2,
                int(geometry["Y"]) + int(geometry["HEIGHT"]) // 2)

    (x, y), (x0, y0) = centre(report[0]), centre(window)
    check(abs(x - x0) <= 20 and abs(y - y0) <= 40, f"the report's centre {x, y}, the window's {x0, y0}")


def run(program, driver, screenshot):
    global reports_fail
    window = wait_for("the window on the accessibility bus", find_window)
    reports_fail = True
    nodes = list(descendants(window))
    by_name = {}
    for node in nodes:
        role = node.getRole()
        by_name.setdefault((pyatspi.ROLE_TEXT if role in TEXT_ROLES else role, node.name), node)
    origin = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

    # Every control with its role, name and place in the window (logical pixels).
    expected = [
        (pyatspi.ROLE_TEXT, "Частота, МГц", (40, 32, 81, 33)),
        (pyatspi.ROLE_PUSH_BUTTON, "OK", (40, 96, 81, 33)),
        (pyatspi.ROLE_PUSH_BUTTON, "Exit", (40, 160, 81, 33)),
        (pyatspi.ROLE_LABEL, "L, мкГн", (184, 16, 121, 17)),
        (pyatspi.ROLE_LABEL, "C, пФ", (184, 80, 121, 17)),
        (pyatspi.ROLE_LABEL, "W, М", (184, 144, 121, 17)),
    ]
    for role, name, place in expected:
        node = by_name.get((role, name))
        check(node is not None, f"no {role} named {name!r}")
        if node is None:
            continue
        x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        check((x - origin.x, y - origin.y, width, height) == place,
              f"{name!r} at {(x - origin.x, y - origin.y, width, height)}, not {place}")

    # The result labels are the ones the captions label.
    captions = {"L, мкГн": "L", "C, пФ": "C", "W, М": "LL"}
    results = {}
    for node in nodes:
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABEL_FOR and node.name in captions:
                results[captions[node.name]] = (relation.getTarget(0), node.name)
    check(sorted(results) == ["C", "L", "LL"], f"captions label {sorted(results)}")
    if sorted(results) != ["C", "L", "LL"]:
        return

    def shown():
        return tuple(results[field][0].name for field in ("LL", "C", "L"))

    check(shown() == ("", "", ""), f"results at start are {shown()}")

    box = by_name[(pyatspi.ROLE_TEXT, "Частота, МГц")]
    ok = by_name[(pyatspi.ROLE_PUSH_BUTTON, "OK")]
    if not driver.wayland:  # weston's headless back end has no keyboard to focus
        driver.give_focus()
        wait_for("the focus in the frequency box", lambda: focused(box))
    if driver.window_manager and not driver.wayland:
        check_window_manager(driver)

    # Type 7, press OK, read the results and the captions they are heard with.
    driver.type(box, "7")
    wait_for("the typed 7", lambda: box.queryText().getText(0, -1) == "7")
    driver.click(ok)
    want = ("42.8571428571429", "85.7142857142858", "6.03714243212803")
    wait_for("the results for 7 MHz", lambda: shown() == want)
    for field, (node, caption) in results.items():
        check(labelled_by(node) == [caption], f"{field} is labelled by {labelled_by(node)}, not {caption!r}")
        check(node.description == "", f"{field} is described as {node.description!r} too")
    check(box.description == "Прочитано: 7 МГц", f"the box's description is {box.description!r}")
    if screenshot and not driver.wayland:
        crop = f"{origin.width}x{origin.height}+{origin.x}+{origin.y}"
        subprocess.run(["/usr/bin/import", "-window", "root", "-crop", crop, screenshot], check=True)

    # An overflow is reported in an alert; once dismissed the window goes on,
    # with the focus back on OK.
    if driver.window_manager and not driver.wayland:
        # Away from the screen's centre, where a report without its window
        # would be put too.
        xdotool("windowmove", "--sync", driver.window_id(), 0, 0)
    driver.type(box, "1E+150")
    wait_for("the typed 1E+150", lambda: box.queryText().getText(0, -1) == "1E+150")
    reports_fail = False
    driver.click(ok)
    alert = wait_for("the error alert", find_alert)
    if driver.window_manager and not driver.wayland:
        check_report_placement()
    texts = [n.name for n in descendants(alert)]
    check(any("Переполнение" in text for text in texts), f"the alert says {texts}")
    driver.dismiss(alert)
    wait_for("the alert to go", lambda: find_alert() is None)
    reports_fail = True
    check(program.poll() is None, "the program ended after the error")
    check(shown() == ("3E-148", "6E-148", ""), f"after the overflow the results are {shown()}")
    if driver.window_manager and not driver.wayland:
        wait_for("the focus back on OK after the report", lambda: focused(ok), timeout=5)

    if driver.window_manager and not driver.wayland:
        # Another window takes the focus and gives it back: OK has it again.
        wid = driver.window_id()
        xdotool("windowminimize", "--sync", wid)
        wait_for("the window to lose the focus", lambda: not focused(ok), timeout=5)
        subprocess.run(["wmctrl", "-i", "-a", wid], check=True)
        wait_for("the focus back on OK after reactivation", lambda: focused(ok), timeout=5)
        # The window manager's close ends the program as Exit does.
        subprocess.run(["wmctrl", "-i", "-c", wid], check=True)
        ended_by = "the window manager's close"
    else:
        driver.click(by_name[(pyatspi.ROLE_PUSH_BUTTON, "Exit")])
        ended_by = "Exit"
    try:
        status = program.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        status = None
    check(status == 0, f"{ended_by} ended the program with status {status}")


def run_with_commas(program, driver):
    """In a comma-decimal locale the results show commas."""
    window = wait_for("the window in ru_RU.UTF-8", find_window)
    nodes = list(descendants(window))
    box = next(n for n in nodes if n.getRole() in TEXT_ROLES)
    buttons = {n.name: n for n in nodes if n.getRole() == pyatspi.ROLE_PUSH_BUTTON}
    driver.type(box, "144")
    wait_for("the typed 144", lambda: box.queryText().getText(0, -1) == "144")
    driver.click(buttons["OK"])
    wait_for("a comma in the wavelength",
             lambda: any(n.name == "2,08333333333333" for n in descendants(window)))
    driver.click(buttons["Exit"])
    check(program.wait(timeout=TIMEOUT) == 0, "Exit in ru_RU.UTF-8 did not end the program with 0")


if __name__ == "__main__":
    main()
