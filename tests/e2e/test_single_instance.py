"""One copy per machine: a second start says so and ends; the first keeps running."""

import unittest

from journey import CAPTION, IDOK, IDYES, Journey


class SingleInstance(Journey):
    def test_a_second_copy_says_so_and_ends_while_the_first_keeps_receiving(self):
        device = self.env.pty()
        first = self.start_receiving(device)
        second = self.env.start_chargeview()
        self.apps.append(second)
        handle, caption, text, owner = self.message_box(10000)
        self.assertEqual((caption, text, owner), ("起動確認", "既に起動されています", "0x0"))
        self.screenshot("single_instance_second_copy")
        self.probe.answer(handle, IDOK)
        self.assertEqual(second.wait(timeout=10), 0)
        self.assertIsNone(first.poll())
        device.write(b"first goes on\r")
        self.wait_shown_ending("first goes on\r\n")

    def test_a_start_after_the_first_copy_ended_opens_the_window(self):
        first = self.open_window({})
        self.probe.close_box()
        handle = self.message_box()[0]
        self.probe.answer(handle, IDYES)
        self.assertEqual(first.wait(timeout=10), 0)
        self.open_window({})
        self.no_message_box()
        self.assertTrue(self.probe.find(CAPTION, 1000))


if __name__ == "__main__":
    unittest.main()
