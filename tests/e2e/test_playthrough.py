"""The whole story played to its happy end: title, battle won, thanks, staff roll, exit."""

import os
import tempfile
import time

from harness import game as g
from harness.fixture import DesktopTestCase
from harness.wait import wait_until

TITLE_PROMPT = "     [次へ(N)]ボタンを押してください。"
STAFF_ROLL_S = 23.0


def sound_after_gap(levels, window_ms, gap_s, threshold=300.0, quiet=30.0):
    """Index of the first loud window that follows at least gap_s of quiet; None if none."""
    needed = int(gap_s * 1000 / window_ms)
    run = 0
    for index, level in enumerate(levels):
        if level < quiet:
            run += 1
        else:
            if level > threshold and run >= needed:
                return index
            run = 0
    return None


class PlaythroughOnDesktop(DesktopTestCase):

    def test_victory_to_the_end(self):
        sink = self.null_sink()
        game = g.Game(self, self.start_zorsav(pulse_server=sink.server)).wait_title()
        window = game.window
        folder = tempfile.TemporaryDirectory(prefix="zorsav-e2e-play-")
        self.addCleanup(folder.cleanup)

        # The title screen.
        self.assertEqual(game.name("Mes1"), g.TITLE_LINE1)
        self.assertTrue(game.name("Mes2").strip(), "the maker's notice is empty")
        self.assertEqual(game.name("Mes3"), TITLE_PROMPT)
        self.assertEqual(game.name("Button5"), g.NEXT)

        # The summon; the battle theme starts.
        summoned_at = sink.seconds_recorded()
        monster = game.summon()
        self.assertIn(monster, g.MONSTERS)
        self.assertEqual(game.name("Mes1"), g.BOAST)
        sink.wait_for_sound(after_seconds=summoned_at, timeout=15)
        self.screenshot(window, "battle")

        # Fight; heal with a fresh screen saver file whenever HP runs low.
        lime = []

        def catch_lime(watch, sample):
            if not lime and g._most_common(sample.pixels["strip"]) == g.LIME:
                lime.append(self.screenshot(window, "critical-hit"))

        def check(turn):
            action = [s for s in turn.scenes if s["Mes1"] == g.YOUR_ATTACK]
            with self.subTest(turn=len(turns)):
                self.assertIn(g.YELLOW, turn.watch.colours_seen("strip"), "the Fight flash")
                if turn.scenes[-1]["Button5.showing"]:
                    # The winning blow: the program answers nothing until the letter is up.
                    turns.append(turn)
                    return
                self.assertTrue(action, turn.scenes)
                line2, line3 = action[0]["Mes2"], action[0]["Mes3"]
                blows = {g.blow_line(monster, d): d for d in range(1, 8)}
                criticals = {g.blow_line(monster, d): d for d in range(10, 18)}
                if line2 == g.CRITICAL:
                    self.assertIn(line3, criticals)
                    self.assertIn(g.LIME, turn.watch.colours_seen("strip"))
                elif line2 == g.miss_line(monster):
                    self.assertEqual(line3, "")
                else:
                    self.assertIn(line2, blows)
                    self.assertEqual(line3, "")
                blow = [s for s in turn.scenes if s["Mes1"] == g.attack_line(monster)]
                self.assertTrue(blow, turn.scenes)
                self.assertEqual(turn.hp_after, g.hp_of(blow[0]["HP"]))
            turns.append(turn)

        turns = []
        won_at = None
        while not game.battle_over():
            if game.hp() < 20:
                result, _ = game.drop(os.path.join(folder.name, f"rescue{time.monotonic_ns()}.scr"))
                self.assertTrue(result.accepted, result)
                continue
            won_at = sink.seconds_recorded()
            check(game.turn(g.FIGHT, rects={"strip": g.PANEL1_STRIP}, on_sample=catch_lime))
        print(f"\nvictory after {len(turns)} Fight turns"
              f"{'; a critical hit caught: ' + lime[0] if lime else ''}")

        # The letter of thanks.
        game.control("Button5").wait_showing()
        self.assertEqual(game.lines(), (g.THANKS_LETTER, "", ""))
        self.assertEqual(game.name("Button5"), g.NEXT)
        self.assertTrue(game.control("Button5").enabled)
        for name in g.COMMANDS + ("Image1",):
            with self.subTest(hidden=name):
                self.assertFalse(game.control(name).showing)
        self.screenshot(window, "letter-of-thanks")

        # The ending theme, after the battle theme stopped: sound after a quiet gap. The game
        # pauses 2 s between the two; the last notes' release and the reverb's tail take up
        # to about 0.9 s of that, so the silence itself lasts a little over 1 s.
        def ending_theme():
            levels = sink.levels(50, won_at)
            return sound_after_gap(levels, 50, 0.8) is not None
        try:
            wait_until(ending_theme, timeout=15, message="the ending theme after a quiet gap")
        except AssertionError:
            # What the sink heard since the last turn, in tenths of a second, to tell a
            # missing gap from a missing theme.
            tenths = [round(level) for level in sink.levels(100, won_at)]
            print(f"\nlevels since the last turn, per 100 ms: {tenths}")
            raise

        # The thanks, the punch line.
        game.control("Button5").press()
        wait_until(lambda: game.lines() == g.THANKS, message="the thanks")
        game.control("Button5").press()
        wait_until(lambda: game.lines() == (g.PUNCH_LINE, "", ""), message="the punch line")

        # The staff roll: Next stays disabled until its end.
        watch = g.Watch(game, names=("Mes1", "Mes2", "Mes3", "Button5"), states=("Button5",),
                        rects={"Mes2": g.LINE_ROWS["Mes2"]}, film_every=0.1)
        pressed = time.monotonic()
        game.control("Button5").press()

        def rolled(w):
            frames = w.film.frames()
            return frames and frames[-1]["Button5"] == g.EXIT and frames[-1]["Button5.enabled"]
        watch.run(rolled, timeout=STAFF_ROLL_S + 15)
        watch.film.settle()
        elapsed = time.monotonic() - pressed
        scenes = watch.scenes()
        roll = scenes[1:]  # the first: the punch line, before the press was handled
        self.assertTrue(all(not s["Button5.enabled"] for s in roll[:-1]), roll)
        credits = [s["Mes2"] for s in roll if s["Mes1"] == g.STAFF and s["Mes2"]]
        self.assertEqual([c.split(":")[0] + ": " for c in credits], list(g.CREDIT_ROLES[:3]),
                         credits)
        for credit in credits:
            self.assertGreater(len(credit.split(" : ", 1)[1].strip()), 0, credit)
        end = roll[-1]
        self.assertEqual(end["Mes3"], g.THE_END)
        self.assertTrue(end["Mes1"] and end["Mes1"] != g.STAFF, end)
        self.assertEqual(end["Button5"], g.EXIT)
        # The fourth credit comes and goes between message points: count the pictures of Mes2.
        pictures = [rgb for _, rgb in watch.pixel_changes("Mes2")
                    if rgb != bytes(g.GREY) * (len(rgb) // 3)]
        self.assertEqual(len(pictures), 4, "credits seen on Mes2")
        self.assertGreater(elapsed, STAFF_ROLL_S)
        self.assertLess(elapsed, STAFF_ROLL_S * 1.15 + 1)
        self.screenshot(window, "the-end")

        # Exit.
        game.control("Button5").press()
        self.assertEqual(game.run.wait_exit(timeout=10), 0, game.run.stderr())


if __name__ == "__main__":
    import unittest
    unittest.main()
