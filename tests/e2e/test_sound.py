"""A long session and hostile bytes: everything received shows, and the line never edits the user's
text or clipboard."""

import unittest

from journey import Journey


class LongSessionAndHostileBytes(Journey):
    def setUp(self):
        super().setUp()
        self.device = self.env.pty()
        self.start_receiving(self.device)

    def test_forty_thousand_bytes_all_arrive_past_the_default_limit(self):
        line = b"0123456789ABCDE\n"
        data = line * 2500
        self.device.stream(data, 100000)  # as fast as the reader takes them
        shown_length = len(data) + data.count(b"\n")  # each LF shows as CR LF
        self.assertEqual(self.probe.wait_length(shown_length, 120000), shown_length)
        self.device.join()
        self.assertEqual(self.shown(), data.decode().replace("\n", "\r\n"))
        self.screenshot("sound_long_session")

    def test_editing_command_bytes_touch_neither_clipboard_nor_text(self):
        self.probe.set_clipboard("クリップボードの内容")
        self.device.write(b"abcdef")
        self.wait_shown_ending("abcdef")
        self.probe.set_selection(1, 4)
        # select all, copy, paste, cut, undo; then a typed letter replaces the user's selection.
        self.device.write(b"\x01\x03\x16\x18\x1aZ")
        self.wait_for(lambda: "Z" in self.shown(), "the letter to show")
        self.assertEqual(self.shown(), "aZef")
        self.assertEqual(self.probe.clipboard(), "クリップボードの内容")
        self.screenshot("sound_editing_commands")


if __name__ == "__main__":
    unittest.main()
