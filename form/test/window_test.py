# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""Every front-end held to one table of what a user does (scenarios.py).

A front-end's driver does a row's steps and reports, at each look, the whole
observation: the window, each control, the report, the open menu, what a
screen reader was told, the clipboard. The model below derives from form/
what the user must meet at that moment, and each of its fields is compared;
every other field the driver reports is compared with the front-end's
reviewed snapshot (snapshots/DRIVER.json: the start whole, every other look
as its changes from it). A front-end's real differences are declared once,
in scenarios.ALLOWED, and are then pinned by its snapshot instead.

form/'s own words are pinned too, in form.json: the window's description
and what a click of each typed text in the table shows, as lc_form_facts
gives them. The model takes them from there, so a word changed in form/
fails here before any front-end is compared with it.

  pytest form/test/window_test.py --driver qt-offscreen [-k ROW] [--update-snapshots]
(--update-snapshots writes what was seen into form.json and the snapshot,
for review as a diff.)"""
import fnmatch
import json
import os
import re
import select
import subprocess

import pytest

from scenarios import ALLOWED, ROWS

HERE = os.path.dirname(os.path.abspath(__file__))
PINNED = os.path.join(HERE, "form.json")
RESULTS = ("L", "C", "LL")
ELLIPSIS = "…"


def pytest_generate_tests(metafunc):
    if "row" in metafunc.fixturenames:
        metafunc.parametrize("row", list(ROWS))


@pytest.fixture(scope="session")
def pinned():
    with open(PINNED, encoding="utf-8") as file:
        return json.load(file)


def conditions(row):
    """A row's steps and conditions: (steps, locale, scheme)."""
    entry = ROWS[row]
    steps = entry["steps"] if isinstance(entry, dict) else entry
    extra = entry if isinstance(entry, dict) else {}
    steps = [list(step) for step in steps]
    if not steps or steps[-1] != ["look"]:
        steps.append(["look"])
    return steps, extra.get("locale", "C.UTF-8"), extra.get("scheme", "light")


def separator(locale):
    return "," if locale.startswith("ru") else "."


def key(typed):
    """A typed text as form.json names it: a long one by its start and length."""
    return typed if len(typed) <= 40 else f"{typed[:20]}{ELLIPSIS}({len(typed)} characters)"


