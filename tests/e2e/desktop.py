"""A real X desktop for end-to-end tests: Xvfb, a window manager, the installed program, and the X
tools a person's actions go through (xdotool for keys and the mouse, xprop and xwininfo for reading)."""

import contextlib
import ctypes
import glob
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from datetime import datetime, timedelta

from photographs import ARTIFACTS, painted, read_count

PROGRAM = os.environ.get("COUNTDOWN3000", "countdown3000")
APP_ID = "io.github.countdown3000.Countdown3000"  # its desktop entry's name: its Wayland app_id
UNITS = ["s", "n", "h", "ww", "d", "m", "yyyy"]
# What AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer print when they find
# something, and what the program's run-time layer prints when an error ends it.
REPORTED_ERROR = re.compile(r"ERROR: (Address|Leak)Sanitizer|runtime error:|run-time error:")
TARGET = datetime(3000, 1, 1)


def expected_count(unit, wall):
    """Calendar boundaries of `unit` crossed from the wall-clock time `wall` to 1 January 3000,
    worked out from Python's own calendar."""
    if unit == "yyyy":
        return TARGET.year - wall.year
    if unit == "m":
        return (TARGET.year - wall.year) * 12 + TARGET.month - wall.month
    if unit == "ww":
        first, last = sorted((wall.date(), TARGET.date()))
        # weekday() 6 is Sunday: count the Sundays after the earlier date up to the later one.
        step = (6 - first.weekday()) % 7 or 7
        sundays = len(range((first + timedelta(step)).toordinal(), last.toordinal() + 1, 7))
        return sundays if wall.date() <= TARGET.date() else -sundays
    start = {
        "d": wall.replace(hour=0, minute=0, second=0),
        "h": wall.replace(minute=0, second=0),
        "n": wall.replace(second=0),
        "s": wall,
    }[unit]
    size = {"d": timedelta(days=1), "h": timedelta(hours=1), "n": timedelta(minutes=1),
            "s": timedelta(seconds=1)}[unit]
    return (TARGET - start) // size


def patience():
    """How many times longer than on a quiet machine a wait may take: more under the sanitizers
    (the build says how much in COUNTDOWN3000_PATIENCE), and more while other work keeps every
    core busy. A wait is not a measurement; checks of timing keep their own limits."""
    busy = os.getloadavg()[0] / (os.cpu_count() or 1)
    return float(os.environ.get("COUNTDOWN3000_PATIENCE", "1")) * max(1.0, busy)


# The desktops open now: a wait that times out says what their processes were doing.
OPEN_DESKTOPS = []


def wait_for(what, probe, timeout=10.0, interval=0.05):
    """Polls probe() until it returns something truthy; fails with `what` after timeout, scaled
    by patience()."""
    scale = patience()
    deadline = time.monotonic() + timeout * scale
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            state = "; ".join(d.describe() for d in OPEN_DESKTOPS)
            raise AssertionError(f"timed out waiting for {what} ({timeout * scale:.0f} s, load "
                                 f"{os.getloadavg()[0]:.1f}){': ' + state if state else ''}")
        time.sleep(interval)


def require(*commands):
    """Skips the test (or the subtest) where a display server, window manager or compositor, or
    the session bus one runs with, is not installed, saying which."""
    missing = [c for c in commands if shutil.which(c) is None]
    if missing:
        raise unittest.SkipTest(f"not installed: {', '.join(missing)}")


