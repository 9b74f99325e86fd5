# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""lccalc.exe as Windows sees it from outside: the icon group, the version
record and the manifest read back from the built executable, the DLLs it
imports, and the committed .ico checked against its PNG sources.

and the zip that cpack makes for Windows users.

Usage: resources_test.py --exe PATH --icons DIR --cpack-config FILE --version X.Y.Z.W
"""
import argparse
import os
import re
import runpy
import struct
import subprocess
import sys
import tempfile
import zipfile

# The icon group: width, height and bits per pixel of each image.
ICON_GROUP = [(32, 32, 1), (32, 32, 4), (16, 16, 4), (48, 48, 32), (256, 256, 32)]
# Windows' own DLLs, all the executable may need.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll", "ole32.dll",
               "oleacc.dll", "oleaut32.dll", "advapi32.dll"}


def run(*command, **kwargs):
    result = subprocess.run(list(map(str, command)), capture_output=True, **kwargs)
    if result.returncode != 0:
        sys.exit(f"FAIL: {' '.join(map(str, command))}: {result.stderr!r}")
    return result.stdout


def version_tree(data, at=0):
    """The version record's node at `at`: (its key, (its value, its children
    by key)), keys in lower case where they are hexadecimal block names."""
    length, value_length, text = struct.unpack_from("<HHH", data, at)
    end = data.index(b"\0\0", at + 6)
    end += (end - at) % 2  # a UTF-16 NUL starts at an even offset
    key = data[at + 6:end].decode("utf-16-le")
    value_at = (end + 2 + 3) & ~3
    value = data[value_at:value_at + value_length * (2 if text else 1)]
    children, child = {}, (value_at + len(value) + 3) & ~3
    while child < at + length:
        name, node = version_tree(data, child)
        children[name.lower() if re.fullmatch("[0-9A-Fa-f]{8}", name) else name] = node
        child = (child + struct.unpack_from("<H", data, child)[0] + 3) & ~3
    return key, (value, children)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--icons", required=True)
    parser.add_argument("--cpack-config", required=True)
    parser.add_argument("--version", required=True)
    args = parser.parse_args()
    numbers = [int(part) for part in args.version.split(".")]
    # The version record writes "major.minor", the minor in two digits.
    text_version = f"{numbers[0]}.{numbers[1]:02d}"
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
            print("FAIL:", message)

    with tempfile.TemporaryDirectory() as scratch:
        # The committed .ico is what icotool makes of the PNG sources.
        ico_arguments = runpy.run_path(os.path.join(args.icons, "make_icons.py"))["ico_arguments"]
        run("icotool", "-c", "-o", f"{scratch}/fresh.ico", *ico_arguments(), cwd=args.icons)
        with open(f"{scratch}/fresh.ico", "rb") as a, open(f"{args.icons}/lccalc.ico", "rb") as b:
            check(a.read() == b.read(), "lccalc.ico is out of date: run make_icons.py")

        run("wrestool", "-x", "--type=14", f"--output={scratch}/group.ico", args.exe)
        listing = run("icotool", "-l", f"{scratch}/group.ico", text=True)
        images = [tuple(int(re.search(f"--{key}=(\\d+)", line).group(1))
                        for key in ("width", "height", "bit-depth"))
                  for line in listing.splitlines() if line.startswith("--icon")]
        check(images == ICON_GROUP, f"the icon group holds {images}")

    record = run("wrestool", "-x", "--raw", "--type=16", args.exe)
    # The strings as Windows' tools look them up (VerQueryValue): in the
    # block that the Translation entry names, by its language and code page.
    tree = version_tree(record)[1][1]
    language, code_page = struct.unpack("<HH", tree["VarFileInfo"][1]["Translation"][0][:4])
    strings = tree["StringFileInfo"][1].get(f"{language:04x}{code_page:04x}", (b"", {}))[1]
    for key, value in [("FileVersion", text_version), ("ProductVersion", text_version),
                       ("FileDescription", "Расчёт LC-контура"), ("ProductName", "Расчёт LC-контура"),
                       ("LegalCopyright", "Copyright (c) 2026 The lccalc developers. MIT License.")]:
        found = strings.get(key, (b"",))[0].decode("utf-16-le").rstrip("\0")
        check(found == value, f"{key} is {found!r} through the Translation entry, not {value!r}")
    # VS_FIXEDFILEINFO: the signature, the structure's version, then the
    # file version as major, minor (high and low word), build, revision.
    at = record.find(b"\xbd\x04\xef\xfe") + 8
    words = [int.from_bytes(record[at + 2 * i:at + 2 * i + 2], "little") for i in (1, 0, 3, 2)]
    check(words == numbers, f"the file version is {words}, not {numbers}")

    manifest = run("wrestool", "-x", "--raw", "--type=24", args.exe).decode()
    for text in ["Microsoft.Windows.Common-Controls", "PerMonitorV2", 'level="asInvoker"',
                 "35138b9a-5d96-4fbd-8e2d-a2440225f93a",  # Windows 7
                 "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"]:  # Windows 10 and 11
        check(text in manifest, f"no {text!r} in the manifest")

    dump = run("x86_64-w64-mingw32-objdump", "-p", args.exe, text=True)
    imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
    check(imports <= SYSTEM_DLLS, f"imports {sorted(imports - SYSTEM_DLLS)} beyond Windows' own")
    # Every function it takes from the system is one that Windows 7 has: the
    # headers declare it for that version (the C runtime's are Windows' own).
    functions, dll = [], None
    for line in dump.splitlines():
        if "DLL Name:" in line:
            dll = line.split()[-1].lower()
        # "vma hint name" (binutils 2.40) or "vma <none> hint name" (2.44).
        elif dll != "msvcrt.dll" and re.match(r"\s+[0-9a-f]+\s+(<none>\s+)?[0-9a-f]+\s+\w+$", line):
            functions.append(line.split()[-1])
    check(len(functions) > 50, f"only {len(functions)} imported functions found")
    with tempfile.TemporaryDirectory() as scratch:
        with open(f"{scratch}/imports.cpp", "w") as source:
            source.write("#include <windows.h>\n#include <commctrl.h>\n#include <oleacc.h>\n"
                         "void imports() {\n" + "".join(f"  (void)&{f};\n" for f in functions) + "}\n")
        result = subprocess.run(["x86_64-w64-mingw32-g++-posix", "-fsyntax-only", "-DUNICODE",
                                 "-DWINVER=0x0601", "-D_WIN32_WINNT=0x0601", f"{scratch}/imports.cpp"],
                                capture_output=True, text=True)
        missing = re.findall(r"error: .(\w+). was not declared", result.stderr)
        check(result.returncode == 0, f"imports not declared for Windows 7: {missing or result.stderr}")

    with tempfile.TemporaryDirectory() as scratch:
        run("cpack", "-B", scratch, "--config", args.cpack_config)
        with zipfile.ZipFile(f"{scratch}/lccalc-{args.version}-win64.zip") as package:
            names = sorted(package.namelist())
            texts = {name: package.read(f"lccalc-{args.version}-win64/{name}")
                     for name in ("README.txt", "LICENSE.txt")}
            shipped = package.extract(f"lccalc-{args.version}-win64/lccalc.exe", scratch)
        folder = f"lccalc-{args.version}-win64/"
        # As Notepad before Windows 10 reads them: a UTF-8 byte order mark,
        # and each line ended by CR LF.
        for name, text in texts.items():
            lines, crlf = text.count(b"\n"), text.count(b"\r\n")
            check(text.startswith(b"\xef\xbb\xbf") and lines == crlf > 1,
                  f"{name} begins {text[:8]!r}, {crlf} of {lines} lines end in CR LF")
        check(texts["README.txt"].decode("utf-8-sig").startswith(f"lccalc {args.version} "),
              f"the read-me begins {texts['README.txt'][:40]!r}")
        # The shipped exe is hardened: its address space randomised (high
        # entropy), its data not executable, its stack protected (libssp's
        # message is there only when protected code was linked in).
        header = run("x86_64-w64-mingw32-objdump", "-p", shipped, text=True)
        for flag in ("HIGH_ENTROPY_VA", "DYNAMIC_BASE", "NX_COMPAT"):
            check(re.search(rf"^\s+{flag}$", header, re.M), f"the exe is not {flag}")
        with open(shipped, "rb") as exe:
            check(b"stack smashing detected" in exe.read(), "the exe has no stack protector")
        check(names == [folder + name for name in ("LICENSE.txt", "README.txt", "lccalc.exe")],
              f"the zip holds {names}")

    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
