# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""A private X server for the Python tests: Xvfb on a display number nobody
uses (it picks one itself and says which through -displayfd), gone when the
test is done. Run as a program, `xvfb.py COMMAND...` runs COMMAND on one
and exits with its status."""
import contextlib
import os
import subprocess
import sys


@contextlib.contextmanager
def private_display(screen="640x400x24"):
    """Starts Xvfb and yields its display name, ":N"."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp"],
        pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    try:
        if not number:
            raise RuntimeError("Xvfb did not start")
        yield ":" + number
    finally:
        server.kill()
        server.wait()


if __name__ == "__main__":
    with private_display() as display:
        sys.exit(subprocess.run(sys.argv[1:], env=dict(os.environ, DISPLAY=display)).returncode)
