"""The program as a user gets it: installed from the Debian package and started the way the
desktop entry starts it. Runs only when ZORSAV_INSTALLED is set (scripts/package-check.sh
sets it after installing the package)."""

import configparser
import os
import unittest

from harness.fixture import DesktopTestCase
from harness.wait import wait_until

PREFIX = os.environ.get("ZORSAV_INSTALLED", "")
TITLE_LINE = "ZOR-ScreenSaver Version 1.55"
BATTLE_LINE3 = "どうしますか？"


@unittest.skipUnless(PREFIX, "set ZORSAV_INSTALLED to the installed prefix (e.g. /usr)")
class InstalledProgram(DesktopTestCase):

    def desktop_entry(self):
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(os.path.join(PREFIX, "share/applications/zorsav.desktop"), encoding="utf-8")
        return entry["Desktop Entry"]

    def start_from_the_menu(self, pulse_server=None):
        """Starts what the desktop entry names, in the folder it names."""
        entry = self.desktop_entry()
        binary = os.path.join(PREFIX, "bin", entry["Exec"].split()[0])
        return self.start_program([binary], cwd=entry["Path"], pulse_server=pulse_server)

    def test_files_are_where_the_desktop_looks(self):
        entry = self.desktop_entry()
        self.assertEqual(entry["Name"], "ZOR-ScreenSaver")
        self.assertEqual(entry["Categories"], "Game;Amusement;")
        for name in ("ZORSAVM1.MID", "ZORSAVM2.MID"):
            self.assertTrue(os.path.isfile(os.path.join(entry["Path"], name)), name)
        for size in (16, 32, 48, 64, 128, 256):
            icon = os.path.join(PREFIX, f"share/icons/hicolor/{size}x{size}/apps/zorsav.png")
            self.assertTrue(os.path.isfile(icon), icon)
        self.assertTrue(os.path.isfile(os.path.join(PREFIX, "share/man/man6/zorsav.6")) or
                        os.path.isfile(os.path.join(PREFIX, "share/man/man6/zorsav.6.gz")))
        self.assertTrue(os.path.isfile(
            os.path.join(PREFIX, "share/metainfo/org.zorsav.ZorScreenSaver.metainfo.xml")))

    def test_starts_on_the_title_screen_with_its_icon_and_music(self):
        sink = self.null_sink()
        run = self.start_from_the_menu(pulse_server=sink.server)
        window = run.window()
        self.assertEqual(run.control("Mes1").name, TITLE_LINE)
        self.assertTrue(run.control("Button5").showing)
        icon = self.x.cardinals_property(window, "_NET_WM_ICON")
        self.assertTrue(icon, "the window has no icon")
        self.assertEqual(tuple(icon[:2]), (16, 16))
        self.screenshot(window, "installed-title")
        # Next starts the battle theme, found by bare name in the entry's folder.
        run.control("Button5").press()
        run.control("Mes3").wait_name(BATTLE_LINE3)
        sink.wait_for_sound(timeout=20.0)


if __name__ == "__main__":
    unittest.main()
