#!/usr/bin/env python3
"""A simulated charger: writes charge results in Shift-JIS, CR LF line ends, to a serial line at the
line's pace (9600 baud 8N1 carries 960 bytes/s), or the bytes of a given file at a given rate.

    charger.py DEVICE                     results until stopped
    charger.py DEVICE --count 20          twenty results, then ends
    charger.py DEVICE --file F --rate R   the bytes of F at R bytes/s

DEVICE is a tty (a real port, or the master side given as an open file descriptor: fd:N).
"""

import argparse
import itertools
import os
import sys
import time

LINE_RATE = 960  # bytes per second at 9600 baud, 8N1


def result_lines():
    """Endless charge results as a charger prints them: number, slot, state, voltage, current."""
    states = ["充電完了", "充電中", "満充電", "異常なし", "ｼﾞｭｳﾃﾞﾝ ｶﾝﾘｮｳ"]
    for n in itertools.count(1):
        slot = (n - 1) % 8 + 1
        volts = 12.0 + (n * 37 % 90) / 100
        amps = (n * 53 % 250) / 100
        state = states[n % len(states)]
        yield f"No.{n:04d} {slot}番 {state} {volts:.2f}V {amps:.2f}A\r\n"


def results(count=None):
    """The bytes of `count` results (or endless), Shift-JIS encoded."""
    lines = result_lines() if count is None else itertools.islice(result_lines(), count)
    for line in lines:
        yield line.encode("cp932")


def write_paced(fd, chunks, rate, pause_between=0.0):
    """Writes at `rate` bytes/s in small pieces, so the pace holds within a few milliseconds."""
    start = time.monotonic()
    sent = 0
    for chunk in chunks:
        for i in range(0, len(chunk), 16):
            piece = chunk[i:i + 16]
            delay = start + sent / rate - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            os.write(fd, piece)
            sent += len(piece)
        if pause_between:
            time.sleep(pause_between)
            start += pause_between
    return sent


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("device")
    parser.add_argument("--file", help="send the bytes of this file instead of charge results")
    parser.add_argument("--rate", type=float, default=LINE_RATE, help="bytes per second")
    parser.add_argument("--count", type=int, help="how many results (default: until stopped)")
    parser.add_argument("--gap", type=float, default=1.0, help="seconds between results")
    args = parser.parse_args()

    if args.device.startswith("fd:"):
        fd = int(args.device[3:])
    else:
        fd = os.open(args.device, os.O_WRONLY | os.O_NOCTTY)
    try:
        if args.file:
            with open(args.file, "rb") as f:
                write_paced(fd, [f.read()], args.rate)
        else:
            write_paced(fd, results(args.count), args.rate, args.gap)
    except (KeyboardInterrupt, BrokenPipeError):
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
