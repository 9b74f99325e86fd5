# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""What a blind user hears: the real lccalc in front of the real Orca screen
reader, headless, with Orca's speech captured as text.

For each language a private session (a D-Bus session bus in a private
folder, which is also the home) and display get lccalc with Qt's
accessibility bridge on, and Orca with its own settings folder, whose
customisation writes every utterance to a file. The window is then driven
with the keyboard through xdotool, once, and each test checks one thing
that Orca said on the way. No sound is needed: without a sound card Orca
still records every utterance. The texts expected are form/'s."""
import os
import subprocess
import time

import pytest

from desktop import (accessible_applications, end_group, private_display, private_session,
                     start_accessibility, visible_windows, wait_for, xdotool)

SETTINGS = """{"general": {"enableSound": false, "enableBraille": false,
 "startingProfile": ["Default", "default"]},
 "profiles": {"default": {"profile": ["Default", "default"]}},
 "pronunciations": {}, "keybindings": {}}"""
# Orca passes each utterance to its debug log as "SPEECH OUTPUT: '...'",
# whether or not that log is on: println in Orca 43 (Debian 12),
# print_message in Orca 48 (Debian 13). This writes those lines to a file.
CUSTOMIZATIONS = """from orca import debug
_speech = open({path!r}, "a", encoding="utf-8")
def _recording(original):
    def record(level, text="", *args, **kwargs):
        if isinstance(text, str) and text.startswith("SPEECH OUTPUT"):
            _speech.write(text.replace("\\n", " ") + "\\n")
            _speech.flush()
        return original(level, text, *args, **kwargs)
    return record
for _name in ("println", "print_message"):
    if hasattr(debug, _name):
        setattr(debug, _name, _recording(getattr(debug, _name)))
"""

