"""Smoke test of the real program on a desktop: the window, the summon, the close rule."""

import os
import subprocess
import tempfile
import unittest

from harness import desktop, program, xdnd
from harness.fixture import DesktopTestCase
from harness.wait import holds_for, wait_until

WIDTH, HEIGHT = 462, 301
BLACK = (0, 0, 0)
GREY = (128, 128, 128)

TITLE_LINES = {
    "Mes1": "ZOR-ScreenSaver Version 1.55",
    "Mes3": "     [次へ(N)]ボタンを押してください。",
}
BATTLE_LINE1 = "「ぐはははは、このスクリーンはいただいた～」"
BATTLE_LINE3 = "どうしますか？"
APPEARS = "があらわれた。"
MONSTERS = ("イーエックスプローラー", "ウィムドウズ", "マックロソフトＭ", "マックロソフトＳ", "ズモグ")
HP_TEXT = " あなたのHP： 50 "
COMMANDS = {"Button1": "たたかう(A)", "Button2": "にげる(E)", "Button3": "まほう(M)",
            "Button4": "どうぐ(I)"}
NEXT_CAPTION = "次へ(N)"

# Where the controls sit inside the window: (x, y, width, height); None where the size
# follows the text.
TITLE_LAYOUT = {
    "Panel1": (0, 0, WIDTH, HEIGHT),
    "Panel2": (8, 176, 449, 65),
    "Button5": (192, 259, 75, 23),
}
BATTLE_LAYOUT = {
    "Panel2": (8, 176, 449, 65),
    "Image1": (184, 64, 64, 64),
    "HP": (176, 16, None, None),
    "Button1": (56, 259, 75, 23),
    "Button2": (144, 259, 75, 23),
    "Button3": (232, 259, 75, 23),
    "Button4": (320, 259, 75, 23),
}
LINE_TOPS = {"Mes1": 176 + 9, "Mes2": 176 + 25, "Mes3": 176 + 41}


