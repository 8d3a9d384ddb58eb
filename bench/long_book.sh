#!/usr/bin/env bash
# Long books: what a join of many long parts costs and whether its chapters
# lie where each part's sound starts.
#
#   bench/long_book.sh [hours|parts|day|both] [BUILD_DIR]
#
# hours: a 10-hour book in 20 AAC parts of 30 minutes, each a tone of its
#   own, joined into .m4b with chapters. Prints the wall time, the peak disk
#   used under TMPDIR, the peak memory of velmora-cli and every tool it runs,
#   and for each chapter where the decoded sound changes from the tone before
#   to its own (target: within one AAC frame, 23 ms). PART_MINUTES (default
#   30) makes the parts shorter for a quick run. Each part is a minute of its
#   tone copied over and over, so it holds the encoder's priming and padding
#   of every minute: a little more than its nominal length, which is why the
#   chapters are checked against the sound, not against multiples of 30 min.
#   It is re-encoded (--no-copy); HOURS_OPTIONS= (empty) copies it instead,
#   as .m4b is by default.
# parts: 200 MP3 parts of 10 s into .m4b: where the last chapter starts
#   (target: within 30 ms of 1990.000 s) and the wall time.
# day: a 30-hour book, 60 AAC parts of 30 min (two tones taking turns, each
#   part a copy of one 30-min encode), into .m4b as velmora-cli does by
#   default (a copy): the wall time, the length against the parts', where
#   chapter 60 starts and where its tone is heard (target: 29:30:00 within
#   23 ms, past 2^32 samples), and whether the whole file decodes cleanly.
#   DAY_OPTIONS=--no-copy re-encodes it instead (half an hour on 2 cores):
#   gapless, so its length is the parts' and chapter 60 lies at 29:30:00.
# The parts are made from a minute of each tone, copied (no re-encode).
set -euo pipefail