class Speech:
    """The utterances Orca has made so far, as its log has them."""

    def __init__(self, path):
        self.path = path
        self.seen = 0

    def lines(self):
        try:
            with open(self.path, encoding="utf-8") as log:
                return [line.strip() for line in log if "SPEECH OUTPUT" in line]
        except FileNotFoundError:
            return []

    def wait_for(self, probe, timeout=15.0):
        """Waits until `probe` holds for what was said since the last call,
        then for Orca to be quiet for 0.4 s; returns what was said."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if probe(" ".join(self.lines()[self.seen:])):
                break
            time.sleep(0.1)
        while True:  # quiet for 0.4 s
            count = len(self.lines())
            time.sleep(0.4)
            if len(self.lines()) == count:
                break
        said = " ".join(self.lines()[self.seen:])
        self.seen = len(self.lines())
        return said


# The two languages, with the words Orca says for a role in each.
LANGUAGES = {
    "C.UTF-8": dict(text="text", button="button", separator="."),  # "push button" before Orca 48
    "ru_RU.UTF-8": dict(text="текст", button="кнопка", separator=","),
}


@pytest.fixture(scope="module", params=LANGUAGES)
def heard(request, build, form, lccalc):
    """What Orca said at each step of one walk through the window in one
    language, by step."""
    locale = request.param
    clicks = form["clicks"][LANGUAGES[locale]["separator"]]
    box = next(c["caption"] for c in form["controls"] if c["kind"] == "TextBox")
    ok, close = (c["text"] for c in form["controls"] if c["kind"] == "PushButton")
    heard = {}
    with private_session() as home, private_display() as display:
        settings = os.path.join(home, "orca")
        os.makedirs(settings)
        log = os.path.join(home, "speech.log")
        with open(os.path.join(settings, "user-settings.conf"), "w") as out:
            out.write(SETTINGS)
        with open(os.path.join(settings, "orca-customizations.py"), "w") as out:
            out.write(CUSTOMIZATIONS.format(path=log))
        env = dict(os.environ, DISPLAY=display, HOME=home, LC_ALL=locale, LANG=locale,
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_RUNTIME_DIR=home)
        env.pop("QT_QPA_PLATFORM", None)
        speech = Speech(log)

        def step(name, probe, *keys, timeout=15.0):
            if keys:
                xdotool(*keys, env=env)
            heard[name] = speech.wait_for(probe, timeout)

        orca_output = open(os.path.join(home, "orca.out"), "w+")
        # Orca refuses to start "for this session" while any process of this
        # user is named orca anywhere on the machine (a screen reader in use,
        # a test run beside this one, a zombie); it asks pgrep. Here it runs
        # in a session of its own, and its pgrep looks in that session only.
        tools = os.path.join(home, "bin")
        os.makedirs(tools)
        with open(os.path.join(tools, "pgrep"), "w") as shim:
            shim.write('#!/bin/sh\nexec /usr/bin/pgrep -s 0 "$@"\n')
        os.chmod(os.path.join(tools, "pgrep"), 0o755)
        # Orca finds the desktop only once the registry is up.
        bus = start_accessibility()
        orca = subprocess.Popen(["orca", "-u", settings], start_new_session=True,
                                env=dict(env, PATH=tools + os.pathsep + env["PATH"]),
                                stdout=orca_output, stderr=subprocess.STDOUT)
        try:
            # Orca's first start on a new system compiles and caches more, and
            # the machine may be busy: a wait for a condition, not a time.
            step("start", lambda said: "Screen reader on" in said or "включено" in said, timeout=60.0)
            if not heard["start"]:
                orca_output.seek(0)
                pytest.fail(f"Orca did not say it is on; its output "
                            f"({'running' if orca.poll() is None else 'ended'}):\n"
                            + orca_output.read()[-4000:], pytrace=False)
            with lccalc({"DISPLAY": display}, locale, HOME=home, LANG=locale, XDG_RUNTIME_DIR=home):
                wid = wait_for("the window", lambda: visible_windows(form["title"], env))[0]
                # A focus given before the program's accessibility bridge is up
                # is never told to Orca.
                wait_for("lccalc on the accessibility bus", lambda: "lccalc" in accessible_applications(bus))
                # With no window manager Orca hears nothing until the window has the focus.
                step("box", lambda said: box in said, "windowfocus", "--sync", wid)
                step("typed", lambda said: "7" in said, "type", "--delay", "50", "7")
                step("ok", lambda said: ok in said, "key", "Tab")
                step("results", lambda said: clicks["7"]["announcement"] in said, "key", "space")
                step("exit", lambda said: close in said, "key", "Tab")
                # An overflow: the report is read, then what the click reached.
                step("box again", lambda said: box in said, "key", "Tab")
                xdotool("key", "ctrl+a", env=env)
                step("typed frequency", lambda said: "'0" in said, "type", "--delay", "50", "1E+150")
                step("report", lambda said: clicks["1E+150"]["errorName"] in said, "key", "Tab", "space")
                step("reached", lambda said: clicks["1E+150"]["announcement"] in said, "key", "Return")
        finally:
            with open(f"{build.transcript}.{locale}", "w", encoding="utf-8") as out:
                out.write("\n".join(speech.lines()) + "\n")
            # Orca's whole session: Orca, and the speech server and helpers it
            # started, which write into the home until they end.
            end_group(orca.pid)
            orca.wait()
            orca_output.close()
    return dict(heard, role=LANGUAGES[locale], clicks=clicks)


def said(heard, step, text):
    assert text in heard[step], f"Orca did not say {text!r}; it said {heard[step]!r}"
    return heard[step]


def test_box_is_announced_with_its_caption_and_role(heard, form):
    box = next(c["caption"] for c in form["controls"] if c["kind"] == "TextBox")
    said(heard, "box", box)
    said(heard, "box", heard["role"]["text"])


def test_typed_digits_are_echoed(heard):
    said(heard, "typed", "7")
    said(heard, "typed frequency", "'0")


def test_tab_from_exit_returns_to_the_box(heard, form):
    said(heard, "box again", next(c["caption"] for c in form["controls"] if c["kind"] == "TextBox"))


def test_buttons_are_announced_with_their_role(heard, form):
    for step, text in zip(("ok", "exit"), (c["text"] for c in form["controls"] if c["kind"] == "PushButton")):
        said(heard, step, text)
        said(heard, step, heard["role"]["button"])


def test_results_are_said_once_after_a_click(heard):
    results = heard["clicks"]["7"]["announcement"]
    assert said(heard, "results", results).count(results) == 1


def test_report_is_read(heard):
    said(heard, "report", heard["clicks"]["1E+150"]["errorName"])
    said(heard, "report", heard["clicks"]["1E+150"]["errorDetail"].rstrip("."))


def test_what_a_failed_click_reached_is_said_after_the_report(heard):
    said(heard, "reached", heard["clicks"]["1E+150"]["announcement"])
