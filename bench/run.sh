#!/usr/bin/env bash
# Runs the benchmarks on a desktop of their own: Xvfb at 1920 x 1080 with openbox, and a
# private PulseAudio server with a null sink for the music. Prints the figures and draws the
# turn's timeline chart.
#   bench/run.sh [build-dir] [repeats] [cpu-seconds]
# The build should be optimised (scripts/build.sh builds RelWithDebInfo).
set -euo pipefail
# A desktop session has a session bus; without one Qt would start a bus of its own first.
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]] && command -v dbus-run-session >/dev/null; then
  exec dbus-run-session -- "$0" "$@"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
repeats=${2:-9}
cpu_seconds=${3:-30}
work=$(mktemp -d /tmp/zorsav-bench.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)

mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
HOME="$work/home" pulseaudio -n --daemonize=no \
  --exit-idle-time=-1 --disable-shm=yes \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse" \
  -L "module-null-sink sink_name=bench" >"$work/pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER=unix:$work/pulse
for _ in $(seq 50); do pactl list short sinks 2>/dev/null | grep -q bench && break; sleep 0.1; done
sleep 1  # the window manager settles

# The game finds its themes by bare name in its working folder, as its desktop entry sets it.
cd "$build"
echo "== start-up, from outside"
"$build/startup_bench" "$repeats"
echo
echo "== effects, a turn, CPU and memory"
"$build/timing_bench" --repeats "$repeats" --cpu-seconds "$cpu_seconds" \
  --chart "$root/docs/turn-timeline.svg"
echo
echo "== media commands"
"$build/mci_bench"
