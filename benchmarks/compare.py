"""Measures Countdown 3000 side by side with the floor program (floor/floor.cpp), on Xvfb under
openbox, and prints the figures as a Markdown table: medians, and the median ratio to the floor
of the pairs measured together.

    python3 benchmarks/compare.py --build build [--runs 9] [--rest 20] [--startups 15]

Start-up is the time from exec to the count drawn in the program's caption bar, and for the floor
from exec to a viewable window with a numeric title, which the window manager draws
(startup_probe); both with the machine's fonts and with fontconfig held to two folders. The
figures at rest are taken over the same minutes for both programs, which run side by side:
resident memory after start, CPU time per minute, wake-ups per second (times the scheduler ran
one of the program's threads), title rewrites per minute (PropertyNotify of _NET_WM_NAME), and
how long after the wall clock's second each rewrite arrived.
Countdown 3000 is measured in seconds, whose text changes every second like the floor's, and in
years, whose text does not change. Last, each program runs alone on a desktop of its own, the two
desktops over the same minutes, and the CPU time of each whole desktop is taken: the program, the
X server and the window manager.
Every desktop has a session bus, as a user's has.
"""

import argparse
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from desktop import Desktop, scheduled as sched  # noqa: E402


# Fonts as a desktop with a full set of them has (what the machine has installed), and as few as
# the program needs: DejaVu and IPA Gothic, with the system's rules and caches.
FEW_FONTS = """<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <dir>/usr/share/fonts/opentype/ipafont-gothic</dir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
  <cachedir>/var/cache/fontconfig</cachedir>
  <cachedir prefix="xdg">fontconfig</cachedir>
</fontconfig>
"""


def font_settings(directory):
    """Each font setting's name and environment."""
    config = os.path.join(directory, "few-fonts.conf")
    with open(config, "w") as f:
        f.write(FEW_FONTS)
    return {"machine's fonts": {}, "two font folders": {"FONTCONFIG_FILE": config}}


def start(desktop, probe, program, drawn=False):
    """Starts `program` and returns the time to its window (with `drawn`, to its count drawn)
    in ms, and its pid."""
    out = subprocess.run([probe, *(["--drawn"] if drawn else []), program], env=desktop.env,
                         capture_output=True, text=True, check=True).stdout.split()
    return float(out[0]), int(out[1])


def stop(pid):
    try:
        os.kill(pid, 15)
    except ProcessLookupError:
        pass


def desktop_cpu_ns(desktop, pid):
    """CPU nanoseconds of the program `pid`, the X server, and the window manager's process group
    (the window manager and its session bus)."""
    pids = {pid, desktop.xvfb.pid}
    groups = {group.pid for group in desktop.groups}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    if int(f.read().rsplit(")", 1)[1].split()[2]) in groups:
                        pids.add(int(entry))
            except (FileNotFoundError, ProcessLookupError, IndexError):
                continue
    return sum(sched(p)[0] for p in pids)


def memory_kib(pid, field="VmRSS"):
    """Resident memory now (VmRSS), or at its highest so far (VmHWM)."""
    with open(f"/proc/{pid}/status") as f:
        return next(int(line.split()[1]) for line in f if line.startswith(field + ":"))


class TitleWatch:
    """Counts the rewrites of a window's title while it runs."""

    def __init__(self, desktop, window):
        self.process = subprocess.Popen(["xprop", "-spy", "-id", window, "_NET_WM_NAME"],
                                        env=desktop.env, stdout=subprocess.PIPE, text=True)
        self.lines = 0
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

        self.lags = []  # how long after the wall clock's second each change arrived, in ms

    def _read(self):
        for _ in self.process.stdout:
            now = time.time()
            self.lines += 1
            self.lags.append((now - int(now)) * 1000)

    def count(self):
        return self.lines

    def close(self):
        self.process.terminate()
        self.process.wait()


def window_of(desktop, pid):
    return desktop.x("xdotool", "search", "--onlyvisible", "--pid", str(pid)).split()[0]


