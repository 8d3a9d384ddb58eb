#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package
# build/velmora_<version>_<arch>.deb, whose path it prints last.
# `apt-get install ./build/velmora_<version>_<arch>.deb` then installs it
# together with what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
(cd build && cpack -G DEB >/dev/null)
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)"
deb="build/velmora_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
  echo "package.sh: cpack did not make $deb" >&2
  exit 1
fi
echo "$deb"
