"""Game-level helpers: the story's texts, the battle screen as a player sees it, message boxes.

The program does its animation on the user-interface thread: it changes controls, repaints,
sleeps, and goes on. While it sleeps it answers nothing on the accessibility bus. A battle
turn lets waiting messages through at two points only (after the player's action and after
the monster's blow), the staff roll at five, a dropped file's event at none. What it shows
between those points can be seen only in its pixels.

So this module watches a turn three ways at once (`Watch`):

- `Film`: property reads sent to the program without waiting for the answers, a batch every
  few tens of milliseconds. The program answers every waiting batch at its next message
  point, so each answer is a consistent snapshot of the controls at one of those points.
  The answers themselves may come back later; they keep their order.
- the window's absolute geometry from the X server (the shakes move the window at once);
- rectangles of the window's pixels, with the time each was read.
"""

import os
import re
import threading
import time
from dataclasses import dataclass, field

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402
from Xlib import X  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

from . import a11y  # noqa: E402
from .wait import holds_for, wait_until  # noqa: E402

# Texts ---------------------------------------------------------------------------------------

TITLE_LINE1 = "ZOR-ScreenSaver Version 1.55"
NEXT = "次へ(N)"
EXIT = "終了(X)"
BOAST = "「ぐはははは、このスクリーンはいただいた～」"
APPEARS = "があらわれた。"
PROMPT = "どうしますか？"
MONSTERS = ("イーエックスプローラー", "ウィムドウズ", "マックロソフトＭ", "マックロソフトＳ", "ズモグ")
FIGHT, RUN, MAGIC, ITEM = "Button1", "Button2", "Button3", "Button4"
COMMANDS = (FIGHT, RUN, MAGIC, ITEM)
CAPTIONS = {FIGHT: "たたかう(A)", RUN: "にげる(E)", MAGIC: "まほう(M)", ITEM: "どうぐ(I)"}
LIMIT_CAPTION = "リミット(L)"
LIMIT_BREAK = "LIMIT BREAK!"
START_HP_TEXT = " あなたのHP： 50 "
HEAVY_BLOW = "つうこんのいちげき！！"
CRITICAL = "かいしんのいちげき！！"
YOUR_ATTACK = "あなたのこうげき！"
SNAPPED = "あなたはキレました！"

# The player's actions other than Fight: (Mes1, Mes2).
FUTILE = {
    RUN: ("あなたは逃げ出した！", "しかし、逃げられなかった。"),
    MAGIC: ("あなたは魔法を使おうとした！", "しかし、何も覚えていない！！"),
    ITEM: ("あなたは道具を使おうとした！", "しかし、何も持っていない！！"),
}

THANKS_LETTER = "スクリーン から感謝状が届いています。"
THANKS = ("邪悪なるものを倒していただき、ありがとうございました。", "これで、スクリーンは救われました。",
          "あなたこそ、本当のスクリーンを守る勇者。")
PUNCH_LINE = "スクリーンセーバーです。"
STAFF = "ZOR-ScreenSaver STAFF"
CREDIT_ROLES = ("Idea : ", "Program : ", "Music : ", "Document : ")
THE_END = "THE END"

DEFEATED_LINE = "あなたはやられてしまった。"
GLOAT = "はっはっは。このスクリーンはのっとった～～！！"

# Message boxes: text -> title.
BOX_TITLES = {
    "終了したいですか？": "敗北",
    "３回まわってワンと言ってください。": "敗北",
    "本当にやりましたか？": "敗北",
    "却下！": "敗北",
    "では、終了します。": "終了",
    "一度に複数のファイルをドロップすることはできません。": "救助隊希望",
    "同じファイルはドロップできません。": "救助隊希望",
    "来るのがちょっと遅かったです。": "救助隊希望",
    "いくらたたいても、回復しません。": "メッセージ",
}
YES, NO, OK = "はい(Y)", "いいえ(N)", "OK"

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
YELLOW = (255, 255, 0)
LIME = (0, 255, 0)
PURPLE = (128, 0, 128)
RED = (255, 0, 0)

