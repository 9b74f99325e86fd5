# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""End-to-end tests of the real lccalc binary, seen as a screen reader sees it.

Each set-up gets a private session (a D-Bus session bus, and with it the
accessibility bus) and display; lccalc starts there with Qt's accessibility
bridge on, is walked through once as a user would (type 7, OK, an overflow
and its report, the end), and is read through AT-SPI on the way. Each test
then checks one thing that walk saw. The set-ups:
  xvfb     a bare X server; keys and clicks through xdotool;
  openbox  the same under a real window manager, which must show the title,
           offer no maximise, keep the size, close the program with status 0
           and give the focus back where it was;
  weston   a Wayland compositor (headless, so with no keyboard to focus);
           typing and clicks through the accessibility bus, and no error of
           Qt's Wayland plugin.
The texts and places expected are form/'s (the `form` fixture)."""
import contextlib
import multiprocessing
import os
import subprocess
import traceback

import pyatspi
import pytest

from desktop import private_display, private_session, start_accessibility, visible_windows, wait_for, xdotool

# A single-line text box is a "text" before AT-SPI 2.50 and an "entry" after.
TEXT_ROLES = (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)
ROLES = {"TextBox": pyatspi.ROLE_TEXT, "PushButton": pyatspi.ROLE_PUSH_BUTTON,
         "CaptionLabel": pyatspi.ROLE_LABEL}


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def role(node):
    return pyatspi.ROLE_TEXT if node.getRole() in TEXT_ROLES else node.getRole()


def find_frame(title):
    for app in pyatspi.Registry.getDesktop(0):
        for frame in app or []:
            if frame is not None and frame.name == title and frame.getRole() == pyatspi.ROLE_FRAME:
                return frame
    return None


def find_alert(title):
    for app in pyatspi.Registry.getDesktop(0):
        for node in descendants(app):
            if node.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and node.name == title:
                return node
    return None


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return []


def focused(node):
    return node.getState().contains(pyatspi.STATE_FOCUSED)


def in_child(work, *args):
    """What work(*args) returns, run in a process of its own: AT-SPI keeps
    the first accessibility bus it finds for the life of a process, and each
    set-up has a bus of its own."""
    context = multiprocessing.get_context("fork")
    reader, writer = context.Pipe(duplex=False)

    def child():
        try:
            writer.send((True, work(*args)))
        except BaseException:
            writer.send((False, traceback.format_exc()))

    process = context.Process(target=child)
    process.start()
    writer.close()
    try:
        done, value = reader.recv()
    except EOFError:
        done, value = False, "the test's process ended without a word"
    process.join()
    if not done:
        pytest.fail(value, pytrace=False)
    return value


def results_of(click):
    return {name: click[name] for name in ("L", "C", "LL")}


def xprop(*args):
    return subprocess.run(["xprop", *args], capture_output=True, text=True).stdout


class X11:
    """Keys and clicks as a user's, through the X server."""
    wayland = False

    def __init__(self, window_manager, title):
        self.window_manager = window_manager
        self.title = title

    def window_id(self):
        return wait_for("the window to be mapped", lambda: visible_windows(self.title))[0]

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
def display_of(name, title):
    """The display of one set-up: yields its driver and environment."""
    if name == "weston":
        socket = f"lccalc-e2e-{os.getpid()}"
        compositor = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", f"--socket={socket}", "--idle-time=0",
             "--width=640", "--height=400"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_for("weston's socket",
                     lambda: os.path.exists(os.path.join(os.environ["XDG_RUNTIME_DIR"], socket)))
            # (AT-SPI would look for the bus on an X display first.)
            os.environ.pop("DISPLAY", None)
            yield Wayland(False, title), {"WAYLAND_DISPLAY": socket}
        finally:
            compositor.kill()
            compositor.wait()
        return
    with private_display() as display:
        os.environ["DISPLAY"] = display
        manager = None
        if name == "openbox":
            manager = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.PIPE,
                                       stderr=subprocess.STDOUT, text=True)

            # Fails at once, with what openbox said, where it has ended.
            wait_for("openbox to manage the screen",
                     lambda: xprop("-root", "_NET_SUPPORTING_WM_CHECK").count("window id"),
                     interrupt=lambda: manager.poll() is not None and f"openbox ended: {manager.stdout.read()!r}")
        try:
            yield X11(name == "openbox", title), {"DISPLAY": display}
        finally:
            if manager is not None:
                manager.kill()
                manager.wait()


