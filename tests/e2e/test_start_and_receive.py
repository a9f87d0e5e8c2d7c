"""Starting reception: which port opens, what the window says, and what happens without one."""

import unittest

from journey import IDC_PORTNAME, IDC_START, IDOK, Journey, sjis


class StartAndReceive(Journey):
    def test_the_first_port_that_opens_is_named_and_the_start_button_disabled(self):
        cases = [  # (name, {COM n: "device" or "busy"}, expected label)
            ("only_com7", {7: "device"}, "COM7"),
            ("only_com12", {12: "device"}, "COM12"),
            ("busy_port_passed_over", {3: "busy", 5: "device"}, "COM5"),
        ]
        for name, layout, label in cases:
            with self.subTest(name):
                device = self.env.pty()
                ports = {n: device.path if kind == "device" else self.env.busy_path()
                         for n, kind in layout.items()}
                app = self.open_window(ports)
                self.assertTrue(self.probe.enabled(IDC_START))
                self.assertEqual(self.probe.text(IDC_PORTNAME), "")
                self.probe.click(IDC_START)
                self.wait_for(lambda: self.probe.text(IDC_PORTNAME) == label, f"label {label}")
                self.assertFalse(self.probe.enabled(IDC_START))
                device.write(sjis("受信テスト OK\r"))
                self.wait_shown_ending("OK\r\n")
                self.screenshot(f"start_{name}")
                app.kill()
                app.wait(timeout=10)
                self.probe.wait_window_gone(5000)

    def test_without_a_port_it_says_so_and_a_later_press_succeeds(self):
        self.open_window({})
        self.probe.click(IDC_START)
        handle, caption, text, owner = self.message_box()
        self.assertEqual((caption, text, owner), ("エラー", "ポートがオープン出来ません", "0x0"))
        self.screenshot("start_no_port")
        self.probe.answer(handle, IDOK)
        self.wait_for(lambda: self.probe.message_box(100) is None, "the box to close")
        self.assertTrue(self.probe.enabled(IDC_START))
        self.assertEqual(self.probe.text(IDC_PORTNAME), "")

        device = self.env.pty()
        self.env.add_port(4, device.path)
        self.probe.click(IDC_START)
        self.wait_for(lambda: self.probe.text(IDC_PORTNAME) == "COM4", "label COM4")
        self.assertFalse(self.probe.enabled(IDC_START))
        device.write(b"after retry\r")
        self.wait_shown_ending("retry\r\n")


if __name__ == "__main__":
    unittest.main()
