"""What the text box shows: every byte as the character a typist would have typed."""

import unittest

from journey import IDC_CLEAR, Journey, sjis

MARK = "#"


class Text(Journey):
    def setUp(self):
        super().setUp()
        self.device = self.env.pty()
        self.start_receiving(self.device)

    def receive(self, data):
        """Sends the bytes and a marker after them; returns what the box then shows, marker off."""
        self.device.write(data + MARK.encode())
        return self.wait_shown_ending(MARK)[:-1]

    def test_japanese_lines_and_half_width_katakana_show_as_themselves(self):
        lines = "No.0001 充電器3 充電完了 電圧 12.50V\r\nｼﾞｭｳﾃﾞﾝ ｶﾝﾘｮｳ ｱﾘｶﾞﾄｳ\r\n"
        # The box takes CR and LF each as Enter: a CR LF line end gives an empty line after it.
        self.assertEqual(self.receive(sjis(lines)), lines.replace("\r\n", "\r\n\r\n"))
        self.screenshot("text_japanese")

    def test_control_bytes_act_as_their_keys(self):
        cases = [  # (name, bytes sent, what the box shows)
            ("backspace_deletes", b"AB\x08C", "AC"),
            ("backspace_deletes_a_whole_kanji", sjis("電圧") + b"\x08V", "電V"),
            ("carriage_return_starts_a_line", b"1\r2", "1\r\n2"),
            ("line_feed_starts_a_line", b"3\n4", "3\r\n4"),
            ("tab_is_kept", b"a\tb", "a\tb"),
            ("zero_byte_shows_nothing", b"x\x00y", "xy"),
        ]
        for name, data, expected in cases:
            with self.subTest(name):
                self.probe.click(IDC_CLEAR)
                self.wait_for(lambda: self.probe.length() == 0, "the box to empty")
                self.assertEqual(self.receive(data), expected)

    def test_a_click_into_the_text_makes_later_bytes_land_there(self):
        self.assertEqual(self.receive(b"HELLOWORLD"), "HELLOWORLD")
        self.probe.click_at_char(5)
        self.wait_for(lambda: self.probe.selection() == (5, 5), "the caret to move")
        # The first marker stays at the end; the new bytes and their marker land at the caret.
        self.device.write(b"--" + MARK.encode())
        self.wait_for(lambda: self.shown().count(MARK) == 2, "the bytes to show")
        self.assertEqual(self.shown(), "HELLO--#WORLD#")

    def test_clearing_during_a_stream_empties_the_box_and_later_bytes_fill_it(self):
        text = "".join(f"line {n:03d} 充電中\r" for n in range(120))
        data = sjis(text)
        self.device.stream(data, 960)
        self.wait_for(lambda: self.probe.length() > 300, "the stream to show")
        before = self.probe.length()
        self.probe.click(IDC_CLEAR)
        self.wait_for(lambda: self.probe.length() < before, "the box to empty")
        self.device.join()
        expected_all = text.replace("\r", "\r\n")
        self.wait_for(lambda: self.shown().endswith(expected_all[-40:]), "the stream's end")
        shown = self.shown()
        self.assertTrue(expected_all.endswith(shown), "later bytes are not the stream's tail")
        self.assertLess(len(shown), len(expected_all))
        self.assertGreater(len(shown), len(expected_all) // 2)
        self.screenshot("text_cleared_mid_stream")


if __name__ == "__main__":
    unittest.main()
