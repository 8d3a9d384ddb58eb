#!/usr/bin/env bash
# Installs what is missing, builds, and opens the Velmora window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting Velmora under a virtual display (xvfb-run)."
  exec xvfb-run -a ./build/bin/velmora
fi
exec ./build/bin/velmora
