#!/usr/bin/env bash
# Builds the dropped-name fuzzer with clang and libFuzzer and runs it for a bounded time.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZORSAV_FUZZ=ON -DZORSAV_BUILD_TESTS=OFF > /dev/null
cmake --build "$build" --target drop_name_fuzzer
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$root"/fuzz/corpus/* "$corpus"/
"$build/drop_name_fuzzer" -max_total_time="$seconds" -max_len=1024 -print_final_stats=1 \
  "$corpus"
