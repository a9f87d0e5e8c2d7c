"""Twenty start-receive-exit cycles in a row: each leaves nothing behind (no process, no window, no
open pty), and closing the session leaves no process of its Wine prefix at all."""

import os
import time
import unittest

from fault import CAPTION, IDC_RECVTEXT, FaultTest, WineEnv, holders, session_processes

CYCLES = 20
LINE = "No.0001 充電完了 電圧 12.50V\r".encode("cp932")


def program(command):
    """The file name of a process's program, from a Unix or a Windows path."""
    return command.replace("\\", "/").rsplit("/", 1)[-1].lower()


class Cycles(FaultTest):
    @classmethod
    def setUpClass(cls):
        pass  # each test here owns its session, to check what closing it leaves

    @classmethod
    def tearDownClass(cls):
        pass

    def tearDown(self):
        for app in self.apps:
            if app.poll() is None:
                app.kill()
                app.wait(timeout=10)

    def test_cycles_leave_nothing_behind(self):
        env = WineEnv()
        try:
            self.env, self.probe = env, env.probe()
            resident = None  # Wine's own services, the probe: the same after every cycle
            for cycle in range(1, CYCLES + 1):
                with self.subTest(cycle=cycle):
                    self.one_cycle(cycle)
                    processes = session_processes(env.prefix)
                    self.assertNotIn("chargeview.exe", [program(p) for p in processes.values()],
                                     "chargeview.exe is still running")
                    if resident is None:
                        resident = sorted(processes.values())
                        # The scan sees the session: its server and our probe are in it.
                        names = [program(p) for p in resident]
                        self.assertIn("probe.exe", names)
                        self.assertTrue(any(n.startswith("wineserver") for n in names), names)
                    self.assertEqual(sorted(processes.values()), resident,
                                     "the session's processes changed")
            self.probe.quit()
        finally:
            env.close()
        time.sleep(0.5)
        self.assertEqual(session_processes(env.prefix), {}, "processes of the prefix outlive it")
        self.assertIsNotNone(env._server.poll(), "the wineserver outlives the session")
        if env._xvfb:
            self.assertIsNotNone(env._xvfb.poll(), "the display outlives the session")
        for device in env._ptys:
            self.assertIsNone(device.master)
            self.assertFalse(os.path.exists(device.path), f"{device.path} still exists")

    def one_cycle(self, cycle):
        device = self.env.pty()
        app = self.start_receiving(device)
        device.write(LINE + f"{cycle:02d}\r".encode())
        self.wait_for(lambda: self.probe.text(IDC_RECVTEXT).endswith(f"{cycle:02d}\r\n"),
                      "the line to show")
        code, _ = self.exit_with_yes(app)
        self.assertEqual(code, 0)
        self.assertTrue(self.probe.wait_window_gone(5000), "the window stayed")
        self.assertFalse(self.probe.find(CAPTION, 0), "a window of the program is left")
        self.assertIsNone(self.probe.message_box(0), "a message box is left")
        # Only the test itself may still hold the line; Wine and the program have let it go.
        path = device.path
        self.assertEqual(holders(path) - {os.getpid()}, set(), f"{path} is still open")
        device.close()
        self.assertFalse(os.path.exists(path), f"{path} outlives its device")


if __name__ == "__main__":
    unittest.main()
