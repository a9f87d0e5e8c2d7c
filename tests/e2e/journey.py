"""What every end-to-end journey shares: one Wine session per test class, a fresh chargeview.exe
per test, the probe to look at it, and a screenshot per journey."""

import os
import pathlib
import sys
import time
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "winenv"))

from winenv import (CAPTION, IDC_CLEAR, IDC_EXIT, IDC_PORTNAME, IDC_RECVTEXT,  # noqa: E402,F401
                    IDC_START, IDNO, IDOK, IDYES, WineEnv)

ARTIFACTS = pathlib.Path(os.environ.get("CHARGEVIEW_E2E_ARTIFACTS", ROOT / "artifacts" / "e2e"))


def sjis(text):
    return text.encode("cp932")


class Journey(unittest.TestCase):
    """A test class runs in one Wine session; each test starts its own copy of the program."""

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
        # The next test must not find this test's window.
        if self.apps:
            self.probe.wait_window_gone(5000)

    # -- helpers --------------------------------------------------------------------------------
    def open_window(self, ports):
        """Starts chargeview.exe with these COM ports and waits for its window."""
        self.env.set_ports(ports)
        app = self.env.start_chargeview()
        self.apps.append(app)
        self.assertTrue(self.probe.find(), "the window did not open")
        return app

    def start_receiving(self, device, com=1):
        """Opens the window with one device and presses 受信開始."""
        app = self.open_window({com: device.path})
        self.probe.click(IDC_START)
        self.wait_for(lambda: self.probe.text(IDC_PORTNAME) == f"COM{com}", "the port to open")
        return app

    def wait_for(self, condition, what, timeout=10.0, every=0.05):
        until = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > until:
                self.fail(f"timed out waiting for {what}")
            time.sleep(every)

    def shown(self):
        return self.probe.text(IDC_RECVTEXT)

    def wait_shown_ending(self, tail, timeout=10.0):
        """Waits until the text box ends with `tail` (a marker the test sent last)."""
        self.wait_for(lambda: self.shown().endswith(tail), f"the box to end with {tail!r}", timeout)
        return self.shown()

    def message_box(self, timeout_ms=5000):
        box = self.probe.message_box(timeout_ms)
        self.assertIsNotNone(box, "no message box appeared")
        return box

    def no_message_box(self, within_ms=700):
        self.assertIsNone(self.probe.message_box(within_ms), "a message box appeared")

    def screenshot(self, name):
        self.env.screenshot(ARTIFACTS / f"{name}.png")