def rest(desktop, pids, seconds):
    """CPU ms per minute, wake-ups per second and title rewrites per minute of each program over
    the same `seconds`."""
    watches = {p: TitleWatch(desktop, window_of(desktop, p)) for p in pids}
    time.sleep(1)  # xprop prints the title once when it starts
    before = {p: (sched(p), watches[p].count()) for p in pids}
    time.sleep(seconds)
    result = {}
    for p in pids:
        (cpu0, runs0), titles0 = before[p]
        cpu1, runs1 = sched(p)
        per_minute = 60 / seconds
        lags = watches[p].lags[titles0:]
        result[p] = ((cpu1 - cpu0) / 1e6 * per_minute, (runs1 - runs0) / seconds,
                     (watches[p].count() - titles0) * per_minute,
                     (statistics.median(lags), max(lags)) if lags else None)
        watches[p].close()
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--rest", type=float, default=20)
    parser.add_argument("--startups", type=int, default=15)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    probe = os.path.join(build, "benchmarks", "startup_probe")
    programs = {"countdown3000": os.path.join(build, "app", "countdown3000"),
                "floor": os.path.join(build, "benchmarks", "countdown3000_floor")}
    figures = {name: {} for name in programs}

    def add(name, figure, value):
        figures[name].setdefault(figure, []).append(value)

    # Start-up, alternating the two so that both meet the same conditions: the program to its
    # count drawn, the floor to its titled window.
    fonts = {}
    with tempfile.TemporaryDirectory() as directory:
        for setting, env in font_settings(directory).items():
            with Desktop(env=env) as desktop:
                desktop.session_bus()
                fonts[setting] = len(desktop.x("fc-list").splitlines())
                for i in range(args.startups):
                    for name in (list(programs) if i % 2 == 0 else list(programs)[::-1]):
                        elapsed, pid = start(desktop, probe, programs[name],
                                             drawn=name == "countdown3000")
                        add(name, f"start-up, {setting} (ms)", elapsed)
                        stop(pid)
                        time.sleep(0.2)

    with Desktop() as desktop:
        desktop.session_bus()
        # At rest, side by side.
        for _ in range(args.runs):
            pids = {}
            for name, program in programs.items():
                pids[name] = start(desktop, probe, program)[1]
            time.sleep(2)
            for name, pid in pids.items():
                add(name, "resident memory (KiB)", memory_kib(pid))
                add(name, "peak memory at start-up (KiB)", memory_kib(pid, "VmHWM"))
            at_rest = rest(desktop, list(pids.values()), args.rest)
            for name, pid in pids.items():
                cpu, wakeups, rewrites, lags = at_rest[pid]
                add(name, "CPU at rest (ms/min)", cpu)
                add(name, "wake-ups at rest (1/s)", wakeups)
                add(name, "title rewrites (1/min)", rewrites)
                if lags:
                    add(name, "title change after the second, median (ms)", lags[0])
                    add(name, "title change after the second, worst (ms)", lags[1])
            # Countdown 3000 in years: the title's text stands still.
            ours = pids["countdown3000"]
            desktop.x("xdotool", "windowactivate", "--sync", window_of(desktop, ours), "key", "End")
            time.sleep(1)
            cpu, wakeups, rewrites, _ = rest(desktop, [ours], args.rest)[ours]
            add("countdown3000", "CPU at rest, years (ms/min)", cpu)
            add("countdown3000", "wake-ups at rest, years (1/s)", wakeups)
            add("countdown3000", "title rewrites, years (1/min)", rewrites)
            for pid in pids.values():
                stop(pid)
            time.sleep(0.5)

    # The whole desktop at rest, each program alone on a desktop of its own, the two desktops
    # over the same minutes.
    for _ in range(args.runs):
        with Desktop() as ours, Desktop() as floors:
            desktops = {"countdown3000": ours, "floor": floors}
            pids = {}
            for name, desktop in desktops.items():
                desktop.session_bus()
                pids[name] = start(desktop, probe, programs[name])[1]
            time.sleep(2)
            before = {name: desktop_cpu_ns(d, pids[name]) for name, d in desktops.items()}
            time.sleep(args.rest)
            for name, desktop in desktops.items():
                spent = desktop_cpu_ns(desktop, pids[name]) - before[name]
                add(name, "desktop CPU at rest (s/min)", spent / 1e9 * 60 / args.rest)
                stop(pids[name])

    print(f"Machine: {platform.node()}, {platform.machine()}, {os.cpu_count()} cores, "
          f"{platform.platform()}; {args.startups} start-ups and {args.runs} runs of "
          f"{args.rest:g} s at rest each, medians. Fonts: "
          + ", ".join(f"{n} for {setting}" for setting, n in fonts.items()) + ".\n")
    print("| Figure | Countdown 3000 | Floor | Ratio |")
    print("| --- | ---: | ---: | ---: |")
    for figure, values in figures["countdown3000"].items():
        ours = statistics.median(values)
        floor = figures["floor"].get(figure)
        if floor:
            base = statistics.median(floor)
            # Each value was taken with the floor's beside it (side by side, or one start after
            # the other): the ratio is the median of the pairs' ratios, so that a minute the
            # machine was busy weighs on both sides of one pair rather than on one median.
            pairs = ([o / f for o, f in zip(values, floor) if f]
                     if len(values) == len(floor) else [])
            ratio = f"{statistics.median(pairs):.2f}" if pairs else "-"
            digits = 3 if "(s/min)" in figure else 1
            print(f"| {figure} | {ours:.{digits}f} | {base:.{digits}f} | {ratio} |")
        else:
            print(f"| {figure} | {ours:.1f} | | |")


if __name__ == "__main__":
    main()
