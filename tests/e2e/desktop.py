"""The private desktop of the end-to-end suite: Xvfb, a window manager, a Wine prefix, the program,
and the X tools that look at it and drive it (xdotool, xclip, xprop, xwininfo, ImageMagick)."""

import os
import select
import queue
import re
import shutil
import signal
import subprocess
import threading
import time
import urllib.parse

import bmp

TITLE = "Brenwick Quadrino"
POLL = 0.1


class CaseFailure(Exception):
    """A check of a case did not hold."""


class CaseSkipped(Exception):
    """The environment cannot do what a case needs; the reason says why."""


def wait_until(what, probe, timeout, interval=POLL):
    """Polls probe() until it gives a true value and returns it; fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise CaseFailure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def end_process(proc, grace=3.0):
    """Ends one process this suite started, by its id: TERM, then KILL after the grace time."""
    if proc is None or proc.poll() is not None:
        return
    try:
        proc.terminate()
        proc.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        try:
            proc.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            pass
    except ProcessLookupError:
        pass


def windows_path(path):
    """The path Wine shows for a Linux path: the Linux root is drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Screen:
    """One capture of the whole X screen."""

    def __init__(self, ppm):
        tokens = []
        pos = 0
        while len(tokens) < 4:
            while ppm[pos:pos + 1].isspace():
                pos += 1
            if ppm[pos:pos + 1] == b"#":
                pos = ppm.index(b"\n", pos) + 1
                continue
            end = pos
            while not ppm[end:end + 1].isspace():
                end += 1
            tokens.append(ppm[pos:end])
            pos = end
        if tokens[0] != b"P6" or tokens[3] != b"255":
            raise CaseFailure("unexpected screen capture format %r" % tokens)
        self.width, self.height = int(tokens[1]), int(tokens[2])
        self.data = ppm[pos + 1:]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def region(self, x, y, width, height):
        rows = []
        for yy in range(y, y + height):
            start = (yy * self.width + x) * 3
            line = self.data[start:start + width * 3]
            rows.append(list(zip(line[0::3], line[1::3], line[2::3])))
        return bmp.Image(width, height, rows)


