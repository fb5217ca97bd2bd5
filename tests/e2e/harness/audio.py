"""A PulseAudio server of the test's own with a null sink, its monitor recorded to a file.

Programs started with PULSE_SERVER=<NullSink.server> play into the sink; parec records the
sink's monitor as raw 16-bit stereo. The recording starts when the sink does, not when the
program starts playing: compare loud stretches against quiet ones rather than timing from the
start of the file.
"""

import array
import math
import os
import shutil
import subprocess

from . import desktop, procs
from .wait import wait_until

RATE = 44100
CHANNELS = 2
SAMPLE_BYTES = 2


class NullSink:
    def __init__(self, sink_name="zorsav_e2e"):
        self.sink_name = sink_name
        self.folder = None
        self.socket = None
        self.server = None
        self.recording = None
        self.pulse = None
        self.parec = None
        self.env = None
        self.scope = procs.new_scope("pulse")

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        desktop.require_tools("pulseaudio", "parec", "pactl")
        try:
            self._start()
        except BaseException:
            self.stop()
            raise
        return self

    def _start(self):
        self.folder = procs.scratch_folder("pulse")
        home = os.path.join(self.folder, "home")
        runtime = os.path.join(self.folder, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        self.socket = os.path.join(self.folder, "native")
        self.server = f"unix:{self.socket}"
        self.recording = os.path.join(self.folder, "monitor.raw")
        env = desktop.base_env(home, runtime)
        env.pop("DISPLAY", None)
        env["PULSE_SERVER"] = self.server
        self.env = env

        # As root pulseaudio warns but runs; -n skips the machine's default.pa.
        self.pulse = procs.spawn(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
             "--use-pid-file=no", "--log-target=stderr",
             "-L", f"module-native-protocol-unix auth-anonymous=1 socket={self.socket}",
             "-L", f"module-null-sink sink_name={self.sink_name} rate={RATE} channels={CHANNELS}"],
            env, scope=self.scope, stderr=os.path.join(self.folder, "pulseaudio.log"))
        wait_until(self._sink_ready, timeout=20, message="the PulseAudio null sink",
                   pump=self._check_alive)

        self.parec = procs.spawn(
            ["parec", "-d", f"{self.sink_name}.monitor", "--latency-msec=20", "--raw",
             "--format=s16le", f"--rate={RATE}", f"--channels={CHANNELS}"],
            env, scope=self.scope, stdout=self.recording,
            stderr=os.path.join(self.folder, "parec.log"))
        # Recording once parec's stream is connected. Data may come later: while nothing
        # plays, the null sink renders its monitor in blocks of up to 2 s.
        wait_until(lambda: self._pactl("source-outputs").strip(), timeout=10,
                   message="parec to start recording", pump=self._check_alive)

    def _check_alive(self):
        for name, process in (("pulseaudio", self.pulse), ("parec", self.parec)):
            if process is not None and process.poll() is not None:
                log = os.path.join(self.folder, f"{name}.log")
                raise RuntimeError(f"{name} exited with code {process.returncode}: "
                                   f"{_tail(log)}")

    def _pactl(self, kind):
        done = subprocess.run(["pactl", "list", "short", kind], env=procs.tagged_env(self.env),
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=5)
        return done.stdout.decode(errors="replace") if done.returncode == 0 else ""

    def _sink_ready(self):
        return os.path.exists(self.socket) and self.sink_name in self._pactl("sinks")

    def stop(self):
        procs.stop(self.parec)
        self.parec = None
        procs.stop(self.pulse)
        self.pulse = None
        leftovers = procs.sweep(self.scope)
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None
        return leftovers

    # Reading the recording ---------------------------------------------------------------

    def samples(self):
        """Everything recorded so far, as interleaved signed 16-bit samples."""
        with open(self.recording, "rb") as handle:
            data = handle.read()
        frame = CHANNELS * SAMPLE_BYTES
        data = data[:len(data) - len(data) % frame]
        values = array.array("h")
        values.frombytes(data)
        return values

    def seconds_recorded(self):
        return os.path.getsize(self.recording) / (RATE * CHANNELS * SAMPLE_BYTES)

    def levels(self, window_ms=50, start_seconds=0.0):
        """RMS level (0..32768) of each window_ms stretch of the recording, in order."""
        values = self.samples()
        step = int(RATE * window_ms / 1000) * CHANNELS
        first = int(start_seconds * RATE) * CHANNELS
        out = []
        for begin in range(first, len(values) - step + 1, step):
            chunk = values[begin:begin + step]
            out.append(math.sqrt(sum(v * v for v in chunk) / len(chunk)))
        return out

    def wait_for_sound(self, threshold=300.0, window_ms=50, timeout=10.0, after_seconds=0.0):
        """Waits until some stretch recorded after after_seconds is louder than threshold;
        returns its start in seconds from the start of the recording."""
        def probe():
            for index, level in enumerate(self.levels(window_ms, after_seconds)):
                if level > threshold:
                    return (after_seconds + index * window_ms / 1000,)
            return None
        return wait_until(probe, timeout=timeout, message=f"sound above RMS {threshold}")[0]

    def wait_for_silence(self, seconds=0.5, threshold=30.0, window_ms=50, timeout=10.0,
                         after_seconds=0.0):
        """Waits until the last `seconds` of recording after after_seconds are all quiet."""
        needed = max(1, int(seconds * 1000 / window_ms))

        def probe():
            levels = self.levels(window_ms, after_seconds)
            return len(levels) >= needed and all(level < threshold for level in levels[-needed:])
        return wait_until(probe, timeout=timeout, message=f"{seconds} s of silence")


def _tail(path, lines=5):
    try:
        with open(path, "rb") as handle:
            return b" | ".join(handle.read().splitlines()[-lines:]).decode(errors="replace")
    except OSError:
        return "(no log)"
