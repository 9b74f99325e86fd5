# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""The program's command line and its start without a usable display:
each case runs the real binary and checks its status and its output.

Usage: command_line_test.py BINARY VERSION
"""
import os
import subprocess
import sys
import tempfile

binary, version = sys.argv[1], sys.argv[2]

# A display number nothing listens on.
free_display = next(f":{n}" for n in range(4711, 4800) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
NO_DISPLAY = {"DISPLAY": None, "WAYLAND_DISPLAY": None, "QT_QPA_PLATFORM": None}
FULL = "/dev/full"  # standard output on a full disk

# (what, environment changes, arguments, status, text expected on stdout, on
# stderr; stdout goes to FULL where the arguments begin with it). A failure
# to start says so in one line, unless Qt's own lines tell the cause.
CASES = [
    ("no display at all", NO_DISPLAY, [], 1, None, "xvfb-run"),
    ("an X display nobody serves", dict(NO_DISPLAY, DISPLAY=free_display), [], 1, None,
     f'display "{free_display}"'),
    ("the same, X11 asked for", dict(NO_DISPLAY, DISPLAY=free_display, QT_QPA_PLATFORM="xcb"), [], 1,
     None, f'display "{free_display}"'),
    ("a Wayland display nobody serves", dict(NO_DISPLAY, WAYLAND_DISPLAY="lccalc-test-none"), [], 1,
     None, '"lccalc-test-none"'),
    ("the same, with no runtime folder",
     dict(NO_DISPLAY, WAYLAND_DISPLAY="lccalc-test-none", XDG_RUNTIME_DIR=None), [], 1, None,
     '"lccalc-test-none"'),
    ("a platform Qt lacks, with Qt's lines", dict(NO_DISPLAY, QT_QPA_PLATFORM="lccalc-none"), [], 1,
     None, "Available platform plugins"),
    ("help", NO_DISPLAY, ["--help"], 0, "Usage: lccalc [--help | --version]", None),
    ("help, short", NO_DISPLAY, ["-h"], 0, "Usage: lccalc [--help | --version]", None),
    ("version", NO_DISPLAY, ["--version"], 0, f"lccalc {version}\n", None),
    ("help to a full disk", NO_DISPLAY, [FULL, "--help"], 1, None, "cannot write to standard output"),
    ("version to a full disk", NO_DISPLAY, [FULL, "-v"], 1, None, "cannot write to standard output"),
    ("an unknown option", NO_DISPLAY, ["--bogus"], 2, None, "lccalc: unknown argument '--bogus'"),
    ("one of Qt's options", NO_DISPLAY, ["-platform", "offscreen"], 2, None, "unknown argument '-platform'"),
]

failures = 0
with tempfile.TemporaryDirectory() as runtime:
    for what, changes, args, status, out, err in CASES:
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime)  # private, whatever the machine has
        for key, value in changes.items():
            env.pop(key, None) if value is None else env.__setitem__(key, value)
        to_full = args[:1] == [FULL]
        with open(FULL, "w") if to_full else open(os.devnull) as full:
            result = subprocess.run([binary, *args[to_full:]], env=env, text=True, timeout=30,
                                    stdout=full if to_full else subprocess.PIPE, stderr=subprocess.PIPE)
        problems = []
        if result.returncode != status:
            problems.append(f"status {result.returncode}, not {status}")
        if out is not None and out not in result.stdout:
            problems.append(f"stdout {result.stdout!r} lacks {out!r}")
        if err is not None and err not in result.stderr:
            problems.append(f"stderr {result.stderr!r} lacks {err!r}")
        if status == 1 and "Qt's lines" not in what and result.stderr.count("\n") != 1:
            problems.append(f"stderr is not one line: {result.stderr!r}")
        if out is not None and result.stderr:
            problems.append(f"stderr is not empty: {result.stderr!r}")
        print(("FAIL " if problems else "ok   ") + what + ("" if not problems else ": " + "; ".join(problems)))
        failures += bool(problems)

print(f"{len(CASES) - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
