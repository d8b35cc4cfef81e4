"""The window's own frame and caption bar on real X desktops: where it opens and how large, what a
person reads in its caption bar, and what its caption, edges, buttons and window menu do. On a
1024 x 768, 96 dpi screen (15 twips to a pixel) unless said otherwise."""

import json
import os
import signal
import subprocess
import time
import unittest
from datetime import datetime
from zoneinfo import ZoneInfo

from desktop import (APP_ID, UNITS, WINDOW_MANAGERS, Desktop, expected_count, patience,
                     tiling_node, wait_for)
from photographs import ARTIFACTS, differing_pixels, painted
from wayland_desktops import Sway

WIDTH, MIN_HEIGHT, MAX_HEIGHT = 1725 // 15, 405 // 15, 690 // 15  # 115, 27, 46 pixels
# The corner of a window created 4800 x 3600 twips, centred: (15360 - 4800) / 2, (11520 - 3600) / 2.
CORNER = (5280 // 15, 3960 // 15)
# A frozen clock, and what the window shows then in seconds and in years.
MOMENT = int(datetime(2026, 12, 8, 5, 30, 15, tzinfo=ZoneInfo("Asia/Tokyo")).timestamp())
SECONDS, YEARS = "30706972185", "974"
# A second later, and 86 seconds later, when the last three digits change.
NEXT_SECONDS, LATER, LATER_SECONDS = "30706972184", MOMENT + 86, "30706972099"
# The scales a desktop runs at: its resolution (Xft.dpi, as desktops announce it), or Qt's own
# factor; and the ratio of device pixels to 96-dpi pixels that makes.
SCALES = {"96 dpi": (96, {}, 1), "144 dpi": (144, {}, 1.5), "168 dpi": (168, {}, 1.75),
          "QT_SCALE_FACTOR 1.25": (96, {"QT_SCALE_FACTOR": "1.25"}, 1.25),
          "QT_SCALE_FACTOR 1.5": (96, {"QT_SCALE_FACTOR": "1.5"}, 1.5)}

# Two monitors side by side, 1024 x 768 each, the second at twice the 96-dpi scale (Qt's factors
# for each monitor, as KDE Plasma sets them on X11), the first at 1 or at 1.5 (Xft.dpi 144).
MONITORS = {"1x beside 2x": (96, "M1=1;M2=2", 1), "1.5x beside 2x": (144, "M2=2", 1.5)}


def expected_geometry(ratio, screen=(1024, 768)):
    """The window at `ratio`, in device pixels: its corner and collapsed size on a screen of
    `screen` pixels, and its expanded height. Lengths in twips round to the nearest pixel; the
    corner is that of the window as created (4800 x 3600 twips), centred: the difference rounded
    to a whole number of twips (halves to even), halved toward zero."""
    per_pixel = 15 / ratio
    pixels = lambda twips: int(twips / per_pixel + 0.5)  # noqa: E731
    left, top = (round(side * per_pixel - created) // 2
                 for side, created in zip(screen, (4800, 3600)))
    return (pixels(left), pixels(top), pixels(1725), pixels(405)), pixels(690)


def drag(window, start, end, expected):
    """Drags with the left button from `start` to `end` as a person would, in small steps, lets
    go, and waits until the window has (left, top, width, height) `expected` (None matches
    anything): some window managers (fluxbox) resize an outline and the window on release. The
    first small movement hands the drag to the window manager."""
    (x0, y0), (x1, y1) = start, end
    # Half a second, as a hand takes: long enough for the window to take the drag over itself
    # where the window manager says yes and does not follow.
    steps = [(x0 + (x1 - x0) * i // 8, y0 + (y1 - y0) * i // 8) for i in range(1, 9)]
    # A hand rests on the spot before it presses: a window manager that has just finished the
    # previous drag (fluxbox applies it on release) takes the press as a new one.
    window.mouse("mousemove", str(x0), str(y0), "sleep", "0.2", "mousedown", "1",
                 "mousemove", str(x0 + 2), str(y0 + 2),
                 *[a for x, y in steps for a in ("sleep", "0.05", "mousemove", str(x), str(y))],
                 "mouseup", "1")
    return window.wait_geometry(expected)


def minimize_twice(desktop, window, geometry, grip):
    """Minimizes the window from its window menu (a right click on the caption, then Minimize)
    and restores it, twice, each time after it has stood still for a few seconds, in which it stops
    hearing of its properties: restored, it must know it is no longer minimized, or it would not
    minimize again."""
    x, y = geometry[:2]
    for _ in range(2):
        time.sleep(3)
        desktop.x("xdotool", "mousemove", str(x + 50), str(y + grip), "click", "3")
        wait_for("the window menu", lambda: len(desktop.x(
            "xdotool", "search", "--onlyvisible", "--pid", str(window.process.pid)).split()) > 1)
        window.key("n")
        wait_for("minimized", lambda: "HIDDEN" in window.state())
        window.activate()
        window.wait_geometry(geometry)


def full_screen_and_back(desktop, window, geometry):
    """Full screen at a pager's request, once the window has heard of its new size (its count
    changes after it), and back: the window takes its place and size again, though a window
    manager may resize it before it says the window is full screen (icewm)."""
    window.ask_state(True, "_NET_WM_STATE_FULLSCREEN")
    wait_for("full screen", lambda: "FULLSCREEN" in window.state())
    desktop.set_clock(LATER + 1)
    window.wait_title(int(LATER_SECONDS) - 1)
    window.ask_state(False, "_NET_WM_STATE_FULLSCREEN")
    wait_for("no longer full screen", lambda: "FULLSCREEN" not in window.state())
    window.wait_geometry(geometry)


def window_menu(desktop, window, key):
    """Opens the window menu from the keyboard and picks an item by its key."""
    window.activate()
    window.key("shift+F10")
    wait_for("the window menu", lambda: len(desktop.x(
        "xdotool", "search", "--onlyvisible", "--pid", str(window.process.pid)).split()) > 1)
    window.key(key)


def on_top_and_moved(desktop, window, geometry):
    """Always on Top from the window menu keeps the window above another window raised over it,
    and chosen again lets that window cover it, the window's place and size unchanged; Move
    moves it with the arrow keys, until Return."""
    x, y = geometry[:2]
    desktop.spawn(["xmessage", "-name", "other", "-geometry", f"+{x - 20}+{y - 10}", "another"])
    other = wait_for("the other window", lambda: desktop.x(
        "xdotool", "search", "--onlyvisible", "--classname", "other")).split()[0]
    for above in (True, False):
        window_menu(desktop, window, "t")
        wait_for(f"_NET_WM_STATE_ABOVE {'set' if above else 'gone'}",
                 lambda: ("_NET_WM_STATE_ABOVE" in window.state()) == above)
        desktop.x("xdotool", "windowactivate", "--sync", other, "windowraise", other)
        wait_for("the stacking order", lambda: desktop.stacked_over(window.id, other) == above)
        assert window.geometry() == geometry, window.geometry()
    window_menu(desktop, window, "m")
    window.key("Right", "Right", "Return")
    wait_for("the window moved right", lambda: (
        lambda now: now[0] > x and now[1:] == geometry[1:])(window.geometry()))


class TitleBarTest(unittest.TestCase):
    def test_under_every_window_manager_and_scale(self):
        # All of them, or those the environment names (the suite runs them in parts at once).
        names = os.environ.get("COUNTDOWN3000_WINDOW_MANAGERS")
        for wm in names.split(",") if names else WINDOW_MANAGERS:
            for scale, (dpi, env, ratio) in SCALES.items():
                with self.subTest(wm=wm, scale=scale):
                    self.check_under(wm, dpi, env, ratio)

    def check_under(self, wm, dpi, env, ratio):
        with Desktop(wm=wm, dpi=dpi, env=env) as desktop:
            self.check_window(desktop, ratio, f"caption-{wm}-{dpi}dpi-{ratio}")

    def check_window(self, desktop, ratio, name):
        (x, y, width, collapsed), expanded = expected_geometry(ratio)
        window = desktop.start(fake_time=MOMENT)
        window.wait_title(SECONDS)
        # Exactly its own size at the corner, with nothing of the window manager's (where a window
        # manager first rounds the size to Qt's steps, once it has taken the window's new hints).
        window.wait_geometry((x, y, width, collapsed))
        self.assertEqual(window.window_manager_frame(), (0, 0, 0, 0))
        # Every digit, read back from a photograph; a later count's too, which the window puts on
        # screen itself, and which stays, to the pixel, when the window is uncovered (xrefresh
        # covers the screen for a moment) and shown again from the toolkit's picture of it.
        window.wait_caption(SECONDS, f"{name}-seconds")
        desktop.set_clock(MOMENT + 1)
        window.wait_title(NEXT_SECONDS)
        desktop.set_clock(LATER)
        window.wait_caption(LATER_SECONDS, f"{name}-next")
        desktop.x("xrefresh")
        photo = lambda suffix: os.path.join(ARTIFACTS, f"{name}-{suffix}.png")  # noqa: E731
        differing = []

        def uncovered_alike():
            window.read_caption(f"{name}-uncovered")
            differing.append(differing_pixels(photo("next"), photo("uncovered")))
            return differing[-1] == 0

        try:  # once the window has painted itself again
            wait_for("the uncovered window painted as before", uncovered_alike, interval=0.2)
        except AssertionError:
            self.fail(f"{differing[-1]} pixels differ once the window is uncovered")
        if ratio == 1:
            window.activate()
            window.key("End")
            window.wait_title(YEARS)
            window.wait_caption(YEARS, f"{name}-years")

        # The caption moves the window by what the mouse moved, to the pixel; the lower edge
        # stops at the combo box's bottom and at the caption bar.
        grip = round(12 * ratio)
        drag(window, (x + 50, y + grip), (x + 110, y + grip + 40), (x + 60, y + 40, width,
                                                                     collapsed))
        x, y = x + 60, y + 40
        drag(window, (x + 50, y + collapsed - 2), (x + 50, y + collapsed + 60),
             (x, y, width, expanded))
        # Uncovered, the combo box shows the unit picked: the label changes with the unit.
        labels = [f"{name}-expanded", f"{name}-expanded-other-unit"]
        shown = wait_for("the combo box painted", lambda: painted(window.client_area(labels[0])))
        window.activate()
        window.key("Home" if ratio == 1 else "End")
        window.wait_title(LATER_SECONDS if ratio == 1 else YEARS)
        wait_for("the other label painted", lambda: (
            lambda path: painted(path) and differing_pixels(shown, path))(
                window.client_area(labels[1])))
        drag(window, (x + 50, y + expanded - 2), (x + 50, y + expanded - 60),
             (x, y, width, collapsed))
        if ratio == 1:
            minimize_twice(desktop, window, (x, y, width, collapsed), grip)
            full_screen_and_back(desktop, window, (x, y, width, collapsed))
            on_top_and_moved(desktop, window, (x, y, width, collapsed))

    def test_between_monitors_of_different_scales(self):
        # metacity tells the toolkit of a new size and a new monitor in one breath.
        for wm in ("openbox", "kwin", "metacity"):
            for monitors, (dpi, factors, ratio) in MONITORS.items():
                with self.subTest(wm=wm, monitors=monitors):
                    self.check_between_monitors(wm, dpi, factors, ratio)

    def check_between_monitors(self, wm, dpi, factors, ratio):
        env = {"QT_SCREEN_SCALE_FACTORS": factors}
        with Desktop(wm=wm, width=2048, dpi=dpi, monitors=2, env=env) as desktop:
            window = desktop.start(fake_time=MOMENT)
            window.wait_painted()
            (x, y, _, _), _ = expected_geometry(ratio)
            grip, was = (50, 8), ratio
            # Over to the second monitor by the caption and back: the spot of the window the pointer
            # holds stays under it, and on each monitor the window is collapsed at its size there,
            # its lower edge stopping at the combo box's bottom and at the caption bar.
            for pointer, now in (((1400, 300), 2), ((300, 300), ratio)):
                held = [int(g * now / was + 0.5) for g in grip]
                (_, _, width, collapsed), expanded = expected_geometry(now)
                start = (x + grip[0], y + grip[1])
                x, y = pointer[0] - held[0], pointer[1] - held[1]
                drag(window, start, pointer, (x, y, width, collapsed))
                drag(window, (x + 50, y + collapsed - 2), (x + 50, y + collapsed + 80),
                     (x, y, width, expanded))
                drag(window, (x + 50, y + expanded - 2), (x + 50, y + expanded - 80),
                     (x, y, width, collapsed))
                window.wait_caption(SECONDS, f"monitors-{wm}-{dpi}dpi-at-{now}x")
                grip, was = held, now

    def test_floats_under_tiling_window_managers(self):
        # i3 on X11 and sway on Wayland, each with the rule the README gives their users.
        for wm, ask, program in (("i3", "i3-msg", "countdown3000"), ("sway", "swaymsg", APP_ID)):
            with self.subTest(wm=wm), (Sway() if wm == "sway" else Desktop(wm=wm)) as desktop:
                if wm == "sway":
                    desktop.start_on_wayland(MOMENT)
                else:
                    desktop.start(fake_time=MOMENT).wait_title(SECONDS)
                seen = []

                def floating():
                    seen.append(tiling_node(json.loads(desktop.x(ask, "-t", "get_tree")), program))
                    return seen[-1] == ("floating", (WIDTH, MIN_HEIGHT))

                try:
                    wait_for(f"the window floating under {wm}", floating, 10)
                except AssertionError:
                    self.fail(f"under {wm}: {seen[-1]}")

    def test_every_unit_whole_and_large(self):
        with Desktop() as desktop:
            window = desktop.start(fake_time=MOMENT)
            window.activate()
            for position, unit in enumerate(UNITS):
                if position:
                    window.key("Down")
                count = str(expected_count(unit, desktop.wall_clock(MOMENT)))
                window.wait_title(count)
                reading = window.wait_caption(count, f"caption-{unit}")
                # Eleven or nine digits at least 8 pixels high, the shorter counts at least 9.
                self.assertGreaterEqual(reading.height, 8 if len(count) > 7 else 9, unit)
            # Thirteen characters, from 15 November 6168 on: whole too.
            later = int(datetime(9000, 6, 1, tzinfo=ZoneInfo("Asia/Tokyo")).timestamp())
            desktop.set_clock(later)
            window.key("Home")
            count = str(expected_count("s", desktop.wall_clock(later)))
            window.wait_title(count)
            window.wait_caption(count, "caption-9000")

    def test_a_title_font_of_uneven_digits(self):
        # GNOME's title font, Cantarell Bold, whose digits are not all as wide (the window takes
        # the widest for each): eleven digits, and thirteen characters made smaller, read whole.
        fonts = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                             "cantarell_first.conf")
        with Desktop(env={"FONTCONFIG_FILE": fonts}) as desktop:
            if "Cantarell" not in desktop.x("fc-match", "-f", "%{family}", "sans:bold"):
                self.skipTest("not installed: fonts-cantarell")
            window = desktop.start(fake_time=MOMENT)
            window.wait_caption(SECONDS, "caption-cantarell")
            later = int(datetime(9000, 6, 1, tzinfo=ZoneInfo("Asia/Tokyo")).timestamp())
            desktop.set_clock(later)
            window.wait_caption(str(expected_count("s", desktop.wall_clock(later))),
                                "caption-cantarell-9000")

    def test_at_192_dpi(self):
        with Desktop(width=2048, height=1536, dpi=192) as desktop:
            window = desktop.start(fake_time=MOMENT)
            window.wait_title(SECONDS)
            self.assertEqual(window.geometry(), (2 * CORNER[0], 2 * CORNER[1], 230, 54))
            window.wait_caption(SECONDS, "caption-192dpi")

    def test_resizes_keep_to_the_size_rules(self):
        with Desktop() as desktop:
            window = desktop.start()
            window.wait_painted()
            for asked, kept in [((WIDTH, 1000 // 15), (WIDTH, MAX_HEIGHT)),
                                ((WIDTH, 100 // 15), (WIDTH, MIN_HEIGHT)),
                                ((300, 40), (WIDTH, 40)),
                                ((WIDTH, MAX_HEIGHT), (WIDTH, MAX_HEIGHT)),
                                ((WIDTH, MIN_HEIGHT), (WIDTH, MIN_HEIGHT))]:
                desktop.x("xdotool", "windowsize", window.id, *map(str, asked))
                window.wait_geometry((*CORNER, *kept))

            # A window manager may say that a window is no longer full screen before it resizes
            # it, while the window does not listen to its properties (a still window does not):
            # the test plays one, with openbox ended.
            os.killpg(desktop.groups[0].pid, signal.SIGTERM)
            desktop.groups[0].wait()

            def resize(size, kept=None, states=None):
                if states is not None:
                    desktop.x("xprop", "-id", window.id, "-f", "_NET_WM_STATE", "32a", "-set",
                              "_NET_WM_STATE", ",".join(states))
                desktop.x("xdotool", "windowsize", window.id, *map(str, size))
                window.wait_geometry((None, None, *(kept or size)))
            # Heard at once: the window was just given back to the root window.
            resize((1024, 768), states=["_NET_WM_STATE_FULLSCREEN"])
            wait_for("the window still", lambda: "PropertyChange" not in desktop.x(
                "xwininfo", "-events", "-id", window.id))
            resize((WIDTH, MIN_HEIGHT), states=["_NET_WM_STATE_ABOVE"])
            resize((WIDTH, 100), (WIDTH, MAX_HEIGHT))

    def test_edges_and_buttons(self):
        # The window menu is tried under every window manager (minimize_twice).
        with Desktop() as desktop:
            window = desktop.start()
            window.wait_painted()
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
            # The lower edge asks the window manager to move the bottom edge alone
            # (_NET_WM_MOVERESIZE_SIZE_BOTTOM), not a corner.
            with desktop.client_messages("_NET_WM_MOVERESIZE") as asked:
                drag(window, (x + 50, y + MIN_HEIGHT - 2), (x + 50, y + MIN_HEIGHT + 30),
                     (*CORNER, WIDTH, MAX_HEIGHT))
            self.assertEqual([message[2] for message in asked], [5])
            drag(window, (x + 50, y + MAX_HEIGHT - 2), (x + 50, y), geometry)

            # The close button ends the program.
            desktop.x("xdotool", "mousemove", str(x + WIDTH - 12), str(y + 12), "click", "1")
            self.assertEqual(window.process.wait(5 * patience()), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