def describe_process(name, process):
    """Whether a process runs, and what it is doing: its scheduler state and CPU time so far."""
    if process.poll() is not None:
        return f"{name} ended with {process.returncode}"
    try:
        with open(f"/proc/{process.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return f"{name} is gone"
    cpu = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    states = {"R": "running", "S": "sleeping", "D": "waiting on a device", "T": "stopped",
              "Z": "a zombie"}
    return f"{name} is {states.get(fields[0], fields[0])}, {cpu:.2f} s of CPU so far"


def scheduled(pid):
    """CPU nanoseconds a process has used, and how often the scheduler ran one of its threads
    (its wake-ups), over all its threads."""
    cpu = runs = 0
    for path in glob.glob(f"/proc/{pid}/task/*/schedstat"):
        try:
            with open(path) as f:
                on_cpu, _, slices = (int(v) for v in f.read().split())
        except (FileNotFoundError, ValueError):
            continue  # a thread that ended meanwhile
        cpu += on_cpu
        runs += slices
    return cpu, runs


class FakeClock:
    """A clock for the program, set by writing libfaketime's timestamp file. Each time is frozen
    until the next one is set."""

    def __init__(self, directory):
        self.path = os.path.join(directory, "faketime")
        library = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
        assert library, "libfaketime is not installed"
        self.env = {
            "LD_PRELOAD": library[0],
            "FAKETIME_TIMESTAMP_FILE": self.path,
            "FAKETIME_FMT": "%s",
            "FAKETIME_NO_CACHE": "1",
            # The toolkit's timers run on the monotonic clock, which keeps real time.
            "FAKETIME_DONT_FAKE_MONOTONIC": "1",
        }

    def set(self, epoch_seconds):
        self._write(str(int(epoch_seconds)))

    def set_offset(self, seconds):
        """Runs the clock on, `seconds` away from the real one."""
        self._write(f"{int(seconds):+d}")

    def _write(self, text):
        with open(self.path + ".new", "w") as f:
            f.write(text + "\n")
        os.replace(self.path + ".new", self.path)


# The window managers the tests run under, and how each is started for a bare test display.
WINDOW_MANAGERS = {
    "openbox": ["openbox", "--sm-disable"],
    "xfwm4": ["xfwm4", "--compositor=off"],
    "icewm": ["icewm"],
    "fluxbox": ["fluxbox"],
    "metacity": ["metacity", "--no-composite", "--sm-disable"],
    "kwin": ["kwin_x11", "--replace"],  # KDE Plasma's
    "mutter": ["mutter", "--x11", "--replace", "--sm-disable"],  # GNOME's
}
# Tiling window managers, each with the rule the README gives its users for their config file.
TILING = {"i3": ["i3", "-c", "{config}"]}
README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")


def tiling_config(wm):
    """What the README tells users of `wm` (i3 or sway) to put in their config file: the lines
    under its `# ~/.config/<wm>/config` up to the next blank line."""
    with open(README) as f:
        block = f.read().split(f"    # ~/.config/{wm}/config")[1].split("\n\n")[0]
    return "\n".join(line.strip() for line in block.splitlines()[1:]) + "\n"


def tiling_node(tree, program, floating=False):
    """The program's window in the layout tree of i3 or sway (`-t get_tree`), by its X11 class
    or Wayland app_id: whether it floats (sway's floating_con is the window, i3's holds it), and
    its size."""
    floating = floating or tree["type"] == "floating_con"
    if program in (tree.get("app_id"), (tree.get("window_properties") or {}).get("class")):
        return ("floating" if floating else "tiled",
                (tree["window_rect"]["width"], tree["window_rect"]["height"]))
    for child in tree.get("nodes", []) + tree.get("floating_nodes", []):
        found = tiling_node(child, program, floating)
        if found:
            return found
    return None


# What a window manager needs in its environment besides: kwin without its compositor.
WINDOW_MANAGER_ENV = {"kwin": {"KWIN_COMPOSE": "N"}}
COMPOSITING = {"mutter"}


class ClientMessage(ctypes.Structure):
    """XClientMessageEvent, in an XEvent's room."""
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("room", ctypes.c_long * 12)]


def xlib():
    """libX11, with the types of the functions the tests call."""
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                             ctypes.c_void_p]
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    for f in (x.XDefaultRootWindow, x.XFlush, x.XPending, x.XCloseDisplay):
        f.argtypes = [ctypes.c_void_p]
    return x


