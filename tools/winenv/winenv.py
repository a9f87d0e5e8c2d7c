"""Runs chargeview.exe for real: Wine in a private prefix, a display, pseudo-terminals as COM ports.

The end-to-end tests, the benchmarks and scripts/run all start the program through this module, so
there is one place that knows how. Every process it starts is stopped by `close()` (or on leaving
a `with` block), and nothing is left running.
"""

import json
import os
import pathlib
import shutil
import signal
import subprocess
import sys
import threading
import time
import tty

ROOT = pathlib.Path(__file__).resolve().parents[2]
CAPTION = "充電結果表示"
IDC_RECVTEXT, IDC_START, IDC_CLEAR, IDC_EXIT, IDC_PORTNAME = 1000, 1001, 1002, 1003, 1004
IDOK, IDYES, IDNO = 1, 6, 7
PREFIX_VERSION = "1"  # bump when the prefix's settings below change


def wine_runs_32bit():
    """The product is 32-bit; some kernels run no 32-bit programs at all (ia32 emulation off)."""
    try:
        return subprocess.run(["/usr/lib/wine/wine", "--version"], capture_output=True,
                              timeout=30).returncode == 0
    except OSError:
        return False


def build_dir():
    """The build whose exes Wine can run here: the product's own, or the 64-bit one."""
    preset = os.environ.get("CHARGEVIEW_PRESET") or ("windows" if wine_runs_32bit() else "windows64")
    return ROOT / "build" / preset


def _end_with_parent():
    """Run in a child before exec: it gets SIGTERM when the process that started it dies, so a
    test killed by its time-out leaves no display or server behind."""
    import ctypes
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def base_environment(prefix):
    env = dict(os.environ)
    env.update({"WINEPREFIX": str(prefix), "LANG": "ja_JP.UTF-8", "LC_ALL": "ja_JP.UTF-8",
                "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="})
    return env


class Pty:
    """A pseudo-terminal standing in for a device: the program reads the slave end as a COM port,
    the test writes the device's bytes into the master end."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        # Raw from the start, so bytes written before the program sets the line are kept as sent.
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)
        self.sent = 0
        self._stream = None

    def write(self, data):
        view = memoryview(data)
        while view:
            master = self.master
            if master is None:
                return  # unplugged: the rest goes nowhere, as on a real line
            try:
                done = os.write(master, view)
            except OSError:
                return
            view = view[done:]
            self.sent += done

    def write_at_rate(self, data, bytes_per_second, chunk=16):
        """Writes at the line's pace, in small chunks so the pace holds within a few ms."""
        start = time.monotonic()
        for i in range(0, len(data), chunk):
            if self.master is None:
                return
            due = start + i / bytes_per_second
            delay = due - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            self.write(data[i:i + chunk])

    def stream(self, data, bytes_per_second):
        """write_at_rate in the background; join() waits for the last byte."""
        self._stream = threading.Thread(target=self.write_at_rate, args=(data, bytes_per_second),
                                        daemon=True)
        self._stream.start()
        return self._stream

    def join(self):
        if self._stream:
            self._stream.join()

    def unplug(self):
        """The device goes away: its end of the line closes."""
        if self.master is not None:
            os.close(self.master)
            self.master = None

    def close(self):
        self.unplug()
        if self.slave is not None:
            os.close(self.slave)
            self.slave = None


class ProbeError(RuntimeError):
    pass


