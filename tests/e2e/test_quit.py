"""The ways out once the battle is lost, and the HP label's double-click joke during it."""

import os
import tempfile

from harness import game as g
from harness.fixture import DesktopTestCase
from harness.wait import holds_for, wait_until

QUIT = "終了したいですか？"
TURN_AROUND = "３回まわってワンと言ってください。"
DID_YOU = "本当にやりましたか？"
REJECTED = "却下！"
QUITTING = "では、終了します。"
LATE = "来るのがちょっと遅かったです。"
NO_HEALING = "いくらたたいても、回復しません。"

# Each box of the chain: its title and its buttons.
CHAIN_BOXES = {
    QUIT: ("敗北", {g.YES, g.NO}),
    TURN_AROUND: ("敗北", {g.OK}),
    DID_YOU: ("敗北", {g.YES, g.NO}),
    REJECTED: ("敗北", {g.OK}),
    QUITTING: ("終了", {g.OK}),
}


class QuitAfterDefeat(DesktopTestCase):

    def answer(self, game, text, button):
        box = game.wait_box(text)
        title, buttons = CHAIN_BOXES.get(text, (g.BOX_TITLES[text], {g.OK}))
        with self.subTest(box=text):
            self.assertEqual(box.title, title)
            self.assertEqual(set(box.buttons()), buttons)
            self.assertIn(box.role, ("dialog", "alert"))
        box.press(button)
        wait_until(lambda: text not in game.box_texts(), message=f"the box {text!r} to close")

    def assert_still_defeated(self, game):
        holds_for(lambda: game.run.running() and not game.boxes(), 1.0,
                  message="the program on the defeat screen with no box open")
        self.assertTrue(game.control("Button6").showing)
        geometry = game.run.geometry()
        self.assertEqual((geometry.x, geometry.y), (-1, -1))

    def test_quit_chain_after_defeat(self):
        game = g.Game(self, self.start_zorsav()).wait_title()
        game.summon()
        g.play_to_defeat(game)
        close = game.control("Button6")

        # A rescuer arriving now is too late.
        with tempfile.TemporaryDirectory(prefix="zorsav-e2e-late-") as folder:
            result = game.run.drag(g._files(os.path.join(folder, "rescue.scr")))
            self.assertTrue(result.accepted, result)
            self.answer(game, LATE, g.OK)
        self.assertFalse(game.control("HP").showing)

        # No to the first question: nothing else happens.
        close.press()
        self.answer(game, QUIT, g.NO)
        self.assert_still_defeated(game)

        # Yes, OK, then No to the second question: rejected, and still nothing changes.
        close.press()
        self.answer(game, QUIT, g.YES)
        self.answer(game, TURN_AROUND, g.OK)
        self.answer(game, DID_YOU, g.NO)
        self.answer(game, REJECTED, g.OK)
        self.assert_still_defeated(game)

        # Yes, OK, Yes: the last box, then the program ends by itself.
        close.press()
        self.answer(game, QUIT, g.YES)
        self.answer(game, TURN_AROUND, g.OK)
        self.answer(game, DID_YOU, g.YES)
        box = game.wait_box(QUITTING)
        self.assertEqual(box.title, "終了")
        self.assertEqual(set(box.buttons()), {g.OK})
        box.press(g.OK)
        self.assertEqual(game.run.wait_exit(timeout=10), 0, game.run.stderr())
        wait_until(lambda: not self.x.exists(game.window), message="the window to go away")


class HPLabelDoubleClick(DesktopTestCase):

    def test_second_double_click_answers(self):
        game = g.Game(self, self.start_zorsav()).wait_title()
        game.summon()
        game.double_click("HP")
        game.no_box_for(0.8, "no box after the first double-click")
        game.double_click("HP")
        box = game.wait_box(NO_HEALING)
        self.assertEqual(box.title, "メッセージ")
        self.assertEqual(set(box.buttons()), {g.OK})
        box.press(g.OK)
        wait_until(lambda: not game.boxes(), message="the box to close")
        # The joke heals nothing and the battle goes on.
        self.assertEqual(game.name("HP"), g.START_HP_TEXT)
        self.assertTrue(game.commands_enabled())
        turn = game.turn(g.MAGIC)
        action = [s for s in turn.scenes if s["Mes1"] == g.FUTILE[g.MAGIC][0]]
        self.assertTrue(action, turn.scenes)
        self.assertEqual(action[0]["Mes2"], g.FUTILE[g.MAGIC][1])


if __name__ == "__main__":
    import unittest
    unittest.main()