# Where things are inside the battle window (x, y, width, height).
PANEL2 = (8, 176, 449, 65)
LINE_ROWS = {"Mes1": (9, 185, 447, 16), "Mes2": (9, 201, 447, 16), "Mes3": (9, 217, 447, 16)}
# A strip of the black screen panel that nothing is drawn on: above the message panel,
# left of the monster.
PANEL1_STRIP = (8, 150, 160, 20)

_HP_RE = re.compile(r"^ あなたのHP：\s?(\d+) $")
_HURT_RE = re.compile(r"^あなたは (\d+) のダメージをうけた！$")


def hp_of(text):
    """The number in the HP label's text, or None if it is not an HP text."""
    match = _HP_RE.match(text or "")
    return int(match.group(1)) if match else None


def hurt_of(text):
    match = _HURT_RE.match(text or "")
    return int(match.group(1)) if match else None


def hp_text(hp):
    """The HP label after a turn: no blank after the colon."""
    return f" あなたのHP：{hp} "


def blow_line(monster, damage):
    return f"{monster}に {damage} のダメージをあたえた！"


def miss_line(monster):
    return f"ミス！ {monster}はダメージをうけない。"


def attack_line(monster):
    return f"{monster}のこうげき！！"


def hurt_line(damage):
    return f"あなたは {damage} のダメージをうけた！"


# The accessibility bus, for reads that do not wait -------------------------------------------

_a11y_connection = None

# Bits of AT-SPI's state set (two 32-bit words).
_STATE_BITS = {name: int(getattr(Atspi.StateType, name.upper()))
               for name in ("enabled", "sensitive", "showing", "visible")}


def a11y_connection():
    """A GDBus connection of our own to the accessibility bus (found through the session bus)."""
    global _a11y_connection
    if _a11y_connection is None:
        a11y._init()
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                  None, GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 10000,
                                  None)
        address = reply.unpack()[0]
        _a11y_connection = Gio.DBusConnection.new_for_address_sync(
            address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    return _a11y_connection


def _target(control):
    accessible = control.accessible
    return accessible.app.bus_name, accessible.path


class Film:
    """Snapshots of some controls' names and states, taken by the program at its message points.

    fire() sends one batch of reads and returns at once; frames() gives the answered batches
    in the order sent, each a dict {description: name} plus {description + ".enabled": bool}.
    """

    def __init__(self, run, names=(), states=()):
        self.connection = a11y_connection()
        self.names = {d: _target(run.control(d)) for d in names}
        self.states = {d: _target(run.control(d)) for d in states}
        self._batches = []
        self._size = len(self.names) + len(self.states)

    def fire(self):
        batch = {"sent": time.monotonic()}
        self._batches.append(batch)
        for description, (bus, path) in self.names.items():
            self.connection.call(bus, path, "org.freedesktop.DBus.Properties", "Get",
                                 GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "Name")),
                                 GLib.VariantType("(v)"), Gio.DBusCallFlags.NONE, 60000, None,
                                 self._answer, (batch, description, "name"))
        for description, (bus, path) in self.states.items():
            self.connection.call(bus, path, "org.a11y.atspi.Accessible", "GetState", None,
                                 GLib.VariantType("(au)"), Gio.DBusCallFlags.NONE, 60000, None,
                                 self._answer, (batch, description, "state"))

    def _answer(self, connection, result, data):
        batch, description, kind = data
        try:
            value = connection.call_finish(result).unpack()[0]
        except GLib.Error as error:
            batch[description] = error
            return
        if kind == "name":
            batch[description] = value
        else:
            words = list(value) + [0, 0]
            bits = words[0] | (words[1] << 32)
            batch[description + ".enabled"] = all(
                bits & (1 << _STATE_BITS[s]) for s in ("enabled", "sensitive"))
            batch[description + ".showing"] = bool(bits & (1 << _STATE_BITS["showing"]))
        batch["answered"] = time.monotonic()

    def _complete(self, batch):
        return (all(d in batch for d in self.names)
                and all(d + ".enabled" in batch for d in self.states))

    def frames(self, sent_after=None):
        """The answered batches, in the order sent (stopping at the first one not answered);
        with sent_after, only those sent after that time.monotonic() moment."""
        out = []
        for batch in self._batches:
            if not self._complete(batch):
                break
            if sent_after is None or batch["sent"] > sent_after:
                out.append({k: v for k, v in batch.items() if k not in ("sent", "answered")})
        return out

    def scenes(self):
        """frames() with runs of equal frames folded into one."""
        out = []
        for frame in self.frames():
            if not out or out[-1] != frame:
                out.append(frame)
        return out

    def settle(self, timeout=15.0):
        """Waits until every batch sent has been answered."""
        wait_until(lambda: all(self._complete(b) for b in self._batches), timeout=timeout,
                   message="the program to answer every read", pump=a11y.pump)


