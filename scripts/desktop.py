#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""A private desktop for tests and benchmarks: an X server (Xvfb, on a
display number nobody uses) and a D-Bus session bus in a runtime folder of
its own, so that two runs on one machine never share a display or a
socket; all of it ends, and the folder goes, when the run is done.

As a program, `desktop.py [--screen WxHxD] COMMAND...` runs
COMMAND there (DISPLAY, DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR set)
and exits with its status; SIGTERM or SIGINT end COMMAND and the desktop.
The Python tests import private_display and private_session, which give
the two parts one at a time, and the few ways of waiting on and driving a
program there."""
import argparse
import contextlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time


@contextlib.contextmanager
def private_display(screen="640x400x24"):
    """Starts Xvfb and yields its display name, ":N". The server never
    resets: by default an X server starts over whenever its last client
    leaves, and refuses whoever connects meanwhile (a window manager
    starting while a short-lived xprop comes and goes)."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp", "-noreset"],
        pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    try:
        if not number:
            raise RuntimeError("Xvfb did not start")
        display = ":" + number
        yield display
    finally:
        server.kill()
        server.wait()


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
    folder; yields the folder. Whatever the bus starts (the accessibility
    bus, dconf) gets that folder too. At the end the bus and everything it
    started are ended, and the folder is removed: it goes only when nothing
    that might still write into it is left."""
    folder = tempfile.mkdtemp(prefix="lccalc-session-")
    read_end, write_end = os.pipe()
    bus = subprocess.Popen(
        ["dbus-daemon", "--session", "--nofork", f"--address=unix:path={folder}/bus",
         f"--print-address={write_end}"],
        pass_fds=[write_end], start_new_session=True, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL, env=dict(os.environ, XDG_RUNTIME_DIR=folder, HOME=folder))
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


def _dbus(*args, bus=None):
    """dbus-send on the session bus, or on the bus at the address `bus`."""
    env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus) if bus else None
    return subprocess.run(["dbus-send", "--session", "--print-reply=literal", "--reply-timeout=5000", *args],
                          capture_output=True, text=True, env=env)


def _accessible_name(bus, name):
    return _dbus(f"--dest={name}", "/org/a11y/atspi/accessible/root", "org.freedesktop.DBus.Properties.Get",
                 "string:org.a11y.atspi.Accessible", "string:Name", bus=bus)


def start_accessibility(timeout=60.0):
    """Starts the session's accessibility bus and its registry, and returns
    the bus's address once the registry answers for the desktop. A screen
    reader or a test that starts while they are still being started by
    D-Bus activation may find no desktop ("AT-SPI: Could not obtain desktop
    path or name") and then hear nothing."""
    deadline = time.monotonic() + timeout
    while True:
        address = _dbus("--dest=org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress").stdout.strip()
        if address and _accessible_name(address, "org.a11y.atspi.Registry").returncode == 0:
            return address
        if time.monotonic() > deadline:
            raise RuntimeError(f"the accessibility bus ({address or 'not started'}) has no registry "
                               f"after {timeout:g} s")
        time.sleep(0.1)


def accessible_applications(address):
    """The names of the applications on the accessibility bus at `address`:
    those whose accessibility bridge is up, so that what they do (a focus
    given to them) is heard."""
    children = _dbus("--dest=org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                     "org.a11y.atspi.Accessible.GetChildren", bus=address).stdout
    return [(_accessible_name(address, name).stdout.split() or [""])[-1]
            for name in re.findall(r":\d+\.\d+", children)]


def lccalc_environment(display, preload=None, **extra):
    """The environment lccalc is started with on `display` ({"DISPLAY": ...}
    or {"WAYLAND_DISPLAY": ...}, and nothing of the other): Qt's
    accessibility bridge on and, in a sanitizer build, its preload."""
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **display, **extra)
    for key in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"):
        if key not in display:
            env.pop(key, None)
    if preload:
        # AddressSanitizer's runtime then comes second, which it allows so.
        env.update(LD_PRELOAD=preload, ASAN_OPTIONS=env.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0")
    return env


def wait_for(what, probe, timeout=20.0, interrupt=None):
    """Polls probe() until it returns something true, and returns that.
    Fails on timeout, or at once where interrupt() returns a text, which
    says why (a report nobody expected is up, a helper has ended). A probe
    that raises counts as false: what it reads may change under it."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = said = None
        try:
            value = probe()
        except Exception:
            pass
        if not value and interrupt is not None:
            try:
                said = interrupt()
            except Exception:
                pass
        if said:
            raise AssertionError(f"waiting for {what}: {said}")
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError(f"timed out after {timeout:g} s waiting for {what}")


def xdotool(*args, env=None):
    """Runs xdotool with `args`; returns what it printed."""
    return subprocess.run(["xdotool", *map(str, args)], env=env, check=True, capture_output=True,
                          text=True).stdout


def visible_windows(name, env=None):
    """The X ids of the windows whose title holds `name`, once they are
    mapped: the focus cannot go to a window that is not viewable yet (X's
    BadMatch)."""
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], env=env,
                          capture_output=True, text=True).stdout.split()


def _interrupt(*_):
    raise KeyboardInterrupt


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--screen", default="640x400x24", help="Xvfb's screen, WxHxD")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    if not args.command:
        parser.error("no command to run")
    # A signal ends the command; the desktop then ends as after any command.
    for number in (signal.SIGTERM, signal.SIGINT):
        signal.signal(number, _interrupt)
    with private_session(), private_display(args.screen) as display:
        os.environ["DISPLAY"] = display
        command = subprocess.Popen(args.command)
        try:
            return command.wait()
        except KeyboardInterrupt:
            command.terminate()
            try:
                return command.wait(timeout=10)
            except subprocess.TimeoutExpired:
                command.kill()
                return command.wait()


if __name__ == "__main__":
    sys.exit(main())
