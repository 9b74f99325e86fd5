"""Checks of the installed program: metadata validators, an install into a
temporary prefix, the Debian package, and the Windows resources.

Usage: packaging_test.py CHECK --source DIR --build DIR
where CHECK is one of: metadata, install, deb, windows.
"""
import argparse
import glob
import os
import re
import subprocess
import sys
import tempfile

APP_ID = "org.lccalc.lccalc"
INSTALLED = sorted([
    "bin/lccalc",
    f"share/applications/{APP_ID}.desktop",
    f"share/metainfo/{APP_ID}.metainfo.xml",
    f"share/icons/hicolor/16x16/apps/{APP_ID}.png",
    f"share/icons/hicolor/32x32/apps/{APP_ID}.png",
    f"share/icons/hicolor/48x48/apps/{APP_ID}.png",
    f"share/icons/hicolor/128x128/apps/{APP_ID}.png",
    f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
    "share/man/man1/lccalc.1.gz",
    "share/doc/lccalc/copyright",
    "share/doc/lccalc/changelog.gz",
])
# The Windows icon group: width, height and bits per pixel of each image.
ICON_GROUP = [(32, 32, 1), (32, 32, 4), (16, 16, 4)]


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


def check_metadata(source, build):
    run("desktop-file-validate", f"{source}/packaging/{APP_ID}.desktop")
    run("appstreamcli", "validate", "--no-net", "--strict", f"{source}/packaging/{APP_ID}.metainfo.xml")


def check_install(source, build):
    with tempfile.TemporaryDirectory() as prefix:
        run("cmake", "--install", build, "--prefix", prefix)
        expect(files_below(prefix) == INSTALLED, f"installed {files_below(prefix)}")
        run("appstreamcli", "validate-tree", "--no-net", prefix)
        run("man", "--warnings", "-l", "-Tutf8", f"{prefix}/share/man/man1/lccalc.1.gz",
            env=dict(os.environ, MANWIDTH="80"))


def check_deb(source, build):
    with tempfile.TemporaryDirectory() as scratch:
        run("cpack", "-G", "DEB", "-B", scratch, "--config", f"{build}/CPackConfig.cmake")
        (deb,) = glob.glob(f"{scratch}/*.deb")
        run("lintian", "--fail-on", "error,warning", deb)
        info = run("dpkg", "-I", deb)
        expect(re.search(r"Depends:.*libqt6widgets6", info), "no dependency on Qt Widgets")
        root = f"{scratch}/root"
        run("dpkg", "-x", deb, root)
        expect(files_below(f"{root}/usr") == INSTALLED, f"the package holds {files_below(root)}")
        binary = f"{root}/usr/bin/lccalc"
        expect("not stripped" not in run("file", binary), "the binary is not stripped")
        show_window(binary)


def show_window(binary):
    """Starts the program under a fresh Xvfb and waits for its window."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp"],
                              pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        display = ":" + pipe.readline().strip()
    env = dict(os.environ, DISPLAY=display)
    env.pop("QT_QPA_PLATFORM", None)
    program = subprocess.Popen([binary], env=env)
    try:
        run("timeout", "20", "xdotool", "search", "--sync", "--name", "TIRVAL", env=env)
        expect(program.poll() is None, "the program ended on its own")
    finally:
        for process in (program, server):
            process.kill()
            process.wait()


def check_windows(source, build):
    icons = f"{source}/window/icons"
    with tempfile.TemporaryDirectory() as scratch:
        # The committed .ico is what icotool makes of the PNG sources.
        sys.path.insert(0, icons)
        from make_icons import ico_arguments
        fresh = f"{scratch}/fresh.ico"
        run("icotool", "-c", "-o", fresh, *ico_arguments(), cwd=icons)
        with open(fresh, "rb") as a, open(f"{icons}/lccalc.ico", "rb") as b:
            expect(a.read() == b.read(), "lccalc.ico is out of date: run make_icons.py")

        script = f"{build}/window/lccalc.rc"
        res = f"{scratch}/lccalc.res"
        run("x86_64-w64-mingw32-windres", "-O", "res", script, res)
        # The version record, decompiled from the compiled resource.
        text = run("x86_64-w64-mingw32-windres", "-i", res, "-O", "rc")
        for pattern in [r"FILEVERSION 1, ?0, ?0, ?0", r"PRODUCTVERSION 1, ?0, ?0, ?0",
                        r'VALUE "FileVersion", "1\.00"', r'VALUE "ProductVersion", "1\.00"']:
            expect(re.search(pattern, text), f"no {pattern} in the version record")
        # The icon group, taken out of a resource-only DLL as Windows would see it.
        obj, dll, ico = f"{scratch}/lccalc.o", f"{scratch}/lccalc.dll", f"{scratch}/group.ico"
        run("x86_64-w64-mingw32-windres", "-O", "coff", script, obj)
        run("x86_64-w64-mingw32-gcc", "-shared", "-nostdlib", "-o", dll, obj)
        run("wrestool", "-x", "--type=14", f"--output={ico}", dll)
        listing = run("icotool", "-l", ico)
        images = [tuple(int(re.search(f"--{key}=(\\d+)", line).group(1))
                        for key in ("width", "height", "bit-depth"))
                  for line in listing.splitlines() if line.startswith("--icon")]
        expect(images == ICON_GROUP, f"the icon group holds {images}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=["metadata", "install", "deb", "windows"])
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    globals()[f"check_{args.check}"](args.source, args.build)
    print(f"packaging {args.check}: passed")


if __name__ == "__main__":
    main()