@dataclass
class Sample:
    t: float
    geometry: object = None
    pixels: dict = field(default_factory=dict)


class Watch:
    """Watches the program while it plays something: geometry, pixel rectangles and a Film.

    run(until) loops, sampling as fast as it can and firing a film batch every film_every
    seconds, until until(watch) is true (tried on each pass) or timeout.
    """

    def __init__(self, game, names=(), states=(), rects=None, geometry=False, film_every=0.05):
        self.game = game
        self.film = Film(game.run, names, states) if (names or states) else None
        self.rects = rects or {}
        self.geometry = geometry
        self.film_every = film_every
        self.samples = []
        self.started = None

    def run(self, until, timeout=30.0, linger=0.0, on_sample=None):
        """Samples until until(self) is true, then linger seconds more (to see the last paint).
        on_sample(self, sample) runs after each sample."""
        x = self.game.run.case.x
        window = self.game.window
        self.started = time.monotonic()
        next_fire = self.started
        done = None
        while True:
            now = time.monotonic()
            if self.film is not None and now >= next_fire:
                self.film.fire()
                next_fire = now + self.film_every
            sample = Sample(now)
            if self.geometry:
                sample.geometry = x.geometry(window)
            for name, rect in self.rects.items():
                sample.pixels[name] = x.read_rgb(window, *rect).rgb
            self.samples.append(sample)
            if on_sample is not None:
                on_sample(self, sample)
            a11y.pump()
            if done is None and until(self):
                done = now
            if done is not None and now - done >= linger:
                return self
            if now - self.started > timeout:
                raise AssertionError(f"watched for {timeout} s without the end in sight; "
                                     f"scenes so far: {self.scenes()}")

    def scenes(self):
        return self.film.scenes() if self.film is not None else []

    def geometry_path(self):
        """The distinct window positions seen, in order, as (x, y) with the time first seen."""
        out = []
        for sample in self.samples:
            point = (sample.geometry.x, sample.geometry.y)
            if not out or out[-1][1] != point:
                out.append((sample.t, point))
        return out

    def pixel_changes(self, name):
        """(time, rgb bytes) each time the rectangle's content changed, the first sample first."""
        out = []
        for sample in self.samples:
            rgb = sample.pixels[name]
            if not out or out[-1][1] != rgb:
                out.append((sample.t, rgb))
        return out

    def first_change(self, name, reference):
        """The time of the first sample whose picture of the rectangle differs from reference."""
        for sample in self.samples:
            if sample.pixels[name] != reference:
                return sample.t
        return None

    def last_change(self, name):
        changes = self.pixel_changes(name)
        return changes[-1][0] if len(changes) > 1 else None

    def colours_seen(self, name):
        """The most common colour of each distinct picture of the rectangle, in order."""
        out = []
        for _, rgb in self.pixel_changes(name):
            colour = _most_common(rgb)
            if not out or out[-1] != colour:
                out.append(colour)
        return out


# The corner where the × button slides in after a defeat: x 1..40, y 1..40 of the window.
# The window then starts one pixel above and left of the screen, and the X server gives no
# pixels of a window outside the screen, so the picture starts at its (1, 1).
CORNER = (1, 1, 40, 40)


