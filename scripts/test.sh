#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless: the unit tests,
# the tests of the real widgets on Qt's offscreen platform, and the end-to-end tests, which
# start their own X server, window manager, D-Bus session and sound server.
#   scripts/test.sh              the normal build, every test
#   scripts/test.sh --sanitize   an AddressSanitizer + UBSan build, every test but end-to-end
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --with-tests

if [[ "${1:-}" == "--sanitize" ]]; then
  build="$root/build-sanitize"
  # Only what the tests need, unoptimised: the sanitizers look at the code as written.
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORSAV_SANITIZE=ON
  cmake --build "$build" --target game_tests platform_tests qt_backend_tests mci_tests \
    mml_tests pixelart_tests zorsav_music
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # Real-time audio is left to the normal build: unoptimised and instrumented, the render
  # callback cannot keep up with the sound card and the capture shows dropouts.
  ctest --test-dir "$build" --output-on-failure -j2 -LE "e2e|audio"
else
  build="$root/build"
  "$root/scripts/build.sh" "$build"
  ctest --test-dir "$build" --output-on-failure -j2 -LE e2e
  # The end-to-end tests watch a real desktop from outside; one that loses a race with the
  # accessibility bus or the X server gets a second run, and its output shows the first.
  ctest --test-dir "$build" --output-on-failure -L e2e --repeat until-pass:2
fi
