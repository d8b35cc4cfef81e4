"""The program as assistive technology meets it: the tree a screen reader walks over AT-SPI, and
the count's contrast against its caption bar in several palettes, from photographs."""

import json
import os
import subprocess
import unittest

from desktop import Desktop, expected_count, patience, wait_for
from photographs import caption_contrast

MOMENT = 2_000_000_000  # 2033-05-18 12:33:20 in Tokyo
SYSTEM_PYTHON = "/usr/bin/python3"  # where python3-pyatspi installs pyatspi
SCREEN_READER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "screen_reader.py")

# Palettes as KDE writes them to kdeglobals (Qt reads them there on a KDE desktop): Breeze Dark's
# colours, and a high-contrast scheme. Without one, the program has Qt's own palette.
BREEZE_DARK = {"Button": ("49,54,59", "252,252,252"), "Window": ("42,46,50", "252,252,252"),
               "View": ("27,30,32", "252,252,252"), "Selection": ("61,174,233", "252,252,252")}
HIGH_CONTRAST = {"Button": ("0,0,0", "255,255,255"), "Window": ("0,0,0", "255,255,255"),
                 "View": ("0,0,0", "255,255,255"), "Selection": ("255,255,0", "0,0,0")}


def kde_desktop(colours):
    """A KDE session's environment, and its kdeglobals."""
    text = "".join(f"[Colors:{group}]\nBackgroundNormal={back}\nForegroundNormal={fore}\n\n"
                   for group, (back, fore) in colours.items())
    return {"XDG_CURRENT_DESKTOP": "KDE", "KDE_SESSION_VERSION": "5"}, text


def screen_reader_available():
    return subprocess.run([SYSTEM_PYTHON, "-c", "import pyatspi"],
                          capture_output=True).returncode == 0


class AccessibilityTest(unittest.TestCase):
    def test_a_screen_reader_finds_the_frame_its_buttons_and_the_unit(self):
        if not screen_reader_available():
            self.skipTest("not installed: python3-pyatspi")
        with Desktop(env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}) as desktop:
            desktop.session_bus()

            def ask(*act):
                return json.loads(subprocess.run(
                    [SYSTEM_PYTHON, SCREEN_READER, "countdown3000", *act], env=desktop.env,
                    capture_output=True, text=True, timeout=30 * patience()).stdout or "null")

            window = desktop.start(fake_time=MOMENT)
            wall = desktop.wall_clock(MOMENT)
            window.wait_title(expected_count("s", wall))
            app = wait_for("the program on the accessibility bus", lambda: ask(), 20)
            frame = app["children"][0]
            self.assertEqual((frame["role"], frame["name"]),
                             ("frame", str(expected_count("s", wall))))
            parts = {c["name"]: c for c in frame["children"]}
            self.assertEqual(parts["Close"]["role"], "push button")
            self.assertIn("Press", parts["Close"]["actions"])
            self.assertIn("ShowMenu", parts["Window menu"]["actions"])
            combo = frame["children"][2]["children"][0]
            self.assertEqual((combo["role"], combo["name"], combo["text"]),
                             ("combo box", "単位", "秒"))

            # A unit picked from the keyboard renames the frame and changes the combo's value.
            window.key("Down")
            window.wait_title(expected_count("n", wall))
            frame = ask()["children"][0]
            self.assertEqual(frame["name"], str(expected_count("n", wall)))
            self.assertEqual(frame["children"][2]["children"][0]["text"], "分")

            # The close button's action ends the program, as a click does.
            ask("push button", "Close", "Press")
            self.assertEqual(window.process.wait(10 * patience()), 0)

    def test_the_count_stands_out_in_every_palette(self):
        palettes = {"Qt's own": ({}, None), "Breeze Dark": kde_desktop(BREEZE_DARK),
                    "high contrast": kde_desktop(HIGH_CONTRAST)}
        for palette, (env, kdeglobals) in palettes.items():
            with self.subTest(palette=palette), Desktop(env=env) as desktop:
                if kdeglobals:
                    config = os.path.join(desktop.env["HOME"], ".config")
                    os.makedirs(config, exist_ok=True)
                    with open(os.path.join(config, "kdeglobals"), "w") as f:
                        f.write(kdeglobals)
                window = desktop.start(fake_time=MOMENT)
                count = str(expected_count("s", desktop.wall_clock(MOMENT)))
                window.wait_title(count)
                window.activate()
                slug = palette.replace(" ", "-").replace("'", "")
                # Photographed once the count is on screen, read back from the caption's pixels.
                window.wait_caption(count, f"contrast-{slug}-painted")

                def photograph(state):
                    photo = desktop.screenshot(f"contrast-{slug}-{state}.png")
                    return caption_contrast(photo, window.geometry())

                seen = {"active": photograph("active")}
                # Another window takes the focus, and the caption is drawn inactive.
                desktop.spawn(["xmessage", "-geometry", "+600+600", "another window"])
                seen["inactive"] = wait_for("the caption drawn inactive", lambda: (
                    lambda now: now[1] != seen["active"][1] and now)(photograph("inactive")))
                for state, (ratio, background, text) in seen.items():
                    print(f"{palette}, {state}: {ratio:.2f}:1, "
                          f"text {text} on {background}")
                    self.assertGreaterEqual(ratio, 4.5, f"text {text} on {background}")


if __name__ == "__main__":
    unittest.main()
