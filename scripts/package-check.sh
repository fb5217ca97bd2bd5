#!/usr/bin/env bash
# Builds the Debian package, installs it with dpkg on this machine, and checks the installed
# program as a user starts it from the menu: on its own X server, with its music and icon.
#   scripts/package-check.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO=sudo; fi

(cd "$build" && cpack -G DEB > /dev/null)
package=$(ls -t "$build"/zorsav_*.deb | head -n 1)
echo "package: $(basename "$package")"
dpkg-deb --field "$package" Depends Recommends
$SUDO dpkg -i "$package"
desktop-file-validate /usr/share/applications/zorsav.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.zorsav.ZorScreenSaver.metainfo.xml
cd "$root/tests/e2e"
ZORSAV_INSTALLED=/usr PYTHONDONTWRITEBYTECODE=1 ZORSAV_SCREENSHOT_DIR="$build/screenshots" \
  /usr/bin/python3 -m unittest -v test_installed
