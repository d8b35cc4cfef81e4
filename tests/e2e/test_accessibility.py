"""The program as assistive technology meets it: the tree a screen reader walks over AT-SPI, and
the count's contrast against its caption bar in several palettes, from photographs."""

import json
import os
import re
import subprocess
import time
import unittest

from desktop import Desktop, expected_count, patience, require, wait_for
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


# Orca, run with its debug file written a line at a time, so that what it says can be read as it
# says it.
RUN_ORCA = """import builtins, runpy, sys
log, opened = sys.argv[-1], builtins.open
def open_by_lines(file, mode="r", buffering=-1, *args, **kwargs):
    return opened(file, mode, 1 if file == log else buffering, *args, **kwargs)
builtins.open = open_by_lines
sys.argv = ["orca", "--replace", "--debug-file=" + log]
runpy.run_path("/usr/bin/orca", run_name="__main__")
"""


def accessible_tree(desktop, *act):
    """The program's tree as a screen reader walks it (see screen_reader.py), or null; or what
    an action `act` on one of its objects returned."""
    return json.loads(subprocess.run(
        [SYSTEM_PYTHON, SCREEN_READER, "countdown3000", *act], env=desktop.env,
        capture_output=True, text=True, timeout=30 * patience()).stdout or "null")


# The window as Orca reads it out: its title, the count.
FRAME = re.compile(r"\d{11} frame\.")


