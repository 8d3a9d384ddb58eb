#!/usr/bin/env bash
# Installs whatever Velmora needs to build, test and run that is missing
# (Debian 12, as root). Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-qpa-plugins libgl-dev
  nlohmann-json3-dev libplist-dev
  ffmpeg
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth x11-apps imagemagick fonts-dejavu-core jq dbus-daemon sox
  clang libclang-rt-dev
  dpkg-dev desktop-file-utils man-db bash-completion
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
