"""Leaving: only a confirmed exit ends the program, promptly and with exit code 0."""

import time
import unittest

from journey import CAPTION, IDC_EXIT, IDC_RECVTEXT, IDNO, IDYES, Journey, sjis

VK_RETURN, VK_ESCAPE = 0x0D, 0x1B


class Exit(Journey):
    def setUp(self):
        super().setUp()
        self.device = self.env.pty()
        self.app = self.start_receiving(self.device)

    def ask_to_exit(self, how):
        if how == "exit_button":
            self.probe.click(IDC_EXIT)
        else:
            self.probe.close_box()
        handle, caption, text, owner = self.message_box()
        self.assertEqual((caption, text), ("終了確認", "終了してもよいですか"))
        self.assertNotEqual(owner, "0x0", "the question belongs to the window")
        return handle

    def answer_yes_and_time_the_exit(self, handle):
        started = time.monotonic()
        self.probe.answer(handle, IDYES)
        code = self.app.wait(timeout=10)
        return code, time.monotonic() - started

    def test_no_keeps_receiving_and_yes_ends_the_program(self):
        for how in ("exit_button", "close_box"):
            with self.subTest(how):
                handle = self.ask_to_exit(how)
                self.screenshot(f"exit_question_{how}")
                self.probe.answer(handle, IDNO)
                self.device.write(sjis(f"{how} 受信継続\r"))
                self.wait_shown_ending(f"{how} 受信継続\r\n")
                self.assertIsNone(self.app.poll())
        code, seconds = self.answer_yes_and_time_the_exit(self.ask_to_exit("close_box"))
        print(f"\nexit on an idle line: {seconds:.2f} s")
        self.assertEqual(code, 0)
        self.assertLess(seconds, 3.0, "the exit waited far longer than one read time-out")

    def test_yes_ends_the_program_in_the_middle_of_a_full_rate_stream(self):
        self.device.stream(sjis("No.0001 充電完了 電圧 12.50V\r\n") * 400, 960)
        self.probe.wait_length(1500, 10000)
        code, seconds = self.answer_yes_and_time_the_exit(self.ask_to_exit("exit_button"))
        print(f"\nexit during a full-rate stream: {seconds:.2f} s")
        self.assertEqual(code, 0)
        self.assertLess(seconds, 3.0, "the exit waited on the stream")

    def test_escape_and_enter_never_close_the_window(self):
        self.probe.key(0, VK_ESCAPE)
        self.probe.key(0, VK_RETURN)
        self.no_message_box()
        # In the multi-line text box Esc is a close request, as the close box is: it only asks.
        self.probe.key(IDC_RECVTEXT, VK_ESCAPE)
        handle, caption, _, _ = self.message_box()
        self.assertEqual(caption, "終了確認")
        self.probe.answer(handle, IDNO)
        self.assertTrue(self.probe.find(CAPTION, 1000))
        self.assertIsNone(self.app.poll())
        self.device.write(b"still here\r")
        self.wait_shown_ending("still here\r\n")


if __name__ == "__main__":
    unittest.main()