class Desktop:
    """Starts and ends everything the suite runs; every process is tracked by its id."""

    def __init__(self, build_dir, out_dir, prefix_name="wineprefix-e2e", dll_overrides="mscoree,mshtml="):
        self.build_dir = build_dir
        self.out_dir = out_dir
        self.prefix = os.path.join(build_dir, prefix_name)
        self.env = dict(os.environ)
        self.env.update({"WINEPREFIX": self.prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": dll_overrides})
        self.env.pop("WINESERVER", None)
        self.procs = []
        self.spawned = 0
        self.stderr_logs = {}
        self.xvfb = None
        self.wm = None
        self.server_started = False

    # --- processes -------------------------------------------------------------------------

    def spawn(self, args, **kwargs):
        """Starts a program beside the suite; unless the caller reads it, its stderr (and its stdout,
        where openbox writes its errors) is kept in out_dir/NAME-N.log so that a program that fails to
        start can say why (see why())."""
        kwargs.setdefault("stdin", subprocess.DEVNULL)
        log = None
        if "stderr" not in kwargs:
            self.spawned += 1
            log = os.path.join(self.out_dir, "%s-%d.log" % (os.path.basename(args[0]), self.spawned))
            with open(log, "wb") as f:
                kwargs["stderr"] = f
                kwargs.setdefault("stdout", f)
                proc = subprocess.Popen(args, env=self.env, **kwargs)
        else:
            kwargs.setdefault("stdout", subprocess.DEVNULL)
            proc = subprocess.Popen(args, env=self.env, **kwargs)
        self.procs.append(proc)
        self.stderr_logs[proc.pid] = log
        return proc

    def why(self, proc, lines=5):
        """How a program started by spawn() stands, with the last lines of its output."""
        state = "is still running" if proc.poll() is None else "ended with status %d" % proc.returncode
        log = self.stderr_logs.get(proc.pid)
        tail = ""
        if log and os.path.exists(log):
            with open(log, "rb") as f:
                text = f.read().decode(errors="replace").strip().splitlines()
            tail = " | ".join(line.strip() for line in text[-lines:] if line.strip())
        return "%s %s%s" % (os.path.basename(proc.args[0]), state,
                            (": " + tail) if tail else " (no output%s)" % (", see " + log if log else ""))

    def expect_running(self, proc, what):
        """Fails the case with the program's own words when a program that should run has ended."""
        if proc.poll() is not None:
            raise CaseFailure("%s did not start: %s" % (what, self.why(proc)))

    def run(self, args, timeout=20, check=False, input_bytes=None):
        try:
            result = subprocess.run(args, env=self.env, input=input_bytes, stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE, timeout=timeout,
                                    stdin=None if input_bytes is not None else subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            raise CaseFailure("%s did not finish within %d s" % (" ".join(args[:3]), timeout))
        if check and result.returncode != 0:
            raise CaseFailure("%s failed: %s" % (" ".join(args[:4]), result.stderr.decode(errors="replace").strip()))
        return result

    def run_wine(self, args, timeout):
        """Wine tools leave background processes that inherit output pipes: give them none."""
        try:
            return subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            raise CaseFailure("%s did not finish within %d s" % (" ".join(args[:3]), timeout))

    def start(self):
        self.start_display()
        self._prepare_prefix()

    def start_display(self):
        """Xvfb and the window manager; RuntimeError with the failing program's own words."""
        self._start_xvfb()
        self._start_wm()

    def close(self):
        """Ends everything, newest first; the Wine prefix's server goes with wineserver -k."""
        for proc in reversed(self.procs):
            if proc is not self.wm and proc is not self.xvfb:
                end_process(proc)
        if self.server_started:
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except subprocess.TimeoutExpired:
                pass
        end_process(self.wm)
        end_process(self.xvfb)

    def _start_xvfb(self):
        # Xvfb picks a free display itself and writes its number to a pipe: no race with other runs.
        read_end, write_end = os.pipe()
        try:
            proc = self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,))
        finally:
            os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        with os.fdopen(read_end, "rb") as pipe:
            while time.monotonic() < deadline and not number.endswith(b"\n"):
                ready, _, _ = select.select([pipe], [], [], POLL)
                if ready:
                    chunk = os.read(pipe.fileno(), 16)
                    if not chunk:
                        break
                    number += chunk
        if not number.strip().isdigit():
            end_process(proc)
            raise RuntimeError("could not start Xvfb: %s" % self.why(proc))
        self.env["DISPLAY"] = ":" + number.strip().decode()
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and proc.poll() is None:
            if self.run(["xdpyinfo"], timeout=5).returncode == 0:
                self.xvfb = proc
                return
            time.sleep(POLL)
        end_process(proc)
        raise RuntimeError("Xvfb did not answer: %s" % self.why(proc))

    def _start_wm(self):
        # A window manager spares Wine its 2-second waits for withdrawn windows and gives stacking.
        self.wm = self.spawn(["openbox", "--sm-disable"])

        def running():
            if self.wm.poll() is not None:
                raise RuntimeError("the window manager did not start: %s" % self.why(self.wm))
            return b"window id" in self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], timeout=5).stdout
        try:
            wait_until("the window manager", running, 60)
        except CaseFailure as error:
            raise RuntimeError("%s: %s" % (error, self.why(self.wm)))

    def _prepare_prefix(self):
        ready = os.path.join(self.prefix, ".quadrino-ready")
        if not os.path.exists(ready):
            shutil.rmtree(self.prefix, ignore_errors=True)
            os.makedirs(self.prefix)
            self.server_started = True
            self.run_wine(["wineboot", "-i"], timeout=300)
            self.run_wine(["wineserver", "-w"], timeout=300)
            # A crash ends the program with a status instead of waiting in Wine's crash dialog.
            self.run_wine(["wine", "reg", "add", "HKCU\\Software\\Wine\\WineDbg", "/v", "ShowCrashDialog",
                      "/t", "REG_DWORD", "/d", "0", "/f"], timeout=120)
            self.run_wine(["wineserver", "-w"], timeout=120)
            with open(ready, "w"):
                pass
        # A server left from an earlier run would belong to another display.
        self.run_wine(["wineserver", "-k"], timeout=30)
        self.server_started = True
        self.run_wine(["wineserver", "-p"], timeout=30)
        self.run_wine(["wine", "wineboot"], timeout=180)

    # --- windows ---------------------------------------------------------------------------

    def search(self, *args):
        result = self.run(["xdotool", "search"] + list(args), timeout=10)
        return [int(w) for w in result.stdout.split()]

    def windows_named(self, title):
        return self.search("--onlyvisible", "--name", "^%s$" % re.escape(title))

    def window_name(self, wid):
        return self.run(["xdotool", "getwindowname", str(wid)], timeout=5).stdout.decode(errors="replace").strip()

    def wait_window(self, title, exclude=(), timeout=15, owner=None):
        """The window's id once it shows; with owner (the process that makes it), a process that ended
        first fails at once with its own words."""
        def probe():
            if owner is not None:
                self.expect_running(owner, 'the program for the window "%s"' % title)
            found = [w for w in self.windows_named(title) if w not in exclude]
            return found[0] if found else None
        try:
            return wait_until('a window titled "%s"' % title, probe, timeout)
        except CaseFailure as error:
            if owner is None or "did not start" in str(error):
                raise
            raise CaseFailure("%s (%s)" % (error, self.why(owner)))

    def is_viewable(self, wid):
        result = self.run(["xwininfo", "-id", str(wid)], timeout=5)
        return result.returncode == 0 and b"IsViewable" in result.stdout

    def wait_gone(self, wid, what, timeout=10):
        wait_until("%s to close" % what, lambda: not self.is_viewable(wid), timeout)

    def geometry(self, wid):
        """The window's inside on the screen: (x, y, width, height)."""
        out = self.run(["xwininfo", "-id", str(wid)], timeout=5, check=True).stdout.decode()

        def field(name):
            return int(re.search(r"%s:\s+(-?\d+)" % re.escape(name), out).group(1))
        return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"))

    def frame_extents(self, wid):
        out = self.run(["xprop", "-id", str(wid), "_NET_FRAME_EXTENTS"], timeout=5).stdout.decode()
        numbers = [int(n) for n in re.findall(r"\d+", out.split("=", 1)[-1])] if "=" in out else []
        return tuple(numbers) if len(numbers) == 4 else (0, 0, 0, 0)

    def popup_windows(self, known):
        """Visible windows of the program without a title (its popup menus), not among known."""
        found = []
        for wid in self.search("--onlyvisible", "--classname", "quadrino"):
            if wid not in known and not self.window_name(wid):
                found.append(wid)
        return found

    def stacking(self):
        """Managed windows from bottom to top."""
        out = self.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], timeout=5).stdout.decode()
        return [int(h, 16) for h in re.findall(r"0x[0-9a-fA-F]+", out)]

    def wm_state(self, wid):
        return self.run(["xprop", "-id", str(wid), "_NET_WM_STATE"], timeout=5).stdout.decode()

    def screen_size(self):
        out = self.run(["xwininfo", "-root"], timeout=5, check=True).stdout.decode()
        return (int(re.search(r"Width:\s+(\d+)", out).group(1)), int(re.search(r"Height:\s+(\d+)", out).group(1)))

    # --- input -----------------------------------------------------------------------------

    def xdotool(self, *args):
        self.run(["xdotool"] + [str(a) for a in args], timeout=15, check=True)

    def pointer(self):
        out = self.run(["xdotool", "getmouselocation", "--shell"], timeout=5).stdout.decode()
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values.get("X", -1)), int(values.get("Y", -1))

    def move_pointer(self, x, y):
        # Not --sync: it waits for ever when the pointer already stands there.
        self.xdotool("mousemove", x, y)
        wait_until("the pointer at (%d, %d)" % (x, y), lambda: self.pointer() == (x, y), 5, interval=0.05)

    def click(self, x, y, button=1):
        self.move_pointer(x, y)
        self.xdotool("click", button)

    def keys(self, *names):
        self.xdotool("key", "--delay", 80, *names)

    def type_text(self, text):
        self.xdotool("type", "--delay", 80, text)

    def activate(self, wid):
        # Override-redirect and disabled windows may refuse; the keys then go where the focus is.
        try:
            self.run(["xdotool", "windowactivate", "--sync", str(wid)], timeout=5)
        except CaseFailure:
            pass

    # --- screen and clipboard ----------------------------------------------------------------

    def grab(self):
        result = self.run(["import", "-window", "root", "-depth", "8", "ppm:-"], timeout=30, check=True)
        return Screen(result.stdout)

    def screenshot(self, name, crop=None):
        path = os.path.join(self.out_dir, name)
        args = ["import", "-window", "root"]
        if crop:
            x, y, w, h = crop
            args += ["-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage"]
        self.run(args + [path], timeout=30)
        return path

    def clipboard_targets(self):
        result = self.run(["xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"], timeout=5)
        return result.stdout.decode(errors="replace").split() if result.returncode == 0 else []

    def clipboard_image(self):
        try:
            result = self.run(["xclip", "-selection", "clipboard", "-t", "image/bmp", "-o"], timeout=10)
        except CaseFailure:
            return None
        if result.returncode != 0 or len(result.stdout) < 54:
            return None
        try:
            return bmp.decode_bmp(result.stdout)
        except (ValueError, IndexError) as error:
            raise CaseFailure("the clipboard's image/bmp could not be read: %s" % error)


