"""What the fault tests share: a Wine session per test class, the program started on a pty, and
the Unix-side view of its processes (CPU time, which processes belong to the session)."""

import os
import pathlib
import sys
import time
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "winenv"))
sys.path.insert(0, str(ROOT / "tools" / "charger"))

import charger  # noqa: E402,F401
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


class FaultTest(unittest.TestCase):
    """One Wine session per test class; each test starts its own copy of the program."""

    @classmethod
    def setUpClass(cls):
        cls.env = WineEnv()
        cls.probe = cls.env.probe()

    @classmethod
    def tearDownClass(cls):
        cls.probe.quit()
        cls.env.close()

    def setUp(self):
        self.apps = []

    def tearDown(self):
        for app in self.apps:
            if app.poll() is None:
                app.kill()
                app.wait(timeout=10)
        if self.apps:
            self.probe.wait_window_gone(5000)

    def start_receiving(self, device, com=1):
        """chargeview.exe with this device as its only port, reception started."""
        self.env.set_ports({com: device.path})
        app = self.env.start_chargeview()
        self.apps.append(app)
        self.assertTrue(self.probe.find(), "the window did not open")
        self.probe.click(IDC_START)
        self.wait_for(lambda: not self.probe.enabled(IDC_START), "reception to start")
        return app

    def wait_for(self, condition, what, timeout=10.0, every=0.05):
        until = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > until:
                self.fail(f"timed out waiting for {what}")
            time.sleep(every)

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
