# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""A private desktop session for the Python tests: a folder of their own as
the runtime folder, and a D-Bus session bus that lives in it. Whatever the
bus starts (the accessibility bus, dconf) gets that folder too, so two test
runs on one machine never share a socket; and it all ends with the test.

A process group is ended whole, and waited for: a folder goes only when
nothing that might still write into it is left."""
import contextlib
import os
import shutil
import signal
import subprocess
import tempfile
import time


def _live_members(group):
    """The processes of `group` that still run: a zombie, whose parent has
    yet to reap it, writes nothing."""
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                state, _, pgrp = stat.read().rsplit(")", 1)[1].split()[:3]
        except (OSError, ValueError):  # ended meanwhile
            continue
        if int(pgrp) == group and state not in ("Z", "X"):
            members.append(int(entry))
    return members


def end_group(group, timeout=60.0):
    """Kills every process of the process group `group` (SIGKILL: a hung
    process ignores a polite request) and waits until none of them runs."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            os.killpg(group, signal.SIGKILL)
        except ProcessLookupError:
            return
        if not _live_members(group):
            return
        if time.monotonic() > deadline:
            raise RuntimeError(f"processes {_live_members(group)} of group {group} outlived SIGKILL")
        time.sleep(0.05)


@contextlib.contextmanager
def private_session():
    """Starts a D-Bus session bus in a new folder, which is its runtime
    folder and home, and makes both this process's session bus and runtime
    folder; yields the folder. At the end the bus and everything it started
    are ended, and the folder is removed."""
    folder = tempfile.mkdtemp(prefix="lccalc-session-")
    read_end, write_end = os.pipe()
    bus = subprocess.Popen(
        ["dbus-daemon", "--session", "--nofork", f"--address=unix:path={folder}/bus",
         f"--print-address={write_end}"],
        pass_fds=[write_end], start_new_session=True, stdout=subprocess.DEVNULL,
        env=dict(os.environ, XDG_RUNTIME_DIR=folder, HOME=folder))
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        address = pipe.readline().strip()
    saved = {key: os.environ.get(key) for key in ("DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")}
    try:
        if not address:
            raise RuntimeError("dbus-daemon did not start")
        os.environ.update(DBUS_SESSION_BUS_ADDRESS=address, XDG_RUNTIME_DIR=folder)
        yield folder
    finally:
        end_group(bus.pid)
        bus.wait()
        for key, value in saved.items():
            if value is None:
                os.environ.pop(key, None)
            else:
                os.environ[key] = value
        shutil.rmtree(folder)
