"""Any byte at all on the line: random bytes, every value among them. The program survives and the
box shows exactly what our text box model (src/platform/standin/edit_model.cpp) computes for the
same bytes.

How many: 200,000 (CHARGEVIEW_FAULT_BINARY_BYTES sets another count, e.g. 20,000 for a quick
look). Under Wine the box takes random bytes more slowly than text, about 3 ms a character: random
bytes make long lines, and a line holding U+0080, which byte 0x80 becomes, costs Wine's EDIT up to
10 ms per character typed. 200,000 took 563 s here, 20,000 about 90 s.

The model keeps Shift-JIS; the probe reads the box through the W API. Reading the model's text
takes the code page's conversion, and Python's cp932 codec agrees with what the box shows for
every code it accepts: all single bytes (0x80 -> U+0080, 0xA0 -> U+F8F0, 0xFD..0xFF ->
U+F8F1..U+F8F3 included) and every assigned pair (NEC and IBM extensions, and the user-defined
area 0xF040..0xF9FC -> U+E000..U+E757, included). It differs on the 5,756 pairs it rejects: a lead
byte (0x81..0x9F, 0xE0..0xFC) followed by a byte that is no second byte (0x00..0x3F, 0x7F,
0xFD..0xFF) or forming an unassigned code. The box shows each of those as one U+30FB (the code
page's default character, as Windows' MultiByteToWideChar gives it) and the second byte is used
up: a CR or a backspace there does nothing of its own. That is the right reading for the product,
which only ever sees the box, so `box_text` below follows it; test_every_code_reads_as_the_box
checks the whole table against the box itself (tools/bench/box_codes).
"""

import os
import pathlib
import random
import subprocess
import threading
import time
import unittest

from fault import ROOT, IDC_RECVTEXT, FaultTest

COUNT = int(os.environ.get("CHARGEVIEW_FAULT_BINARY_BYTES", "200000"))
SEED = 20240611
DEFAULT_CHAR = "\u30fb"
BUILD_HOST = ROOT / "build" / "host"


def is_lead(byte):
    return 0x81 <= byte <= 0x9F or 0xE0 <= byte <= 0xFC


def read_code(code):
    """One character of the model's text (one byte, or a lead byte and the byte after it)."""
    try:
        return code.decode("cp932")
    except UnicodeDecodeError:
        return DEFAULT_CHAR


def box_text(shift_jis):
    """The model's Shift-JIS text as the box shows it."""
    out, i = [], 0
    while i < len(shift_jis):
        width = 2 if is_lead(shift_jis[i]) and i + 1 < len(shift_jis) else 1
        out.append(read_code(shift_jis[i:i + width]))
        i += width
    return "".join(out)


def replay_tool():
    return os.environ.get("EDIT_MODEL_REPLAY") or str(BUILD_HOST / "tests" / "fault" /
                                                      "edit_model_replay")


def model_text(data):
    path = pathlib.Path(os.environ.get("TMPDIR", "/tmp")) / f"fault-binary-{os.getpid()}.bin"
    path.write_bytes(data)
    try:
        return subprocess.run([replay_tool(), str(path)], check=True, capture_output=True,
                              timeout=120).stdout
    finally:
        path.unlink()


class Binary(FaultTest):
    def test_random_bytes_show_as_the_model_computes(self):
        data = random.Random(SEED).randbytes(COUNT)
        self.assertEqual(len(set(data)), 256, "every byte value is among them")
        expected = box_text(model_text(data))

        device = self.env.pty()
        app = self.start_receiving(device)
        started = time.monotonic()
        writer = threading.Thread(target=device.write, args=(data,), daemon=True)
        writer.start()  # as fast as the reader takes them: the pty holds about 20 KB

        # Done when everything is written and the box has stopped changing. Polls stay sparse:
        # each one costs the window a message.
        last, still = -1, 0
        until = time.monotonic() + max(900, COUNT / 20)
        while still < 3:
            self.assertLess(time.monotonic(), until, "the box never settled")
            self.assertIsNone(app.poll(), "the program ended")
            time.sleep(1)
            length = self.probe.length(IDC_RECVTEXT)
            still = still + 1 if length == last and not writer.is_alive() else 0
            last = length
        print(f"\n{COUNT} random bytes shown in {time.monotonic() - started:.0f} s "
              f"({len(expected)} characters)")

        self.assertIsNotNone(self.probe.ping_us(5000), "the window stopped answering")
        shown = self.probe.text(IDC_RECVTEXT)
        if shown != expected:
            at = next((i for i, (a, b) in enumerate(zip(shown, expected)) if a != b),
                      min(len(shown), len(expected)))
            self.fail(f"the box differs from the model at character {at} of "
                      f"{len(shown)}/{len(expected)}: box {shown[at - 10:at + 10]!r}, "
                      f"model {expected[at - 10:at + 10]!r}")
        code, _ = self.exit_with_yes(app)
        self.assertEqual(code, 0)

    def test_every_code_reads_as_the_box(self):
        result = subprocess.run(["wine", str(self.env.exe("box_codes"))], env=self.env.env,
                                capture_output=True, timeout=600, check=True)
        lines = result.stdout.decode().split("\n")
        self.assertEqual(lines[0].strip(), "acp 932")
        leads = [int(b, 16) for b in lines[1].split()[1:]]
        self.assertEqual(leads, [b for b in range(256) if is_lead(b)], "the lead bytes")
        checked, differing = 0, []
        for line in lines[2:]:
            if not line.strip():
                continue
            code, units = line.split()
            code = bytes.fromhex(code)
            if len(code) == 1 and (code[0] < 0x20 or code[0] == 0x7F):
                continue  # control bytes act on the box: the random stream covers them
            shown = "" if units == "-" else "".join(chr(int(u, 16)) for u in units.split(","))
            checked += 1
            if read_code(code) != shown:
                differing.append(f"{code.hex()}: box {shown!r}, read as {read_code(code)!r}")
        self.assertEqual(checked, 256 - 32 - 1 - len(leads) + len(leads) * 256)
        self.assertEqual(differing, [])


if __name__ == "__main__":
    unittest.main()
