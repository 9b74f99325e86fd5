# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""The program's command line and its start without a usable display:
each case runs the real binary and checks its status and its output.

Usage: command_line_test.py BINARY VERSION
"""
import os
import subprocess
import sys

binary, version = sys.argv[1], sys.argv[2]

# A display number nothing listens on.
free_display = next(f":{n}" for n in range(4711, 4800) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
NO_DISPLAY = {"DISPLAY": None, "WAYLAND_DISPLAY": None, "QT_QPA_PLATFORM": None}

# (what, environment changes, arguments, status, text expected on stdout, on stderr)
CASES = [
    ("no display at all", NO_DISPLAY, [], 1, None, "xvfb-run"),
    ("an X display nobody serves", dict(NO_DISPLAY, DISPLAY=free_display), [], 1, None,
     f'display "{free_display}"'),
    ("a Wayland display nobody serves", dict(NO_DISPLAY, WAYLAND_DISPLAY="lccalc-test-none"), [], 1,
     None, '"lccalc-test-none"'),
    ("help", NO_DISPLAY, ["--help"], 0, "Usage: lccalc [--help | --version]", None),
    ("version", NO_DISPLAY, ["--version"], 0, f"lccalc {version}\n", None),
    ("an unknown option", NO_DISPLAY, ["--bogus"], 2, None, "lccalc: unknown argument '--bogus'"),
    ("one of Qt's options", NO_DISPLAY, ["-platform", "offscreen"], 2, None, "unknown argument '-platform'"),
]

failures = 0
for what, changes, args, status, out, err in CASES:
    env = dict(os.environ)
    for key, value in changes.items():
        env.pop(key, None) if value is None else env.__setitem__(key, value)
    result = subprocess.run([binary, *args], env=env, capture_output=True, text=True, timeout=30)
    problems = []
    if result.returncode != status:
        problems.append(f"status {result.returncode}, not {status}")
    if out is not None and out not in result.stdout:
        problems.append(f"stdout {result.stdout!r} lacks {out!r}")
    if err is not None and err not in result.stderr:
        problems.append(f"stderr {result.stderr!r} lacks {err!r}")
    # A failure to start says so in one line, without Qt's plugin message.
    if status == 1 and result.stderr.count("\n") != 1:
        problems.append(f"stderr is not one line: {result.stderr!r}")
    if out is not None and result.stderr:
        problems.append(f"stderr is not empty: {result.stderr!r}")
    print(("FAIL " if problems else "ok   ") + what + ("" if not problems else ": " + "; ".join(problems)))
    failures += bool(problems)

print(f"{len(CASES) - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
