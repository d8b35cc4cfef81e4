"""The installed program on a real X desktop: its title against counts worked out here, units
picked from the keyboard, and a faked clock across the year 3000. Daylight saving is in
test_clock.py."""

import os
import statistics
import subprocess
import threading
import time
import unittest
from datetime import datetime
from zoneinfo import ZoneInfo

from desktop import PROGRAM, UNITS, Desktop, expected_count, patience, scheduled, wait_for


def epoch(tz, *fields):
    return int(datetime(*fields, tzinfo=ZoneInfo(tz)).timestamp())


class CountdownTest(unittest.TestCase):
    def test_title_is_the_seconds_count_on_the_real_clock(self):
        with Desktop(tz="Asia/Tokyo") as desktop:
            window = desktop.start()
            for _ in range(3):
                before = int(time.time())
                title = window.title()
                after = int(time.time())
                allowed = {expected_count("s", desktop.wall_clock(t)) for t in
                           range(before - 1, after + 1)}  # a tick may lag the clock by a second
                self.assertIn(int(title), allowed, f"title {title}")
                time.sleep(1.1)

    def test_the_count_changes_on_the_second(self):
        with Desktop(tz="Asia/Tokyo") as desktop:
            window = desktop.start()
            # Each new title as it reaches the X server, held against the wall clock's seconds.
            spy = subprocess.Popen(["xprop", "-spy", "-id", window.id, "-notype", "_NET_WM_NAME"],
                                   env=desktop.env, stdout=subprocess.PIPE, text=True)
            changes = []

            def read():
                for line in spy.stdout:
                    changes.append((time.time(), int(line.split("=", 1)[1].strip().strip('"'))))

            threading.Thread(target=read, daemon=True).start()
            try:
                # At rest, once it has stood still: woken about once a second, by its tick (the
                # window manager's answers to each new title do not reach it).
                time.sleep(3.5)
                start = scheduled(window.process.pid)
                time.sleep(5)
                wakeups = (scheduled(window.process.pid)[1] - start[1]) / 5
            finally:
                spy.terminate()
                spy.wait()
                spy.stdout.close()
            changes = changes[1:]  # xprop prints the title once as it starts
            self.assertGreaterEqual(len(changes), 7)
            self.assertLess(wakeups, 4, "wake-ups a second at rest")
            lags = []
            for moment, count in changes:
                second = int(moment)
                lags.append(moment - second)
                self.assertEqual(count, expected_count("s", desktop.wall_clock(second)))
            # On a quiet machine a few milliseconds; generous for a loaded one.
            self.assertLess(statistics.median(lags), 0.25, lags)
            self.assertLess(max(lags), 0.6, lags)

    def test_without_a_display(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        wayland = 'for the Qt platform "wayland": WAYLAND_DISPLAY is not set'
        with Desktop() as desktop:  # the platform the user names wins, even where X answers
            there = {"DISPLAY": desktop.display}
            rows = [([], {}, "DISPLAY is not set"), ([], {"DISPLAY": ":9999"}, ":9999"),
                    ([], {"QT_QPA_PLATFORM": "wayland"}, wayland),
                    ([], {"QT_QPA_PLATFORM": "wayland", **there}, wayland),
                    # Qt's own options, with one dash or two, and platforms with their variants
                    # and options after a colon.
                    (["--display", ":9999"], {}, ":9999"),
                    (["--platform", "wayland-egl"], there, 'platform "wayland-egl": WAYLAND_DISP'),
                    (["-platform", "xcb:fontengine=freetype"], {},
                     'platform "xcb:fontengine=freetype": DISPLAY is not set')]
            for args, extra, named in rows:
                with self.subTest(args=args, **extra):
                    run = subprocess.run([PROGRAM, *args], env={**env, **extra},
                                         capture_output=True, text=True, timeout=30)
                    self.assertEqual(run.returncode, 1, run.stderr)
                    lines = run.stderr.splitlines()
                    self.assertEqual(len(lines), 1, run.stderr)
                    self.assertTrue(lines[0].startswith("countdown3000: cannot open a display"))
                    self.assertIn(named, lines[0])

    def test_an_x_server_that_refuses_or_goes_away(self):
        with Desktop(cookie=True) as desktop:
            run = subprocess.run([PROGRAM], env=dict(desktop.env, XAUTHORITY="/dev/null"),
                                 capture_output=True, text=True, timeout=30)
            self.assertEqual(run.returncode, 1, run.stderr)
            self.assertEqual(len(run.stderr.splitlines()), 1, run.stderr)  # libxcb's words in ours
            self.assertTrue(run.stderr.startswith(
                f"countdown3000: cannot open a display: the X server at {desktop.display} "
                "refused the connection ("), run.stderr)

            window = desktop.start()
            desktop.xvfb.kill()
            self.assertEqual(window.process.wait(30 * patience()), 1)
            self.assertIn(f"countdown3000: the display {desktop.display} went away (its X server "
                          "closed the connection)\n", window.process.stderr.read())

    def test_keyboard_picks_every_unit(self):
        tz = "Asia/Tokyo"
        moment = epoch(tz, 2026, 12, 8, 5, 30, 15)
        with Desktop(tz=tz) as desktop:
            window = desktop.start(fake_time=moment)
            wall = desktop.wall_clock(moment)
            window.wait_title(30706972185)
            window.activate()
            for unit in UNITS[1:]:
                window.key("Down")
                window.wait_title(expected_count(unit, wall))
            window.key("Home")
            window.wait_title(expected_count("s", wall))
            # The open list lies under the combo box (inside the 4-pixel border), and is
            # photographed for a person to look at: seven Japanese labels, not boxes.
            window.key("alt+Down")
            left, top, width, height = window.geometry()

            def the_list():
                ids = desktop.x("xdotool", "search", "--onlyvisible", "--pid",
                                str(window.process.pid)).split()
                return [i for i in ids if i != window.id]

            popup = desktop.geometry_of(wait_for("the list", the_list)[0])
            self.assertEqual(popup[0], left + 4, popup)
            self.assertTrue(top < popup[1] < top + 2 * height, popup)

            def drawn():  # its labels' strokes: more than a few colours
                photo = desktop.screenshot("countdown-list.png", (left - 20, top - 20, 200, 240))
                return int(subprocess.run(["identify", "-format", "%k", photo],
                                          capture_output=True, text=True).stdout or 0) > 16

            wait_for("the list drawn", drawn)
            window.key("Escape", "End")
            window.wait_title(974)

    def test_counts_across_the_year_3000(self):
        tz = "Europe/Paris"
        with Desktop(tz=tz) as desktop:
            window = desktop.start(fake_time=epoch(tz, 2999, 12, 31, 23, 59, 58))
            for fields, title in [((2999, 12, 31, 23, 59, 59), 1), ((3000, 1, 1, 0, 0, 0), 0),
                                  ((3000, 1, 1, 0, 0, 1), -1),
                                  ((3001, 6, 1, 0, 0, 0), -44582400)]:
                desktop.clock.set(epoch(tz, *fields))
                window.wait_title(title)
            window.activate()
            window.key("End")
            window.wait_title(-1)


if __name__ == "__main__":
    unittest.main(verbosity=2)