class Desktop:
    """Xvfb with a window manager on a display of its own, and the program on it. The window
    manager runs with a fresh HOME and a session bus of its own, in a process group that is
    ended with everything else the desktop started, on every path out."""

    program = PROGRAM

    def __init__(self, width=1024, height=768, dpi=96, tz="Asia/Tokyo", wm="openbox", env=None,
                 cookie=False, monitors=1):
        command = {**WINDOW_MANAGERS, **TILING}[wm]
        require("Xvfb", "dbus-run-session", command[0])
        self.dir = tempfile.mkdtemp(prefix="countdown3000-e2e-")
        self.tz = tz
        self.wm = wm
        self.processes = []
        self.groups = []
        OPEN_DESKTOPS.append(self)
        home = os.path.join(self.dir, "home")
        os.mkdir(home)
        read_fd, write_fd = os.pipe()
        # With `cookie`, the X server lets in only the holders of its cookie (XAUTHORITY).
        access = []
        if cookie:
            access = ["-auth", os.path.join(self.dir, "xauthority")]
            # One cookie for any display number (family "wild", in xauth's numeric form).
            cookie_line = ("ffff 0000  0000  0012 4d49542d4d414749432d434f4f4b49452d31 0010 "
                           + os.urandom(16).hex())
            subprocess.run(["xauth", "-f", access[1], "nmerge", "-"], input=cookie_line,
                           text=True, check=True, capture_output=True)
        # -noreset keeps the X resources below when their last client has gone.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-dpi", str(dpi), "-nolisten", "tcp", "-noreset", *access],
            pass_fds=[write_fd], stderr=subprocess.DEVNULL)
        os.close(write_fd)
        try:
            with os.fdopen(read_fd) as pipe:
                self.display = ":" + pipe.readline().strip()
            self.env = dict(os.environ, DISPLAY=self.display, XDG_RUNTIME_DIR=self.dir,
                            HOME=home, LANG="C.UTF-8")
            for name in ("TZ", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
                self.env.pop(name, None)
            if cookie:
                self.env["XAUTHORITY"] = access[1]
            if tz:  # otherwise the system's zone, /etc/localtime
                self.env["TZ"] = tz
            self.env.update(env or {})
            # Side by side, M1, M2 and so on, as RandR monitors of one X screen; M1 holds its
            # output, and with it the window's corner.
            for i in range(monitors if monitors > 1 else 0):
                part = width // monitors
                subprocess.run(["xrandr", "--setmonitor", f"M{i + 1}",
                                f"{part}/{part * 254 // 960}x{height}/{height * 254 // 960}"
                                f"+{i * part}+0", "none" if i else "screen"],
                               env=self.env, check=True, capture_output=True)
            if dpi != 96:  # as desktops announce their resolution to programs
                subprocess.run(["xrdb", "-merge"], input=f"Xft.dpi: {dpi}\n", text=True,
                               env=self.env, check=True)
            if wm in TILING:
                config = os.path.join(self.dir, "config")
                with open(config, "w") as f:
                    f.write(f"# i3 config file (v4)\n{tiling_config(wm)}")
                command = [c.format(config=config) for c in command]
            # openbox announces itself before it manages windows, and runs its --startup
            # command once it does.
            ready = os.path.join(self.dir, "ready")
            if wm == "openbox":
                command = [*command, "--startup", f"touch {ready}"]
            self.groups.append(subprocess.Popen(
                ["dbus-run-session", "--", *command],
                env=dict(self.env, **WINDOW_MANAGER_ENV.get(wm, {})),
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True))
            # A window manager announces itself on the root window once it manages windows.
            wait_for(wm, lambda: self._window_manager_running(), 20)
            if wm == "openbox":
                wait_for("openbox's start-up", lambda: os.path.exists(ready))
        except BaseException:
            self.close()
            raise
        self.clock = FakeClock(self.dir)

    def describe(self):
        named = [(self.wm, g) for g in self.groups[:1]]
        named += [(os.path.basename(str(p.args[0])), p) for p in self.processes]
        return ", ".join(describe_process(name, p) for name, p in named)

    def _window_manager_running(self):
        if self.groups[0].poll() is not None:
            raise AssertionError(f"{self.wm} ended with {self.groups[0].returncode}")
        return "window id" in self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")

    def session_bus(self):
        """Starts a session bus for the program and the tools that talk to it (a screen
        reader's accessibility bus is found through it), ended with the desktop."""
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               env=self.env, stdout=subprocess.PIPE, text=True,
                               start_new_session=True)
        self.groups.append(bus)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        bus.stdout.close()

    def x(self, *args):
        return subprocess.run(args, env=self.env, capture_output=True, text=True).stdout

    @contextlib.contextmanager
    def client_messages(self, kind):
        """The client messages of `kind` (_NET_WM_MOVERESIZE, ...) sent to the root window, as
        to a window manager, while the `with` block runs: a list of their data, filled in as
        the block ends."""
        x = xlib()
        display = x.XOpenDisplay(self.display.encode())
        assert display, f"cannot open {self.display}"
        wanted = x.XInternAtom(display, kind.encode(), 0)
        x.XSelectInput(display, x.XDefaultRootWindow(display), 1 << 19)  # substructure notify
        x.XSync(display, 0)
        seen = []
        try:
            yield seen
        finally:
            x.XSync(display, 0)
            event = ClientMessage()
            while x.XPending(display):
                x.XNextEvent(display, ctypes.byref(event))
                if event.type == 33 and event.message_type == wanted:
                    seen.append(list(event.data))
            x.XCloseDisplay(display)

    def spawn(self, args, env=None, **kwargs):
        process = subprocess.Popen(args, env=env or self.env, **kwargs)
        self.processes.append(process)
        return process

    def close(self):
        if self in OPEN_DESKTOPS:
            OPEN_DESKTOPS.remove(self)
        findings = []
        for group in self.groups:
            for sig in (signal.SIGTERM, signal.SIGKILL):  # whatever outlives the first is killed
                try:
                    os.killpg(group.pid, sig)
                except ProcessLookupError:
                    break
                try:
                    group.wait(5)
                except subprocess.TimeoutExpired:
                    pass
        for process in reversed([p for p in self.processes + [self.xvfb] if p]):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
            if process.stderr:
                output = process.stderr.read()
                findings += [line for line in output.splitlines() if REPORTED_ERROR.search(line)]
            for pipe in (process.stdout, process.stderr):
                if pipe:
                    pipe.close()
        shutil.rmtree(self.dir, ignore_errors=True)
        if findings:
            raise AssertionError("the program reported:\n" + "\n".join(findings))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def set_clock(self, epoch_seconds):
        """Sets the program's clock: frozen at the moment, or running on from it when the moment
        lies before 1970, which libfaketime only takes as an offset from the real clock."""
        if epoch_seconds >= 0:
            self.clock.set(epoch_seconds)
        else:
            self.clock.set_offset(epoch_seconds - time.time())

    def wall_clock(self, epoch_seconds):
        """The local wall-clock time of an epoch second in this desktop's time zone."""
        from zoneinfo import ZoneInfo
        return datetime.fromtimestamp(epoch_seconds, ZoneInfo(self.tz)).replace(tzinfo=None)

    def start(self, fake_time=None, program=PROGRAM, wrapper=(), env=None):
        """Starts the program, on a frozen fake clock if fake_time (epoch seconds) is given, and
        waits for its window. `wrapper` is a command the program runs under, such as valgrind;
        `env` adds to the desktop's environment (a language of its own, say)."""
        env = dict(self.env, **(env or {}))
        if fake_time is not None:
            self.clock.set(fake_time)
            env.update(self.clock.env)
        process = self.spawn([*wrapper, program], env=env, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
        return Window(self, process, timeout=60 if wrapper else 10)

    def geometry_of(self, window):
        """Where an X window is on screen: (left, top, width, height) in pixels."""
        info = self.x("xwininfo", "-id", window)
        field = {k.strip(): v.strip() for k, v in
                 (line.split(":", 1) for line in info.splitlines() if ":" in line)}
        return tuple(int(field[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                              "Width", "Height"))

    def stacked_over(self, upper, lower):
        """Whether the X window `upper` stands over `lower`, as the X server stacks the windows
        the window manager frames them in (the root's children)."""
        def frame(window):
            while True:
                info = self.x("xwininfo", "-id", window, "-tree")
                parent = re.search(r"Parent window id: (0x[0-9a-f]+)", info).group(1)
                if parent == re.search(r"Root window id: (0x[0-9a-f]+)", info).group(1):
                    return int(window, 0)
                window = parent

        # xwininfo lists them from the top down.
        stacked = [int(w, 16) for w in re.findall(r"^\s+(0x[0-9a-f]+)",
                                                  self.x("xwininfo", "-root", "-children"), re.M)]
        return stacked.index(frame(upper)) < stacked.index(frame(lower))

    def screenshot(self, name, geometry=None):
        path = os.path.join(ARTIFACTS, name)
        os.makedirs(ARTIFACTS, exist_ok=True)
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
        if geometry:
            x, y, w, h = geometry
            subprocess.run(["convert", path, "-crop", f"{w}x{h}+{x}+{y}", "+repage", path],
                           check=True)
        return path


class Window:
    """The program's window, seen and driven from outside through X."""

    def __init__(self, desktop, process, timeout=10):
        self.desktop = desktop
        self.process = process

        def find():
            if process.poll() is not None:
                raise AssertionError(f"the program ended with {process.returncode}: "
                                     f"{process.stderr.read()}")
            ids = desktop.x("xdotool", "search", "--onlyvisible", "--pid", str(process.pid))
            # Mapped, and taken in by the window manager.
            for id in ids.split():
                if "window state" in desktop.x("xprop", "-id", id, "WM_STATE"):
                    return id
            return None

        self.id = wait_for("the program's window", find, timeout)

    def title(self):
        out = self.desktop.x("xprop", "-id", self.id, "-notype", "_NET_WM_NAME")
        return out.split("=", 1)[1].strip().strip('"') if "=" in out else None

    def wait_title(self, expected, timeout=5.0):
        """Waits until the title reads `expected`, and fails with the last title seen if not."""
        seen = []

        def probe():
            seen.append(self.title())
            return seen[-1] == str(expected)

        try:
            wait_for(f"title {expected}", probe, timeout)
        except AssertionError:
            raise AssertionError(f"title is {seen[-1]!r}, expected {expected!r}") from None

    def activate(self):
        self.desktop.x("xdotool", "windowactivate", "--sync", self.id)

    def key(self, *keys):
        self.desktop.x("xdotool", "key", "--delay", "50", *keys)

    def geometry(self):
        """The window's outer edges: (left, top, width, height) in pixels. The window draws its
        own frame and caption bar, so they are the X window's own."""
        return self.desktop.geometry_of(self.id)

    def window_manager_frame(self):
        """What the window manager draws around the window: (left, right, top, bottom), zero
        where it publishes nothing."""
        extents = self.desktop.x("xprop", "-id", self.id, "-notype", "_NET_FRAME_EXTENTS")
        if "=" not in extents:
            return (0, 0, 0, 0)
        return tuple(int(v) for v in extents.split("=", 1)[1].split(","))

    def wait_caption(self, expected, name, timeout=5.0):
        """Reads the caption back until OCR finds `expected` in it: the window may be mapped and
        titled a moment before its caption is first painted. Returns the last reading; fails
        with it."""
        seen = []

        def probe():
            seen.append(self.read_caption(name))
            return expected in seen[-1]

        try:
            wait_for(f"{expected} in the caption", probe, timeout, interval=0.2)
        except AssertionError:
            raise AssertionError(f"{expected!r} not found in {seen[-1]!r}") from None
        return seen[-1]

    def photograph(self):
        """A photograph of the screen, and where the window is on it. Under a window manager
        that composites (mutter always does), the screen on Xvfb shows none of its windows: the
        photograph is then of the window itself."""
        photo = os.path.join(self.desktop.dir, "screen.png")
        if self.desktop.wm in COMPOSITING:
            subprocess.run(["import", "-window", self.id, photo], env=self.desktop.env, check=True)
            return photo, (0, 0, *self.geometry()[2:])
        subprocess.run(["import", "-window", "root", photo], env=self.desktop.env, check=True)
        return photo, self.geometry()

    def wait_painted(self):
        """Waits until the window shows what it painted, as a person first sees it: until the
        program has seen its window shown, it takes a size given to it for the window manager's
        first guess, and keeps its own."""
        def probe():
            photo, (x, y, width, height) = self.photograph()
            crop = os.path.join(self.desktop.dir, "window.png")
            subprocess.run(["convert", photo, "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                            crop], check=True)
            return painted(crop)
        wait_for("the window painted", probe, interval=0.1)

    def read_caption(self, name):
        """Photographs the screen and reads the count in the window's caption bar back."""
        return read_count(*self.photograph(), name)

    def client_area(self, name):
        """A photograph of what the window shows under its caption bar, kept as `name`.png with
        the artifacts; None while the window shows nothing there."""
        photo, (x, y, width, height) = self.photograph()
        border, caption = round(width * 4 / 115), round(width * 19 / 115)
        top = y + border + caption
        if height - border - caption - border <= 0:
            return None
        path = os.path.join(ARTIFACTS, f"{name}.png")
        subprocess.run(["convert", photo, "-crop", f"{width - 2 * border}x"
                        f"{height - 2 * border - caption}+{x + border}+{top}", "+repage", path],
                       check=True)
        return path

    def wait_geometry(self, expected, timeout=3.0):
        """Waits until (left, top, width, height) matches `expected`, where None
        matches anything; fails with the last geometry seen."""
        seen = []

        def probe():
            seen.append(self.geometry())
            return all(e is None or e == s for e, s in zip(expected, seen[-1]))

        try:
            wait_for(f"geometry {expected}", probe, timeout)
        except AssertionError:
            raise AssertionError(f"geometry is {seen[-1]}, expected {expected}") from None
        return seen[-1]

    def state(self):
        return self.desktop.x("xprop", "-id", self.id, "-notype", "_NET_WM_STATE")

    def ask_state(self, add, state):
        """Asks the window manager to add `state` (_NET_WM_STATE_FULLSCREEN, ...) to the window's
        states or to remove it, as a pager does: a client message to the root window."""
        x = xlib()
        display = x.XOpenDisplay(self.desktop.display.encode())
        assert display, f"cannot open {self.desktop.display}"
        atom = lambda name: x.XInternAtom(display, name.encode(), 0)  # noqa: E731
        # ClientMessage; remove (0) or add (1), asked by a pager (2).
        message = ClientMessage(type=33, window=int(self.id), format=32,
                                message_type=atom("_NET_WM_STATE"))
        message.data[:] = [int(add), atom(state), 0, 2, 0]
        # To the window manager: substructure redirect and notify.
        x.XSendEvent(display, x.XDefaultRootWindow(display), 0, (1 << 20) | (1 << 19),
                     ctypes.byref(message))
        x.XFlush(display)
        x.XCloseDisplay(display)

    def cpu_seconds(self):
        """User and system time the program has used so far."""
        with open(f"/proc/{self.process.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def mouse(self, *actions):
        self.desktop.x("xdotool", *actions)
