#!/usr/bin/env bash
# Installs what building and testing Ormile needs on Debian 12 (run as root, or with sudo
# available). Installs only what is missing, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libsqlite3-dev sqlite3
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  xvfb xauth xdotool x11-apps imagemagick
  fonts-wine fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
