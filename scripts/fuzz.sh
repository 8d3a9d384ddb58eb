#!/usr/bin/env bash
# Builds the probe-report fuzz target with clang (libFuzzer, address and
# undefined-behaviour checks), seeds it with real ffprobe reports of small
# generated media plus the crafted seeds in fuzz/seeds, and runs it.
#   usage: scripts/fuzz.sh [SECONDS]   (default 60)
# Exits non-zero on a crash, a leak, a hang or any sanitizer report.
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DVELMORA_FUZZ=ON -DVELMORA_BUILD_APP=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j2 --target fuzz_probe_report

# Seeds: what ffprobe reports for a few kinds of media, made here and now.
media="$build/seed-media"
seeds="$build/seeds"
corpus="$build/corpus"
rm -rf "$media" "$seeds" "$corpus"
mkdir -p "$media" "$seeds" "$corpus"
cp "$root"/fuzz/seeds/* "$seeds"/
make_media() {
  local name="$1"; shift
  ffmpeg -y -v error -nostdin "$@" "$media/$name" || echo "fuzz.sh: could not make $name" >&2
}
if command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null; then
  printf ';FFMETADATA1\ntitle=Seed\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=500\ntitle=One\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=500\nEND=1000\ntitle=Two\n' >"$media/chapters.txt"
  printf '1\n00:00:00,000 --> 00:00:00,500\nHello\n' >"$media/subs.srt"
  make_media tone.wav -f lavfi -i sine=duration=0.5
  make_media tone.flac -f lavfi -i sine=duration=0.5
  make_media tone.mp3 -f lavfi -i sine=duration=0.5 -f lavfi -i color=c=blue:s=32x32:d=0.5 -map 0 -map 1 \
    -frames:v 1 -c:v png -disposition:v attached_pic -metadata title=Seed -c:a libmp3lame
  make_media chapters.m4a -f lavfi -i sine=duration=1 -i "$media/chapters.txt" -map 0 -map_metadata 1 \
    -map_chapters 1 -c:a aac
  make_media clip.mp4 -f lavfi -i testsrc=size=160x120:rate=25:duration=0.5 -f lavfi -i sine=duration=0.5 \
    -i "$media/subs.srt" -map 0 -map 1 -map 2 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -c:s mov_text \
    -metadata:s:v:0 rotate=90 -metadata:s:s:0 language=ger
  make_media clip.mkv -f lavfi -i testsrc=size=64x48:rate=30000/1001:duration=0.3 -i "$media/subs.srt" \
    -map 0 -map 1 -c:v mjpeg -c:s srt
  for file in "$media"/*; do
    case "$file" in *.txt|*.srt) continue ;; esac
    ffprobe -v quiet -print_format json -show_format -show_streams -show_chapters -show_error "$file" \
      >"$seeds/$(basename "$file").json" || true
  done
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
log="$build/fuzz.log"
status=0
(cd "$build" && ./bin/fuzz_probe_report -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" "$seeds") >"$log" 2>&1 || status=$?
tail -n 25 "$log"
runs="$(grep -Eo 'Done [0-9]+ runs' "$log" | tail -n 1 || true)"
echo "fuzz.sh: ${runs:-no run count} (exit status $status)"
if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
  echo "fuzz.sh: the fuzzer found a problem; see $log and the crash-* file in $build" >&2
  exit 1
fi
