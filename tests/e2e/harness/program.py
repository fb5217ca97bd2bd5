"""Running the program under test on the private desktop."""

import os
import shutil
import subprocess

from . import procs

WINDOW_TITLE = "ZOR-ScreenSaver"


class BinaryMissing(Exception):
    pass


def binary_path():
    """The binary from ZORSAV_BINARY, else <ZORSAV_BUILD_DIR>/zorsav; None if neither is set.

    A binary that is named but not there is an error, not a reason to skip: ctest names it,
    and a run that skips everything because nothing was built must not pass.
    """
    path = os.environ.get("ZORSAV_BINARY")
    if not path and os.environ.get("ZORSAV_BUILD_DIR"):
        path = os.path.join(os.environ["ZORSAV_BUILD_DIR"], "zorsav")
    if not path:
        return None
    if not os.access(path, os.X_OK):
        raise BinaryMissing(f"{path} is not built (build the zorsav target first)")
    return path


def build_dir(binary):
    """Where the program runs: it finds its music files by bare name in its working folder."""
    return os.environ.get("ZORSAV_BUILD_DIR") or os.path.dirname(os.path.abspath(binary))


class Program:
    """One run of a program: started with the desktop's environment, output kept in files."""

    def __init__(self, argv, env, cwd):
        self.argv = list(argv)
        self.env = env
        self.cwd = cwd
        self.folder = procs.scratch_folder("run")
        self.stdout_path = os.path.join(self.folder, "stdout")
        self.stderr_path = os.path.join(self.folder, "stderr")
        self.process = None
        self.scope = procs.new_scope("run")

    def start(self):
        self.process = procs.spawn(self.argv, self.env, cwd=self.cwd, scope=self.scope,
                                   stdout=self.stdout_path, stderr=self.stderr_path)
        return self

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout=10.0):
        """Waits for the program to end by itself and returns its exit code."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"{self.argv[0]} still running {timeout} s later; "
                                 f"stderr: {self.stderr()!r}") from None

    def stdout(self):
        return _read(self.stdout_path)

    def stderr(self):
        return _read(self.stderr_path)

    def stop(self):
        """Ends the run whatever state it is in; safe to call twice.

        Returns the processes of this run still alive after the program itself was gone
        (anything it started and left behind), which have been killed.
        """
        leftovers = []
        if self.process is not None:
            if self.process.poll() is not None:
                # It ended by itself: whatever of its run still lives, it left behind.
                leftovers += procs.sweep(self.scope)
            procs.stop(self.process)
        leftovers += procs.sweep(self.scope)
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None
        return leftovers


def _read(path):
    try:
        with open(path, "rb") as handle:
            return handle.read().decode("utf-8", errors="replace")
    except FileNotFoundError:
        return ""


def program_env(desktop, pulse_server=None, extra=None):
    """The environment of the program on the desktop.

    Without a sound server of the test's own, PULSE_SERVER points nowhere: the program must
    never reach the machine's real audio (and libpulse must not try to start a daemon).
    """
    env = dict(desktop.env)
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    env["PULSE_SERVER"] = pulse_server or f"unix:{desktop.folder}/no-pulse-server"
    if extra:
        env.update(extra)
    return env