class Orca:
    """The screen reader Orca on a desktop with a session bus, and what it says: it speaks to
    speech-dispatcher, whose sound goes to libao's null driver, and its debug file holds each
    utterance as a line "SPEECH OUTPUT: '...'"."""

    def __init__(self, desktop):
        require("orca", "gsettings", "/usr/libexec/at-spi-bus-launcher")
        home = desktop.env["HOME"]
        os.makedirs(os.path.join(home, ".config", "speech-dispatcher"), exist_ok=True)
        with open(os.path.join(home, ".config", "speech-dispatcher", "speechd.conf"), "w") as f:
            # Sound to libao's null driver; and no speech server left behind once Orca ends.
            f.write('AudioOutputMethod "libao"\nTimeout 2\n')
        with open(os.path.join(home, ".libao"), "w") as f:
            f.write("default_driver=null\n")
        # The desktop's setting for a screen reader, which programs' toolkits follow.
        desktop.x("gsettings", "set", "org.gnome.desktop.a11y.applications",
                  "screen-reader-enabled", "true")
        desktop.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.log = os.path.join(desktop.dir, "orca.log")
        self.heard = 0  # utterances waited for already
        desktop.spawn([SYSTEM_PYTHON, "-c", RUN_ORCA, self.log], cwd=desktop.dir,
                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait_said("Screen reader on.", timeout=30)

    def said(self):
        """Everything spoken so far, an utterance a line, without the keys it echoes."""
        if not os.path.exists(self.log):
            return []
        with open(self.log, errors="replace") as f:
            lines = re.findall(r"SPEECH OUTPUT: '(.*)'\s*[\[{]", f.read())
        return [line for line in lines if not line.endswith(" ")]

    def wait_said(self, *utterances, timeout=10):
        """Waits until the utterances (texts, or patterns they match) have been spoken, in this
        order, since the last wait; fails with what was said."""
        start = self.heard
        seen = []

        def spoken():
            seen[:] = self.said()[start:]
            rest = iter(seen)
            return all(any(u.fullmatch(s) if isinstance(u, re.Pattern) else u == s for s in rest)
                       for u in utterances)

        try:
            wait_for(f"Orca to say {utterances}", spoken, timeout)
        except AssertionError:
            raise AssertionError(f"Orca said {seen}, not {list(utterances)}") from None
        self.heard = start + len(seen)
        return seen


class AccessibilityTest(unittest.TestCase):
    def test_a_screen_reader_finds_the_frame_its_buttons_and_the_unit(self):
        if not screen_reader_available():
            self.skipTest("not installed: python3-pyatspi")
        # The caption's buttons are named in the user's language, in the toolkit's own words.
        for language, names in (("C.UTF-8", ("Window menu", "Close")),
                                ("ja_JP.UTF-8", ("メニュー", "閉じる"))):
            with self.subTest(language=language):
                self.check_tree(language, *names)

    def check_tree(self, language, menu_name, close_name):
        env = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "LANG": language}
        with Desktop(env=env) as desktop:
            desktop.session_bus()

            ask = lambda *act: accessible_tree(desktop, *act)  # noqa: E731
            window = desktop.start(fake_time=MOMENT)
            wall = desktop.wall_clock(MOMENT)
            window.wait_title(expected_count("s", wall))
            app = wait_for("the program on the accessibility bus", lambda: ask(), 20)
            frame = app["children"][0]
            count = str(expected_count("s", wall))
            self.assertEqual((frame["role"], frame["name"]), ("frame", count))
            # The caption bar's parts, then the window's controls, each where its parent has it.
            self.assert_tree_is_whole(frame)
            menu, title, close, client = frame["children"]
            self.assertEqual((menu["role"], menu["name"]), ("push button", menu_name))
            self.assertIn("ShowMenu", menu["actions"])
            self.assertEqual((title["role"], title["name"]), ("label", count))
            self.assertEqual((close["role"], close["name"]), ("push button", close_name))
            self.assertIn("Press", close["actions"])
            combo = client["children"][0]
            self.assertEqual((combo["role"], combo["name"], combo["text"]),
                             ("combo box", "単位", "秒"))
            # Its entries, each of which a screen reader may pick, then its list.
            self.assertEqual([(e["role"], e["name"]) for e in combo["children"][:-1]],
                             [("menu item", label) for label in "秒分時週日月年"])
            self.assertEqual(combo["children"][-1]["role"], "list")

            # A unit picked from the keyboard renames the frame and changes the combo's value.
            window.key("Down")
            window.wait_title(expected_count("n", wall))
            frame = ask()["children"][0]
            self.assertEqual(frame["name"], str(expected_count("n", wall)))
            self.assertEqual(frame["children"][1]["name"], str(expected_count("n", wall)))
            self.assertEqual(frame["children"][3]["children"][0]["text"], "分")
            # An entry's action picks it.
            ask("menu item", "年", "Press")
            window.wait_title(expected_count("yyyy", wall))

            # The close button's action ends the program, as a click does.
            ask("push button", close_name, "Press")
            self.assertEqual(window.process.wait(10 * patience()), 0)

    def assert_tree_is_whole(self, node, path="frame"):
        for position, child in enumerate(node["children"]):
            where = f"{path} > {child['role']} {child['name']!r}"
            self.assertEqual((child["index"], child["parent_is_its_own"]), (position, True), where)
            self.assert_tree_is_whole(child, where)

    def test_orca_speaks_the_window_each_unit_picked_and_the_menu(self):
        with Desktop() as desktop:
            desktop.session_bus()
            orca = Orca(desktop)
            # On the real clock, a new count each second; in Japanese, as its menu's words.
            window = desktop.start(env={"LANG": "ja_JP.UTF-8"})
            # Focused as the window manager maps it.
            orca.wait_said(FRAME, "単位 combo box.", "秒.")
            # Each unit picked from the keyboard, once; and nothing over seconds at rest, while
            # the count changes.
            for key, label in (("Down", "分"), ("Down", "時"), ("End", "年"), ("Home", "秒")):
                window.key(key)
                self.assertEqual(orca.wait_said(f"{label}."), [f"{label}."])
            time.sleep(4)
            self.assertEqual(orca.said()[orca.heard:], [])
            # The window menu from the keyboard, at its first item, Move.
            window.key("shift+F10")
            self.assertEqual(orca.wait_said("移動(M)"), ["移動(M)"])
            window.key("Escape")
            orca.wait_said(FRAME)  # back in the window
            # Tab keeps the keyboard on the combo box, out of its closed list.
            window.key("Tab", "End")
            orca.wait_said("年.")
            window.wait_title(expected_count("yyyy", desktop.wall_clock(time.time())))
            focused, walk = [], [accessible_tree(desktop)]
            while walk:
                node = walk.pop()
                focused += [(node["role"], node["name"])] if node["focused"] else []
                walk += node["children"]
            self.assertEqual(sorted(focused), [("combo box", "単位"), ("menu item", "年")])

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
