#!/usr/bin/env python3
"""Runs chargeview.exe under Wine with a simulated charger on COM1, or with real serial devices.

On your display when $DISPLAY is set (close the window to end), otherwise in a private Xvfb for
--seconds, then a screenshot is saved and the program is asked to exit.
"""

import argparse
import os
import pathlib
import sys
import threading
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent / "charger"))

import charger  # noqa: E402
from winenv import IDC_PORTNAME, IDC_START, IDYES, WineEnv  # noqa: E402


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--device", action="append", default=[], metavar="PATH",
                        help="a real serial device (e.g. /dev/ttyUSB0) instead of the simulated "
                             "charger; given again, the next COM port")
    parser.add_argument("--screenshot", metavar="FILE", help="save a screenshot of the window")
    parser.add_argument("--seconds", type=float, default=10,
                        help="how long to run without a display (default 10)")
    parser.add_argument("--manual", action="store_true",
                        help="do not press 受信開始; leave it to the user")
    parser.add_argument("--xvfb", action="store_true", help="use a private Xvfb even with $DISPLAY")
    return parser.parse_args()


def main():
    args = parse_args()
    for path in args.device:
        if not os.path.exists(path):
            sys.exit(f"run: no such device: {path}")
    headless = args.xvfb or not os.environ.get("DISPLAY")
    with WineEnv(own_display=headless) as env:
        if args.device:
            env.set_ports({n: path for n, path in enumerate(args.device, start=1)})
            print("run: " + ", ".join(f"COM{n} = {p}" for n, p in enumerate(args.device, 1)))
        else:
            device = env.pty()
            env.set_ports({1: device.path})
            feed = threading.Thread(target=simulate_charger, args=(device,), daemon=True)
            feed.start()
            print(f"run: simulated charger on COM1 ({device.path})")
        app = env.start_chargeview()
        probe = env.probe()
        if not probe.find():
            sys.exit("run: the window did not open")
        if not args.manual:
            probe.click(IDC_START)
            print(f"run: pressed 受信開始; receiving on {wait_for_label(probe)}")
        if headless:
            time.sleep(args.seconds)
            if args.screenshot:
                print(f"run: screenshot {env.screenshot(args.screenshot)}")
            probe.close_box()
            box = probe.message_box(5000)
            if box:
                probe.answer(box[0], IDYES)
        else:
            if args.screenshot:
                time.sleep(min(args.seconds, 5))
                print(f"run: screenshot {env.screenshot(args.screenshot)}")
            print("run: close the window (終了) to end")
        code = app.wait()
        probe.quit()
        print(f"run: chargeview.exe ended with exit code {code}")
        return code


def simulate_charger(device):
    try:
        charger.write_paced(device.master, charger.results(), charger.LINE_RATE, pause_between=1.0)
    except (OSError, TypeError):
        pass  # the session ended


def wait_for_label(probe, timeout=5.0):
    until = time.monotonic() + timeout
    while time.monotonic() < until:
        label = probe.text(IDC_PORTNAME)
        if label:
            return label
        time.sleep(0.1)
    return "(no port: see the message box)"


if __name__ == "__main__":
    sys.exit(main())
