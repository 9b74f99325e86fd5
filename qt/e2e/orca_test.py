# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""What a blind user hears: the real lccalc in front of the real Orca screen
reader, headless, with Orca's speech captured as text.

Run with Debian's python3. For each locale it makes a session of its own
(a D-Bus session bus in a private folder, which is also the home), starts
Xvfb, lccalc with Qt's accessibility bridge on, and Orca with its own
settings folder, whose customisation writes every utterance to a file; then
it drives the window with xdotool and checks what was spoken. No sound is
needed: without a sound card Orca still records every utterance.

Usage: orca_test.py --binary LCCALC --transcript FILE [--preload LIBRARY]
"""
import argparse
import os
import subprocess
import sys
import time

from desktop import end_group, private_display, private_session
from e2e_test import check, failures, preloaded, visible_windows, wait_for, xdotool

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

    def wait_for(self, what, probe, timeout=15.0):
        """Waits until `probe` holds for what was said since the last call,
        then for Orca to be quiet for 0.4 s; returns what was said."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            said = self.lines()[self.seen:]
            if probe(" ".join(said)):
                break
            time.sleep(0.1)
        else:
            check(False, f"Orca did not say {what}; it said {self.lines()[self.seen:]}")
        while True:  # quiet for 0.4 s
            count = len(self.lines())
            time.sleep(0.4)
            if len(self.lines()) == count:
                break
        said = " ".join(self.lines()[self.seen:])
        self.seen = len(self.lines())
        return said


def run(binary, locale, transcript, preload):
    expected = {
        "C.UTF-8": dict(text="text", button="button", separator="."),  # "push button" before Orca 48
        "ru_RU.UTF-8": dict(text="текст", button="кнопка", separator=","),
    }[locale]
    sep = expected["separator"]
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
        orca = subprocess.Popen(["orca", "-u", settings], start_new_session=True,
                                env=dict(env, PATH=tools + os.pathsep + env["PATH"]),
                                stdout=orca_output, stderr=subprocess.STDOUT)
        program = None
        try:
            # Orca's first start on a new system compiles and caches more, and
            # the machine may be busy: a wait for a condition, not a time.
            speech.wait_for("that it is on", lambda said: "Screen reader on" in said or "включено" in said,
                            timeout=60.0)
            program = subprocess.Popen([binary], env=preloaded(env, preload))
            wid = wait_for("the window", lambda: visible_windows(env))[0]
            os.environ["DISPLAY"] = display
            # With no window manager Orca hears nothing until the window has the focus.
            xdotool("windowfocus", "--sync", wid)
            said = speech.wait_for("the frequency box", lambda said: "Частота, МГц" in said)
            check(expected["text"] in said, f"the box was announced as {said!r}")

            xdotool("type", "--delay", "50", "7")
            speech.wait_for("the typed 7", lambda said: "7" in said)
            xdotool("key", "Tab")
            said = speech.wait_for("OK", lambda said: "OK" in said)
            check(expected["button"] in said, f"OK was announced as {said!r}")
            xdotool("key", "space")
            results = (f"L, мкГн 6{sep}03714243212803; C, пФ 85{sep}7142857142858; "
                       f"W, М 42{sep}8571428571429")
            said = speech.wait_for("the results", lambda said: results in said)
            check(said.count(results) == 1, f"the results were said {said.count(results)} times")

            xdotool("key", "Tab")
            said = speech.wait_for("Exit", lambda said: "Exit" in said)
            check(expected["button"] in said, f"Exit was announced as {said!r}")

            # An overflow: the report is read, then what the click reached.
            xdotool("key", "Tab")
            speech.wait_for("the box again", lambda said: "Частота, МГц" in said)
            xdotool("key", "ctrl+a")
            xdotool("type", "--delay", "50", "1E+150")
            speech.wait_for("the typed frequency", lambda said: "'0" in said)
            xdotool("key", "Tab", "space")
            said = speech.wait_for("the error report", lambda said: "Переполнение" in said)
            check("Введите другую частоту" in said, f"the report was read as {said!r}")
            xdotool("key", "Return")
            reached = f"C, пФ 6E-148; W, М 3E-148"
            speech.wait_for("what the failed click reached", lambda said: reached in said)
        finally:
            with open(transcript, "a", encoding="utf-8") as out:
                out.write(f"== {locale}\n" + "\n".join(speech.lines()) + "\n")
            if failures:  # what Orca itself said went wrong, if anything
                orca_output.seek(0)
                print(f"Orca's output ({'running' if orca.poll() is None else 'ended'}):\n"
                      + orca_output.read()[-4000:], flush=True)
            if program is not None:
                program.kill()
                program.wait()
            # Orca's whole session: Orca, and the speech server and helpers it
            # started, which write into the home until they end.
            end_group(orca.pid)
            orca.wait()
            orca_output.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--transcript", required=True)
    parser.add_argument("--preload", help="a library to preload into lccalc")
    args = parser.parse_args()
    open(args.transcript, "w").close()
    for locale in ("C.UTF-8", "ru_RU.UTF-8"):
        run(args.binary, locale, args.transcript, args.preload)
    print(f"transcript: {args.transcript}")
    if failures:
        sys.exit(f"{len(failures)} check(s) failed")
    print("orca: all checks passed")


if __name__ == "__main__":
    main()
