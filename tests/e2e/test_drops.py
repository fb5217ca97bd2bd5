"""Files dropped onto the battle: each kind of file's event, the refusals and their boxes.

An accepted drop plays its event without answering the accessibility bus (it sleeps between
its repaints and returns only once the prompt is back), so the event is read from the
window's pixels: how long the message panel holds it, which of its lines carry text, the
white flashes, and which lines show the same picture as another drop's.
"""

import os
import tempfile

from harness import game as g, xdnd
from harness.fixture import DesktopTestCase
from harness.wait import wait_until

TWO_FILES = "一度に複数のファイルをドロップすることはできません。"
SAME_FILE = "同じファイルはドロップできません。"
LATE = "来るのがちょっと遅かったです。"

# name, event kind, how long the event holds the panel (ms), white flashes, a third line
EVENTS = (
    ("smile.txt", "txt", 2000, False, False),
    ("rescue.scr", "scr", 2300, True, True),
    ("snack.exe", "exe", 2300, True, True),
    ("wave.wav", "wav", 3000, False, True),
    ("page.html", "html", 2000, False, False),
    ("README", "other", 3000, False, True),
    ("ソフト.doc", "doc", 3000, False, True),
    ("snack2.COM", "exe", 2300, True, True),
    ("SECOND.TXT", "txt", 2000, False, False),
    ("helper.dll", "dll", 3000, False, True),
    ("CONFIG.SYS", "sys", 3000, False, True),
    ("setup.ini", "ini", 3000, False, True),
    ("movie.avi", "avi", 3000, False, True),
    ("tune.mid", "mid", 3000, False, True),
    ("tune.rmi", "rmi", 3000, False, True),
    ("picture.BMP", "bmp", 3000, False, True),
    ("clip.mov", "mov", 3000, False, True),
    ("photo.jpg", "jpg", 3000, False, True),
)


