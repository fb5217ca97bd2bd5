#!/usr/bin/env bash
# Installs every Debian package the game needs to build, run and be tested.
# Idempotent: packages already present are left alone. Uses sudo when not root.
set -euo pipefail

BUILD_PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev libxcb-damage0-dev libxkbcommon-dev
  libfontconfig-dev
  libfluidsynth-dev libgtest-dev libgmock-dev libbenchmark-dev
)
RUN_PACKAGES=(
  qt6-qpa-plugins fonts-ipafont-gothic timgm6mb-soundfont
)
TEST_PACKAGES=(
  xvfb xauth openbox x11-utils xdotool dbus dbus-x11 at-spi2-core
  python3-xlib python3-pyatspi python3-gi gir1.2-atspi-2.0
  pulseaudio pulseaudio-utils
  desktop-file-utils appstream dpkg-dev
  clang libclang-rt-14-dev
)

want=("${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}")
if [[ "${1:-}" == "--with-tests" ]]; then
  want+=("${TEST_PACKAGES[@]}")
fi

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO=sudo; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
