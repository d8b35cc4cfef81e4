"""The running program while its clock is set by hand, and while daylight saving moves the wall
clock in zones with unusual rules: the title follows the wall clock within one tick. A clock
that cannot be turned into local time gives a clear error, never a number."""

import os
import re
import subprocess
import time
import unittest
from datetime import datetime, timedelta
from zoneinfo import ZoneInfo

from desktop import Desktop, expected_count, patience, wait_for

WITHIN_A_TICK = 2.0  # one tick, plus the time it takes to read the title through X


def epoch(tz, *fields):
    return int(datetime(*fields, tzinfo=ZoneInfo(tz)).timestamp())


def offset_changes(tz, year):
    """The seconds in `year` at which the zone's offset from UTC changes."""
    zone = ZoneInfo(tz)
    offset = lambda t: datetime.fromtimestamp(t, zone).utcoffset()  # noqa: E731
    start, end = epoch("UTC", year, 1, 1), epoch("UTC", year + 1, 1, 1)
    changes = []
    for t in range(start, end, 900):  # no zone changes more often than every quarter hour
        if offset(t) != offset(t + 900):
            low, high = t, t + 900  # the offset changes somewhere in (low, high]
            while high - low > 1:
                middle = (low + high) // 2
                low, high = (middle, high) if offset(middle) == offset(t) else (low, middle)
            changes.append(high)
    return changes


def private_localtime():
    """Why a program cannot be given a zone file of its own over /etc/localtime here, or None.
    It needs root, a mount namespace (containers often refuse one; in a chroot, whose root is no
    mount point, unshare cannot make the mounts private) and a bind mount in it."""
    if os.geteuid() != 0:
        return "a private mount namespace needs root"
    probe = subprocess.run(["unshare", "-m", "mount", "--bind", "/etc/localtime", "/etc/localtime"],
                           capture_output=True, text=True)
    if probe.returncode != 0:
        return f"no private mount namespace with a bind mount here: {probe.stderr.strip()}"
    return None


