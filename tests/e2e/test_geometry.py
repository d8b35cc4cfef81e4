"""The window's own frame and caption bar on real X desktops: where it opens and how large, what a
person reads in its caption bar, and what its caption, edges, buttons and window menu do. On a
1024 x 768, 96 dpi screen (15 twips to a pixel) unless said otherwise."""

import unittest
from datetime import datetime
from zoneinfo import ZoneInfo

from desktop import WINDOW_MANAGERS, Desktop, wait_for

WIDTH, MIN_HEIGHT, MAX_HEIGHT = 1725 // 15, 405 // 15, 690 // 15  # 115, 27, 46 pixels
# The corner of a window created 4800 x 3600 twips, centred: (15360 - 4800) / 2, (11520 - 3600) / 2.
CORNER = (5280 // 15, 3960 // 15)
# A frozen clock, and what the window shows then in seconds and in years.
MOMENT = int(datetime(2026, 12, 8, 5, 30, 15, tzinfo=ZoneInfo("Asia/Tokyo")).timestamp())
SECONDS, YEARS = "30706972185", "974"


def drag(window, start, end, expected):
    """Drags with the left button from `start` to `end` as a person would, in small steps, lets
    go, and waits until the window has (left, top, width, height) `expected` (None matches
    anything): some window managers (fluxbox) resize an outline and the window on release. The
    first small movement hands the drag to the window manager."""
    (x0, y0), (x1, y1) = start, end
    steps = [(x0 + (x1 - x0) * i // 4, y0 + (y1 - y0) * i // 4) for i in range(1, 5)]
    window.mouse("mousemove", str(x0), str(y0), "mousedown", "1",
                 "mousemove", str(x0 + 2), str(y0 + 2),
                 *[a for x, y in steps for a in ("sleep", "0.05", "mousemove", str(x), str(y))],
                 "mouseup", "1")
    return window.wait_geometry(expected)


class TitleBarTest(unittest.TestCase):
    def test_under_every_window_manager(self):
        for wm in WINDOW_MANAGERS:
            with self.subTest(wm=wm), Desktop(wm=wm) as desktop:
                window = desktop.start(fake_time=MOMENT)
                window.wait_title(SECONDS)
                # Exactly its own size at the corner, with nothing of the window manager's.
                self.assertEqual(window.geometry(), (*CORNER, WIDTH, MIN_HEIGHT))
                self.assertEqual(window.window_manager_frame(), (0, 0, 0, 0))
                # Every digit, read back from a photograph.
                self.assertIn(SECONDS, window.read_caption(f"caption-{wm}-seconds"))
                window.activate()
                window.key("End")
                window.wait_title(YEARS)
                self.assertIn(YEARS, window.read_caption(f"caption-{wm}-years"))

                # The caption moves the window by what the mouse moved; the lower edge stops
                # at the combo box's bottom and at the caption bar.
                x, y = CORNER
                drag(window, (x + 50, y + 12), (x + 110, y + 52), (x + 60, y + 40, WIDTH,
                                                                   MIN_HEIGHT))
                x, y = x + 60, y + 40
                drag(window, (x + 50, y + MIN_HEIGHT - 2), (x + 50, y + MIN_HEIGHT + 60),
                     (x, y, WIDTH, MAX_HEIGHT))
                drag(window, (x + 50, y + MAX_HEIGHT - 2), (x + 50, y + MAX_HEIGHT - 60),
                     (x, y, WIDTH, MIN_HEIGHT))

    def test_at_192_dpi(self):
        with Desktop(width=2048, height=1536, dpi=192) as desktop:
            window = desktop.start(fake_time=MOMENT)
            window.wait_title(SECONDS)
            self.assertEqual(window.geometry(), (2 * CORNER[0], 2 * CORNER[1], 230, 54))
            self.assertIn(SECONDS, window.read_caption("caption-192dpi"))

    def test_resizes_keep_to_the_size_rules(self):
        with Desktop() as desktop:
            window = desktop.start()
            for asked, kept in [((WIDTH, 1000 // 15), (WIDTH, MAX_HEIGHT)),
                                ((WIDTH, 100 // 15), (WIDTH, MIN_HEIGHT)),
                                ((300, 40), (WIDTH, 40)),
                                ((WIDTH, MAX_HEIGHT), (WIDTH, MAX_HEIGHT)),
                                ((WIDTH, MIN_HEIGHT), (WIDTH, MIN_HEIGHT))]:
                desktop.x("xdotool", "windowsize", window.id, *map(str, asked))
                window.wait_geometry((*CORNER, *kept))

    def test_edges_buttons_and_window_menu(self):
        with Desktop() as desktop:
            window = desktop.start()
            geometry = (*CORNER, WIDTH, MIN_HEIGHT)
            x, y = CORNER
            # The side borders never change the width; a double click on the caption harms
            # nothing.
            desktop.x("xdotool", "mousemove", str(x + WIDTH - 2), str(y + 12), "mousedown", "1",
                      "mousemove", str(x + WIDTH + 40), str(y + 12), "mouseup", "1",
                      "mousemove", str(x + 50), str(y + 12), "click", "--repeat", "2", "1")
            title = window.title()
            wait_for("the next tick", lambda: window.title() != title, 3)
            self.assertEqual(window.geometry(), geometry)
            self.assertNotIn("MAXIMIZED", window.state())

            # A right click on the caption opens the window menu: Minimize.
            desktop.x("xdotool", "mousemove", str(x + 50), str(y + 12), "click", "3")
            wait_for("the window menu", lambda: len(desktop.x(
                "xdotool", "search", "--onlyvisible", "--pid", str(window.process.pid)).split()) > 1)
            window.key("n")
            wait_for("minimized", lambda: "HIDDEN" in window.state())
            window.activate()
            window.wait_geometry(geometry)

            # The close button ends the program.
            desktop.x("xdotool", "mousemove", str(x + WIDTH - 12), str(y + 12), "click", "1")
            self.assertEqual(window.process.wait(5), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
