"""The window as it opens: centred on the desktop, laid out as its template says."""

import re
import unittest

from journey import ROOT, Journey

CONTROLS = {1000: "RECVTEXT", 1001: "START", 1002: "CLEAR", 1003: "EXIT", 1004: "PORTNAME"}


def template_rects():
    """Rectangles in dialog units (x, y, width, height), read from the layout the template uses."""
    source = (ROOT / "src" / "res" / "dlgmain.h").read_text(encoding="utf-8")
    return {name: tuple(int(v) for v in values.split(","))
            for name, values in re.findall(r"#define (\w+)_RECT ([\d, ]+)", source)}


def mul_div(value, numerator, denominator):
    return (value * numerator * 2 + denominator) // (denominator * 2)


def to_pixels(rect, base_x, base_y):
    x, y, width, height = rect
    left, top = mul_div(x, base_x, 4), mul_div(y, base_y, 8)
    return (left, top, left + mul_div(width, base_x, 4), top + mul_div(height, base_y, 8))


class Window(Journey):
    def test_opens_centred_with_the_templates_size_and_layout(self):
        self.open_window({})
        left, top, right, bottom = self.probe.rect()
        _, _, desktop_right, desktop_bottom = self.probe.desktop()
        width, height = right - left, bottom - top
        self.assertEqual((left, top), ((desktop_right - width) // 2, (desktop_bottom - height) // 2))

        # Dialog units scale with the font; some one pair of base units must give the client
        # area and every control exactly.
        rects = template_rects()
        shown = {name: self.probe.item_rect(id) for id, name in CONTROLS.items()}
        client = self.probe.client_size()
        fits = [(bx, by) for bx in range(4, 17) for by in range(8, 33)
                if to_pixels(rects["DLGMAIN"], bx, by)[2:] == client and
                all(to_pixels(rects[name], bx, by) == shown[name] for name in CONTROLS.values())]
        self.assertTrue(fits, f"client {client} and controls {shown} do not match {rects}")
        self.screenshot("window_centred")


if __name__ == "__main__":
    unittest.main()
