# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""End-to-end test of the real lccalc binary, seen as a screen reader sees it.

Run inside a D-Bus session of its own (the CTest test wraps it in
dbus-run-session). It starts its own Xvfb, then the program with Qt's
accessibility bridge on, drives it with xdotool and reads it through AT-SPI.
Needs Debian's python3 with python3-pyatspi: run it with /usr/bin/python3.
"""
import argparse
import os
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
from xvfb import private_display  # noqa: E402

TITLE = "Расчет LC-конура" + " " * 31 + "TIRVAL"
TIMEOUT = 20.0

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, flush=True)


def wait_for(what, probe, timeout=TIMEOUT):
    """Polls probe() until it returns something true; fails the test on timeout."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            value = probe()
        except Exception:  # the tree changes under us while the program works
            value = None
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
            if frame is not None and frame.name == TITLE:
                return frame
    return None


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def click(node):
    x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdotool("mousemove", "--sync", x + width // 2, y + height // 2, "click", 1)


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return []


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--screenshot", required=True)
    args = parser.parse_args()

    with private_display() as display:
        os.environ["DISPLAY"] = display
        for locale, check_program in [("C.UTF-8", lambda p: run(p, args.screenshot)),
                                      ("ru_RU.UTF-8", run_with_commas)]:
            env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LC_ALL=locale)
            env.pop("QT_QPA_PLATFORM", None)
            program = subprocess.Popen([args.binary], env=env)
            try:
                check_program(program)
            finally:
                if program.poll() is None:
                    program.kill()
                    program.wait()
    if failures:
        sys.exit(f"{len(failures)} check(s) failed")
    print("end-to-end: all checks passed")


def run(program, screenshot):
    window = wait_for("the window on the accessibility bus", find_window)
    check(window.getRoleName() == "frame", f"the window is a {window.getRoleName()!r}, not a frame")
    nodes = list(descendants(window))
    by_name = {}
    for node in nodes:
        by_name.setdefault((node.getRoleName(), node.name), node)
    origin = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

    # Every control with its role, name and place in the window (logical pixels).
    expected = [
        ("text", "Частота, МГц", (40, 32, 81, 33)),
        ("push button", "OK", (40, 96, 81, 33)),
        ("push button", "Exit", (40, 160, 81, 33)),
        ("label", "L, мкГн", (184, 16, 121, 17)),
        ("label", "C, пФ", (184, 80, 121, 17)),
        ("label", "W, М", (184, 144, 121, 17)),
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

    box = by_name[("text", "Частота, МГц")]
    # With no window manager the window gets the keyboard only when given it.
    wid = subprocess.run(["xdotool", "search", "--name", "TIRVAL"], capture_output=True,
                         text=True, check=True).stdout.split()[0]
    xdotool("windowfocus", "--sync", wid)
    wait_for("the focus in the frequency box", lambda: box.getState().contains(pyatspi.STATE_FOCUSED))

    # Type 7, press OK, read the results and the captions they are heard with.
    xdotool("type", "--delay", "50", "7")
    wait_for("the typed 7", lambda: box.queryText().getText(0, -1) == "7")
    click(by_name[("push button", "OK")])
    want = ("42.8571428571429", "85.7142857142858", "6.03714243212803")
    wait_for("the results for 7 MHz", lambda: shown() == want)
    for field, (node, caption) in results.items():
        check(labelled_by(node) == [caption], f"{field} is labelled by {labelled_by(node)}, not {caption!r}")
        check(node.description == "", f"{field} is described as {node.description!r} too")
    check(box.description == "Прочитано: 7 МГц", f"the box's description is {box.description!r}")
    crop = f"{origin.width}x{origin.height}+{origin.x}+{origin.y}"
    subprocess.run(["/usr/bin/import", "-window", "root", "-crop", crop, screenshot], check=True)

    # An overflow is reported in an alert; once dismissed the window goes on.
    click(box)
    xdotool("key", "--clearmodifiers", "ctrl+a")
    xdotool("type", "--delay", "50", "1E+150")
    wait_for("the typed 1E+150", lambda: box.queryText().getText(0, -1) == "1E+150")
    click(by_name[("push button", "OK")])

    def alert():
        for app in pyatspi.Registry.getDesktop(0):
            for node in descendants(app):
                if node.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and node.name == TITLE:
                    return node
        return None

    box_node = wait_for("the error alert", alert)
    texts = [n.name for n in descendants(box_node)]
    check("Переполнение" in texts, f"the alert says {texts}")
    xdotool("key", "Return")
    wait_for("the alert to go", lambda: alert() is None)
    check(program.poll() is None, "the program ended after the error")
    check(shown() == ("3E-148", "6E-148", ""), f"after the overflow the results are {shown()}")

    # Exit ends the program with status 0.
    click(by_name[("push button", "Exit")])
    try:
        status = program.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        status = None
    check(status == 0, f"Exit ended the program with status {status}")


def run_with_commas(program):
    """In a comma-decimal locale the results show commas."""
    window = wait_for("the window in ru_RU.UTF-8", find_window)
    nodes = list(descendants(window))
    box = next(n for n in nodes if n.getRoleName() == "text")
    ok = next(n for n in nodes if n.getRoleName() == "push button" and n.name == "OK")
    click(box)
    xdotool("type", "--delay", "50", "144")
    wait_for("the typed 144", lambda: box.queryText().getText(0, -1) == "144")
    click(ok)
    wait_for("a comma in the wavelength",
             lambda: any(n.name == "2,08333333333333" for n in descendants(window)))
    exit_button = next(n for n in nodes if n.getRoleName() == "push button" and n.name == "Exit")
    click(exit_button)
    check(program.wait(timeout=TIMEOUT) == 0, "Exit in ru_RU.UTF-8 did not end the program with 0")


if __name__ == "__main__":
    main()