def window_manager_view(driver):
    """What the window manager shows of the window and offers for it."""
    wid = driver.window_id()
    props = xprop("-id", wid, "_NET_WM_NAME", "WM_NORMAL_HINTS", "_NET_WM_ALLOWED_ACTIONS", "WM_CLASS")
    hints = {line.split(":")[0].strip(): line.split(":")[1].strip()
             for line in props.splitlines() if "size:" in line}
    icons = wait_for("the window's icon", lambda: xprop("-id", wid, "_NET_WM_ICON").count("Icon ("))
    return dict(props=props, minimum=hints.get("program specified minimum size"),
                maximum=hints.get("program specified maximum size"), icons=icons)


def report_placement(title):
    """Whom the report is transient for, and its centre and the window's."""
    found = wait_for("the report's window beside the window",
                     lambda: (lambda ids: ids if len(ids) == 2 else None)(visible_windows(title)))
    owners = {wid: xprop("-id", wid, "WM_TRANSIENT_FOR") for wid in found}
    report = [wid for wid, owner in owners.items() if "window id #" in owner]
    if len(report) != 1:
        return dict(owners=owners)
    window = next(wid for wid in found if wid != report[0])

    def centre(wid):
        shell = xdotool("getwindowgeometry", "--shell", wid)
        geometry = dict(line.split("=") for line in shell.split())
        return (int(geometry["X"]) + int(geometry["WIDTH"]) // 2,
                int(geometry["Y"]) + int(geometry["HEIGHT"]) // 2)

    return dict(owners=owners, owner=int(owners[report[0]].split("#")[1], 16), window=int(window),
                centres=(centre(report[0]), centre(window)))


@pytest.fixture(scope="module", params=["xvfb", "openbox", "weston"])
def walk(request, build, form, lccalc):
    """lccalc in one set-up, walked through once: what was seen, by name."""
    return in_child(walk_through, request.param, build, form, lccalc)


def walk_through(setup_name, build, form, lccalc):
    title, seen = form["title"], {"setup": setup_name}
    clicks = form["clicks"]["."]
    reports = {"unexpected": False}

    def alert_text():
        alert = find_alert(title) if reports["unexpected"] else None
        return alert and f"a report no test expected: {[node.name for node in descendants(alert) if node.name]}"

    def until(what, probe, timeout=20.0):
        return wait_for(what, probe, timeout, interrupt=alert_text)

    with private_session(), display_of(setup_name, title) as (driver, display):
        start_accessibility()
        with lccalc(display) as program:
            window = until("the window on the accessibility bus", lambda: find_frame(title))
            reports["unexpected"] = True
            nodes = list(descendants(window))
            origin = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            by_name = {}
            for node in nodes:
                by_name.setdefault((role(node), node.name), node)
            seen["controls"] = {}
            for (node_role, name), node in by_name.items():
                x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                seen["controls"][(int(node_role), name)] = [x - origin.x, y - origin.y, width, height]
            # The result labels, found through the captions that label them.
            results = {}
            for node in nodes:
                for relation in node.getRelationSet():
                    if relation.getRelationType() == pyatspi.RELATION_LABEL_FOR:
                        results[node.name] = relation.getTarget(0)
            seen["captioned"] = sorted(results)

            def shown():
                return {c["name"]: results[c["caption"]].name for c in form["controls"]
                        if c["kind"] == "ResultLabel"}

            seen["at_start"] = shown()
            box = next(node for (node_role, _), node in by_name.items() if node_role == pyatspi.ROLE_TEXT)
            buttons = {name: node for (node_role, name), node in by_name.items()
                       if node_role == pyatspi.ROLE_PUSH_BUTTON}
            ok, close = (buttons[c["text"]] for c in form["controls"] if c["kind"] == "PushButton")
            if not driver.wayland:  # weston's headless back end has no keyboard to focus
                driver.give_focus()
                until("the focus in the frequency box", lambda: focused(box))
            if driver.window_manager:
                seen["window_manager"] = window_manager_view(driver)

            # Type 7, press OK, read the results and the captions they are heard with.
            driver.type(box, "7")
            until("the typed 7", lambda: box.queryText().getText(0, -1) == "7")
            driver.click(ok)
            seen["for_7"] = until("the results for 7 MHz",
                                  lambda: shown() if shown() == results_of(clicks["7"]) else None)
            seen["labelled_by"] = {node.name: labelled_by(node) for node in results.values()}
            seen["descriptions"] = {node.name: node.description for node in results.values()}
            seen["hint"] = box.description
            if build.screenshot and setup_name == "xvfb":
                crop = f"{origin.width}x{origin.height}+{origin.x}+{origin.y}"
                subprocess.run(["/usr/bin/import", "-window", "root", "-crop", crop, build.screenshot],
                               check=True)

            # An overflow is reported in an alert; once dismissed the window
            # goes on, with the focus back on OK.
            if driver.window_manager:
                # Away from the screen's centre, where a report without its
                # window would be put too.
                xdotool("windowmove", "--sync", driver.window_id(), 0, 0)
            driver.type(box, "1E+150")
            until("the typed 1E+150", lambda: box.queryText().getText(0, -1) == "1E+150")
            reports["unexpected"] = False
            driver.click(ok)
            alert = until("the error alert", lambda: find_alert(title))
            if driver.window_manager:
                seen["placement"] = report_placement(title)
            seen["report"] = [node.name for node in descendants(alert)]
            driver.dismiss(alert)
            until("the alert to go", lambda: find_alert(title) is None)
            reports["unexpected"] = True
            seen["running_after_report"] = program.poll() is None
            seen["after_report"] = shown()
            if driver.window_manager:
                seen["focus_after_report"] = wait_for("the focus back on OK after the report",
                                                      lambda: focused(ok), timeout=5)
                # Another window takes the focus and gives it back: OK has it again.
                wid = driver.window_id()
                xdotool("windowminimize", "--sync", wid)
                until("the window to lose the focus", lambda: not focused(ok), timeout=5)
                subprocess.run(["wmctrl", "-i", "-a", wid], check=True)
                seen["focus_after_reactivation"] = wait_for(
                    "the focus back on OK after reactivation", lambda: focused(ok), timeout=5)
                # The window manager's close ends the program as Exit does.
                subprocess.run(["wmctrl", "-i", "-c", wid], check=True)
            else:
                driver.click(close)
            try:
                seen["status"] = program.wait(timeout=20)
            except subprocess.TimeoutExpired:
                seen["status"] = None
        seen["errors"] = program.errors
    return seen


def test_controls_have_their_roles_names_and_places(walk, form):
    for control in form["controls"]:
        if control["kind"] in ROLES:
            name = control.get("caption", control["text"])
            rect = [control[k] for k in ("left", "top", "width", "height")]
            assert walk["controls"].get((int(ROLES[control["kind"]]), name)) == rect, name


def test_captions_label_the_results(walk, form):
    assert walk["captioned"] == sorted(c["caption"] for c in form["controls"] if c["kind"] == "ResultLabel")


def test_results_are_blank_at_start(walk):
    assert set(walk["at_start"].values()) == {""}


def test_results_are_named_by_their_captions_only(walk, form):
    captions = {c["name"]: c["caption"] for c in form["controls"] if c["kind"] == "ResultLabel"}
    shown = walk["for_7"]
    assert walk["labelled_by"] == {shown[name]: [caption] for name, caption in captions.items()}
    assert set(walk["descriptions"].values()) == {""}


def test_box_describes_what_was_read(walk, form):
    assert walk["hint"] == form["clicks"]["."]["7"]["hint"]


def test_overflow_is_reported(walk, form):
    click = form["clicks"]["."]["1E+150"]
    assert click["errorName"] in " ".join(walk["report"])


def test_window_goes_on_after_a_report(walk, form):
    assert walk["running_after_report"]
    assert walk["after_report"] == results_of(form["clicks"]["."]["1E+150"])


def test_program_ends_with_status_0(walk):
    assert walk["status"] == 0


def test_qt_platform_plugin_reports_no_errors(walk):
    assert "qt.qpa" not in walk["errors"]


# What a window manager shows and does: the tests of it in its set-up only.
window_managed = pytest.mark.parametrize("walk", ["openbox"], indirect=True)


@window_managed
def test_title_bar_shows_the_title(walk, form):
    assert f'_NET_WM_NAME(UTF8_STRING) = "{form["title"]}"' in walk["window_manager"]["props"]


@window_managed
def test_window_keeps_its_size(walk, form):
    seen = walk["window_manager"]
    assert seen["minimum"] == seen["maximum"] == f"{form['width']} by {form['height']}"


@window_managed
def test_window_offers_close_but_no_maximise(walk):
    props = walk["window_manager"]["props"]
    assert "_NET_WM_ACTION_MAXIMIZE" not in props and "_NET_WM_ACTION_CLOSE" in props


@window_managed
def test_window_is_the_desktop_entrys(walk, desktop_entry):
    """A task bar matches the window to the menu's entry by its class."""
    assert f', "{desktop_entry["StartupWMClass"]}"' in next(line for line in walk["window_manager"]["props"].splitlines()
                                     if line.startswith("WM_CLASS"))


@window_managed
def test_title_bar_has_16_and_32_pixel_icons(walk):
    assert walk["window_manager"]["icons"] == 2


@window_managed
def test_report_is_transient_for_the_window_and_centred_on_it(walk):
    placement = walk["placement"]
    assert placement.get("owner") == placement.get("window"), placement["owners"]
    (x, y), (x0, y0) = placement["centres"]
    assert abs(x - x0) <= 20 and abs(y - y0) <= 40, placement["centres"]


@window_managed
def test_focus_returns_to_ok(walk):
    assert walk["focus_after_report"]
    assert walk["focus_after_reactivation"]


def test_comma_locale_shows_commas(form, lccalc):
    """In a comma-decimal language the results show commas."""
    in_child(walk_with_commas, form, lccalc)


def walk_with_commas(form, lccalc):
    title = form["title"]
    with private_session(), display_of("xvfb", title) as (driver, display):
        start_accessibility()
        with lccalc(display, "ru_RU.UTF-8") as program:
            window = wait_for("the window in ru_RU.UTF-8", lambda: find_frame(title))
            nodes = list(descendants(window))
            box = next(n for n in nodes if n.getRole() in TEXT_ROLES)
            buttons = {n.name: n for n in nodes if n.getRole() == pyatspi.ROLE_PUSH_BUTTON}
            ok, close = (buttons[c["text"]] for c in form["controls"] if c["kind"] == "PushButton")
            driver.type(box, "144")
            wait_for("the typed 144", lambda: box.queryText().getText(0, -1) == "144")
            driver.click(ok)
            wavelength = form["clicks"][","]["144"]["LL"]
            wait_for(f"{wavelength} in the window", lambda: any(n.name == wavelength for n in descendants(window)))
            driver.click(close)
            assert program.wait(timeout=20) == 0, "Exit in ru_RU.UTF-8 did not end the program with 0"
    assert "qt.qpa" not in program.errors
