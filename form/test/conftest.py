# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""The scenario table's drivers: how each front-end is started (window_test.py)."""
import re

import pytest



def page(engine):
    """The page's driver in one engine: one process for every row, which
    keeps its browsers."""
    return lambda build: ([NODE, f"{build.source}/web/test/driver.mjs", f"{build.folder}/site"],
                          {"LC_ENGINE": engine}, True)


def real_qt(setup):
    """The real lccalc through AT-SPI (qt/e2e/driver.py), a process a row."""
    return lambda build: (["/usr/bin/python3", f"{build.source}/qt/e2e/driver.py", setup, build.lccalc],
                          {"LC_PRELOAD": getattr(build, "preload", None) or "",
                           "LC_SCREENSHOT": build.screenshot or ""}, False)


NODE = "/usr/bin/node"
# A driver's name, and its command, environment, and whether it takes every
# row in one process (a row a line; "locale": a process for each locale, one
# at a time) rather than a process a row.
DRIVERS = {
    "qt-offscreen": lambda build: ([build.qt_driver], {"QT_QPA_PLATFORM": "offscreen"}, False),
    "qt-xvfb": real_qt("xvfb"),
    "qt-openbox": real_qt("openbox"),
    "qt-weston": real_qt("weston"),
    "web-chromium": page("chromium"),
    "web-firefox": page("firefox"),
    "web-webkit": page("webkit"),
    # lccalc.exe under Wine, from outside; -dpiN: started at a system DPI of
    # N; -contrast: in a high-contrast scheme.
    "win32": lambda build: (build.win32_driver, {}, "locale"),
    "win32-hidden": lambda build: (build.win32_driver[:-1] + [build.win32_hidden_dpi], {}, "locale"),
}


def pytest_addoption(parser):
    parser.addoption("--driver", default="qt-offscreen",
                     help="the front-end to hold to the table: " + ", ".join(DRIVERS) +
                          "; NAME-xSCALE for a screen scale (qt-offscreen-x2), NAME-dpiN for a "
                          "system DPI (win32-dpi144)")
    parser.addoption("--update-snapshots", action="store_true",
                     help="write what was seen into form.json and the driver's snapshot")


@pytest.fixture(scope="session")
def update(pytestconfig):
    return pytestconfig.getoption("--update-snapshots")


@pytest.fixture(scope="session")
def driver(pytestconfig, build):
    """(name, command, environment, persistent) of the driver asked for."""
    name = pytestconfig.getoption("--driver")
    scale = re.search(r"-x([\d.]+)$", name)
    base, scale = (name[:scale.start()], scale.group(1)) if scale else (name, None)
    base, contrast, _ = base.partition("-contrast")
    base, _, dpi = base.partition("-dpi")
    if base not in DRIVERS:
        pytest.exit(f"no driver {base}: {', '.join(DRIVERS)}", 2)
    command, env, persistent = DRIVERS[base](build)
    if scale:
        env = dict(env, QT_SCALE_FACTOR=scale)
    if dpi:
        command = command + [dpi]
    if contrast:
        command = command + ["contrast"]
    return name, command, env, persistent
