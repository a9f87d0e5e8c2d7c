"""The device goes away in the middle of a stream: the window keeps answering, the reader does not
turn into a busy loop, and a confirmed exit still ends the program cleanly."""

import time
import unittest

from fault import IDC_RECVTEXT, FaultTest, charger, cpu_seconds

# Far above an idle reader (well under 1 %) and far below a reader spinning on the dead line
# (a whole core): a fault check, not a speed target.
CPU_BOUND = 0.5
WATCH_SECONDS = 3.0
# A window that takes this long to answer one message is hung as far as a user can tell.
HUNG_MS = 1000


class Unplug(FaultTest):
    def wait_settled(self):
        last = [-1]

        def unchanged():
            now = self.probe.length(IDC_RECVTEXT)
            same, last[0] = now == last[0], now
            return same

        self.wait_for(unchanged, "the box to stop growing", timeout=60, every=1.5)

    def watch(self, app, seconds):
        """Pings the window for `seconds`; returns (CPU share of the program, slowest ping in ms)."""
        cpu0, t0 = cpu_seconds(app.pid), time.monotonic()
        slowest = 0.0
        while time.monotonic() - t0 < seconds:
            us = self.probe.ping_us(5000)
            slowest = max(slowest, us / 1000 if us is not None else float("inf"))
            time.sleep(0.1)
        cpu1, t1 = cpu_seconds(app.pid), time.monotonic()
        return (cpu1 - cpu0) / (t1 - t0), slowest

    def test_the_window_answers_the_reader_rests_and_exit_works(self):
        for moment in ("mid_stream", "between_lines"):
            with self.subTest(moment):
                device = self.env.pty()
                app = self.start_receiving(device)
                device.stream(b"".join(charger.results(200)), charger.LINE_RATE)
                self.probe.wait_length(1500, 15000)
                if moment == "between_lines":
                    device.join()
                    self.wait_settled()  # the reader is waiting on a quiet line
                shown_before = self.probe.length(IDC_RECVTEXT)
                device.unplug()
                device.join()

                share, slowest = self.watch(app, WATCH_SECONDS)
                print(f"\n{moment}: CPU {share:.1%} of a core over {WATCH_SECONDS:.0f} s after "
                      f"the unplug; slowest ping {slowest:.1f} ms")
                self.assertLess(slowest, HUNG_MS, "the window stopped answering")
                self.assertLess(share, CPU_BOUND, "the reader spins on the vanished device")
                self.assertIsNone(app.poll(), "the program ended by itself")
                self.assertGreaterEqual(self.probe.length(IDC_RECVTEXT), shown_before,
                                        "what was shown went away")

                later, _ = self.watch(app, WATCH_SECONDS)
                print(f"{moment}: CPU {later:.1%} of a core over the next {WATCH_SECONDS:.0f} s")
                self.assertLess(later, CPU_BOUND, "the reader spins on the vanished device")

                code, seconds = self.exit_with_yes(app)
                print(f"{moment}: exit after the unplug {seconds:.2f} s")
                self.assertEqual(code, 0)
                self.assertLess(seconds, 3.0, "the exit waited far longer than one read time-out")
                device.close()
                self.probe.wait_window_gone(5000)


if __name__ == "__main__":
    unittest.main()