class Model:
    """The window as form/ says it behaves, a step at a time."""

    def __init__(self, window, clicks, dpi=96):
        self.window, self.clicks = window, clicks
        # Places in a front-end's pixels: at another DPI than 96, each edge
        # scaled and rounded as Windows' MulDiv rounds.
        self.scale = lambda n: int(n * dpi / 96 + 0.5)
        self.controls = {c["name"]: c for c in window["controls"]}
        self.tab = [c["name"] for c in sorted(window["controls"], key=lambda c: c["tabIndex"])
                    if c["kind"] in ("TextBox", "PushButton")]
        self.typed, self.selected, self.focus = "", None, self.tab[0]
        self.results = dict.fromkeys(RESULTS, "")
        self.hint, self.report, self.pending, self.open_menu = "", None, None, None
        self.announced, self.clipboard, self.status = [], None, None
        self.asked = []  # the typed texts clicked, for form.json

    def enter(self, text):
        if self.report or self.open_menu or self.focus != "F":
            return
        start, end = (self.selected[1], self.selected[2]) if self.selected else (len(self.typed),) * 2
        end = len(self.typed) if end < 0 else end
        self.typed = (self.typed[:start] + text + self.typed[end:])[:self.window["maxFrequencyLength"]]
        self.selected = None

    def type(self, text):
        self.enter(text)

    def paste(self, text):
        self.clipboard = text
        self.enter(text)

    def press(self, keys):
        if self.open_menu:
            self.open_menu = None if keys == "Escape" else self.open_menu
        elif self.report:
            if keys in ("Return", "Enter", "Space", "Escape"):
                self.close_report()
        elif keys in ("Tab", "Shift+Tab"):
            at = self.tab.index(self.focus) if self.focus in self.tab else -1
            self.focus = self.tab[(at + (1 if keys == "Tab" else -1)) % len(self.tab)]
            self.selected = None
        elif keys in ("Return", "Enter", "Space") and self.focus in ("Ok", "Command1"):
            self.click(self.focus)
        elif keys == "Ctrl+C" and self.focus in RESULTS and self.results[self.focus]:
            whole = self.results[self.focus]
            part = self.selected and self.selected[0] == self.focus and self.selected[2] >= 0
            shown_whole = len(whole) <= 16
            self.clipboard = whole[self.selected[1]:self.selected[2]] if part and shown_whole else whole

    def click(self, name):
        if self.report or self.open_menu or self.status is not None:
            return
        if name in self.tab:
            self.focus = name
        if name == "Ok":
            self.ok()
        elif name == "Command1":
            self.status = 0

    def select(self, name, start, end):
        self.focus, self.selected = name, (name, start, end)

    def menu(self, name):
        if name in RESULTS:
            self.open_menu = [self.window["copyEntry"]] if self.results[name] else None
            self.menu_of = name
        else:
            self.open_menu = "unknown"  # the toolkit's own entries: the snapshot's

    def choose(self, entry):
        if entry == self.window["copyEntry"]:
            self.clipboard = self.results[self.menu_of]
        self.open_menu = None

    def close(self):
        self.status = 0

    def away(self):  # another window takes the focus and gives it back
        pass

    def look(self):
        pass

    def ok(self):
        if self.report:
            return
        self.asked.append(self.typed)
        shown = self.clicks.get(key(self.typed))
        if shown is None:
            pytest.fail(f"form.json has no click of {key(self.typed)!r}: run with --update-snapshots")
        for name in RESULTS:
            self.results[name] = shown.get(name, self.results[name])
        self.hint = shown["hint"]
        if "errorName" in shown:
            self.report = {"title": self.window["title"], "lines": [shown["errorName"], shown["errorDetail"]],
                           "focused": True}
            self.pending = shown.get("announcement")
        else:
            self.announced.append(shown["announcement"])

    def close_report(self):
        self.report = None
        if self.pending:
            self.announced.append(self.pending)
        self.pending = None

    def expected(self):
        """What the user meets now, as far as form/ says: paths and values,
        or a test for a value."""
        announced, self.announced = self.announced, []
        if self.status is not None:
            return {"running": False, "status": self.status, "announced": announced}
        seen = {"running": True, "announced": announced, "window.title": self.window["title"],
                "window.size": [self.scale(self.window["width"]), self.scale(self.window["height"])],
                "report": self.report}
        if self.report:
            seen.update({f"report.{k}": v for k, v in seen.pop("report").items()})
        if self.open_menu != "unknown":
            seen["menu"] = self.open_menu
        if self.clipboard is not None:
            seen["clipboard"] = self.clipboard
        for name, c in self.controls.items():
            at = f"controls.{name}."
            text = {"F": self.typed, **self.results}.get(name, c["text"])
            seen[at + "text"] = text if len(text) <= 16 or name not in RESULTS else elision_of(text)
            left, top = self.scale(c["left"]), self.scale(c["top"])
            seen[at + "rect"] = [left, top, self.scale(c["left"] + c["width"]) - left,
                                 self.scale(c["top"] + c["height"]) - top]
            seen[at + "focusable"] = name in self.tab
            seen[at + "enabled"] = True
            if not self.open_menu:
                seen[at + "focused"] = self.focus == name and not self.report
            seen[at + "name"] = {"F": self.controls["Frame1"]["text"], **self.results}.get(name, c["text"])
            seen[at + "description"] = self.hint if name == "F" else ""
            seen[at + "tooltip"] = {"F": self.hint, **self.results}.get(name, "")
            if name in RESULTS:
                seen[at + "labelledBy"] = [c["caption"]]
        return seen


