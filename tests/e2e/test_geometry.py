"""Where the window opens and how it can be sized, under openbox on a 1024 x 768, 96 dpi screen:
15 twips to a pixel."""

import math
import time
import unittest

from desktop import Desktop, wait_for

TWIPS = 15
WIDTH, MIN_HEIGHT, MAX_HEIGHT = 1725 // TWIPS, 405 // TWIPS, 690 // TWIPS  # 115, 27, 46 pixels


def centred_edge(screen_pixels, window_pixels):
    """The edge that centres the window: the difference in twips rounded half to even, halved
    toward zero, back in pixels."""
    twips = math.trunc(round((screen_pixels - window_pixels) * TWIPS) / 2)
    return round(twips / TWIPS)


def double_click_title(window, maximized):
    """Double-clicks the title bar until the window is (or is no longer) maximized: a double
    click may be lost while openbox still animates the window."""
    for _ in range(5):
        x, y = window.frame_geometry()[:2]
        window.mouse("mousemove", str(x + 40), str(y + 8), "click", "--repeat", "2",
                     "--delay", "80", "1")
        try:
            return wait_for("maximize", lambda: ("MAXIMIZED" in window.state()) == maximized, 1)
        except AssertionError:
            pass
    raise AssertionError(f"the window did not {'' if maximized else 'un'}maximize")


class GeometryTest(unittest.TestCase):
    def test_opens_collapsed_at_the_corner_of_the_created_window(self):
        with Desktop() as desktop:
            window = desktop.start()
            left, right, top, bottom = window.frame_extents()
            # Created with a 4680 x 3195 twips client area, inside openbox's frame.
            corner = (centred_edge(1024, 4680 // TWIPS + left + right),
                      centred_edge(768, 3195 // TWIPS + top + bottom))
            self.assertEqual(window.frame_geometry(), (*corner, WIDTH, MIN_HEIGHT))

    def test_resizes_keep_to_the_size_rules(self):
        with Desktop() as desktop:
            window = desktop.start()
            corner = window.frame_geometry()[:2]
            left, right, top, bottom = window.frame_extents()
            for asked, kept in [((WIDTH, 1000 // TWIPS), (WIDTH, MAX_HEIGHT)),
                                ((WIDTH, 100 // TWIPS), (WIDTH, MIN_HEIGHT)),
                                ((300, 40), (WIDTH, 40)),
                                ((WIDTH, MAX_HEIGHT), (WIDTH, MAX_HEIGHT)),
                                ((WIDTH, MIN_HEIGHT), (WIDTH, MIN_HEIGHT))]:
                client = (max(1, asked[0] - left - right), max(1, asked[1] - top - bottom))
                desktop.x("xdotool", "windowsize", window.id, *map(str, client))
                window.wait_geometry((*corner, *kept))

    def test_dragging_the_edges(self):
        with Desktop() as desktop:
            window = desktop.start()
            x, y, width, height = window.frame_geometry()
            bottom = y + height - 2  # on openbox's handle under the client area
            window.mouse("mousemove", str(x + 50), str(bottom), "mousedown", "1",
                         "mousemove", str(x + 50), str(bottom + 40), "sleep", "0.2",
                         "mousemove", str(x + 50), str(bottom + 80), "mouseup", "1")
            window.wait_geometry((x, y, WIDTH, MAX_HEIGHT))
            desktop.screenshot("countdown-expanded.png", (x - 10, y - 10, WIDTH + 20, 70))
            # The combo box is painted once the window is expanded: its label is dark text.
            client = window.client_geometry()
            wait_for("the combo box's label", lambda: desktop.darkest(client) < 0.3)
            bottom = y + MAX_HEIGHT - 2
            window.mouse("mousemove", str(x + 50), str(bottom), "mousedown", "1",
                         "mousemove", str(x + 50), str(bottom - 40), "sleep", "0.2",
                         "mousemove", str(x + 50), str(bottom - 80), "mouseup", "1")
            window.wait_geometry((x, y, WIDTH, MIN_HEIGHT))
            right = x + WIDTH - 1
            window.mouse("mousemove", str(right), str(y + 24), "mousedown", "1",
                         "mousemove", str(right + 50), str(y + 24), "sleep", "0.2",
                         "mousemove", str(right + 100), str(y + 24), "mouseup", "1")
            time.sleep(0.3)
            window.wait_geometry((x, y, WIDTH, MIN_HEIGHT))

    def test_minimize_maximize_and_restore(self):
        with Desktop() as desktop:
            window = desktop.start()
            geometry = window.frame_geometry()
            x, y = geometry[:2]
            desktop.x("xdotool", "windowminimize", window.id)
            wait_for("minimized", lambda: "HIDDEN" in window.state())
            window.activate()
            window.wait_geometry(geometry)
            # openbox maximizes on a double click on the title bar, and restores on another.
            double_click_title(window, maximized=True)
            double_click_title(window, maximized=False)
            window.wait_geometry(geometry)
            title = window.title()
            wait_for("the next tick", lambda: window.title() != title, 3)  # still counting

    def test_title_bar_taller_than_the_smallest_height(self):
        with Desktop(title_font_size=24) as desktop:
            window = desktop.start()
            left, right, top, bottom = window.frame_extents()
            self.assertGreater(top + bottom, MIN_HEIGHT)
            # The nearest the window manager allows: a client area one pixel high.
            settled = window.wait_geometry((None, None, WIDTH, top + bottom + 1))
            cpu = window.cpu_seconds()
            time.sleep(2)
            self.assertEqual(window.frame_geometry(), settled)
            self.assertLess(window.cpu_seconds() - cpu, 0.5)  # no resize loop


if __name__ == "__main__":
    unittest.main(verbosity=2)
