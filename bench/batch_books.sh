#!/usr/bin/env bash
# Many books at once: six books of three MP3 parts each, one of them with a
# damaged part, joined with `velmora-cli batch` one book at a time and two
# at a time. Prints both times and their ratio (target: at most 0.65 on two
# cores), whether the five good books came out whole, the exit status
# (target: 1, for the damaged book), and what a second run does (it skips the
# five and tries the damaged one again).
#
#   bench/batch_books.sh [BUILD_DIR] [SECONDS_PER_PART]
set -euo pipefail

build=${1:-build}
seconds=${2:-60}
cli=$(cd "$build/bin" && pwd)/velmora-cli
[ -x "$cli" ] || { echo "no velmora-cli in $build/bin" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-batch.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"

echo "Making 6 books of 3 parts of $seconds s..." >&2
for b in 1 2 3 4 5 6; do
    mkdir -p "$work/books/Book $b"
    for p in 1 2 3; do
        ffmpeg -v error -y -f lavfi -i "sine=frequency=$((200 * b + 50 * p)):sample_rate=44100:duration=$seconds" \
            -c:a libmp3lame -q:a 4 "$work/books/Book $b/part$p.mp3"
    done
done
# Book 4's middle part is cut to a third (its header still counts all of it).
part="$work/books/Book 4/part2.mp3"
truncate -s $(($(stat -c %s "$part") / 3)) "$part"

run() { # jobs out -> seconds, exit status, CPU seconds (the tools' too)
    local status=0 seconds user system TIMEFORMAT="%R %U %S"
    { time "$cli" batch --jobs "$1" -o "$2" --format mp3 "$work/books" > "$work/table.txt" 2> "$work/err.txt" ||
        status=$?; } 2> "$work/time.txt"
    read -r seconds user system < "$work/time.txt"
    echo "$seconds $status $(echo "$user + $system" | bc)"
}

read -r one status1 cpu1 < <(run 1 "$work/out1")
read -r two status2 cpu2 < <(run 2 "$work/out2")
good=0
for b in 1 2 3 5 6; do
    d=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/out2/Book $b.mp3" 2>/dev/null || echo 0)
    if [ "$(echo "$d > 3 * $seconds - 0.1" | bc)" = 1 ]; then good=$((good + 1)); fi
done
echo "--jobs 1: ${one} s (exit $status1); --jobs 2: ${two} s (exit $status2); ratio $(echo "scale=2; $two / $one" | bc)"
echo "CPU: ${cpu1} s one at a time, ${cpu2} s two at a time"
echo "good books complete: $good of 5; damaged: $(grep -c 'Book 4' "$work/table.txt" || true) row(s) in the table"
grep "Book 4" "$work/table.txt" || true
ls "$work/out2"
read -r again status3 _ < <(run 2 "$work/out2")
echo "rerun: ${again} s (exit $status3)"
cat "$work/table.txt"
