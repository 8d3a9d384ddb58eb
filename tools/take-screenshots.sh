#!/bin/sh
# Regenerates the screenshots in docs/ on a virtual display.
#   tools/take-screenshots.sh [build folder]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
cmake --build "$build" --target velmora_screenshot_tour
xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb \
    "$build/bin/velmora_screenshot_tour" "$root/docs"
# The window alone, on the whole screen, at 1x and 2x.
for scale in 1 2; do
    xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale \
        "$build/bin/velmora_screenshot_tour" --window "$root/docs/window-${scale}x.png"
done