class ClockTest(unittest.TestCase):
    def test_clock_set_by_hand(self):
        tz = "Asia/Tokyo"
        now = int(time.time())
        year = 365 * 86400
        jumps = [now + 3 * 86400, now - 10 * 86400, now + 100 * year, now - 200 * year,
                 epoch(tz, 2999, 12, 31, 23, 59, 59), epoch(tz, 3500, 6, 1, 12, 0, 0),
                 epoch(tz, 9999, 12, 31, 23, 59, 59), now]
        with Desktop(tz=tz) as desktop:
            window = desktop.start(fake_time=now)
            for moment in jumps:
                desktop.set_clock(moment)
                if moment >= 0:
                    window.wait_title(expected_count("s", desktop.wall_clock(moment)),
                                      WITHIN_A_TICK)
                else:  # before 1970 the clock runs on from the moment set
                    allowed = {str(expected_count("s", desktop.wall_clock(moment + d)))
                               for d in range(-1, 4)}
                    wait_for(f"a count near {moment}", lambda: window.title() in allowed,
                             WITHIN_A_TICK)

    def test_daylight_saving_in_zones_with_unusual_rules(self):
        zones = [
            ("America/New_York", 2027),  # an hour ahead in March, back in November
            ("Australia/Lord_Howe", 2027),  # daylight saving of half an hour
            ("Europe/Dublin", 2027),  # winter is the zone's negative daylight saving
            ("Antarctica/Troll", 2027),  # two hours at once
            ("America/Santiago", 2027),  # at midnight: the date itself moves
            ("America/Caracas", 2016),  # -4:30 to -4:00, once
            ("Pacific/Apia", 2011),  # 30 December 2011 never happened there
        ]
        for tz, year in zones:
            changes = offset_changes(tz, year)
            self.assertTrue(changes, tz)
            with self.subTest(tz=tz), Desktop(tz=tz) as desktop:
                window = desktop.start(fake_time=changes[0] - 1)
                for change in changes:
                    before, after = (desktop.wall_clock(t) for t in (change - 1, change))
                    counts = []
                    for moment, wall in ((change - 1, before), (change, after)):
                        desktop.set_clock(moment)
                        counts.append(expected_count("s", wall))
                        window.wait_title(counts[-1], WITHIN_A_TICK)
                    # One real second passed; the count moved by the change of the wall clock.
                    self.assertEqual(counts[0] - counts[1], (after - before).total_seconds())
                    self.assertNotEqual(after - before, timedelta(seconds=1))
                if tz == "Pacific/Apia":  # and the count of days by two
                    window.activate()
                    window.key("Down", "Down", "Down", "Down")
                    window.wait_title(expected_count("d", after))
                    self.assertEqual(expected_count("d", before) - expected_count("d", after), 2)

    def test_a_new_system_time_zone_shows_at_the_next_tick(self):
        why_not = private_localtime()
        if why_not:
            self.skipTest(why_not)
        moment = epoch("UTC", 2026, 12, 8, 5, 30, 15)
        zones = {}
        for zone in ("Etc/UTC", "Asia/Tokyo", "America/St_Johns"):
            with open(f"/usr/share/zoneinfo/{zone}", "rb") as f:
                zones[zone] = f.read()
        with Desktop(tz=None) as desktop:
            # The system's zone file, as the program sees it: a file of ours bind-mounted over
            # /etc/localtime in a mount namespace of the program's own, rewritten in place.
            localtime = os.path.join(desktop.dir, "localtime")
            with open(localtime, "wb") as f:
                f.write(zones["Etc/UTC"])
            script = 'mount --bind "$0" /etc/localtime && exec "$1"'
            window = desktop.start(fake_time=moment,
                                   wrapper=("unshare", "-m", "sh", "-c", script, localtime))
            window.activate()
            window.key("Down", "Down")  # hours
            for written, zone in enumerate(zones, start=1):
                with open(localtime, "r+b") as f:
                    f.write(zones[zone])
                    f.truncate()
                os.utime(localtime, (moment + written, moment + written))  # a new mtime each time
                wall = datetime.fromtimestamp(moment, ZoneInfo(zone)).replace(tzinfo=None)
                window.wait_title(expected_count("h", wall), WITHIN_A_TICK)

    def test_an_error_while_counting_shows_no_count(self):
        with Desktop() as desktop:
            window = desktop.start(fake_time=epoch("Asia/Tokyo", 2026, 12, 8, 5, 30, 15))
            window.wait_title(30706972185)
            desktop.clock.set_offset(70000000000000000)  # beyond local time, at the next tick
            box = wait_for("the error's message box", lambda: desktop.x(
                "xdotool", "search", "--onlyvisible", "--name", "^Countdown 3000$").split())[0]
            # No count under the box (Qt names an untitled window after the program).
            no_count = lambda: re.fullmatch(r"-?\d+", window.title() or "0") is None  # noqa: E731
            wait_for("a title with no count", no_count)
            time.sleep(3.5)  # the box stands over three ticks: one box, and still no count
            self.assertTrue(no_count(), window.title())
            self.assertEqual(len(desktop.x("xdotool", "search", "--onlyvisible", "--name",
                                           "^Countdown 3000$").split()), 1)
            desktop.x("xdotool", "windowactivate", "--sync", box, "key", "Return")
            self.assertEqual(window.process.wait(10 * patience()), 70)
            reports = [line for line in window.process.stderr.read().splitlines()
                       if "run-time error:" in line]
            self.assertEqual(len(reports), 1, reports)

    def test_a_clock_past_local_time_is_a_clear_error(self):
        # Some 2.2 billion years ahead: beyond every year that local time can express.
        with Desktop() as desktop:
            env = dict(desktop.clock.env, FAKETIME="+70000000000000000")
            del env["FAKETIME_TIMESTAMP_FILE"]
            process = desktop.spawn([desktop.program], env=dict(desktop.env, **env),
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            box = wait_for("the error's message box", lambda: desktop.x(
                "xdotool", "search", "--onlyvisible", "--name", "^Countdown 3000$").split())[0]
            # Nothing else is on screen: no window showed a count.
            for other in desktop.x("xdotool", "search", "--onlyvisible", "--pid",
                                   str(process.pid)).split():
                self.assertIsNone(re.search(r'"-?\d+"', desktop.x("xprop", "-id", other,
                                                                   "_NET_WM_NAME")))
            desktop.x("xdotool", "windowactivate", "--sync", box, "key", "Return")
            self.assertEqual(process.wait(10 * patience()), 70)
            reports = [line for line in process.stderr.read().splitlines()
                       if "run-time error:" in line]
            self.assertEqual(len(reports), 1, reports)  # reported once
            self.assertTrue(reports[0].startswith(
                "countdown3000: run-time error: The system clock's time cannot be converted to "
                "local time"), reports)


if __name__ == "__main__":
    unittest.main(verbosity=2)