def elision_of(whole):
    """A test that a text is `whole` shortened as form/ shortens it: fraction
    digits dropped before the exponent, an ellipsis in their place."""
    def test(shown):
        if not isinstance(shown, str) or shown == whole:
            return shown == whole
        head, _, tail = shown.partition(ELLIPSIS)
        exponent = re.search(r"E[-+]\d+$", whole)
        return (tail == (exponent.group() if exponent else "") and whole.startswith(head)
                and re.search(r"\d[.,]\d*$", head) is not None)
    test.__doc__ = f"{whole} or its shortened form"
    return test


def short(value):
    text = repr(value)
    return text if len(text) < 200 else f"{text[:120]}…({len(text)} characters)"


def flatten(observed, prefix=""):
    flat = {}
    for name, value in observed.items():
        if isinstance(value, dict) and value:
            flat.update(flatten(value, f"{prefix}{name}."))
        else:
            flat[f"{prefix}{name}"] = value
    return flat


def allowed(driver, row, path):
    """The reason a front-end differs from the model there, or None."""
    def matches(name, patterns):
        patterns = (patterns,) if isinstance(patterns, str) else patterns
        if patterns[0].startswith("!"):  # every one but these
            return not any(fnmatch.fnmatchcase(name, p.lstrip("!")) for p in patterns)
        return any(fnmatch.fnmatchcase(name, p) for p in patterns)
    return next((reason for who, rows, paths, reason in ALLOWED
                 if matches(driver, who) and matches(row, rows) and matches(path, paths)), None)


@pytest.fixture(scope="session")
def run(driver):
    """Does a row's steps with the driver: its report, {"observations": [...]}.
    A driver that keeps its process is given a row a line, and answers each
    with a line; it starts the window in the row's locale itself, or (where
    it is "locale") runs in one locale, a process at a time."""
    _, command, env, persistent = driver
    kept = []  # the process, and the locale it runs in

    def row(steps, locale, scheme, **more):
        said = json.dumps({"steps": steps, "locale": locale, "scheme": scheme, **more})
        if not persistent:
            result = subprocess.run(command, input=said, capture_output=True, text=True, timeout=120,
                                    env=dict(os.environ, **env, LC_ALL=locale))
            if result.returncode != 0:
                pytest.fail(f"the driver ended with {result.returncode}: {result.stderr[-3000:]}", pytrace=False)
            return json.loads(result.stdout)
        if kept and persistent == "locale" and kept[0][1] != locale:
            close()
        if not kept:
            kept.append((subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                          env=dict(os.environ, **env, LC_ALL=locale)), locale))
        process = kept[0][0]
        process.stdin.write(said + "\n")
        process.stdin.flush()
        if not select.select([process.stdout], [], [], 180)[0]:
            pytest.fail("the driver gave no answer in 3 minutes", pytrace=False)
        line = process.stdout.readline()
        if not line:
            kept.clear()
            pytest.fail(f"the driver ended with {process.wait()}", pytrace=False)
        return json.loads(line)

    def close():
        for process, _ in kept:
            process.stdin.close()
            process.wait(timeout=60)
        kept.clear()

    yield row
    close()


class Snapshot:
    """A front-end's reviewed snapshot: what it shows that form/ does not say.
    A row it has no look of for fails, as a change from it does."""

    def __init__(self, driver):
        self.path = os.path.join(HERE, "snapshots", f"{driver}.json")
        self.data = {"base": {}, "rows": {}}
        if os.path.exists(self.path):
            with open(self.path, encoding="utf-8") as file:
                self.data = json.load(file)

    def changes(self, residue):
        base = self.data["base"]
        changed = {p: v for p, v in residue.items() if base.get(p, "(absent)") != v}
        gone = [p for p in base if p not in residue]
        # A part of the observation gone whole (every control, after Exit) is
        # named once.
        for part in {p.split(".")[0] for p in gone}:
            if all(p not in residue for p in base if p.split(".")[0] == part):
                changed[part] = "(absent)"
        changed.update({p: "(absent)" for p in gone if changed.get(p.split(".")[0]) != "(absent)"})
        return dict(sorted(changed.items()))

    def save(self):
        os.makedirs(os.path.dirname(self.path), exist_ok=True)
        with open(self.path, "w", encoding="utf-8") as file:
            json.dump(self.data, file, ensure_ascii=False, indent=1, sort_keys=True)
            file.write("\n")


