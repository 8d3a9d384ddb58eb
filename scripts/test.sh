#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (then the fuzzer
# for a minute where clang is present).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure --parallel 2 --timeout 600)
if command -v clang++ >/dev/null 2>&1; then
  bash scripts/fuzz.sh 60
fi
