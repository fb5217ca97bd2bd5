#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DZORSAV_BUILD_TESTS=OFF
# The game finds its two music files by bare name in its working directory.
cd "$root/build"
exec ./zorsav