class DragSource:
    """The GTK drag source program, on the desktop at (x, y); drags one file at a time."""

    def __init__(self, desktop, work_dir, x, y):
        self.desktop = desktop
        self.uri_file = os.path.join(work_dir, "drag-uri.txt")
        self.events = queue.Queue()
        self.log = []
        python = self._python_with_gtk()
        if not python:
            raise CaseSkipped("no Python with GTK 3 bindings (python3-gi, gir1.2-gtk-3.0) is installed")
        with open(self.uri_file, "w") as f:
            f.write("file:///\n")
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "drag_source.py")
        self.proc = desktop.spawn([python, script, self.uri_file, str(x), str(y)], stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, text=True)
        threading.Thread(target=self._read, daemon=True).start()
        try:
            self.wid = desktop.wait_window("Quadrino e2e drag source", timeout=20)
        except CaseFailure as error:
            raise CaseFailure("%s; the drag source %s, its last output: %s" % (
                error, "is running" if self.proc.poll() is None else "ended with status %d" % self.proc.returncode,
                self._drain()[-5:]))
        self._wait_event("ready", 20)

    @staticmethod
    def _python_with_gtk():
        probe = "import gi; gi.require_version('Gtk', '3.0'); from gi.repository import Gtk"
        for python in ("/usr/bin/python3", shutil.which("python3")):
            if python and os.path.exists(python):
                if subprocess.run([python, "-c", probe], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL).returncode == 0:
                    return python
        return None

    def _read(self):
        for line in self.proc.stdout:
            self.events.put(line.strip())

    def _drain(self):
        while not self.events.empty():
            self.log.append(self.events.get())
        return self.log

    def _wait_event(self, prefix, timeout):
        deadline = time.monotonic() + timeout
        while True:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            try:
                event = self.events.get(timeout=remaining)
            except queue.Empty:
                return None
            self.log.append(event)
            if event.startswith(prefix) or event.startswith("drag-failed"):
                return event

    def drag_to(self, path, target_x, target_y):
        """A real drag with the left button from the source onto the target point."""
        with open(self.uri_file, "w") as f:
            f.write("file://" + urllib.parse.quote(os.path.abspath(path)) + "\n")
        while not self.events.empty():
            self.log.append(self.events.get())
        sx, sy, sw, sh = self.desktop.geometry(self.wid)
        x, y = sx + sw // 2, sy + sh // 2
        d = self.desktop
        d.move_pointer(x, y)
        d.xdotool("mousedown", 1)
        try:
            steps = 16
            for i in range(1, steps + 1):
                d.xdotool("mousemove", x + (target_x - x) * i // steps, y + (target_y - y) * i // steps)
                time.sleep(0.04)
            # A few small moves over the target let the XDND position and status messages settle.
            for dx in (2, -2, 1, 0):
                d.xdotool("mousemove", target_x + dx, target_y)
                time.sleep(0.08)
        finally:
            d.xdotool("mouseup", 1)
        begun = any(e == "drag-begin" for e in self.log) or self._wait_event("drag-begin", 5) == "drag-begin"
        if not begun:
            raise CaseSkipped("the GTK drag source never started a drag under xdotool's pointer")
        end = self._wait_event("drag-end", 15)
        if end is None or end.startswith("drag-failed"):
            raise CaseFailure("the drop was not taken (%s; source events: %s)" % (end or "no drag-end", self.log[-6:]))
        if not any(e.startswith("data-get") for e in self.log):
            raise CaseFailure("the program never asked the drag source for its data (events: %s)" % self.log[-6:])

    def close(self):
        end_process(self.proc)


def install_signal_handlers():
    """CTest ends a test that runs too long with SIGTERM: turn it into an exception so cleanup runs."""
    def handler(signum, _frame):
        raise KeyboardInterrupt("signal %d" % signum)
    signal.signal(signal.SIGTERM, handler)
