# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""Checks of the installed program: metadata validators, an install into a
temporary prefix, the Debian package, and the Windows resources.

Usage: packaging_test.py CHECK --build DIR --app-id ID --icon-sizes N... --version X.Y.Z.W
                          --compiler CXX [--hardened]
where CHECK is one of: metadata, install, deb, and CXX the compiler the
program was built with (a cross-compiler's start files are not this
machine's).
"""
import argparse
import glob
import os
import re
import subprocess
import sys
import tempfile

from desktop import private_display


def installed_files(app_id, icon_sizes):
    """Every file an install puts below its prefix."""
    return sorted([
        "bin/lccalc",
        f"share/applications/{app_id}.desktop",
        f"share/metainfo/{app_id}.metainfo.xml",
        *(f"share/icons/hicolor/{size}x{size}/apps/{app_id}.png" for size in icon_sizes),
        f"share/icons/hicolor/scalable/apps/{app_id}.svg",
        "share/man/man1/lccalc.1.gz",
        "share/doc/lccalc/copyright",
        "share/doc/lccalc/changelog.gz",
    ])


def run(*command, **kwargs):
    """Runs a command, echoing it; returns its standard output."""
    print("$", " ".join(map(str, command)), flush=True)
    result = subprocess.run(list(map(str, command)), capture_output=True, text=True, **kwargs)
    output = result.stdout + result.stderr
    if output.strip():
        print(output.rstrip(), flush=True)
    if result.returncode != 0:
        sys.exit(f"FAIL: exit status {result.returncode}")
    return result.stdout


def files_below(root):
    return sorted(os.path.relpath(os.path.join(folder, name), root)
                  for folder, _, names in os.walk(root) for name in names)


def expect(condition, message):
    if not condition:
        sys.exit("FAIL: " + message)


def check_metadata(args):
    run("desktop-file-validate", f"{args.build}/packaging/{args.app_id}.desktop")
    metainfo = f"{args.build}/packaging/{args.app_id}.metainfo.xml"
    run("appstreamcli", "validate", "--no-net", "--strict", metainfo)
    # The newest entries of the changelog and of the AppStream releases are
    # this version's, and so is the manual page.
    source = os.path.join(os.path.dirname(__file__), "..")
    with open(os.path.join(source, "changelog"), encoding="utf-8") as changelog:
        newest = re.match(r"lccalc \(([^)]+)\)", changelog.readline())
    expect(newest and newest.group(1) == args.version, f"the changelog's newest entry is {newest}")
    with open(metainfo, encoding="utf-8") as metadata:
        release = re.search(r'<release version="([^"]+)"', metadata.read())
    expect(release and release.group(1) == args.version, f"the newest AppStream release is {release}")
    with open(f"{args.build}/packaging/lccalc.1", encoding="utf-8") as page:
        expect(f'"lccalc {args.version}"' in page.readline(), "the manual page names another version")


def check_install(args):
    with tempfile.TemporaryDirectory() as prefix:
        run("cmake", "--install", args.build, "--prefix", prefix)
        expect(files_below(prefix) == installed_files(args.app_id, args.icon_sizes),
               f"installed {files_below(prefix)}")
        run("appstreamcli", "validate-tree", "--no-net", prefix)
        run("man", "--warnings", "-l", "-Tutf8", f"{prefix}/share/man/man1/lccalc.1.gz",
            env=dict(os.environ, MANWIDTH="80"))


def check_deb(args):
    with tempfile.TemporaryDirectory() as scratch:
        run("cpack", "-G", "DEB", "-B", scratch, "--config", f"{args.build}/CPackConfig.cmake")
        (deb,) = glob.glob(f"{scratch}/*.deb")
        run("lintian", "--fail-on", "error,warning", deb)
        info = run("dpkg", "-I", deb)
        expect(re.search(r"Depends:.*libqt6widgets6", info), "no dependency on Qt Widgets")
        root = f"{scratch}/root"
        run("dpkg", "-x", deb, root)
        expect(files_below(f"{root}/usr") == installed_files(args.app_id, args.icon_sizes),
               f"the package holds {files_below(root)}")
        binary = f"{root}/usr/bin/lccalc"
        expect("not stripped" not in run("file", binary), "the binary is not stripped")
        if args.hardened:
            check_hardening(binary, args.compiler)
        show_window(binary)


def check_hardening(binary, compiler):
    """Every line of hardening-check, and no RUNPATH: libraries come from
    the system's folders only."""
    result = subprocess.run(["hardening-check", binary], capture_output=True, text=True)
    print(result.stdout.rstrip(), flush=True)
    arm64 = "AArch64" in run("readelf", "-h", binary)
    # A program carries the note of control-flow (x86-64) or branch
    # protection (ARM64) only where the C library's start files it is linked
    # with carry it too; Debian 12's do not. They are the compiler's, which
    # for a cross-build are not this machine's.
    start_files = run(compiler, "-print-file-name=Scrt1.o").strip()
    start_files_marked = ("BTI" if arm64 else "IBT") in run("readelf", "-n", start_files)
    for line in result.stdout.splitlines()[1:]:
        what, _, verdict = line.strip().partition(": ")
        allowed = (verdict.startswith("yes")
                   or (what == "Stack clash protection" and verdict.startswith("unknown"))
                   or (what == "Control flow integrity" and (arm64 or not start_files_marked))
                   # ARM64's, which newer versions list for every binary
                   or (what == "Branch Protection" and (not arm64 or not start_files_marked)))
        expect(allowed, f"hardening-check: {line.strip()}")
    expect(not re.search(r"\((RUNPATH|RPATH)\)", run("readelf", "-d", binary)), "the binary has a RUNPATH")


def show_window(binary):
    """Starts the program under a fresh Xvfb and waits for its window."""
    with private_display() as display:
        env = dict(os.environ, DISPLAY=display)
        env.pop("QT_QPA_PLATFORM", None)
        program = subprocess.Popen([binary], env=env)
        try:
            run("timeout", "20", "xdotool", "search", "--sync", "--name", "TIRVAL", env=env)
            expect(program.poll() is None, "the program ended on its own")
        finally:
            program.kill()
            program.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=["metadata", "install", "deb"])
    parser.add_argument("--build", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--icon-sizes", nargs="+", type=int, required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--compiler", required=True)
    parser.add_argument("--hardened", action="store_true", help="check the binary's hardening too")
    args = parser.parse_args()
    globals()[f"check_{args.check}"](args)
    print(f"packaging {args.check}: passed")


if __name__ == "__main__":
    main()
