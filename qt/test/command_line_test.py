# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""The program's command line and its start without a usable display: each
case runs the real binary and checks its status and its output."""
import os
import subprocess

import pytest

# A display number nothing listens on.
FREE_DISPLAY = next(f":{n}" for n in range(4711, 4800) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
NO_DISPLAY = {"DISPLAY": None, "WAYLAND_DISPLAY": None, "QT_QPA_PLATFORM": None}
FULL = "/dev/full"  # standard output on a full disk
USAGE = "Usage: lccalc [--help | --version]"

# (name, environment changes, arguments, status, text expected on stdout, on
# stderr; stdout goes to FULL where the arguments begin with it). A failure
# to start says so in one line, unless Qt's own lines tell the cause.
CASES = [
    ("no_display_at_all", NO_DISPLAY, [], 1, None, "xvfb-run"),
    ("x_display_nobody_serves", dict(NO_DISPLAY, DISPLAY=FREE_DISPLAY), [], 1, None,
     f'display "{FREE_DISPLAY}"'),
    ("x_display_nobody_serves_x11_asked_for",
     dict(NO_DISPLAY, DISPLAY=FREE_DISPLAY, QT_QPA_PLATFORM="xcb"), [], 1, None, f'display "{FREE_DISPLAY}"'),
    ("wayland_display_nobody_serves", dict(NO_DISPLAY, WAYLAND_DISPLAY="lccalc-test-none"), [], 1,
     None, '"lccalc-test-none"'),
    ("wayland_display_nobody_serves_no_runtime_folder",
     dict(NO_DISPLAY, WAYLAND_DISPLAY="lccalc-test-none", XDG_RUNTIME_DIR=None), [], 1, None,
     '"lccalc-test-none"'),
    ("platform_qt_lacks_with_qts_lines", dict(NO_DISPLAY, QT_QPA_PLATFORM="lccalc-none"), [], 1,
     None, "Available platform plugins"),
    ("help", NO_DISPLAY, ["--help"], 0, USAGE, None),
    ("help_short", NO_DISPLAY, ["-h"], 0, USAGE, None),
    ("version", NO_DISPLAY, ["--version"], 0, "lccalc {version}\n", None),
    ("help_to_a_full_disk", NO_DISPLAY, [FULL, "--help"], 1, None, "cannot write to standard output"),
    ("version_to_a_full_disk", NO_DISPLAY, [FULL, "-v"], 1, None, "cannot write to standard output"),
    ("unknown_option", NO_DISPLAY, ["--bogus"], 2, None, "lccalc: unknown argument '--bogus'"),
    ("one_of_qts_options", NO_DISPLAY, ["-platform", "offscreen"], 2, None,
     "unknown argument '-platform'"),
]


@pytest.mark.parametrize("name, changes, args, status, out, err", CASES, ids=[case[0] for case in CASES])
def test_command_line(build, tmp_path, name, changes, args, status, out, err):
    env = dict(os.environ, XDG_RUNTIME_DIR=str(tmp_path))  # private, whatever the machine has
    for key, value in changes.items():
        env.pop(key, None) if value is None else env.__setitem__(key, value)
    to_full = args[:1] == [FULL]
    with open(FULL, "w") if to_full else open(os.devnull) as full:
        result = subprocess.run([build.lccalc, *args[to_full:]], env=env, text=True, timeout=30,
                                stdout=full if to_full else subprocess.PIPE, stderr=subprocess.PIPE)
    assert result.returncode == status, result.stderr
    if out is not None:
        assert out.format(version=build.version) in result.stdout
        assert result.stderr == ""
    if err is not None:
        assert err in result.stderr
    if status == 1 and "qts_lines" not in name:
        assert result.stderr.count("\n") == 1, "a failure to start says so in one line"
