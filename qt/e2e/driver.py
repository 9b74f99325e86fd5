# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""The scenario table's driver for the real lccalc (form/test/window_test.py),
as a user and a screen reader meet it: a row a run, on a private D-Bus
session and display, with Qt's accessibility bridge on, read through
AT-SPI. The set-ups:
  xvfb     a bare X server; keys and clicks through xdotool;
  openbox  the same under a real window manager, whose title bar, size
           hints, icons, close button and focus are the user's;
  weston   a Wayland compositor, headless, so with no keyboard: text, clicks
           and a report's button through the accessibility bus, as an
           assistive tool does them.
Besides form/'s fields, each look reports what the display shows of the
window (its class, hints, icons; the report's owner and place) and, at the
end, what Qt's platform plugin wrote to standard error.

Usage: driver.py SETUP LCCALC < row.json  ($LC_PRELOAD: a library to preload;
$LC_SCREENSHOT: where xvfb leaves the window of the row "7 MHz")"""
import contextlib
import json
import os
import re
import subprocess
import sys
import time

from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../scripts"))
from desktop import (lccalc_environment, private_display, private_session, start_accessibility,  # noqa: E402
                     visible_windows, wait_for, xdotool)

SETUP, LCCALC = sys.argv[1:3]
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../form/test/form.json"),
          encoding="utf-8") as pinned:
    FORM = json.load(pinned)["window"]
TITLE = FORM["title"]
X11 = SETUP != "weston"
KEYS = {"Tab": "Tab", "Shift+Tab": "shift+Tab", "Return": "Return", "Enter": "KP_Enter", "Space": "space",
        "Escape": "Escape", "Ctrl+C": "ctrl+c"}
announced = []


def pump():
    """Lets AT-SPI deliver what it has queued (the announcements)."""
    while GLib.MainContext.default().iteration(False):
        pass


def until(what, probe, timeout=20.0):
    return wait_for(what, lambda: (pump(), probe())[1], timeout)


def soon(what, probe):
    """Waits up to 10 s for probe() and goes on either way: the next look
    shows what there is."""
    with contextlib.suppress(AssertionError):
        until(what, probe, 10)


def descendants(node):
    for child in node or []:
        if child is not None:
            yield child
            yield from descendants(child)


def has(node, state):
    return node.getState().contains(state)


def frame():
    for app in pyatspi.Registry.getDesktop(0):
        for node in app or []:
            if node is not None and node.name == TITLE and node.getRole() == pyatspi.ROLE_FRAME:
                return node
    return None


def report():
    for app in pyatspi.Registry.getDesktop(0):
        for node in descendants(app):
            if node.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and node.name == TITLE:
                return node
    return None


def controls(window):
    """form/'s name of each control, and its node."""
    nodes = list(descendants(window))
    found = {}
    for c in FORM["controls"]:
        if c["kind"] == "TextBox":
            found[c["name"]] = next(n for n in nodes if ROLES.get(n.getRole()) == "Text")
        elif c["kind"] == "ResultLabel":
            caption = next(n for n in nodes if n.getRole() == pyatspi.ROLE_LABEL and n.name == c["caption"])
            found[c["name"]] = next(r.getTarget(0) for r in caption.getRelationSet()
                                    if r.getRelationType() == pyatspi.RELATION_LABEL_FOR)
        else:
            role = {"PushButton": pyatspi.ROLE_PUSH_BUTTON, "CaptionLabel": pyatspi.ROLE_LABEL}.get(c["kind"])
            found[c["name"]] = next(n for n in nodes if n.name == c["text"] and (role is None or n.getRole() == role))
    return found


def text_of(node):
    try:
        return node.queryText().getText(0, -1)
    except NotImplementedError:
        return node.name


def value_at(seen, path):
    for part in path.split("."):
        seen = seen.get(part, "(not reported)") if isinstance(seen, dict) else "(not reported)"
    return seen


def xprop(*args):
    return subprocess.run(["xprop", *args], capture_output=True, text=True).stdout


def centre(wid):
    geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", wid).split())
    return [int(geometry["X"]) + int(geometry["WIDTH"]) // 2, int(geometry["Y"]) + int(geometry["HEIGHT"]) // 2]


class Row:
    def __init__(self, program, manager):
        self.program, self.manager = program, manager
        self.window = until("the window on the accessibility bus", frame)
        self.nodes = controls(self.window)
        self.wid = until("the window to be mapped", lambda: visible_windows(TITLE))[0] if X11 else None
        self.focus()
        if X11:  # keys typed before Qt has given the box the focus would be lost
            until("the focus in the box", lambda: has(self.nodes["F"], pyatspi.STATE_FOCUSED))

    def focus(self):
        """With no window manager, the window has the keyboard only when given it."""
        if X11 and not self.manager and self.program.poll() is None and report() is None:
            xdotool("windowfocus", "--sync", self.wid)

    def at(self, name):
        x, y, width, height = self.nodes[name].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return x + width // 2, y + height // 2

    def typed(self, text):
        """The box's text once `text` is typed over its selection or at its caret."""
        box = self.nodes["F"].queryText()
        start, end = box.getSelection(0) if box.getNSelections() else (box.caretOffset,) * 2
        old = box.getText(0, -1)
        return (old[:start] + text + old[end:])[:FORM["maxFrequencyLength"]]

    def type(self, text):
        if not X11:
            self.nodes["F"].queryEditableText().setTextContents(self.typed(text))
            return
        # Qt's accessibility bridge holds each key until the registry has
        # answered it, a click not: a click right after the keys would take
        # the focus from the box before the last of them arrive. A user sees
        # the characters appear first; so does the driver (and, where they
        # never appear, the look shows it).
        want = self.typed(text)
        xdotool("type", "--delay", "20", text)
        soon("the typed text in the box", lambda: self.nodes["F"].queryText().getText(0, -1) == want)

    def press(self, keys):
        if X11:
            xdotool("key", "--clearmodifiers", KEYS[keys])
        elif (alert := report()) is not None:  # its one button, as Return, Space or Escape
            next(n for n in descendants(alert) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON).queryAction().doAction(0)
        else:
            raise SystemExit(f"{keys} on Wayland: there is no keyboard")

    def click(self, name):
        if X11:
            # (No --sync: it would wait for a move where the pointer is there already.)
            xdotool("mousemove", *self.at(name), "click", 1)
        else:
            self.nodes[name].queryAction().doAction(0)

    def select(self, name, start, end):
        if X11:  # by the keyboard, after the keys before it: the box's whole text
            if (name, start, end) != ("F", 0, -1):
                raise SystemExit(f"no selection of {name} {start}..{end} on X")
            self.click(name)
            xdotool("key", "--clearmodifiers", "ctrl+a")
            box = self.nodes[name].queryText()
            soon("the box's text selected (see type())", lambda: not box.getText(0, -1) or (
                box.getNSelections() and box.getSelection(0) == (0, len(box.getText(0, -1)))))
            return
        text = self.nodes[name].queryText()
        self.nodes[name].queryComponent().grabFocus()
        text.setSelection(0, start, len(text.getText(0, -1)) if end < 0 else end)

    def close(self):
        subprocess.run(["wmctrl", "-i", "-c", self.wid], check=True)

    def away(self):
        """Another window takes the focus, then gives it back."""
        xdotool("windowminimize", "--sync", self.wid)
        until("the window to lose the focus", lambda: not has(self.window, pyatspi.STATE_ACTIVE), 5)
        subprocess.run(["wmctrl", "-i", "-a", self.wid], check=True)

    def look(self, expected):
        """The observation, once it shows what form/ expects (`expected`, a
        flattened observation's paths and values), or as it is after 10 s:
        what a click does shows a moment after it."""
        deadline = time.monotonic() + 10
        while True:
            pump()
            if X11 and not self.manager and self.program.poll() is None:
                with contextlib.suppress(Exception):
                    if report() is None and not has(self.window, pyatspi.STATE_ACTIVE):
                        self.focus()
            try:
                seen = self.observe()
            except Exception:  # what it read went meanwhile (the window, as lccalc ends)
                seen = None
            if seen and all(value_at(seen, p) == v for p, v in expected.items()):
                break
            if time.monotonic() > deadline:
                seen = seen or self.observe()
                break
            time.sleep(0.1)
        announced.clear()
        return seen

    def observe(self):
        if self.program.poll() is not None:
            seen = {"running": False, "status": self.program.returncode}
        else:
            seen = self.controls_seen()
        if X11:  # (weston's headless compositor makes no notification heard)
            seen["announced"] = announced[:]
        return seen

    def controls_seen(self):
        origin = self.window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        seen = {"running": True, "menu": None,
                "window": {"title": self.window.name, "size": [origin.width, origin.height],
                           "role": ROLES.get(self.window.getRole(), "other")},
                "controls": {}, "report": None}
        for name, node in self.nodes.items():
            x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            seen["controls"][name] = {
                "text": text_of(node), "rect": [x - origin.x, y - origin.y, width, height],
                "focusable": has(node, pyatspi.STATE_FOCUSABLE), "enabled": has(node, pyatspi.STATE_ENABLED),
                "focused": has(node, pyatspi.STATE_FOCUSED), "name": node.name, "description": node.description,
                "role": ROLES.get(node.getRole(), "other"),
                "labelledBy": [r.getTarget(i).name for r in node.getRelationSet()
                               if r.getRelationType() == pyatspi.RELATION_LABELLED_BY for i in range(r.getNTargets())]}
        if (alert := report()) is not None:
            inside = list(descendants(alert))
            seen["report"] = {
                "title": alert.name, "role": ROLES.get(alert.getRole(), "other"),
                "lines": [line for n in inside if n.getRole() == pyatspi.ROLE_LABEL for line in n.name.split("\n") if line],
                "buttons": [n.name for n in inside if n.getRole() == pyatspi.ROLE_PUSH_BUTTON],
                "focused": any(has(n, pyatspi.STATE_FOCUSED) for n in inside)}
        if X11:
            seen["window"].update(self.display(seen["report"]))
        return seen

    def display(self, shown_report):
        """What the X display shows of the window, and of the report where one is up."""
        props = xprop("-id", self.wid, "WM_NAME", "_NET_WM_NAME", "WM_CLASS", "WM_NORMAL_HINTS", "_NET_WM_ALLOWED_ACTIONS")
        hints = dict(re.findall(r"program specified (\w+) size: (.*)", props))
        title = re.search(r'_NET_WM_NAME\(UTF8_STRING\) = "(.*)"', props).group(1)
        # The title is the title bar's; the accessible name must be the same.
        said = {"title": title, "nameIsTitle": self.window.name == title,
                "x11Class": re.search(r"WM_CLASS\(STRING\) = (.*)", props).group(1),
                "fixedSize": hints.get("minimum") == hints.get("maximum") is not None,
                "actions": sorted(re.findall(r"_NET_WM_ACTION_(\w+)", props)),
                "icons": re.findall(r"Icon \((\d+) x \d+\)", xprop("-id", self.wid, "_NET_WM_ICON"))}
        if shown_report:
            box = until("the report's X window", lambda: [w for w in visible_windows(TITLE) if w != self.wid])[0]
            owner = re.search(r"window id # (0x[0-9a-f]+)", xprop("-id", box, "WM_TRANSIENT_FOR"))
            (x, y), (x0, y0) = centre(box), centre(self.wid)
            said["report"] = {"transientForTheWindow": bool(owner) and int(owner.group(1), 16) == int(self.wid),
                              "centred": abs(x - x0) <= 20 and abs(y - y0) <= 40}
        return said


def run(said):
    # Only the set-up's display: AT-SPI would look for its bus on an X one first.
    for key in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"):
        os.environ.pop(key, None)
    with contextlib.ExitStack() as ending:
        ending.enter_context(private_session())
        helper = None  # the window manager or the compositor
        if X11:
            display = {"DISPLAY": ending.enter_context(private_display())}
            os.environ.update(display)
            if SETUP == "openbox":
                helper = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
        else:
            display = {"WAYLAND_DISPLAY": f"lccalc-driver-{os.getpid()}"}
            helper = subprocess.Popen(["weston", "--backend=headless-backend.so", f"--socket={display['WAYLAND_DISPLAY']}",
                                       "--idle-time=0", "--width=640", "--height=400"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if helper is not None:
            ending.callback(lambda: (helper.kill(), helper.wait()))
        if SETUP == "openbox":
            until("openbox to manage the screen", lambda: "window id" in xprop("-root", "_NET_SUPPORTING_WM_CHECK"))
        elif not X11:
            until("weston's socket", lambda: os.path.exists(os.path.join(os.environ["XDG_RUNTIME_DIR"],
                                                                         display["WAYLAND_DISPLAY"])))
        start_accessibility()
        # AT-SPI keeps the first accessibility bus it finds: imported once this
        # session's is up. Roles by its constants, whose names differ by release.
        global pyatspi, ROLES
        import pyatspi
        ROLES = {pyatspi.ROLE_TEXT: "Text", pyatspi.ROLE_ENTRY: "Text", pyatspi.ROLE_PUSH_BUTTON: "Button",
                 pyatspi.ROLE_LABEL: "Label", pyatspi.ROLE_PANEL: "Panel", pyatspi.ROLE_FRAME: "Frame",
                 pyatspi.ROLE_NOTIFICATION: "Notification", pyatspi.ROLE_ALERT: "Alert",
                 pyatspi.ROLE_DIALOG: "Dialog"}
        pyatspi.Registry.registerEventListener(
            lambda e: e.detail1 and e.source.getRole() == pyatspi.ROLE_NOTIFICATION and announced.append(e.source.name),
            "object:state-changed:showing")
        program = subprocess.Popen([LCCALC], env=lccalc_environment(display, os.environ.get("LC_PRELOAD")),
                                   stderr=subprocess.PIPE, text=True)
        observations = []
        try:
            row = Row(program, helper if SETUP == "openbox" else None)
            expected = iter(said.get("expected", []))
            for verb, *args in said["steps"]:
                if verb == "look":
                    observations.append(row.look(next(expected, {})))
                    if said.get("row") == "7 MHz" and SETUP == "xvfb" and os.environ.get("LC_SCREENSHOT"):
                        x, y, width, height = row.window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                        subprocess.run(["/usr/bin/import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                                        os.environ["LC_SCREENSHOT"]], check=True)
                else:
                    getattr(row, verb)(*args)
        finally:
            failed = program.poll() not in (None, 0)  # not ended here, and not well
            if program.poll() is None:
                program.kill()
            errors = program.communicate()[1]
        # What Qt's platform plugin complained of (a display it cannot use well),
        # and all it said where it failed. (Qt's accessibility bridge may note a
        # screen reader's late answer to a key: no user meets that.)
        observations[-1]["errors"] = [line for line in errors.splitlines() if "qt.qpa" in line or failed]
        return {"observations": observations}


print(json.dumps(run(json.loads(sys.stdin.read())), ensure_ascii=False))
