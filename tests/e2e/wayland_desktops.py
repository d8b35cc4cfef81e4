"""Wayland desktops for end-to-end tests, each a Desktop with a compositor in place of Xvfb and a
window manager: weston (with XWayland or without) and the tiling sway."""

import glob
import os
import re
import shutil
import subprocess
import tempfile

from desktop import (OPEN_DESKTOPS, PROGRAM, Desktop, FakeClock, require, tiling_config,
                     wait_for)


class Weston(Desktop):
    """weston on its headless backend, drawn by its pixman renderer so that it can be
    photographed (weston-screenshooter, which --debug allows), on a plain background so that a
    window stands out; with XWayland, whose display the X tools then use, or without."""

    BACKGROUND = "002244"

    def __init__(self, xwayland=False, width=1024, height=768, tz="Asia/Tokyo"):
        require("weston", *(["Xwayland"] if xwayland else []))
        self.dir = tempfile.mkdtemp(prefix="countdown3000-weston-")
        self.tz, self.width, self.wm = tz, width, "weston"
        self.processes, self.groups, self.xvfb = [], [], None
        OPEN_DESKTOPS.append(self)
        config = os.path.join(self.dir, "weston.ini")
        with open(config, "w") as f:
            f.write(f"[core]\nxwayland={str(xwayland).lower()}\n[shell]\n"
                    f"background-color=0xff{self.BACKGROUND}\npanel-position=none\n")
        socket = "wayland-countdown3000"
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.dir, HOME=self.dir, LANG="C.UTF-8",
                        TZ=tz, WAYLAND_DISPLAY=socket)
        for name in ("DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(name, None)
        log = os.path.join(self.dir, "weston.log")
        try:
            with open(log, "w") as out:
                self.groups.append(subprocess.Popen(
                    ["weston", "--backend=headless-backend.so", "--use-pixman",
                     f"--width={width}", f"--height={height}", f"--socket={socket}",
                     "--idle-time=0", "--debug", f"--config={config}"],
                    env=self.env, stdout=out, stderr=subprocess.STDOUT, start_new_session=True))

            def running(ready):
                if self.groups[0].poll() is not None:
                    with open(log) as f:
                        raise AssertionError(f"weston ended: {f.read()[-2000:]}")
                return ready()

            wait_for("weston", lambda: running(
                lambda: os.path.exists(os.path.join(self.dir, socket))), 20)
            if xwayland:
                def display():
                    with open(log) as f:
                        found = re.search(r"xserver listening on display (:\d+)", f.read())
                    return found and found.group(1)

                self.env["DISPLAY"] = wait_for("XWayland", lambda: running(display), 20)
        except BaseException:
            self.close()
            raise
        self.display = self.env.get("DISPLAY")
        self.clock = FakeClock(self.dir)

    def start_on_wayland(self, fake_time):
        """Starts the program on a frozen clock; with no X display it is a Wayland client."""
        self.clock.set(fake_time)
        return self.spawn([PROGRAM], env=dict(self.env, **self.clock.env),
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def photograph(self):
        """A photograph of the whole output, and the (left, top, width, height) of what is on it
        besides the background, or None while there is nothing."""
        for old in glob.glob(os.path.join(self.dir, "wayland-screenshot*.png")):
            os.remove(old)
        subprocess.run(["weston-screenshooter"], env=self.env, cwd=self.dir, timeout=20,
                       check=True, capture_output=True)
        photo = glob.glob(os.path.join(self.dir, "wayland-screenshot*.png"))[0]
        box = subprocess.run(["convert", photo, "-fill", "black", "-opaque",
                              f"#{self.BACKGROUND}", "-trim", "-format", "%X %Y %w %h", "info:"],
                             capture_output=True, text=True, check=True).stdout
        box = tuple(int(v) for v in box.split())
        return photo, (box if 1 < box[2] < self.width else None)


class Sway(Desktop):
    """sway on its headless backend, without XWayland, with the README's rule in its config, and
    the program on it as a Wayland client. sway will not run as root: as root, it and the
    program run as nobody."""

    def __init__(self, tz="Asia/Tokyo"):
        require("sway", "swaymsg")
        self.dir = tempfile.mkdtemp(prefix="countdown3000-sway-")
        os.chmod(self.dir, 0o755)  # the program reads its clock here
        self.tz, self.wm = tz, "sway"
        self.processes, self.groups, self.xvfb = [], [], None
        OPEN_DESKTOPS.append(self)
        self.user = {"user": "nobody", "group": "nogroup", "extra_groups": []} \
            if os.getuid() == 0 else {}
        runtime = os.path.join(self.dir, "runtime")
        os.mkdir(runtime, 0o700)
        if self.user:
            shutil.chown(runtime, "nobody", "nogroup")
        config = os.path.join(self.dir, "config")
        with open(config, "w") as f:
            f.write(f"xwayland disable\n{tiling_config('sway')}")
        self.env = dict(os.environ, HOME=runtime, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", TZ=tz,
                        WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                        WLR_LIBINPUT_NO_DEVICES="1")
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(name, None)
        try:
            self.groups.append(subprocess.Popen(
                ["sway", "-c", config], env=self.env, stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL, start_new_session=True, **self.user))

            def sockets():
                if self.groups[0].poll() is not None:
                    raise AssertionError(f"sway ended with {self.groups[0].returncode}")
                names = os.listdir(runtime)
                wayland = [n for n in names if re.fullmatch(r"wayland-\d+", n)]
                ipc = [n for n in names if n.startswith("sway-ipc.")]
                return wayland and ipc and (wayland[0], os.path.join(runtime, ipc[0]))

            self.env["WAYLAND_DISPLAY"], self.env["SWAYSOCK"] = wait_for("sway", sockets, 20)
        except BaseException:
            self.close()
            raise
        self.display = None
        self.clock = FakeClock(self.dir)

    def start_on_wayland(self, fake_time):
        self.clock.set(fake_time)
        return self.spawn([PROGRAM], env=dict(self.env, **self.clock.env),
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          **self.user)
