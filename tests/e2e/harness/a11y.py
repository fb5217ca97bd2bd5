"""AT-SPI side of the tests: the program's controls as a screen reader sees them.

Controls are found by their accessible description, which the program sets to the control's
internal name (Button5, Mes1, ...). Nothing is cached: every read goes to the program over the
accessibility bus, so polling sees changes as they happen.
"""

import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from . import desktop  # noqa: E402
from .wait import wait_until  # noqa: E402

_initialised = False


def _init():
    global _initialised
    if not _initialised:
        desktop.session_bus()  # the library binds to the session bus it first sees
        Atspi.init()
        _initialised = True


def pump():
    """Drains the accessibility library's pending bus traffic without blocking."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def find_app(pid, timeout=15.0):
    """The accessible application object of a process, once it has joined the registry."""
    _init()

    def probe():
        root = Atspi.get_desktop(0)
        root.clear_cache()
        for index in range(root.get_child_count()):
            child = root.get_child_at_index(index)
            if child is not None and child.get_process_id() == pid:
                return child
        return None

    app = wait_until(probe, timeout=timeout, message=f"process {pid} on the accessibility bus",
                     pump=pump)
    app.set_cache_mask(Atspi.Cache.NONE)
    return App(app, pid)


class App:
    def __init__(self, accessible, pid):
        self.accessible = accessible
        self.pid = pid

    def walk(self):
        """Every accessible below the application, depth first."""
        stack = [self.accessible]
        while stack:
            node = stack.pop()
            node.clear_cache()
            yield node
            for index in reversed(range(node.get_child_count())):
                child = node.get_child_at_index(index)
                if child is not None:
                    stack.append(child)

    def controls(self):
        """Description -> Control for every described accessible."""
        found = {}
        for node in self.walk():
            description = node.get_description()
            if description:
                found.setdefault(description, Control(node, description))
        return found

    def control(self, description, timeout=10.0):
        """The control whose description is its internal name; waits for it to exist."""
        def probe():
            for node in self.walk():
                if node.get_description() == description:
                    return Control(node, description)
            return None
        return wait_until(probe, timeout=timeout, message=f"control {description!r}", pump=pump)


class Control:
    def __init__(self, accessible, description):
        self.accessible = accessible
        self.description = description

    def __repr__(self):
        return f"<Control {self.description}>"

    def _fresh(self):
        pump()
        self.accessible.clear_cache()
        return self.accessible

    @property
    def name(self):
        return self._fresh().get_name()

    @property
    def role(self):
        return self._fresh().get_role_name()

    def states(self):
        """Set of state names: 'visible', 'showing', 'enabled', 'sensitive', 'focused', ..."""
        state_set = self._fresh().get_state_set()
        return {Atspi.StateType(s).value_nick for s in state_set.get_states()}

    @property
    def showing(self):
        """On screen: the control and all its parents are visible."""
        return "showing" in self.states()

    @property
    def visible(self):
        return "visible" in self.states()

    @property
    def enabled(self):
        states = self.states()
        return "enabled" in states and "sensitive" in states

    def screen_extents(self):
        """(x, y, width, height) on the screen; (0, 0, 0, 0) while hidden.

        Screen coordinates because Qt answers window-relative requests with screen ones too.
        """
        rect = Atspi.Component.get_extents(self._fresh(), Atspi.CoordType.SCREEN)
        return rect.x, rect.y, rect.width, rect.height

    def actions(self):
        accessible = self._fresh()
        with warnings.catch_warnings():
            # get_action_name's replacement, get_name, is shadowed by Accessible.get_name.
            warnings.simplefilter("ignore", DeprecationWarning)
            return [Atspi.Action.get_action_name(accessible, i)
                    for i in range(Atspi.Action.get_n_actions(accessible))]

    def press(self):
        """Presses a button the way a screen reader would. Returns at once: the click follows."""
        names = self.actions()
        for wanted in ("Press", "press", "click", "Click", "activate"):
            if wanted in names:
                if not Atspi.Action.do_action(self.accessible, names.index(wanted)):
                    raise AssertionError(f"{self.description}: action {wanted!r} refused")
                return
        raise AssertionError(f"{self.description} has no press action (has {names})")

    def wait_name(self, expected, timeout=10.0):
        return wait_until(lambda: self.name == expected, timeout=timeout,
                          message=lambda: f"{self.description} to read {expected!r} (reads {self.name!r})")

    def wait_showing(self, showing=True, timeout=10.0):
        return wait_until(lambda: self.showing == showing, timeout=timeout,
                          message=f"{self.description} to be {'shown' if showing else 'hidden'}")
