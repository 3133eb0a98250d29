#!/usr/bin/env bash
# Installs the Debian 12 packages Velmora needs to build, run and test.
# Works as root or through sudo; does nothing when everything is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-multimedia-dev libqt6svg6 qt6-image-formats-plugins
  libsqlcipher-dev sqlcipher sqlite3
  libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth
  # xdg-email opens the mail composer when no sendmail is installed; the
  # mail tests read messages back with Python's own mail parser.
  xdg-utils python3
  # The vCard and iCalendar tests read what is written with Debian's parsers.
  python3-vobject python3-icalendar python3-dateutil
  # CardDAV sync: the secret store of the desktop, and a real server for the
  # sync tests (started on 127.0.0.1 by the tests themselves).
  qtkeychain-qt6-dev radicale
  # The secret store's test runs a private session bus with a keyring of its own.
  dbus-daemon gnome-keyring
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
else
  SUDO=(sudo)
fi
echo "Installing: ${missing[*]}"
"${SUDO[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
