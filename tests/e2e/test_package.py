"""The Debian package: lintian's verdict, and a real install with apt, a start of the installed
program on an X desktop, and removal."""

import glob
import os
import subprocess
import unittest

from desktop import Desktop

PACKAGES = os.environ["COUNTDOWN3000_PACKAGES"]
APP_ID = "io.github.countdown3000.Countdown3000"


def the_package():
    """This build's package (a package folder may still hold others)."""
    version = os.environ["COUNTDOWN3000_VERSION"]
    debs = glob.glob(os.path.join(PACKAGES, f"countdown3000_{version}_*.deb"))
    assert len(debs) == 1, debs
    return debs[0]


def apt(*args):
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    result = subprocess.run(["apt-get", "-y", "-q", *args], env=env, capture_output=True,
                            text=True)
    assert result.returncode == 0, result.stdout + result.stderr


class PackageTest(unittest.TestCase):
    def test_lintian_finds_no_errors_or_warnings(self):
        result = subprocess.run(["lintian", "--fail-on", "error,warning", the_package()],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_control_fields(self):
        fields = subprocess.run(["dpkg-deb", "-f", the_package()], capture_output=True,
                                text=True, check=True).stdout
        self.assertIn("Package: countdown3000\n", fields)
        self.assertIn("Version: 1.00.0003\n", fields)
        self.assertIn("Section: utils\n", fields)
        self.assertRegex(fields, r"Depends: .*libqt6widgets6")
        self.assertRegex(fields, r"Depends: .*qt6-qpa-plugins")
        self.assertRegex(fields, r"Recommends: .*fonts-noto-cjk")
        self.assertRegex(fields, r"Recommends: .*qt6-wayland")
        self.assertRegex(fields, r"Recommends: .*qt6-translations-l10n")

    @unittest.skipUnless(os.geteuid() == 0, "installing a package needs root")
    def test_installs_starts_and_removes_with_apt(self):
        apt("install", "--no-install-recommends", os.path.abspath(the_package()))
        try:
            self.assertTrue(os.access("/usr/bin/countdown3000", os.X_OK))
            with open(f"/usr/share/applications/{APP_ID}.desktop", encoding="utf-8") as f:
                wm_class = [line.split("=", 1)[1] for line in f.read().splitlines()
                            if line.startswith("StartupWMClass=")][0]
            with Desktop() as desktop:
                window = desktop.start(program="/usr/bin/countdown3000")
                self.assertRegex(window.title(), r"^[0-9]{11}$")
                # Launchers match the running window to its desktop entry by its class.
                self.assertIn(f'"{wm_class}"', desktop.x("xprop", "-id", window.id, "WM_CLASS"))
        finally:
            apt("remove", "countdown3000")
        self.assertFalse(os.path.exists("/usr/bin/countdown3000"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
