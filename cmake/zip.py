# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""Writes a zip of a folder the same, byte for byte, from the same files:
its files in sorted order, each with its permissions, the time
SOURCE_DATE_EPOCH gives (else now) in UTC, and no extra fields (which would
carry each file's access and change times).

Usage: zip.py FOLDER OUTPUT.zip"""
import os
import sys
import time
import zipfile

folder, output = sys.argv[1:]
stamp = time.gmtime(max(int(os.environ.get("SOURCE_DATE_EPOCH", time.time())), 315532800))[:6]
names = sorted(os.path.relpath(os.path.join(top, name), folder)
               for top, _, files in os.walk(folder) for name in files)
with zipfile.ZipFile(output, "w") as archive:
    for name in names:
        entry = zipfile.ZipInfo(name.replace(os.sep, "/"), stamp)
        entry.create_system = 3  # Unix, so that unzip keeps the permissions
        entry.external_attr = (os.stat(os.path.join(folder, name)).st_mode & 0xFFFF) << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(folder, name), "rb") as source:
            archive.writestr(entry, source.read(), compresslevel=9)
