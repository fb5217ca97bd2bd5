"""The test case base class: a desktop per test class, a fresh program per test."""

import os
import re
import signal
import unittest

from . import a11y, audio, desktop, png, program, xdnd
from .wait import wait_until


def _exit_on_sigterm(signum, frame):
    # ctest and CI stop a run with SIGTERM; turning it into SystemExit runs every cleanup.
    raise SystemExit(128 + signum)


if signal.getsignal(signal.SIGTERM) is signal.SIG_DFL:
    signal.signal(signal.SIGTERM, _exit_on_sigterm)


class DesktopTestCase(unittest.TestCase):
    """Starts Xvfb, openbox and the buses for the class; every program a test starts is stopped
    after it, whatever happened, and a test fails if a run leaves processes behind."""

    desktop = None

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        try:
            cls.desktop = desktop.Desktop().start()
        except desktop.MissingTool as missing:
            raise unittest.SkipTest(str(missing)) from None

    @classmethod
    def tearDownClass(cls):
        if cls.desktop is not None:
            leftovers = cls.desktop.stop()
            cls.desktop = None
            if leftovers:
                raise AssertionError(f"desktop left processes behind: {leftovers}")
        super().tearDownClass()

    @property
    def x(self):
        return self.desktop.x

    # The program -----------------------------------------------------------------------------

    def zorsav_binary(self):
        try:
            binary = program.binary_path()
        except program.BinaryMissing as missing:
            self.fail(str(missing))
        if binary is None:
            self.skipTest("no zorsav binary given (set ZORSAV_BINARY or ZORSAV_BUILD_DIR)")
        return binary

    def start_program(self, argv, cwd=None, pulse_server=None, env=None):
        """Starts any program on the desktop; it is stopped when the test ends."""
        run = program.Program(argv, program.program_env(self.desktop, pulse_server, env),
                              cwd or os.getcwd())
        self.addCleanup(self._stop_run, run)
        return Run(self, run.start())

    def start_zorsav(self, pulse_server=None, env=None):
        binary = self.zorsav_binary()
        return self.start_program([binary], cwd=program.build_dir(binary),
                                  pulse_server=pulse_server, env=env)

    def _stop_run(self, run):
        leftovers = run.stop()
        if leftovers:
            self.fail(f"{run.argv[0]} left processes behind: {leftovers}")

    def null_sink(self):
        """A PulseAudio null sink for this test, recorded from the start; pass its .server to
        start_zorsav(pulse_server=...)."""
        sink = audio.NullSink()
        try:
            sink.start()
        except desktop.MissingTool as missing:
            self.skipTest(str(missing))
        self.addCleanup(self._stop_sink, sink)
        return sink

    def _stop_sink(self, sink):
        leftovers = sink.stop()
        if leftovers:
            self.fail(f"the sound server left processes behind: {leftovers}")

    # Screenshots -----------------------------------------------------------------------------

    def screenshot(self, window, label):
        """Saves the window as <test>-<label>.png in the screenshot folder; returns the path."""
        name = re.sub(r"[^A-Za-z0-9_.-]+", "_", f"{self.id().split('.', 1)[-1]}-{label}")
        return png.save_png(self.x.read_rgb(window), name)


class Run:
    """A started program seen from the test: its process, its window, its controls."""

    def __init__(self, case, run):
        self.case = case
        self.run = run
        self._window = None
        self._app = None

    @property
    def pid(self):
        return self.run.pid

    def running(self):
        return self.run.running()

    def wait_exit(self, timeout=10.0):
        return self.run.wait_exit(timeout)

    def stderr(self):
        return self.run.stderr()

    def stdout(self):
        return self.run.stdout()

    def _check_alive(self):
        if not self.run.running():
            raise AssertionError(f"{self.run.argv[0]} exited with code {self.run.process.returncode}; "
                                 f"stderr: {self.run.stderr()!r}")

    def window(self, timeout=15.0):
        """The program's top-level window, once mapped (found by _NET_WM_PID)."""
        if self._window is None:
            self._window = self.case.x.wait_window_of_pid(self.pid, timeout=timeout,
                                                           pump=self._check_alive)
        return self._window

    def app(self, timeout=15.0):
        """The program as seen on the accessibility bus."""
        if self._app is None:
            self._check_alive()
            self._app = a11y.find_app(self.pid, timeout=timeout)
        return self._app

    def control(self, description, timeout=10.0):
        return self.app().control(description, timeout=timeout)

    def geometry(self):
        return self.case.x.geometry(self.window())

    def rect_of(self, control):
        """A control's rectangle relative to the window's inside, from its accessible extents."""
        x, y, width, height = control.screen_extents()
        origin = self.geometry()
        return (x - origin.x, y - origin.y, width, height)

    def net_wm_state(self):
        return self.case.x.net_wm_state(self.window())

    def request_close(self):
        self.case.x.request_close(self.window())

    def ping(self, timeout=5.0):
        return self.case.x.ping(self.window(), timeout=timeout)

    def drag(self, payload, point=None, timeout=5.0):
        """Drags payload onto the window with a real XDND source; returns an xdnd.DragResult."""
        return xdnd.drag(self.case.desktop.display_name, self.window(), payload, point, timeout)

    def drop_files(self, paths, point=None, timeout=5.0):
        """Drops files on the window like a file manager; True if the window accepted them."""
        return self.drag(xdnd.files_payload(paths), point, timeout).accepted

    def pixels(self, x=0, y=0, width=None, height=None):
        return self.case.x.read_rgb(self.window(), x, y, width, height)

    def wait(self, predicate, timeout=10.0, message="condition"):
        return wait_until(predicate, timeout=timeout, message=message, pump=a11y.pump)
