# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""lccalc.exe as Windows sees it from outside: the icon group, the version
record and the manifest read back from the built executable, the DLLs it
imports, the committed .ico checked against its PNG sources, and the zip
that the target lc_zip makes for Windows users."""
import re
import runpy
import struct
import subprocess
import zipfile

import pytest

# The icon group: width, height and bits per pixel of each image.
ICON_GROUP = [(32, 32, 1), (32, 32, 4), (16, 16, 4), (48, 48, 32), (256, 256, 32)]
# Windows' own DLLs, all the executable may need.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll", "ole32.dll",
               "oleacc.dll", "oleaut32.dll", "advapi32.dll"}
# The version record's strings, looked up as Windows' tools do; {version}
# is "major.minor", the minor in two digits.
VERSION_STRINGS = [("FileVersion", "{version}"), ("ProductVersion", "{version}"),
                   ("FileDescription", "Расчёт LC-контура"), ("ProductName", "Расчёт LC-контура"),
                   ("LegalCopyright", "Copyright (c) 2026 The lccalc developers. MIT License.")]
MANIFEST = ["Microsoft.Windows.Common-Controls", "PerMonitorV2", 'level="asInvoker"',
            "35138b9a-5d96-4fbd-8e2d-a2440225f93a",  # Windows 7
            "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"]  # Windows 10 and 11


def run(*command, **kwargs):
    result = subprocess.run(list(map(str, command)), capture_output=True, **kwargs)
    assert result.returncode == 0, f"{' '.join(map(str, command))}: {result.stderr!r}"
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


@pytest.fixture(scope="module")
def version(build):
    return [int(part) for part in build.version.split(".")]


@pytest.fixture(scope="module")
def record(build):
    return run("wrestool", "-x", "--raw", "--type=16", build.lccalc)


def test_committed_ico_is_what_its_pngs_make(build, tmp_path):
    ico_arguments = runpy.run_path(f"{build.icons}/make_icons.py")["ico_arguments"]
    run("icotool", "-c", "-o", tmp_path / "fresh.ico", *ico_arguments(), cwd=build.icons)
    with open(tmp_path / "fresh.ico", "rb") as fresh, open(f"{build.icons}/lccalc.ico", "rb") as committed:
        assert fresh.read() == committed.read(), "lccalc.ico is out of date: run make_icons.py"


def test_icon_group_holds_every_size(build, tmp_path):
    run("wrestool", "-x", "--type=14", f"--output={tmp_path}/group.ico", build.lccalc)
    listing = run("icotool", "-l", tmp_path / "group.ico", text=True)
    images = [tuple(int(re.search(f"--{key}=(\\d+)", line).group(1)) for key in ("width", "height", "bit-depth"))
              for line in listing.splitlines() if line.startswith("--icon")]
    assert images == ICON_GROUP


@pytest.mark.parametrize("key, value", VERSION_STRINGS, ids=[key for key, _ in VERSION_STRINGS])
def test_version_string_through_the_translation_entry(record, version, key, value):
    tree = version_tree(record)[1][1]
    language, code_page = struct.unpack("<HH", tree["VarFileInfo"][1]["Translation"][0][:4])
    strings = tree["StringFileInfo"][1].get(f"{language:04x}{code_page:04x}", (b"", {}))[1]
    found = strings.get(key, (b"",))[0].decode("utf-16-le").rstrip("\0")
    assert found == value.format(version=f"{version[0]}.{version[1]:02d}")


def test_fixed_file_version_is_the_version(record, version):
    # VS_FIXEDFILEINFO: the signature, the structure's version, then the
    # file version as major, minor (high and low word), build, revision.
    at = record.find(b"\xbd\x04\xef\xfe") + 8
    assert [int.from_bytes(record[at + 2 * i:at + 2 * i + 2], "little") for i in (1, 0, 3, 2)] == version


@pytest.mark.parametrize("text", MANIFEST)
def test_manifest_asks_for(build, text):
    assert text in run("wrestool", "-x", "--raw", "--type=24", build.lccalc).decode()


def test_exe_is_a_windowed_program_without_symbols(build):
    """No console window opens beside the window, and no symbols ship."""
    header = run("x86_64-w64-mingw32-objdump", "-p", build.lccalc, text=True)
    assert re.search(r"^Subsystem\s+00000002\s+\(Windows GUI\)", header, re.M)
    assert "symbols stripped" in header
    assert ".debug" not in run("x86_64-w64-mingw32-objdump", "-h", build.lccalc, text=True)


@pytest.fixture(scope="module")
def imports(build):
    return run("x86_64-w64-mingw32-objdump", "-p", build.lccalc, text=True)


def test_imports_only_windows_own_dlls(imports):
    assert {name.lower() for name in re.findall(r"DLL Name: (\S+)", imports)} <= SYSTEM_DLLS


def test_imports_only_what_windows_7_has(imports, tmp_path):
    """Every function it takes from the system is one the headers declare
    for Windows 7 (the C runtime's are Windows' own)."""
    functions, dll = [], None
    for line in imports.splitlines():
        if "DLL Name:" in line:
            dll = line.split()[-1].lower()
        # "vma hint name" (binutils 2.40) or "vma <none> hint name" (2.44).
        elif dll != "msvcrt.dll" and re.match(r"\s+[0-9a-f]+\s+(<none>\s+)?[0-9a-f]+\s+\w+$", line):
            functions.append(line.split()[-1])
    assert len(functions) > 50, "the imported functions were not found"
    (tmp_path / "imports.cpp").write_text("#include <windows.h>\n#include <commctrl.h>\n#include <oleacc.h>\n"
                                          "void imports() {\n" + "".join(f"  (void)&{f};\n" for f in functions) + "}\n")
    result = subprocess.run(["x86_64-w64-mingw32-g++-posix", "-fsyntax-only", "-DUNICODE", "-DWINVER=0x0601",
                             "-D_WIN32_WINNT=0x0601", tmp_path / "imports.cpp"], capture_output=True, text=True)
    assert result.returncode == 0, re.findall(r"error: .(\w+). was not declared", result.stderr) or result.stderr


@pytest.fixture(scope="module")
def package(build, tmp_path_factory):
    """The zip's names, its text files' bytes, and its exe unpacked."""
    scratch = tmp_path_factory.mktemp("zip")
    name = f"lccalc-{build.version}-win64"
    # lc_zip's own steps, into a folder of this test's own.
    run("cmake", f"-DBUILD={build.folder}", f"-DSTAGE={scratch}/stage", f"-DTOP={name}",
        f"-DOUT={scratch}/{name}.zip", "-P", f"{build.source}/cmake/LcZip.cmake")
    folder = f"{name}/"
    with zipfile.ZipFile(f"{scratch}/{name}.zip") as package:
        return dict(folder=folder, names=sorted(package.namelist()),
                    texts={name: package.read(folder + name) for name in ("README.txt", "LICENSE.txt")},
                    exe=package.extract(folder + "lccalc.exe", scratch))


def test_zip_holds_licence_readme_and_exe(package):
    assert package["names"] == [package["folder"] + name for name in ("LICENSE.txt", "README.txt", "lccalc.exe")]


@pytest.mark.parametrize("name", ["README.txt", "LICENSE.txt"])
def test_zip_text_is_as_old_notepad_reads_it(package, name):
    """A UTF-8 byte order mark, and each line ended by CR LF."""
    text = package["texts"][name]
    assert text.startswith(b"\xef\xbb\xbf") and text.count(b"\n") == text.count(b"\r\n") > 1, text[:40]


def test_zip_readme_names_the_version(build, package):
    assert package["texts"]["README.txt"].decode("utf-8-sig").startswith(f"lccalc {build.version} ")


@pytest.mark.parametrize("flag", ["HIGH_ENTROPY_VA", "DYNAMIC_BASE", "NX_COMPAT"])
def test_zip_exe_is_hardened(package, flag):
    """Its address space randomised (high entropy), its data not executable."""
    assert re.search(rf"^\s+{flag}$", run("x86_64-w64-mingw32-objdump", "-p", package["exe"], text=True), re.M)


def test_zip_exe_has_a_stack_protector(package):
    # libssp's message is there only when protected code was linked in.
    with open(package["exe"], "rb") as exe:
        assert b"stack smashing detected" in exe.read()