def test_row(row, driver, run, pinned, update):
    name = driver[0]
    if reason := allowed(name, row, "(row)"):
        pytest.skip(reason)
    steps, locale, scheme = conditions(row)
    dpi = re.search(r"-dpi(\d+)", name)
    model = Model(pinned["window"], pinned["clicks"][separator(locale)], int(dpi.group(1)) if dpi else 96)
    wanted = []
    for step in steps:
        getattr(model, step[0])(*step[1:])
        if step[0] == "look":
            wanted.append(model.expected())
    # (A driver that cannot tell when what it did has shown waits for this.)
    expected = [{p: v for p, v in want.items() if not callable(v) and not allowed(name, row, p)} for want in wanted]
    said = run(steps, locale, scheme, row=row, expected=expected)
    observations = said["observations"]
    assert len(observations) == len(wanted), "a look the driver did not report"
    # A toolkit's version draws otherwise, and has a snapshot of its own.
    snapshot = Snapshot("-".join(filter(None, (name, said.get("toolkit")))))
    problems, residues = [], []
    for index, (want, seen) in enumerate(zip(wanted, observations)):
        seen = flatten(seen)
        for path, value in want.items():
            if allowed(name, row, path):
                continue
            got = seen.get(path, "(not reported)")
            if not (value(got) if callable(value) else got == value):
                said = value.__doc__ if callable(value) else value
                problems.append(f"look {index + 1}, {path}: {short(got)}; form/ says {short(said)}")
        # (What the clipboard held before the row put something there is
        # another program's.)
        residues.append({p: v for p, v in seen.items()
                         if (p not in want or callable(want[p]) or allowed(name, row, p))
                         and not (p == "clipboard" and p not in want)})
    if update:
        if row == "start":
            snapshot.data["base"] = residues[0]
        snapshot.data["rows"][row] = [snapshot.changes(r) for r in residues]
        snapshot.save()
    stored = snapshot.data["rows"].get(row)
    for index, residue in enumerate(residues):
        want = stored[index] if stored and index < len(stored) else None
        got = snapshot.changes(residue)
        if want != got:
            diff = sorted(f"{p}: {got.get(p, '(as at start)')!r}, snapshot {(want or {}).get(p, '(as at start)')!r}"
                          for p in set(got) | set(want or {}) if got.get(p) != (want or {}).get(p))
            problems.append(f"look {index + 1} differs from {os.path.relpath(snapshot.path)}: " + "; ".join(diff))
    assert not problems, "\n".join(problems)


def test_form_says_what_it_pins(build, update):
    """form.json is what form/ says: the window, and every click the table makes."""
    facts = build.form_facts
    window = json.loads(subprocess.run([facts], capture_output=True, text=True, check=True).stdout)
    clicks = {}
    for locale in ("C.UTF-8", "ru_RU.UTF-8"):
        asked = set()
        for row in ROWS:
            steps, row_locale, _ = conditions(row)
            if row_locale != locale:
                continue
            model = Model(window, _AnyClick())
            for step in steps:
                getattr(model, step[0])(*step[1:])
            asked.update(model.asked)
        asked = sorted(asked)
        shown = json.loads(subprocess.run([facts, separator(locale), *asked], capture_output=True,
                                          text=True, check=True).stdout)
        clicks[separator(locale)] = {key(t): s for t, s in zip(asked, shown)}
    shortening = json.loads(subprocess.run([facts, "shortening"], capture_output=True, text=True, check=True).stdout)
    said = {"window": window, "clicks": clicks, "shortening": shortening}
    if update:
        with open(PINNED, "w", encoding="utf-8") as file:
            json.dump(said, file, ensure_ascii=False, indent=1, sort_keys=True)
            file.write("\n")
    with open(PINNED, encoding="utf-8") as file:
        assert json.load(file) == said, "form/ says otherwise than form.json: review, then --update-snapshots"


class _AnyClick(dict):
    """Clicks that all succeed, to collect the texts a table clicks."""

    def get(self, name, default=None):
        return {"hint": "", "announcement": ""}
