"""A private desktop: Xvfb, openbox and a D-Bus session bus with the accessibility bus.

The session bus lives as long as the test process: the AT-SPI client library in this process
binds to the bus it first sees and cannot be moved to another. The X server and the window
manager are started and stopped per test class (or per test, if a test wants that).
"""

import atexit
import os
import select
import shutil
import subprocess

from . import procs
from .wait import wait_until

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768


class MissingTool(Exception):
    """A program the desktop needs is not installed; tests skip with this message."""


def require_tools(*names):
    missing = [name for name in names if shutil.which(name) is None]
    if missing:
        raise MissingTool(f"end-to-end tests need {', '.join(missing)} (Debian: apt-get install "
                          f"{' '.join(_DEBIAN_PACKAGES.get(n, n) for n in missing)})")


_DEBIAN_PACKAGES = {
    "Xvfb": "xvfb",
    "openbox": "openbox",
    "dbus-daemon": "dbus-daemon",
    "pulseaudio": "pulseaudio",
    "parec": "pulseaudio-utils",
}


def base_env(home, runtime_dir):
    """The environment a desktop session would give: no trace of the machine's own session."""
    env = {key: value for key, value in os.environ.items()
           if key not in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS",
                          "AT_SPI_BUS_ADDRESS", "PULSE_SERVER", "QT_QPA_PLATFORM",
                          "SESSION_MANAGER", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP")}
    env.update({
        "HOME": home,
        "XDG_RUNTIME_DIR": runtime_dir,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_CACHE_HOME": os.path.join(home, ".cache"),
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "LANG": os.environ.get("LANG") or "C.UTF-8",
    })
    return env


class SessionBus:
    """A dbus-daemon --session of our own; the accessibility bus comes by D-Bus activation."""

    def __init__(self):
        self.process = None
        self.address = None
        self.folder = None

    def start(self):
        require_tools("dbus-daemon")
        self.folder = procs.scratch_folder("bus")
        home = os.path.join(self.folder, "home")
        runtime = os.path.join(self.folder, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        # No DISPLAY here on purpose: at-spi-bus-launcher, started by activation with this
        # environment, would otherwise tie itself to the first X server, which a later test
        # class replaces.
        env = base_env(home, runtime)
        self.process = procs.spawn(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1",
             f"--address=unix:dir={runtime}"],
            env, stdout=subprocess.PIPE)
        self.address = _read_line(self.process.stdout, timeout=10, what="dbus-daemon address")
        return self

    def stop(self):
        procs.stop(self.process)
        if self.process is not None and self.process.stdout is not None:
            self.process.stdout.close()
        self.process = None
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None


def _read_line(stream, timeout, what):
    ready, _, _ = select.select([stream], [], [], timeout)
    if not ready:
        raise RuntimeError(f"no {what} within {timeout} s")
    line = stream.readline().decode().strip()
    if not line:
        raise RuntimeError(f"{what}: the process ended without printing it")
    return line


_session_bus = None


def session_bus():
    """The process-wide session bus, started on first use and stopped when the process ends."""
    global _session_bus
    if _session_bus is None:
        bus = SessionBus().start()
        _session_bus = bus
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.address
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        atexit.register(shutdown)
    return _session_bus


def shutdown():
    """Stops the session bus; the accessibility bus it started goes with it."""
    global _session_bus
    if _session_bus is not None:
        _session_bus.stop()
        _session_bus = None


class Desktop:
    """Xvfb on a free display with openbox managing it, plus the session bus."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        self.width = width
        self.height = height
        self.xvfb = None
        self.wm = None
        self.display_name = None
        self.folder = None
        self.env = None
        self.x = None  # an Xlib connection for the test, see xwin.XServer
        self.scope = procs.new_scope("desktop")

    def start(self):
        require_tools("Xvfb", "openbox", "dbus-daemon")
        try:
            self._start()
        except BaseException:
            self.stop()
            raise
        return self

    def _start(self):
        from . import xwin

        bus = session_bus()
        self.folder = procs.scratch_folder("desktop")
        home = os.path.join(self.folder, "home")
        runtime = os.path.join(self.folder, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        env = base_env(home, runtime)

        # -displayfd lets the server pick a free display number and tell us once it accepts
        # connections: no guessing, no race with other X servers on the machine.
        read_end, write_end = os.pipe()
        try:
            self.xvfb = procs.spawn(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 f"{self.width}x{self.height}x24", "-nolisten", "tcp", "-noreset"],
                env, scope=self.scope, stderr=os.path.join(self.folder, "xvfb.log"), pass_fds=(write_end,))
            os.close(write_end)
            write_end = None
            with os.fdopen(read_end, "rb") as reader:
                read_end = None
                number = _read_line(reader, timeout=20, what="Xvfb display number")
        finally:
            for fd in (read_end, write_end):
                if fd is not None:
                    os.close(fd)
        self.display_name = f":{number}"

        env["DISPLAY"] = self.display_name
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.address
        self.env = env
        self.x = xwin.XServer(self.display_name)

        self.wm = procs.spawn(
            ["openbox", "--sm-disable"], env, scope=self.scope, stderr=os.path.join(self.folder, "openbox.log"))
        wait_until(self.x.window_manager_running, timeout=20,
                   message="openbox to take over the root window (_NET_SUPPORTING_WM_CHECK)",
                   pump=self._check_alive)

    def _check_alive(self):
        for name, process in (("Xvfb", self.xvfb), ("openbox", self.wm)):
            if process is not None and process.poll() is not None:
                raise RuntimeError(f"{name} exited with code {process.returncode}; "
                                   f"see logs in {self.folder}")

    def stop(self):
        """Stops the desktop; returns the processes it had to sweep up (should be none)."""
        if self.x is not None:
            self.x.close()
            self.x = None
        procs.stop(self.wm)
        self.wm = None
        procs.stop(self.xvfb)
        self.xvfb = None
        leftovers = procs.sweep(self.scope)
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None
        return leftovers
