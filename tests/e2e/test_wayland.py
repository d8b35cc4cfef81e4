"""The program on a Wayland desktop, weston on its headless backend. Where XWayland runs too, the
program is an X11 client at its corner; where there is no X server, it runs on Wayland
itself with its own frame and caption bar, exactly its size, wherever the compositor puts it."""

import unittest

from desktop import wait_for
from photographs import read_count
from wayland_desktops import Weston
from test_geometry import CORNER, MIN_HEIGHT, MOMENT, SECONDS, WIDTH


class WaylandTest(unittest.TestCase):
    def test_prefers_x11_where_xwayland_runs(self):
        with Weston(xwayland=True) as desktop:
            window = desktop.start(fake_time=MOMENT)  # found through XWayland's X display
            window.wait_title(SECONDS)
            # Its size and its corner, as under an X11 window manager.
            window.wait_geometry((*CORNER, WIDTH, MIN_HEIGHT))

    def test_runs_on_wayland_where_there_is_no_x_server(self):
        with Weston(xwayland=False) as desktop:
            process = desktop.start_on_wayland(MOMENT)

            def shown():  # with its count painted
                photo, window = desktop.photograph()
                return window and SECONDS in read_count(photo, window, "caption-wayland") and window

            window = wait_for("the window and its count", shown, 20)
            # Exactly its own size, with nothing of the compositor's around it.
            self.assertEqual(window[2:], (WIDTH, MIN_HEIGHT))
            self.assertIsNone(process.poll())


if __name__ == "__main__":
    unittest.main(verbosity=2)
