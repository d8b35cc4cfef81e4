"""What `cmake --install` puts in place for the desktop: the desktop entry, AppStream metainfo,
icons, and the Windows resource script."""

import glob
import os
import re
import shutil
import stat
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

from desktop import Desktop

PREFIX = os.environ["COUNTDOWN3000_PREFIX"]
BUILD = os.environ["COUNTDOWN3000_BUILD"]
APP_ID = "io.github.countdown3000.Countdown3000"
# The 16-colour palette the small icon is drawn in.
PALETTE = {(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)}


def run(*args):
    result = subprocess.run(args, capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


def share(*parts):
    return os.path.join(PREFIX, "share", *parts)


class InstallTest(unittest.TestCase):
    def test_folders_are_open_to_all_whatever_the_umask(self):
        with tempfile.TemporaryDirectory() as scratch:
            prefix = os.path.join(scratch, "prefix")
            keep_manifest = os.path.join(os.path.dirname(__file__), "..", "keep_manifest.cmake")
            result = subprocess.run(
                ["cmake", f"-DBUILD_DIR={BUILD}",
                 f"-DCOMMAND=cmake;--install;.;--prefix;{prefix}", "-P", keep_manifest],
                capture_output=True, text=True, preexec_fn=lambda: os.umask(0o077))
            self.assertEqual(result.returncode, 0, result.stderr)
            folders = {os.path.relpath(root, prefix): stat.S_IMODE(os.stat(root).st_mode)
                       for root, _, _ in os.walk(prefix)}
            self.assertIn(os.path.join("share", "licenses", "countdown3000"), folders)
            self.assertEqual({f: oct(m) for f, m in folders.items() if m != 0o755}, {})
            with open(os.path.join(prefix, "share", "licenses", "countdown3000", "LICENSE")) as f:
                self.assertIn("MIT License", f.read())

    def test_desktop_entry_and_metainfo_validate(self):
        desktop = share("applications", APP_ID + ".desktop")
        code, out = run("desktop-file-validate", desktop)
        self.assertEqual((code, out), (0, ""))
        with open(desktop, encoding="utf-8") as f:
            entry = dict(line.split("=", 1) for line in f.read().splitlines() if "=" in line)
        self.assertEqual(entry["Icon"], APP_ID)
        self.assertEqual(entry["Exec"], "countdown3000")
        # Docks and launch feedback find the running window by its class.
        with Desktop() as desktop:
            window = desktop.start()
            wm_class = desktop.x("xprop", "-id", window.id, "WM_CLASS").split("=", 1)[1]
            self.assertEqual(wm_class.split(",")[-1].strip().strip('"'), entry["StartupWMClass"])
        self.assertIn("Clock", entry["Categories"].split(";"))
        self.assertTrue(entry["Name[ja]"] and entry["Comment[ja]"])

        metainfo = share("metainfo", APP_ID + ".metainfo.xml")
        code, out = run("appstreamcli", "validate", "--no-net", metainfo)
        self.assertEqual(code, 0, out)
        root = ElementTree.parse(metainfo).getroot()
        self.assertEqual(root.findtext("id"), APP_ID)
        self.assertEqual(root.find("launchable").text, APP_ID + ".desktop")
        self.assertEqual(root.find("releases/release").get("version"), "1.00.0003")
        lang = "{http://www.w3.org/XML/1998/namespace}lang"
        self.assertTrue([n for n in root.findall("name") if n.get(lang) == "ja"])

    def test_icons_have_the_sizes_their_folders_claim(self):
        pngs = glob.glob(share("icons", "hicolor", "*", "apps", APP_ID + ".png"))
        self.assertGreaterEqual(len(pngs), 5)
        for png in pngs:
            folder = png.split(os.sep)[-3]
            code, size = run("identify", "-format", "%wx%h", png)
            self.assertEqual(size, folder, png)
        svg = ElementTree.parse(share("icons", "hicolor", "scalable", "apps", APP_ID + ".svg"))
        self.assertEqual(svg.getroot().get("viewBox"), "0 0 16 16")

    def test_small_icon_uses_only_the_16_colour_palette(self):
        png = share("icons", "hicolor", "16x16", "apps", APP_ID + ".png")
        code, histogram = run("convert", png, "-format", "%c", "histogram:info:-")
        colours = re.findall(r"\(\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)\)", histogram)
        self.assertTrue(colours, histogram)
        for r, g, b, a in colours:
            if int(a) != 0:  # transparent pixels have no colour
                self.assertEqual(a, "255", histogram)
                self.assertIn((int(r), int(g), int(b)), PALETTE, histogram)

    @unittest.skipUnless(shutil.which("x86_64-w64-mingw32-windres"),
                         "mingw-w64's windres is not installed (binutils-mingw-w64-x86-64)")
    def test_windows_resources_compile_with_the_version_record(self):
        resources = os.path.join(BUILD, "countdown3000.res")
        code, out = run("x86_64-w64-mingw32-windres", "--preprocessor=cpp",
                        os.path.join(BUILD, "data", "countdown3000.rc"), "-O", "res",
                        "-o", resources)
        self.assertEqual(code, 0, out)
        code, script = run("x86_64-w64-mingw32-windres", "-i", resources, "-O", "rc")
        self.assertEqual(code, 0, script)
        for expected in ("FILEVERSION 1, 0, 0, 3", "PRODUCTVERSION 1, 0, 0, 3",
                         'BLOCK "041104B0"', 'VALUE "FileVersion", "1.00.0003"',
                         'VALUE "ProductVersion", "1.00.0003"', "0x411, 1200",
                         "RT_GROUP_ICON", "LANGUAGE 17, 1"):  # 17 is Japanese
            self.assertIn(expected, script)


if __name__ == "__main__":
    unittest.main(verbosity=2)
