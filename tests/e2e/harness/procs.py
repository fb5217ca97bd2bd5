"""Child processes of the test run: started tagged, always stopped, none left behind.

Every process the harness starts carries ZORSAV_E2E_TAG in its environment, and so does
everything they start in turn (D-Bus activation passes the daemon's environment on). Teardown
stops the processes it knows, then sweeps /proc for anything else still carrying this run's tag,
so a crashed test leaves no Xvfb, window manager, bus or sound server behind.
"""

import atexit
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import uuid

RUN_TAG = f"{os.getpid()}-{uuid.uuid4().hex[:8]}"
TAG_VARIABLE = "ZORSAV_E2E_TAG"
SCOPE_VARIABLE = "ZORSAV_E2E_SCOPE"  # narrower: one desktop, one run of the program

_FOLDER_PREFIX = "zorsav-e2e-"
_run_folder = None


def scratch_folder(kind):
    """A new private folder for this run's temporary files.

    They all live under one folder per test process, which teardown removes. A process killed
    outright cannot clean up, so the next run removes folders of processes that are gone.
    """
    global _run_folder
    if _run_folder is None:
        base = tempfile.gettempdir()
        for entry in os.listdir(base):
            if entry.startswith(_FOLDER_PREFIX):
                pid = entry[len(_FOLDER_PREFIX):].split("-", 1)[0]
                if pid.isdigit() and not _alive(int(pid)):
                    shutil.rmtree(os.path.join(base, entry), ignore_errors=True)
        _run_folder = tempfile.mkdtemp(prefix=f"{_FOLDER_PREFIX}{RUN_TAG}-", dir=base)
        atexit.register(_at_exit)
    return tempfile.mkdtemp(prefix=f"{kind}-", dir=_run_folder)


def _at_exit():
    leftovers = sweep()
    if leftovers:
        print(f"zorsav e2e: killed stray processes: {leftovers}", file=sys.stderr)
    global _run_folder
    if _run_folder is not None:
        shutil.rmtree(_run_folder, ignore_errors=True)
        _run_folder = None


def _alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        pass
    return True


_PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)


def _die_with_parent():
    # Runs in the child between fork and exec: if the test process is killed outright
    # (a ctest timeout sends SIGKILL), the kernel takes the direct children down with it.
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM, 0, 0, 0)


def new_scope(kind):
    return f"{kind}-{uuid.uuid4().hex[:8]}"


def tagged_env(env, scope=None):
    env = dict(env)
    env[TAG_VARIABLE] = RUN_TAG
    if scope:
        env[SCOPE_VARIABLE] = scope
    else:
        env.pop(SCOPE_VARIABLE, None)
    return env


def spawn(argv, env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=None, pass_fds=(),
          scope=None):
    """Starts argv in a session of its own, so that stopping it reaches its children too.

    stdout and stderr take what subprocess takes, or a path: the output goes to that file.
    """
    opened = []

    def target(stream):
        if isinstance(stream, (str, os.PathLike)):
            opened.append(open(stream, "wb"))
            return opened[-1]
        return stream

    try:
        return subprocess.Popen(
            argv,
            env=tagged_env(env, scope),
            cwd=cwd,
            stdin=subprocess.DEVNULL,
            stdout=target(stdout),
            stderr=target(stderr),
            pass_fds=pass_fds,
            start_new_session=True,
            preexec_fn=_die_with_parent,
        )
    finally:
        for handle in opened:
            handle.close()


def stop(process, grace=3.0):
    """Stops a process started by spawn and its process group; returns its exit code."""
    if process is None:
        return None
    if process.poll() is None:
        _signal_group(process.pid, signal.SIGTERM)
        try:
            process.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            _signal_group(process.pid, signal.SIGKILL)
            process.wait(timeout=grace)
    # The leader may be gone while others in its group are not.
    _signal_group(process.pid, signal.SIGKILL)
    return process.returncode


def _signal_group(pgid, sig):
    try:
        os.killpg(pgid, sig)
    except (ProcessLookupError, PermissionError):
        pass


def tagged_pids(scope=None):
    """Live processes carrying this run's tag, or, given a scope, that scope's mark."""
    needle = (f"{SCOPE_VARIABLE}={scope}" if scope else f"{TAG_VARIABLE}={RUN_TAG}").encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as handle:
                variables = handle.read().split(b"\0")
            with open(f"/proc/{entry}/stat", "rb") as handle:
                state = handle.read().rsplit(b")", 1)[1].split()[0]
        except OSError:
            continue
        if needle in variables and state != b"Z":
            found.append(int(entry))
    return found


def describe(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as handle:
            command = handle.read().replace(b"\0", b" ").decode(errors="replace").strip()
        return f"{pid} {command}"
    except OSError:
        return str(pid)


def sweep(scope=None, grace=3.0):
    """Kills whatever is left of this run (or of one scope); returns what it found, described.

    Whatever this finds was left behind by someone: callers report it.
    """
    leftovers = [describe(pid) for pid in tagged_pids(scope)]
    for pid in tagged_pids(scope):
        _kill(pid, signal.SIGTERM)
    deadline = time.monotonic() + grace
    while tagged_pids(scope) and time.monotonic() < deadline:
        time.sleep(0.02)
    for pid in tagged_pids(scope):
        _kill(pid, signal.SIGKILL)
    return leftovers


def _kill(pid, sig):
    try:
        os.kill(pid, sig)
    except (ProcessLookupError, PermissionError):
        pass
