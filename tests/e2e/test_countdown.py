"""The installed program on a real X desktop: its title against counts worked out here, units
picked from the keyboard, and a faked clock across the year 3000. Daylight saving is in
test_clock.py."""

import time
import unittest
from datetime import datetime
from zoneinfo import ZoneInfo

from desktop import UNITS, Desktop, expected_count


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
            # The open list, for a person to look at: seven Japanese labels, not boxes.
            window.key("alt+Down")
            time.sleep(0.5)
            left, top, width, height = window.geometry()
            desktop.screenshot("countdown-list.png", (left - 20, top - 20, 200, 240))
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