def slide_top(rgb):
    """Where the × button's top is inside the window, from a CORNER picture on the red screen:
    its bottom edge is the lowest non-red pixel of the column through its middle (x 16);
    None while no part of it shows, or while the screen is not red."""
    red = bytes(RED)

    def at(x, y):  # window coordinates
        offset = ((y - 1) * 40 + (x - 1)) * 3
        return rgb[offset:offset + 3]
    if at(40, 40) != red:
        return None
    rows = [y for y in range(1, 41) if at(16, y) != red]
    return max(rows) - 16 if rows else None


def _most_common(rgb):
    counts = {}
    for i in range(0, len(rgb), 3):
        key = rgb[i:i + 3]
        counts[key] = counts.get(key, 0) + 1
    return tuple(max(counts, key=counts.get))


# The game -------------------------------------------------------------------------------------

@dataclass
class Turn:
    command: str
    hp_before: int
    hp_after: int
    scenes: list
    watch: Watch
    pressed: float
    ended: float


class Game:
    """One run of the program, driven as a player: summon, commands, drops, boxes."""

    def __init__(self, case, run):
        self.case = case
        self.run = run
        self.window = run.window()
        self.monster = None

    # Controls ------------------------------------------------------------------------------

    def control(self, name):
        return self.run.control(name)

    def name(self, control):
        return self.run.control(control).name

    def lines(self):
        return tuple(self.name(n) for n in ("Mes1", "Mes2", "Mes3"))

    def hp(self):
        value = hp_of(self.name("HP"))
        if value is None:
            raise AssertionError(f"the HP label reads {self.name('HP')!r}")
        return value

    def pixels(self, rect):
        return self.run.pixels(*rect)

    def hp_colour(self):
        """The HP label's background colour: its box's most common colour."""
        x, y, width, height = self.run.rect_of(self.control("HP"))
        return self.run.pixels(x, y, width, height).most_common()

    def commands_enabled(self):
        return all(self.control(b).enabled for b in COMMANDS)

    # The story -----------------------------------------------------------------------------

    def wait_title(self):
        self.control("Button5").wait_showing()
        self.control("Mes1").wait_name(TITLE_LINE1)
        return self

    def summon(self):
        """Next on the title screen; waits for the battle and returns the monster's name."""
        self.control("Button5").press()
        self.control("Mes3").wait_name(PROMPT)
        line2 = self.name("Mes2")
        if not line2.endswith(APPEARS):
            raise AssertionError(f"Mes2 after the summon reads {line2!r}")
        self.monster = line2[:-len(APPEARS)]
        wait_until(self.commands_enabled, message="the four commands after the summon",
                   pump=a11y.pump)
        return self.monster

    def wait_ready(self, timeout=15.0):
        """Waits until the player can act: the four commands enabled and the prompt on Mes1."""
        def ready():
            return self.name("Mes1") == PROMPT and self.commands_enabled()
        return wait_until(ready, timeout=timeout, message=lambda: f"the prompt (lines {self.lines()})",
                          pump=a11y.pump)

    def turn(self, command, rects=None, geometry=False, timeout=30.0, and_then=None,
             on_sample=None):
        """Plays one turn with the command button, watching it; returns a Turn.

        The turn is over when the film shows the commands back with the prompt, or the battle
        has ended (the commands hidden: victory or defeat). In the second case, and_then(watch)
        if given must also be true before the watch stops (to see what follows the turn).
        """
        hp_before = self.hp()
        watch = Watch(self, names=("Mes1", "Mes2", "Mes3", "HP", "Button1"),
                      states=COMMANDS + ("Button5", "Button6"), rects=rects, geometry=geometry)
        seen_busy = []

        def over(w):
            frames = w.film.frames()
            if not frames:
                return False
            last = frames[-1]
            if not all(last[b + ".enabled"] for b in COMMANDS):
                seen_busy.append(True)
            if not seen_busy:
                return False
            back = last["Mes1"] == PROMPT and all(last[b + ".enabled"] for b in COMMANDS)
            ended = not last[FIGHT + ".showing"] and (last["Button5.showing"]
                                                      or last["Button6.showing"])
            if ended and and_then is not None:
                return and_then(w)
            return back or ended

        pressed = time.monotonic()
        self.control(command).press()
        watch.run(over, timeout=timeout, on_sample=on_sample)
        ended = time.monotonic()
        watch.film.settle(timeout=60)
        after = hp_of(watch.film.frames()[-1]["HP"])
        return Turn(command, hp_before, after, watch.scenes(), watch, pressed, ended)

    def battle_over(self):
        return not self.control(FIGHT).showing

    # Drops ---------------------------------------------------------------------------------

    def drop(self, path, rects=None, timeout=15.0, on_sample=None):
        """Drops one file (or a list of files) like a file manager and watches what follows.

        Returns (DragResult, Watch or None). An accepted drop plays its event without
        answering the accessibility bus, so the event is seen in the pixels: it starts with the
        first change of the message panel after the drop and is over when the program answers
        again with the prompt and the commands back. The watch lingers 0.3 s for the last paint.
        A drop answered with a box is not watched: the caller answers the box.
        """
        rects = dict(rects or {})
        rects.setdefault("panel2", PANEL2)
        watch = Watch(self, names=("Mes1", "Mes2", "Mes3", "HP", "Button1"), states=COMMANDS,
                      rects=rects)
        before = self.pixels(PANEL2).rgb
        # The drag source waits for the program's XdndFinished, which comes only once the
        # event has played its lines: it runs beside the watch, on a connection of its own.
        outcome = {}

        def drag():
            try:
                outcome["result"] = self.run.drag(_files(path), timeout=timeout)
            except BaseException as error:  # noqa: BLE001 - handed to the test below
                outcome["error"] = error
        dragger = threading.Thread(target=drag, name="xdnd-source", daemon=True)
        dragger.start()

        def over(w):
            if dragger.is_alive():
                return False
            if "error" in outcome or not outcome["result"].accepted:
                return True
            started = w.first_change("panel2", before)
            if started is None:
                return False
            # The prompt's own picture must be on screen too, a change after the event's
            # first: the program may answer the bus before the X server holds its last paint.
            ended = w.last_change("panel2")
            if ended is None or ended <= started:
                return False
            frames = w.film.frames(sent_after=started)
            return bool(frames) and frames[-1]["Mes1"] == PROMPT and all(
                frames[-1][b + ".enabled"] for b in COMMANDS)

        watch.run(over, timeout=timeout + 5, linger=0.3, on_sample=on_sample)
        dragger.join()
        if "error" in outcome:
            raise outcome["error"]
        watch.film.settle()
        watch.before = before
        result = outcome["result"]
        return result, (watch if result.accepted else None)

    def play_until_over(self, command, heal_below=None, scr_folder=None, on_turn=None,
                        timeout=180.0, **turn_options):
        """Plays command turns until the battle ends; returns the list of Turns.

        With heal_below, a fresh .scr file is dropped (from scr_folder) whenever the HP label
        shows less than that before a turn, as a player who wants to win would.
        """
        turns = []
        heals = 0
        deadline = time.monotonic() + timeout
        while not self.battle_over():
            if time.monotonic() > deadline:
                raise AssertionError(f"the battle still runs after {timeout} s")
            if heal_below is not None and self.hp() < heal_below:
                heals += 1
                path = os.path.join(scr_folder, f"rescue{heals}.scr")
                result, _ = self.drop(path)
                if not result.accepted:
                    raise AssertionError(f"the healing drop was refused: {result}")
                continue
            turn = self.turn(command, **turn_options)
            turns.append(turn)
            if on_turn is not None:
                on_turn(turn)
        return turns

    # Message boxes -------------------------------------------------------------------------

    def boxes(self):
        """The program's open message boxes: Box objects."""
        app = self.run.app()
        found = []
        root = app.accessible
        root.clear_cache()
        for index in range(root.get_child_count()):
            child = root.get_child_at_index(index)
            if child is None:
                continue
            child.clear_cache()
            if child.get_role_name() in ("dialog", "alert"):
                box = Box(child)
                if box.is_box():
                    found.append(box)
        return found

    def wait_box(self, text, timeout=10.0):
        """The open message box with this text, once it is up."""
        def probe():
            for box in self.boxes():
                if box.text() == text:
                    return box
            return None
        return wait_until(probe, timeout=timeout, pump=a11y.pump,
                          message=lambda: f"a box saying {text!r} (open: {self.box_texts()})")

    def box_texts(self):
        try:
            return [box.text() for box in self.boxes()]
        except Exception as error:  # noqa: BLE001 - only for messages
            return repr(error)

    def no_box_for(self, seconds, message="no message box"):
        holds_for(lambda: not self.boxes(), seconds, pump=a11y.pump,
                  message=lambda: f"{message} (open: {self.box_texts()})")

    def answer(self, text, button):
        """Waits for the box, checks its title and buttons, presses one, waits for it to go."""
        box = self.wait_box(text)
        box.press(button)
        wait_until(lambda: text not in self.box_texts(), pump=a11y.pump,
                   message=f"the box {text!r} to close")
        return box

    # Pointer ---------------------------------------------------------------------------------

    def double_click(self, control):
        """A real double-click with the XTest extension in the middle of a control."""
        x, y, width, height = self.control(control).screen_extents()
        display = self.case.x.d
        xtest.fake_input(display, X.MotionNotify, x=x + width // 2, y=y + height // 2)
        for _ in range(2):
            xtest.fake_input(display, X.ButtonPress, 1)
            xtest.fake_input(display, X.ButtonRelease, 1)
        display.sync()

    def click(self, control):
        """A real click with XTest in the middle of a control."""
        x, y, width, height = self.control(control).screen_extents()
        display = self.case.x.d
        xtest.fake_input(display, X.MotionNotify, x=x + width // 2, y=y + height // 2)
        xtest.fake_input(display, X.ButtonPress, 1)
        xtest.fake_input(display, X.ButtonRelease, 1)
        display.sync()


class Box:
    """A message box (a QMessageBox) seen on the accessibility bus."""

    def __init__(self, accessible):
        self.accessible = accessible

    def _descendants(self):
        stack = [self.accessible]
        while stack:
            node = stack.pop()
            node.clear_cache()
            yield node
            for index in reversed(range(node.get_child_count())):
                child = node.get_child_at_index(index)
                if child is not None:
                    stack.append(child)

    def is_box(self):
        return bool(self.buttons()) and self.text() is not None

    @property
    def title(self):
        self.accessible.clear_cache()
        return self.accessible.get_name()

    @property
    def role(self):
        return self.accessible.get_role_name()

    def text(self):
        """The box's message: the text of its label that is not the (empty) icon label."""
        for node in self._descendants():
            if node.get_role_name() == "label" and node.get_name():
                return node.get_name()
        return None

    def buttons(self):
        return {node.get_name(): node for node in self._descendants()
                if node.get_role_name() == "push button"}

    def press(self, name):
        buttons = self.buttons()
        if name not in buttons:
            raise AssertionError(f"box {self.text()!r} has no button {name!r} (has {list(buttons)})")
        a11y.Control(buttons[name], name).press()


def _files(path):
    from . import xdnd
    return xdnd.files_payload([path] if isinstance(path, (str, os.PathLike)) else path)


def play_to_defeat(game, on_turn=None, timeout=180.0):
    """Runs away turn after turn until the monster wins, watching the last turns' pixels: the
    screen panel (strip) and the corner the × button slides into, until it rests.

    Returns (turns, tops): tops is [(time, top)] of the × button each time it moved.
    """
    tops = []

    def slid_in(watch):
        sample = watch.samples[-1]
        top = slide_top(sample.pixels["corner"])
        if top is not None and (not tops or tops[-1][1] != top):
            tops.append((sample.t, top))
        return bool(tops) and tops[-1][1] >= 8

    turns = []
    deadline = time.monotonic() + timeout
    while not game.battle_over():
        if time.monotonic() > deadline:
            raise AssertionError(f"still no defeat after {timeout} s")
        near = game.hp() <= 17  # the hardest blow takes 17
        rects = {"strip": PANEL1_STRIP, "corner": CORNER} if near else None
        turn = game.turn(RUN, rects=rects, and_then=slid_in if near else None)
        turns.append(turn)
        if on_turn is not None:
            on_turn(turn)
    return turns, tops