def _blank(rgb):
    return rgb == bytes(g.GREY) * (len(rgb) // 3)


class DropsOnDesktop(DesktopTestCase):

    def setUp(self):
        super().setUp()
        folder = tempfile.TemporaryDirectory(prefix="zorsav-e2e-drops-")
        self.addCleanup(folder.cleanup)
        self.folder = folder.name

    def path(self, name):
        return os.path.join(self.folder, name)

    def start_battle(self):
        game = g.Game(self, self.start_zorsav()).wait_title()
        game.summon()
        return game

    def event_lines(self, watch):
        """The pictures of the three lines just before the event's last paint."""
        end = watch.last_change("panel2")
        before = [s for s in watch.samples if s.t < end][-1]
        return tuple(before.pixels[name] for name in ("Mes1", "Mes2", "Mes3"))

    def test_each_kind_of_file(self):
        game = self.start_battle()
        rects = dict(g.LINE_ROWS, strip=g.PANEL1_STRIP)
        seen = {}  # name -> (kind, lines)
        for name, kind, nominal_ms, flashes, third_line in EVENTS:
            with self.subTest(file=name):
                hp_before = game.hp()
                result, watch = game.drop(self.path(name), rects=rects)
                self.assertTrue(result.accepted and result.dropped, result)
                self.assertIsNotNone(watch)
                started = watch.first_change("panel2", watch.before)
                ended = watch.last_change("panel2")
                self.assertIsNotNone(started, "the drop changed nothing on the panel")
                self.assertIsNotNone(ended, "the panel's last change was not seen")
                elapsed_ms = (ended - started) * 1000
                self.assertGreater(elapsed_ms, nominal_ms * 0.97, f"{elapsed_ms:.0f} ms")
                self.assertLess(elapsed_ms, nominal_ms * 1.25, f"{elapsed_ms:.0f} ms")
                self.assertEqual(g.WHITE in watch.colours_seen("strip"), flashes)

                mes1, mes2, mes3 = lines = self.event_lines(watch)
                self.assertFalse(_blank(mes1), "Mes1 empty during the event")
                self.assertFalse(_blank(mes2), "Mes2 empty during the event")
                self.assertEqual(not _blank(mes3), third_line, "Mes3 during the event")
                seen[name] = (kind, lines)

                last = watch.film.frames()[-1]
                self.assertEqual((last["Mes1"], last["Mes2"], last["Mes3"]), (g.PROMPT, "", ""))
                self.assertTrue(all(last[b + ".enabled"] for b in g.COMMANDS), last)
                if kind == "scr":
                    self.assertEqual(last["HP"], g.hp_text(hp_before + 10))
                    self.assertEqual(last["Button1"], g.CAPTIONS[g.FIGHT])
                    wait_until(lambda: game.hp_colour() == g.GREY, timeout=3,
                               message="the HP label grey")
                else:
                    self.assertEqual(g.hp_of(last["HP"]), hp_before)

        # Files of one kind say the same line; every kind says its own. Mes1 names the file
        # (so differs between files), except for executables, where the monster speaks.
        names = list(seen)
        for i, first in enumerate(names):
            for second in names[i + 1:]:
                (kind1, lines1), (kind2, lines2) = seen[first], seen[second]
                with self.subTest(first=first, second=second):
                    self.assertEqual(lines1[1] == lines2[1], kind1 == kind2, "Mes2")
                    self.assertEqual(lines1[0] == lines2[0], kind1 == kind2 == "exe", "Mes1")

    def test_refused_drops(self):
        game = self.start_battle()

        # The same file twice: the second time a box, and nothing else.
        result, _ = game.drop(self.path("once.txt"))
        self.assertTrue(result.accepted, result)
        game.wait_ready()
        panel = game.pixels(g.PANEL2).rgb
        result = game.run.drag(xdnd.files_payload([self.path("once.txt")]))
        self.assertTrue(result.accepted, result)
        box = game.wait_box(SAME_FILE)
        self.assertEqual(box.title, "救助隊希望")
        self.assertEqual(set(box.buttons()), {g.OK})
        box.press(g.OK)
        wait_until(lambda: not game.boxes(), message="the box to close")
        self.assertEqual(game.pixels(g.PANEL2).rgb, panel)
        self.assertEqual(game.name("Mes1"), g.PROMPT)

        # Two files at once: a box, and neither file counts as dropped.
        pair = [self.path("left.txt"), self.path("right.txt")]
        result = game.run.drag(xdnd.files_payload(pair))
        self.assertTrue(result.accepted, result)
        box = game.wait_box(TWO_FILES)
        self.assertEqual(box.title, "救助隊希望")
        box.press(g.OK)
        wait_until(lambda: not game.boxes(), message="the box to close")
        result, watch = game.drop(pair[0])
        self.assertTrue(result.accepted, result)
        self.assertIsNotNone(watch)
        self.assertFalse(game.boxes())

        # A web link is no file: refused in the drag itself.
        result = game.run.drag(xdnd.link_payload("http://example.invalid/rescue.scr",
                                                 "rescue"))
        self.assertFalse(result.accepted, result)
        self.assertFalse(result.dropped, result)
        game.no_box_for(0.5)

        # During a turn the window refuses the drag.
        rest = game.pixels(g.PANEL2).rgb
        game.control(g.RUN).press()
        wait_until(lambda: game.pixels(g.PANEL2).rgb != rest, message="the turn to start")
        result = game.run.drag(xdnd.files_payload([self.path("during.txt")]))
        self.assertFalse(result.accepted, result)
        self.assertFalse(result.dropped, result)
        game.wait_ready()
        # ... and the file was not taken: dropped now, it plays.
        result, watch = game.drop(self.path("during.txt"))
        self.assertTrue(result.accepted, result)
        self.assertIsNotNone(watch)

    def test_drops_after_the_victory(self):
        game = self.start_battle()
        game.play_until_over(g.FIGHT, heal_below=20, scr_folder=self.folder)
        game.control("Button5").wait_showing()
        self.assertEqual(game.name("Mes1"), g.THANKS_LETTER)

        # The letter of thanks is up: drags are refused until Next.
        result = game.run.drag(xdnd.files_payload([self.path("late.txt")]))
        self.assertFalse(result.accepted, result)

        game.control("Button5").press()
        game.control("Mes1").wait_name(g.THANKS[0])
        result = game.run.drag(xdnd.files_payload([self.path("late.txt")]))
        self.assertTrue(result.accepted, result)
        box = game.wait_box(LATE)
        self.assertEqual(box.title, "救助隊希望")
        self.assertEqual(set(box.buttons()), {g.OK})
        box.press(g.OK)
        wait_until(lambda: not game.boxes(), message="the box to close")
        self.assertEqual(game.lines(), g.THANKS)


if __name__ == "__main__":
    import unittest
    unittest.main()