class Probe:
    """Our Win32 probe under the same wineserver: finds windows, presses buttons, reads texts."""

    def __init__(self, env):
        self.proc = subprocess.Popen(["wine", str(env.exe("probe"))], env=env.env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        env._track(self.proc)
        self.ask("")  # the greeting

    def ask(self, command):
        if command:
            self.proc.stdin.write((command + "\n").encode())
            self.proc.stdin.flush()
        line = self.proc.stdout.readline().decode().rstrip("\n")
        if not line:
            raise ProbeError(f"probe ended at: {command}")
        return line

    def ok(self, command):
        line = self.ask(command)
        if not line.startswith("ok"):
            raise ProbeError(f"{command}: {line}")
        return line[3:]

    # What the tests use.
    def find(self, caption=CAPTION, timeout_ms=20000):
        return self.ask(f"find {timeout_ms} {caption}").startswith("ok")

    def text(self, control):
        return json.loads(self.ok(f"text {control}"))

    def length(self, control=IDC_RECVTEXT):
        return int(self.ok(f"len {control}"))

    def wait_length(self, at_least, timeout_ms, control=IDC_RECVTEXT):
        reply = self.ask(f"wait_len {control} {at_least} {timeout_ms}").split()
        return int(reply[-1])

    def focus(self):
        """The id of the control with the keyboard focus, 0 the window itself, -1 none."""
        return int(self.ok("focus"))

    def enabled(self, control):
        return self.ok(f"enabled {control}") == "1"

    def click(self, control):
        return self.ok(f"click {control}")

    def close_box(self):
        return self.ok("close")

    def key(self, control, vk):
        return self.ok(f"key {control} {vk}")

    def set_selection(self, start, end, control=IDC_RECVTEXT):
        return self.ok(f"setsel {control} {start} {end}")

    def selection(self, control=IDC_RECVTEXT):
        return tuple(int(v) for v in self.ok(f"sel {control}").split())

    def click_at_char(self, index, control=IDC_RECVTEXT):
        return self.ok(f"clickchar {control} {index}")

    def clipboard(self):
        return json.loads(self.ok("clipget"))

    def set_clipboard(self, text):
        return self.ok("clipset " + text.encode().hex())

    def message_box(self, timeout_ms=10000):
        """(handle, caption, text, owner) of a message box, or None."""
        line = self.ask(f"msgbox {timeout_ms}")
        if not line.startswith("ok"):
            return None
        handle, rest = line[3:].split(" ", 1)
        decoder = json.JSONDecoder()
        caption, end = decoder.raw_decode(rest)
        text, end2 = decoder.raw_decode(rest[end + 1:])
        owner = rest[end + 1 + end2 + 1:]
        return handle, caption, text, owner

    def answer(self, box_handle, button):
        return self.ok(f"answer {box_handle} {button}")

    def rect(self):
        return tuple(int(v) for v in self.ok("rect").split())

    def client_size(self):
        return tuple(int(v) for v in self.ok("client").split())

    def item_rect(self, control):
        """A control's rectangle in the window's client coordinates."""
        return tuple(int(v) for v in self.ok(f"itemrect {control}").split())

    def desktop(self):
        return tuple(int(v) for v in self.ok("desktop").split())

    def ping_us(self, timeout_ms=5000):
        line = self.ask(f"ping {timeout_ms}")
        return int(line[3:]) if line.startswith("ok") else None

    def window_exists(self):
        return self.ok("exists") == "1"

    def wait_window_gone(self, timeout_ms):
        return self.ask(f"wait_gone {timeout_ms}").startswith("ok")

    def quit(self):
        try:
            self.proc.stdin.write(b"quit\n")
            self.proc.stdin.flush()
            self.proc.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait(timeout=10)
        for pipe in (self.proc.stdin, self.proc.stdout):
            try:
                pipe.close()
            except OSError:
                pass


class WineEnv:
    """One Wine session: prefix, display, COM ports, and the processes started in it."""

    def __init__(self, prefix=None, display=None, own_display=None):
        self.builds = build_dir()
        arch = "win32" if self.builds.name == "windows" else "win64"
        default_prefix = pathlib.Path(os.environ.get("XDG_CACHE_HOME", pathlib.Path.home() / ".cache"))
        self.prefix = pathlib.Path(prefix or os.environ.get("CHARGEVIEW_WINEPREFIX") or
                                   default_prefix / "chargeview" / f"wineprefix-{arch}")
        self.env = base_environment(self.prefix)
        self.env["WINEARCH"] = arch
        self._procs = []
        self._ptys = []
        self._xvfb = None
        if own_display is None:
            own_display = not display and not os.environ.get("DISPLAY")
        if own_display:
            self._start_xvfb()
        else:
            self.env["DISPLAY"] = display or os.environ["DISPLAY"]
        self._ensure_prefix()
        self._start_server()

    # -- set-up ---------------------------------------------------------------------------------
    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_end_with_parent)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.env["DISPLAY"] = ":" + number.decode().strip()

    def _wine(self, *args, check=True):
        return subprocess.run(["wine", *args], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, check=check, timeout=120)

    def _ensure_prefix(self):
        marker = self.prefix / ".chargeview-prefix"
        if marker.exists() and marker.read_text() == PREFIX_VERSION:
            return
        if self.prefix.exists():
            subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
            shutil.rmtree(self.prefix)
        self.prefix.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["wineboot", "-i"], env=self.env, check=True, capture_output=True,
                       timeout=300)
        # A virtual desktop: windows get frames and captions on screen, and close at once
        # (without a window manager Wine waits for each closing window).
        self._wine("reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "Default", "/f")
        self._wine("reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "Default", "/d",
                   "1024x768", "/f")
        # Empty entries keep Wine from mapping the machine's own serial ports to COM1..COM15;
        # the session links its own devices instead.
        for n in range(1, 16):
            self._wine("reg", "add", r"HKLM\Software\Wine\Ports", "/v", f"COM{n}", "/d", "", "/f")
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)
        marker.write_text(PREFIX_VERSION)

    def _prefix_processes(self):
        """Pids of every process running in this prefix, ours or left by a run that was killed."""
        tag = f"WINEPREFIX={self.prefix}".encode()
        pids = []
        for entry in pathlib.Path("/proc").iterdir():
            if not entry.name.isdigit() or int(entry.name) == os.getpid():
                continue
            try:
                # Wine's own programs only: a shell that happens to name the prefix stays.
                if (os.readlink(entry / "exe").startswith("/usr/lib/wine/") and
                        tag in (entry / "environ").read_bytes().split(b"\0")):
                    pids.append(int(entry.name))
            except OSError:
                pass
        return pids

    def _kill_prefix_processes(self):
        for pid in self._prefix_processes():
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass

    def _start_server(self):
        # Any stale session of this prefix (a killed test run) goes first.
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        subprocess.run(["wineserver", "-w"], env=self.env, capture_output=True, timeout=60)
        self._kill_prefix_processes()
        self._server = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        preexec_fn=_end_with_parent)
        # The first program starts Wine's services, which set the COM links up; ours come after.
        self._wine("cmd", "/c", "exit", check=False)
        self.set_ports({})

    # -- ports ----------------------------------------------------------------------------------
    def set_ports(self, ports):
        """COM n -> a Unix path (a pty slave, a real device, or busy_path() for a port in use);
        every other COM1..COM15 is absent."""
        for n in range(1, 16):
            self.add_port(n, ports.get(n, self._unopenable()))

    def add_port(self, n, path):
        """Links COM n to a path, replacing what it was."""
        link = self.prefix / "dosdevices" / f"com{n}"
        if link.is_symlink() or link.exists():
            link.unlink()
        link.symlink_to(path)

    def remove_port(self, n):
        self.add_port(n, self._unopenable())

    def _unopenable(self):
        # Wine 8 opens any COM name it has no working link for as a dummy device (also a dangling
        # link); only a link to a directory fails, so that is how a port is made absent.
        path = self.prefix / "no-device"
        path.mkdir(exist_ok=True)
        return str(path)

    def pty(self):
        device = Pty()
        self._ptys.append(device)
        return device

    def busy_path(self):
        """A path that Wine cannot open (access denied), as with a port another program holds."""
        path = self.prefix / "busy-port"
        path.mkdir(exist_ok=True)
        return str(path)

    # -- programs -------------------------------------------------------------------------------
    def exe(self, name):
        return self.builds / f"{name}.exe"

    def _track(self, proc):
        self._procs.append(proc)
        return proc

    def start_chargeview(self, args=()):
        return self._track(subprocess.Popen(["wine", str(self.exe("chargeview")), *args],
                                            env=self.env, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL))

    def probe(self):
        return Probe(self)

    def screenshot(self, path):
        path = pathlib.Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", str(path)],
                       check=True, capture_output=True, timeout=30)
        return path

    # -- ending ---------------------------------------------------------------------------------
    def close(self):
        for proc in self._procs:
            if proc.poll() is None:
                proc.kill()
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        for proc in self._procs + [self._server]:
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        # Wine's own services outlive a server that was killed; nothing of the session may stay.
        self._kill_prefix_processes()
        for device in self._ptys:
            device.close()
        if self._xvfb:
            self._xvfb.terminate()
            self._xvfb.wait(timeout=10)
        self.set_ports_on_close()

    def set_ports_on_close(self):
        # No link may point at a pty that is gone once this session ends.
        try:
            self.set_ports({})
        except OSError:
            pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