what=${1:-both}
build=${2:-build}
cli=$(cd "$build/bin" && pwd)/velmora-cli
[ -x "$cli" ] || { echo "no velmora-cli in $build/bin" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-longbook.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR" "$work/parts"

# Runs velmora-cli with the arguments, sampling every 0.2 s the disk used
# under TMPDIR and the memory of the whole process tree; prints
# "<seconds> <peak tmp bytes> <peak rss kB> <peak pss kB>". RSS counts the
# pages of every shared library once per process (each ffmpeg maps about
# 45 MB of them), PSS shares them out among the processes that map them, so
# the sum of PSS is what the tree really holds.
measure() {
    # ps finding no child is no error here.
    set +e +o pipefail
    local start end peakDisk=0 peakRss=0 peakPss=0 pid disk rss pss tree
    start=$(date +%s.%N)
    "$cli" "$@" > "$work/out.txt" 2> "$work/err.txt" &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        disk=$(du -sb "$TMPDIR" 2>/dev/null | cut -f1)
        # the tool's children and grandchildren (a tool started through a shell)
        tree="$pid $(pgrep -P "$pid" 2>/dev/null | tr '\n' ' ')"
        for child in $tree; do [ "$child" = "$pid" ] || tree="$tree $(pgrep -P "$child" 2>/dev/null | tr '\n' ' ')"; done
        rss=0 pss=0
        for p in $tree; do
            read -r r s < <(awk '/^Rss:/ {r=$2} /^Pss:/ {s=$2} END {print r+0, s+0}' "/proc/$p/smaps_rollup" 2>/dev/null || echo "0 0")
            rss=$((rss + ${r:-0})) pss=$((pss + ${s:-0}))
        done
        if [ "${disk:-0}" -gt "$peakDisk" ]; then peakDisk=$disk; fi
        if [ "$rss" -gt "$peakRss" ]; then peakRss=$rss; fi
        if [ "$pss" -gt "$peakPss" ]; then peakPss=$pss; fi
        sleep 0.2
    done
    wait "$pid" || { cat "$work/err.txt" >&2; exit 1; }
    end=$(date +%s.%N)
    echo "$(echo "$end - $start" | bc) $peakDisk $peakRss $peakPss"
}

# A part of `minutes` minutes of tone `hz`, made by copying one encoded minute.
make_part() { # out hz minutes codec-args...
    local out=$1 hz=$2 minutes=$3
    shift 3
    local minute=$work/minute-$hz.${out##*.}
    [ -f "$minute" ] || ffmpeg -v error -y -f lavfi -i "sine=frequency=$hz:sample_rate=44100:duration=60" "$@" "$minute"
    : > "$work/list.txt"
    for _ in $(seq 1 "$minutes"); do echo "file '$minute'" >> "$work/list.txt"; done
    ffmpeg -v error -y -f concat -safe 0 -i "$work/list.txt" -c copy "$out"
}

# Where each part's tone takes over from the one before: bench/tone_cut.py
# weighs both tones in a sliding 50-ms window and finds where they weigh the
# same.
tone_cut=$(cd "$(dirname "$0")" && pwd)/tone_cut.py

if [ "$what" = hours ] || [ "$what" = both ]; then
    minutes=${PART_MINUTES:-30}
    echo "Making 20 parts of $minutes minutes..." >&2
    parts=()
    for i in $(seq 1 20); do
        make_part "$work/parts/part$i.m4a" $((200 + 40 * i)) "$minutes" -c:a aac -b:a 64k
        parts+=("$work/parts/part$i.m4a")
    done
    read -r secs disk rss pss < <(measure join -f --chapters ${HOURS_OPTIONS---no-copy} -o "$work/book.m4b" "${parts[@]}")
    echo "$((minutes / 3))-hour book, 20 parts into .m4b: $secs s, peak TMPDIR $((disk / 1024)) kB, peak memory $((pss / 1024)) MB PSS ($((rss / 1024)) MB RSS)"
    worst=0
    mapfile -t starts < <(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$work/book.m4b")
    asks=()
    for i in $(seq 2 "${#starts[@]}"); do asks+=("${starts[i - 1]}" $((160 + 40 * i)) $((200 + 40 * i))); done
    mapfile -t heard < <(python3 "$tone_cut" "$work/book.m4b" "${asks[@]}")
    for i in $(seq 2 "${#starts[@]}"); do
        start=${starts[i - 1]}
        read -r ended started <<< "${heard[i - 2]}"
        # what the two parts hold around their cut, laid end to end by hand
        read -r refEnded refStarted < <(python3 "$tone_cut" --between "${parts[i - 2]}" "${parts[i - 1]}" \
            $((160 + 40 * i)) $((200 + 40 * i)))
        offEnd=$(echo "($ended - $start - $refEnded) * 1000" | bc)
        offStart=$(echo "($started - $start - $refStarted) * 1000" | bc)
        printf '  chapter %d at %s s: tone %d ends at %s s, %d starts at %s s; off by %.1f and %.1f ms from the parts laid end to end\n' \
            "$i" "$start" $((160 + 40 * i)) "$ended" $((200 + 40 * i)) "$started" "$offEnd" "$offStart"
        for off in ${offEnd#-} ${offStart#-}; do worst=$(echo "if ($off > $worst) $off else $worst" | bc); done
    done
    echo "  worst chapter offset: $worst ms"
fi

if [ "$what" = parts ] || [ "$what" = both ]; then
    echo "Making 200 MP3 parts of 10 s..." >&2
    parts=()
    for i in $(seq 1 200); do
        f=$work/parts/mp3-$i.mp3
        ffmpeg -v error -y -f lavfi -i "sine=frequency=$((200 + 5 * (i % 100))):sample_rate=44100:duration=10" -c:a libmp3lame -q:a 4 "$f"
        parts+=("$f")
    done
    read -r secs disk rss pss < <(measure join -f --chapters -o "$work/mp3book.m4b" "${parts[@]}")
    last=$(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$work/mp3book.m4b" | tail -1)
    echo "200 MP3 parts of 10 s into .m4b: $secs s, last chapter at $last s (target 1990.000), peak TMPDIR $((disk / 1024)) kB, peak memory $((pss / 1024)) MB PSS ($((rss / 1024)) MB RSS)"
fi

if [ "$what" = day ]; then
    echo "Making 60 parts of 30 minutes..." >&2
    for hz in 300 500; do
        ffmpeg -v error -y -f lavfi -i "sine=frequency=$hz:sample_rate=44100:duration=1800" -c:a aac -b:a 64k "$work/tone-$hz.m4a"
    done
    parts=()
    for i in $(seq 1 60); do
        cp "$work/tone-$(( i % 2 ? 300 : 500 )).m4a" "$work/parts/part$(printf %02d "$i").m4a"
        parts+=("$work/parts/part$(printf %02d "$i").m4a")
    done
    read -r secs disk rss pss < <(measure join -f ${DAY_OPTIONS:-} -o "$work/day.m4b" "${parts[@]}")
    samples=$(ffprobe -v error -select_streams a:0 -show_entries stream=duration_ts -of csv=p=0 "$work/day.m4b")
    chapter=$(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$work/day.m4b" | sed -n 60p)
    read -r ended started < <(python3 "$tone_cut" "$work/day.m4b" "$chapter" 300 500)
    read -r refEnded refStarted < <(python3 "$tone_cut" --between "${parts[58]}" "${parts[59]}" 300 500)
    echo "30-hour book, 60 parts into .m4b${DAY_OPTIONS:+ ($DAY_OPTIONS)}: $secs s, peak TMPDIR $((disk / 1024)) kB, peak memory $((pss / 1024)) MB PSS ($((rss / 1024)) MB RSS); $(tail -1 "$work/out.txt")"
    echo "  length $samples samples = $(echo "scale=6; $samples / 44100" | bc) s (the parts: 108000 s, one AAC frame is 0.023 s)"
    echo "  chapter 60 at $chapter s (29:30:00 is 106200 s): tone 300 ends at $ended s, 500 starts at $started s;"
    echo "    parts 59 and 60 laid end to end: $refEnded and $refStarted s from the cut"
    errors=$(ffmpeg -nostdin -v error -i "$work/day.m4b" -f null - 2>&1 | head -3)
    echo "  decode: ${errors:-clean}"
fi
