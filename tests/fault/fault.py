"""What the fault tests share: the end-to-end journeys' session and helpers, and the Unix-side
view of the program's processes (CPU time, which processes belong to the session)."""

import os
import pathlib
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "winenv"))
sys.path.insert(0, str(ROOT / "tools" / "charger"))
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import charger  # noqa: E402,F401
from journey import Journey  # noqa: E402
from winenv import (CAPTION, IDC_RECVTEXT, IDC_START, IDYES, WineEnv)  # noqa: E402,F401

CLOCK_TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User + system time of a process, all its threads, from /proc."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rpartition(")")[2].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICK


def session_processes(prefix):
    """{pid: name} of every live process of this Wine prefix (its WINEPREFIX), whatever else
    runs on the machine."""
    wanted = f"WINEPREFIX={prefix}".encode()
    found = {}
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            environ = (entry / "environ").read_bytes().split(b"\0")
            state = (entry / "stat").read_text().rpartition(")")[2].split()[0]
            name = (entry / "cmdline").read_bytes().split(b"\0")[0].decode(errors="replace")
        except OSError:
            continue
        if wanted in environ and state != "Z":
            found[int(entry.name)] = name or (entry / "comm").read_text().strip()
    return found


def holders(path):
    """Pids of processes that have this file open."""
    found = set()
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            for fd in (entry / "fd").iterdir():
                if os.readlink(fd) == path:
                    found.add(int(entry.name))
                    break
        except OSError:
            continue
    return found


class FaultTest(Journey):
    """The journeys' session and helpers (one Wine session per class, a fresh program per test),
    and a timed exit."""

    def exit_with_yes(self, app, timeout=10):
        """Asks to close, answers Yes; returns (exit code, seconds from the answer to the end)."""
        self.probe.close_box()
        box = self.probe.message_box(5000)
        self.assertIsNotNone(box, "no exit question")
        self.assertEqual(box[1], "終了確認")
        started = time.monotonic()
        self.probe.answer(box[0], IDYES)
        code = app.wait(timeout=timeout)
        return code, time.monotonic() - started
