# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""The installed program: metadata validators, an install into a temporary
prefix, and the Debian package that dpkg-buildpackage made of debian/
(--deb; scripts/debian-package.sh builds it and runs these on it)."""
import glob
import os
import re
import subprocess

import pytest

from desktop import private_display, visible_windows, wait_for


def run(*command, **kwargs):
    """Runs a command; returns its standard output, or fails with all it said."""
    result = subprocess.run(list(map(str, command)), capture_output=True, text=True, **kwargs)
    assert result.returncode == 0, f"{' '.join(map(str, command))}: {result.stdout}{result.stderr}"
    return result.stdout


def files_below(root):
    return sorted(os.path.relpath(os.path.join(folder, name), root)
                  for folder, _, names in os.walk(root) for name in names)


@pytest.fixture(scope="module")
def metainfo(build):
    return f"{build.folder}/packaging/{build.app_id}.metainfo.xml"


def test_metadata_desktop_entry_is_valid(build):
    run("desktop-file-validate", f"{build.folder}/packaging/{build.app_id}.desktop")


def test_metadata_appstream_is_valid(metainfo):
    run("appstreamcli", "validate", "--no-net", "--strict", metainfo)


def test_metadata_appstream_and_manual_page_name_this_version(build, metainfo):
    """The version (debian/changelog's) in the AppStream file's newest
    release and in the manual page."""
    with open(metainfo, encoding="utf-8") as metadata:
        assert re.search(r'<release version="([^"]+)"', metadata.read()).group(1) == build.version
    with open(f"{build.folder}/packaging/lccalc.1", encoding="utf-8") as page:
        assert f'"lccalc {build.version}"' in page.readline()


@pytest.fixture(scope="module")
def installed(build, tmp_path_factory):
    prefix = tmp_path_factory.mktemp("prefix")
    run("cmake", "--install", build.folder, "--prefix", prefix)
    return prefix


def installed_tree(root):
    """Every file below `root`, and its permissions."""
    return {name: f"{os.stat(os.path.join(root, name)).st_mode & 0o7777:o}" for name in files_below(root)}


def test_install_gives_what_was_reviewed(build, installed, data_regression):
    """What a user gets from an install, pinned for review: every file and
    its permissions, the desktop entry and the AppStream file line by line,
    the manual page's source and what --help says. After a deliberate
    change: --force-regen, then read the diff of packaging/test/packaging_test/."""
    def lines(name):
        text = (installed / name).read_text(encoding="utf-8")
        # The developer as AppStream 0.16 (Debian 12) or 1.0 (Debian 13) names one.
        text = re.sub(r"<developer_name>(.*?)</developer_name>|<developer id=\"[^\"]*\"><name>(.*?)</name></developer>",
                      lambda m: f"(the developer: {m.group(1) or m.group(2)})", text)
        return text.splitlines()
    data_regression.check({
        "files": installed_tree(installed),
        "desktop entry": lines(f"share/applications/{build.app_id}.desktop"),
        "AppStream": lines(f"share/metainfo/{build.app_id}.metainfo.xml"),
        "manual page": lines("share/man/man1/lccalc.1"),
        "--help": run(installed / "bin/lccalc", "--help").splitlines(),
    })


def test_install_takes_the_options_its_manual_page_and_help_name(installed):
    """Each option the manual page lists (and --help names) ends with status
    0, as its EXIT STATUS says, and one it does not name with 2."""
    page = (installed / "share/man/man1/lccalc.1").read_text(encoding="utf-8").replace("\\-", "-")
    listed = set(re.findall(r"(?<![\w-])--?[a-z]+", page.split(".SH OPTIONS")[1].split(".SH")[0]))
    program = installed / "bin/lccalc"
    assert set(re.findall(r"(?<![\w-])--?[a-z]+", run(program, "--help"))) <= listed and len(listed) == 4, listed
    for option in sorted(listed) + ["--bogus"]:
        status = subprocess.run([program, option], capture_output=True).returncode
        assert status == (2 if option == "--bogus" else 0), option


def test_install_desktop_entry_runs_the_program_with_its_icon(build, installed, desktop_entry):
    """What a menu shows and starts: the entry's icon is in the icon theme at
    every size, and its command is the installed program with no argument
    (it takes none, and a field code would hand it the files a user opens)."""
    entry = desktop_entry
    command = entry["Exec"].split()
    assert len(command) == 1 and (installed / "bin" / command[0]).is_file(), entry["Exec"]
    sizes = [f"{size}x{size}" for size in build.icon_sizes] + ["scalable"]
    assert all(glob.glob(f"{installed}/share/icons/hicolor/{size}/apps/{entry['Icon']}.*") for size in sizes), entry["Icon"]


def test_install_tree_is_valid_appstream(installed):
    run("appstreamcli", "validate-tree", "--no-net", installed)


def test_install_manual_page_renders_without_warnings(installed):
    assert "lccalc" in run("man", "--warnings", "-l", "-Tutf8", f"{installed}/share/man/man1/lccalc.1",
                           env=dict(os.environ, MANWIDTH="80"))


@pytest.fixture(scope="module")
def deb(pytestconfig, tmp_path_factory):
    """The package given with --deb, and what it unpacks to. (lintian, run
    on the .changes beside it, and debhelper's own checks do the rest.)"""
    package = pytestconfig.getoption("--deb")
    if not package:
        pytest.skip("no --deb: scripts/debian-package.sh builds the package and tests it")
    scratch = tmp_path_factory.mktemp("deb")
    run("dpkg", "-x", package, scratch)
    return package, scratch


def test_deb_depends_on_qt_and_recommends_its_translations_and_wayland_plugin(deb):
    # Without the translations Qt's own buttons and menus are English; without
    # the plugin a Wayland desktop shows the window blurred through Xwayland.
    info = run("dpkg", "-I", deb[0])
    assert re.search(r"Depends:.*libqt6widgets6", info)
    assert re.search(r"Recommends:.*qt6-translations-l10n", info) and re.search(r"Recommends:.*qt6-wayland", info)


def test_deb_holds_every_file_in_place(installed, deb):
    """The install's files, as Debian's helpers place them: the manual page
    compressed, the copyright and the changelog beside the documentation."""
    wanted = {name.replace("man1/lccalc.1", "man1/lccalc.1.gz"): mode for name, mode in installed_tree(installed).items()}
    wanted.update({"share/doc/lccalc/copyright": "644", "share/doc/lccalc/changelog.gz": "644"})
    assert installed_tree(deb[1] / "usr") == wanted


def test_deb_binary_is_hardened(build, deb):
    """Every line of hardening-check, and no RUNPATH: libraries come from
    the system's folders only."""
    if not build.hardened:
        pytest.skip("the sanitizers' build is not hardened (fortified calls stand in their way)")
    binary = deb[1] / "usr/bin/lccalc"
    result = subprocess.run(["hardening-check", binary], capture_output=True, text=True)
    arm64 = "AArch64" in run("readelf", "-h", binary)
    # A program carries the note of control-flow (x86-64) or branch
    # protection (ARM64) only where the C library's start files it is linked
    # with carry it too; Debian 12's do not. They are the compiler's, which
    # for a cross-build are not this machine's.
    start_files = run(build.compiler, "-print-file-name=Scrt1.o").strip()
    start_files_marked = ("BTI" if arm64 else "IBT") in run("readelf", "-n", start_files)
    for line in result.stdout.splitlines()[1:]:
        what, _, verdict = line.strip().partition(": ")
        assert (verdict.startswith("yes")
                or (what == "Stack clash protection" and verdict.startswith("unknown"))
                or (what == "Control flow integrity" and (arm64 or not start_files_marked))
                # ARM64's, which newer versions list for every binary
                or (what == "Branch Protection" and (not arm64 or not start_files_marked))), line
    assert not re.search(r"\((RUNPATH|RPATH)\)", run("readelf", "-d", binary))


def test_deb_binary_shows_its_window(lccalc, form, deb):
    with private_display() as display:
        with lccalc({"DISPLAY": display}, binary=deb[1] / "usr/bin/lccalc") as program:
            wait_for("the window", lambda: visible_windows(form["title"], program.env))
            assert program.poll() is None, "the program ended on its own"
