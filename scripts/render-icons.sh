#!/usr/bin/env bash
# Renders the hicolor PNG icons from src/app/velmora.svg. The PNGs are kept
# in the repository, so the build needs no renderer; run this (it needs
# rsvg-convert, package librsvg2-bin) after changing the SVG and commit the result.
set -euo pipefail
cd "$(dirname "$0")/.."
for size in 16 32 48 64 128 256; do
  dir="src/app/icons/hicolor/${size}x${size}/apps"
  mkdir -p "$dir"
  rsvg-convert -w "$size" -h "$size" src/app/velmora.svg -o "$dir/velmora.png"
done
