"""Battle turns on a real desktop: what a turn shows, how long it takes, the shakes seen by
the window manager, the defeat's full-screen window, and close requests refused throughout."""

import time

from harness import game as g
from harness.fixture import DesktopTestCase
from harness.wait import holds_for, wait_until

RUN_TURN_MS = 2400        # the sleeps of a Run turn: 300 + 700 + 300 + 600 (shakes) + 500
HEAVY_BLOW_MS = 300       # a heavy blow pauses once more before its line


class BattleOnDesktop(DesktopTestCase):

    def start_battle(self):
        game = g.Game(self, self.start_zorsav()).wait_title()
        game.summon()
        return game

    def assert_monster_blow(self, game, scene, hp_before):
        """The scene at the turn's second message point: the monster's blow and the new HP."""
        self.assertEqual(scene["Mes1"], g.attack_line(game.monster), scene)
        if scene["Mes2"] == g.HEAVY_BLOW:
            damage = g.hurt_of(scene["Mes3"])
            self.assertIsNotNone(damage, scene)
            self.assertGreaterEqual(damage, 11, scene)
            self.assertLessEqual(damage, 17, scene)
        else:
            damage = g.hurt_of(scene["Mes2"])
            self.assertIsNotNone(damage, scene)
            self.assertEqual(scene["Mes3"], "", scene)
            self.assertGreaterEqual(damage, 1, scene)
            self.assertLessEqual(damage, 7, scene)
        self.assertEqual(scene["HP"], g.hp_text(max(0, hp_before - damage)), scene)
        return damage

    def test_run_turn_end_to_end(self):
        game = self.start_battle()
        origin = game.run.geometry()

        # First turn: the lines at the two points where the program answers mid-turn, and the
        # window's path as the window manager places it.
        turn = game.turn(g.RUN, geometry=True)
        busy = [s for s in turn.scenes if not any(s[b + ".enabled"] for b in g.COMMANDS)]
        self.assertTrue(all(s[b + ".showing"] for s in busy for b in g.COMMANDS), busy)
        # The accessibility bus may answer one point's reads half before and half after a
        # change, so a point can show up twice: take the first scene of the player's action
        # and the last of the monster's blow.
        actions = [s for s in busy if s["Mes1"] == g.FUTILE[g.RUN][0]]
        blows = [s for s in busy if s["Mes1"] != g.FUTILE[g.RUN][0]]
        self.assertTrue(actions and blows, turn.scenes)
        action, blow = actions[0], blows[-1]
        self.assertEqual((action["Mes1"], action["Mes2"], action["Mes3"]),
                         (*g.FUTILE[g.RUN], ""))
        self.assertEqual(action["HP"], g.START_HP_TEXT)
        damage = self.assert_monster_blow(game, blow, 50)

        last = turn.scenes[-1]
        self.assertEqual((last["Mes1"], last["Mes2"], last["Mes3"]), (g.PROMPT, "", ""))
        self.assertEqual(last["HP"], g.hp_text(50 - damage))
        self.assertTrue(all(last[b + ".enabled"] for b in g.COMMANDS), last)
        self.assertEqual(last["Button1"], g.CAPTIONS[g.FIGHT])
        self.assertEqual(game.hp_colour(), g.GREY)

        path = [point for _, point in turn.watch.geometry_path()]
        x, y = origin.x, origin.y
        self.assertEqual(path, [(x, y), (x - 10, y), (x, y + 10), (x, y), (x, y + 10), (x, y)],
                         "window positions during the turn")
        self.assertEqual(game.run.geometry(), origin)

        # Second turn: its length, from the first paint of the turn to the last. The message
        # panel at rest (prompt, two empty lines) is the picture before and after.
        rest = game.pixels(g.PANEL2).rgb
        watch = g.Watch(game, rects={"panel2": g.PANEL2})
        pressed = time.monotonic()
        game.control(g.RUN).press()
        watch.run(lambda w: w.first_change("panel2", rest) is not None
                  and w.samples[-1].pixels["panel2"] == rest, timeout=15)
        started = watch.first_change("panel2", rest)
        ended = watch.samples[-1].t
        game.wait_ready()
        hp_drop = (50 - damage) - game.hp()
        heavy = hp_drop > 7
        nominal = RUN_TURN_MS + (HEAVY_BLOW_MS if heavy else 0)
        elapsed_ms = (ended - started) * 1000
        ratio = elapsed_ms / nominal
        print(f"\nRun turn: {elapsed_ms:.0f} ms from its first paint to its last "
              f"(press latency {1000 * (started - pressed):.0f} ms); nominal {nominal} ms; "
              f"ratio {ratio:.3f}")
        self.assertGreater(ratio, 0.97, "the turn is shorter than its sleeps")
        self.assertLess(ratio, 1.25)

    def test_close_request_refused_during_a_turn(self):
        game = self.start_battle()
        window = game.window
        rest = game.pixels(g.PANEL2).rgb
        game.control(g.RUN).press()
        wait_until(lambda: game.pixels(g.PANEL2).rgb != rest, message="the turn to start")
        game.run.request_close()  # reaches the program while it sleeps
        game.wait_ready()
        game.run.ping()
        holds_for(lambda: game.run.running() and self.x.is_viewable(window), 1.0,
                  message="the program with its window after a close request mid-turn")
        self.assertEqual(game.name("Mes1"), g.PROMPT)

    def test_defeat_covers_the_screen(self):
        game = self.start_battle()
        x = self.x

        def check(turn):
            if turn.hp_after == 1:
                with self.subTest("limit break"):
                    self.assertEqual(game.name(g.FIGHT), g.LIMIT_CAPTION)
                    wait_until(lambda: game.hp_colour() == g.PURPLE, timeout=3,
                               message="the HP label purple")
            elif turn.hp_after and turn.hp_after < 10:
                with self.subTest("low HP", hp=turn.hp_after):
                    wait_until(lambda: game.hp_colour() == g.YELLOW, timeout=3,
                               message="the HP label yellow")

        turns, tops = g.play_to_defeat(game, on_turn=check)
        last = turns[-1]
        self.assertEqual(last.hp_after, 0, last.scenes)
        self.assertEqual(last.scenes[-1]["HP"], g.hp_text(0))
        self.assertIn(g.RED, last.watch.colours_seen("strip"), "the screen did not turn red")

        # The × button slid down one pixel a step from out of sight to its rest at top 8.
        steps = [top for _, top in tops]
        self.assertEqual(steps, sorted(steps), f"× moved up: {steps}")
        self.assertGreater(len(steps), 10, steps)
        self.assertEqual(steps[-1], 8, steps)
        if steps[0] <= -10:
            seconds = tops[-1][0] - tops[0][0]
            expected = (8 - steps[0]) * 0.1
            self.assertGreater(seconds, expected * 0.9, tops)
            self.assertLess(seconds, expected * 1.5 + 0.3, tops)
        button = game.control("Button6")

        geometry = game.run.geometry()
        self.assertEqual((geometry.x, geometry.y, geometry.width, geometry.height),
                         (-1, -1, x.screen_width + 2, x.screen_height + 2))
        bx, by, bw, bh = button.screen_extents()
        self.assertEqual((bx, by, bw, bh), (7, 7, 17, 17))
        self.assertEqual(button.name, "×")
        for name in ("Image1", "HP", "Panel2") + g.COMMANDS + ("Button5",):
            with self.subTest(hidden=name):
                self.assertFalse(game.control(name).showing)
        # The screen, read from the root window: red from corner to corner.
        screen = x.read_rgb(x.root)
        self.assertEqual(screen.most_common(), g.RED)
        for point in ((0, 0), (x.screen_width - 1, x.screen_height - 1), (x.screen_width // 2, 300),
                      (x.screen_width - 1, 0), (0, x.screen_height - 1)):
            self.assertEqual(screen.pixel(*point), g.RED, point)
        self.screenshot(x.root, "defeat")

        game.run.request_close()
        game.run.ping()
        holds_for(lambda: game.run.running() and x.is_viewable(game.window), 1.0,
                  message="the program after a close request on the defeat screen")
        self.assertEqual(game.run.geometry(), geometry)


if __name__ == "__main__":
    import unittest
    unittest.main()
