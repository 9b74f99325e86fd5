# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""What the Python tests share: the facts of the build they test (its
programs' paths, the version: lc-tests.json, which CMake writes), the
window's own texts and places as form/ gives them, and lccalc started on a
display (scripts/desktop.py makes private ones)."""
import contextlib
import json
import os
import subprocess
import types

import pytest

from desktop import lccalc_environment


def pytest_addoption(parser):
    parser.addoption("--build", default=os.environ.get("LC_BUILD", "build/default"),
                     help="the build folder whose programs are tested ($LC_BUILD, which CTest "
                          "sets, or build/default)")
    parser.addoption("--installed", action="store_true",
                     help="test the installed program, /usr/bin/lccalc, instead of a build's "
                          "(the Debian package's own test)")
    parser.addoption("--deb", help="the Debian package the packaging tests check (test_deb_*)")


@pytest.fixture(scope="session")
def build(pytestconfig):
    """This build's facts, as attributes: version, source, lccalc, ...;
    with --installed only those of the installed program."""
    if pytestconfig.getoption("--installed"):
        return types.SimpleNamespace(folder=None, source=str(pytestconfig.rootpath), lccalc="/usr/bin/lccalc",
                                     screenshot=None)
    folder = os.path.abspath(pytestconfig.getoption("--build"))
    path = os.path.join(folder, "lc-tests.json")
    if not os.path.exists(path):
        pytest.exit(f"{path} is missing: configure and build {folder} first", 2)
    with open(path, encoding="utf-8") as facts:
        return types.SimpleNamespace(folder=folder, **json.load(facts))


@pytest.fixture(scope="session")
def form(build):
    """form/'s description of the window (title, size, controls, ...) and,
    under "clicks", what a click of OK shows of each text the scenario table
    types, by the separator (".", ",") and the text: the words each
    front-end must show, as form/test/form.json pins them."""
    with open(os.path.join(build.source, "form/test/form.json"), encoding="utf-8") as pinned:
        said = json.load(pinned)
    return dict(said["window"], clicks=said["clicks"])


@pytest.fixture(scope="session")
def desktop_entry(build):
    """The desktop entry the build made, its keys (not their translations)
    and values."""
    with open(f"{build.folder}/packaging/{build.app_id}.desktop", encoding="utf-8") as entry:
        return dict(line.rstrip("\n").split("=", 1) for line in entry
                    if "=" in line and "[" not in line.split("=")[0])


@pytest.fixture(scope="session")
def lccalc(build):
    """Starts lccalc: `with lccalc(display, locale) as program:` runs it with
    the display's environment (DISPLAY or WAYLAND_DISPLAY, and nothing of
    the other), Qt's accessibility bridge on and, in a sanitizer build, its
    preload; at the end it is killed if still running, and what it wrote to
    standard error is in program.errors."""

    @contextlib.contextmanager
    def start(display, locale="C.UTF-8", binary=None, **extra):
        env = lccalc_environment(display, getattr(build, "preload", None), LC_ALL=locale, **extra)
        program = subprocess.Popen([binary or build.lccalc], env=env, stderr=subprocess.PIPE, text=True)
        program.env = env
        try:
            yield program
        finally:
            if program.poll() is None:
                program.kill()
            program.errors = program.communicate()[1]

    return start