class ZorsavOnDesktop(DesktopTestCase):

    def start_on_title(self):
        """Starts the program and waits until its title screen is up and answering."""
        run = self.start_zorsav()
        window = run.window()
        run.control("Button5").wait_showing()
        return run, window

    def summon(self, run):
        """Presses Next through the accessibility tree and waits for the battle screen."""
        run.control("Button5").press()
        run.control("Mes3").wait_name(BATTLE_LINE3)

    def assert_layout(self, run, layout):
        for name, (x, y, width, height) in layout.items():
            with self.subTest(control=name):
                actual = run.rect_of(run.control(name))
                expected = (x, y, actual[2] if width is None else width,
                            actual[3] if height is None else height)
                self.assertEqual(actual, expected)

    def assert_line_tops(self, run):
        for name, top in LINE_TOPS.items():
            with self.subTest(line=name):
                self.assertEqual(run.rect_of(run.control(name))[1], top)

    def test_title_screen_window(self):
        run, window = self.start_on_title()
        x = self.x

        geometry = run.geometry()
        self.assertEqual((geometry.width, geometry.height), (WIDTH, HEIGHT))
        # Centred: the odd pixel may go either way.
        self.assertLessEqual(abs(geometry.x - (x.screen_width - WIDTH) / 2), 1, geometry)
        self.assertLessEqual(abs(geometry.y - (x.screen_height - HEIGHT) / 2), 1, geometry)
        self.assertEqual(x.title(window), program.WINDOW_TITLE)

        # Undecorated: openbox gives it no title bar and no border.
        extents = x.frame_extents(window)
        if extents is not None:
            self.assertEqual(extents, (0, 0, 0, 0))
        self.assertEqual(x.geometry(x.frame_of(window)), geometry)

        self.assertNotIn("_NET_WM_STATE_SKIP_TASKBAR", run.net_wm_state())

        for name, text in TITLE_LINES.items():
            with self.subTest(line=name):
                self.assertEqual(run.control(name).name, text)
                self.assertEqual(run.control(name).role, "label")
        self.assertTrue(run.control("Mes2").name.strip(), "the maker's notice is empty")

        next_button = run.control("Button5")
        self.assertEqual(next_button.role, "push button")
        self.assertEqual(next_button.name, NEXT_CAPTION)
        self.assertTrue(next_button.enabled)
        for name in ("Button1", "Button2", "Button3", "Button4", "Button6", "HP", "Image1"):
            with self.subTest(hidden=name):
                self.assertFalse(run.control(name).showing)

        self.assert_layout(run, TITLE_LAYOUT)
        self.assert_line_tops(run)

        # Black form, grey message panel; the corners of both are free of text.
        pixels = wait_until(lambda: _painted(run), message="the title screen to be painted")
        for point in ((1, 1), (WIDTH - 2, 1), (1, HEIGHT - 2), (WIDTH - 2, HEIGHT - 2), (230, 100)):
            self.assertEqual(pixels.pixel(*point), BLACK, point)
        for point in ((9, 177), (455, 177), (9, 239), (455, 239)):
            self.assertEqual(pixels.pixel(*point), GREY, point)
        self.screenshot(window, "title")

    def test_title_screen_refuses_drops(self):
        run, _ = self.start_on_title()
        result = run.drag(xdnd.files_payload([os.path.join(program.build_dir(run.run.argv[0]),
                                                            "zorsav")]))
        self.assertFalse(result.accepted, result)
        self.assertFalse(result.dropped, result)
        self.assertEqual(run.control("Mes3").name, TITLE_LINES["Mes3"])
        self.assertTrue(run.control("Button5").showing)

    def test_next_summons_a_monster(self):
        run, window = self.start_on_title()
        self.summon(run)

        self.assertEqual(run.control("Mes1").name, BATTLE_LINE1)
        line2 = run.control("Mes2").name
        self.assertTrue(line2.endswith(APPEARS), line2)
        self.assertIn(line2[:-len(APPEARS)], MONSTERS)

        hp = run.control("HP")
        self.assertEqual(hp.role, "label")
        self.assertEqual(hp.name, HP_TEXT)
        self.assertTrue(hp.showing)
        for name, caption in COMMANDS.items():
            with self.subTest(button=name):
                button = run.control(name)
                button.wait_showing()
                self.assertEqual(button.role, "push button")
                self.assertEqual(button.name, caption)
                self.assertTrue(button.enabled)
        self.assertFalse(run.control("Button5").showing)
        self.assertFalse(run.control("Button6").showing)
        self.assertTrue(run.control("Image1").showing)
        self.assert_layout(run, BATTLE_LAYOUT)
        self.assert_line_tops(run)

        wait_until(lambda: "_NET_WM_STATE_SKIP_TASKBAR" in run.net_wm_state(),
                   message="_NET_WM_STATE_SKIP_TASKBAR after the summon")

        # The picture: 32 x 32 drawn at 64 x 64, so every source pixel is a 2 x 2 block.
        picture = wait_until(lambda: _not_black(run.pixels(184, 64, 64, 64)),
                             message="the monster picture in Image1")
        for by in range(0, 64, 2):
            for bx in range(0, 64, 2):
                block = {picture.pixel(bx + dx, by + dy) for dx in (0, 1) for dy in (0, 1)}
                self.assertEqual(len(block), 1, f"2x2 block at ({bx}, {by}) of Image1: {block}")

        x, y, width, height = run.rect_of(hp)
        self.assertEqual(run.pixels(x, y, width, height).most_common(), GREY, "HP label box")
        self.screenshot(window, "battle")

    def test_close_refused_after_summon(self):
        run, window = self.start_on_title()
        self.summon(run)
        run.request_close()
        run.ping()  # the close request has reached the program
        holds_for(lambda: run.running() and self.x.is_viewable(window), 1.0,
                  message="program running with its window after a refused close")
        self.assertEqual(run.control("Mes3").name, BATTLE_LINE3)

    def test_starts_without_a_japanese_font(self):
        with tempfile.TemporaryDirectory(prefix="zorsav-e2e-fonts-") as folder:
            # A font configuration that knows no Japanese face at all.
            dirs = "".join(f"<dir>{d}</dir>" for d in ("/usr/share/fonts/truetype/dejavu",)
                           if os.path.isdir(d))
            conf = os.path.join(folder, "fonts.conf")
            with open(conf, "w", encoding="utf-8") as out:
                out.write('<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd">'
                          f"<fontconfig>{dirs}<cachedir>{folder}/cache</cachedir></fontconfig>")
            run = self.start_zorsav(env={"FONTCONFIG_FILE": conf})
            window = run.window()
            run.control("Button5").wait_showing()
            for name, text in TITLE_LINES.items():
                with self.subTest(line=name):
                    self.assertEqual(run.control(name).name, text)
            self.assertEqual(self.x.geometry(window).width, WIDTH)
            run.request_close()
            self.assertEqual(run.wait_exit(timeout=10), 0, run.stderr())

    def test_close_on_title_screen_ends_with_0(self):
        run, window = self.start_on_title()
        run.request_close()
        self.assertEqual(run.wait_exit(timeout=10), 0, run.stderr())
        wait_until(lambda: not self.x.exists(window), message="the window to go away")


class ZorsavWithoutDisplay(unittest.TestCase):

    def test_no_display_is_one_line_and_exit_1(self):
        binary = program.binary_path()
        if binary is None:
            self.skipTest("the zorsav binary is not built (set ZORSAV_BINARY or ZORSAV_BUILD_DIR)")
        # No X server at all, a Wayland session without XWayland, and a DISPLAY that names a
        # server that is not there.
        for extra in ({}, {"WAYLAND_DISPLAY": "wayland-0", "XDG_SESSION_TYPE": "wayland"},
                      {"DISPLAY": ":97"}):
            with self.subTest(env=extra), \
                    tempfile.TemporaryDirectory(prefix="zorsav-e2e-nodisplay-") as folder:
                runtime = os.path.join(folder, "runtime")
                os.makedirs(runtime, mode=0o700)
                env = desktop.base_env(folder, runtime)
                env.update(extra)
                done = subprocess.run([binary], env=env, cwd=program.build_dir(binary),
                                      stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
                stderr = done.stderr.decode(errors="replace")
                self.assertEqual(done.returncode, 1, stderr)
                lines = stderr.splitlines()
                self.assertEqual(len(lines), 1, stderr)


def _painted(run):
    """The whole window once it is no longer all one colour (painting has happened)."""
    pixels = run.pixels()
    return None if pixels.is_uniform() else pixels


def _not_black(image):
    return None if image.is_uniform(BLACK) else image


if __name__ == "__main__":
    unittest.main()
