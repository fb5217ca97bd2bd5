"""Polling with a deadline: the only way these tests wait for anything."""

import time


class WaitTimeout(AssertionError):
    """A condition did not come true in time; an AssertionError so that it reads as a test failure."""


def wait_until(predicate, timeout=10.0, interval=0.02, message="condition", pump=None):
    """Calls predicate until it returns a truthy value and returns that value.

    Exceptions from the predicate count as "not yet" (the thing polled may not exist yet), but the
    last one is reported if time runs out. pump, if given, runs before each try (an event loop to
    drain, for instance).
    """
    deadline = time.monotonic() + timeout
    last_value = None
    last_error = None
    while True:
        if pump is not None:
            pump()
        try:
            last_value = predicate()
            last_error = None
            if last_value:
                return last_value
        except Exception as error:  # noqa: BLE001 - anything the probe raises means "not yet"
            last_error = error
        if time.monotonic() >= deadline:
            detail = f"last error: {last_error!r}" if last_error is not None else f"last value: {last_value!r}"
            what = message() if callable(message) else message
            raise WaitTimeout(f"timed out after {timeout:.1f} s waiting for {what} ({detail})")
        time.sleep(interval)


def holds_for(predicate, duration, interval=0.02, message="condition", pump=None):
    """Checks that predicate stays truthy for the whole of duration; fails at the first lapse.

    For negative facts ("the process keeps running") there is nothing to wait for, so this
    watches for a bounded stretch instead and fails as soon as the fact stops holding.
    """
    deadline = time.monotonic() + duration
    while True:
        if pump is not None:
            pump()
        value = predicate()
        if not value:
            what = message() if callable(message) else message
            raise AssertionError(f"{what} stopped holding (value: {value!r})")
        if time.monotonic() >= deadline:
            return value
        time.sleep(interval)
