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
# "<seconds> <peak tmp bytes> <peak rss kB>".
measure() {
    # ps finding no child is no error here.
    set +e +o pipefail
    local start end peakDisk=0 peakRss=0 pid disk rss
    start=$(date +%s.%N)
    "$cli" "$@" > "$work/out.txt" 2> "$work/err.txt" &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        disk=$(du -sb "$TMPDIR" 2>/dev/null | cut -f1)
        rss=$(ps -o rss= --pid "$pid" --ppid "$pid" 2>/dev/null | awk '{s+=$1} END {print s+0}')
        # grandchildren too (a tool started through a shell)
        for child in $(pgrep -P "$pid" 2>/dev/null); do
            rss=$((rss + $(ps -o rss= --ppid "$child" 2>/dev/null | awk '{s+=$1} END {print s+0}')))
        done
        if [ "${disk:-0}" -gt "$peakDisk" ]; then peakDisk=$disk; fi
        if [ "${rss:-0}" -gt "$peakRss" ]; then peakRss=$rss; fi
        sleep 0.2
    done
    wait "$pid" || { cat "$work/err.txt" >&2; exit 1; }
    end=$(date +%s.%N)
    echo "$(echo "$end - $start" | bc) $peakDisk $peakRss"
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

# Where the sound changes to tone `hz` near `at` seconds: the first 2-ms step
# from at-0.1 s whose band around hz is louder than the band around the tone
# before it (a band alone is not enough: the tones of neighbouring parts lie
# 40 Hz apart, and the one before leaks through the next one's band). It
# lags the cut by the click a lossy encoder makes of it, 15 ms on these tones
# (their decoded cycles change at the chapter itself).
tone_start() { # file at hz previous-hz
    band_levels() { # file from hz: the level of the band around hz, block by block of 2 ms
        ffmpeg -nostdin -v info -ss "$2" -t 0.4 -i "$1" -af "asetnsamples=n=88,bandpass=f=$3:width_type=q:w=2,astats=metadata=1:reset=1,ametadata=print:key=lavfi.astats.Overall.RMS_level" -f null - 2>&1 |
            awk '/pts_time/ {split($0, a, "pts_time:"); t=a[2]} /RMS_level/ {split($0, b, "="); print t, b[2]}'
    }
    # The filters settle over the first 0.2 s read, which are not looked at.
    local from
    from=$(echo "$2 - 0.3" | bc)
    paste -d' ' <(band_levels "$1" "$from" "$3") <(band_levels "$1" "$from" "$4") |
        awk -v from="$from" -v first=-1 '$1 >= 0.2 && $2 != "-inf" && ($4 == "-inf" || $2 > $4) && first < 0 {first=$1} END {printf "%.3f\n", (first < 0 ? 99 : first + from)}'
}

if [ "$what" = hours ] || [ "$what" = both ]; then
    minutes=${PART_MINUTES:-30}
    echo "Making 20 parts of $minutes minutes..." >&2
    parts=()
    for i in $(seq 1 20); do
        make_part "$work/parts/part$i.m4a" $((200 + 40 * i)) "$minutes" -c:a aac -b:a 64k
        parts+=("$work/parts/part$i.m4a")
    done
    read -r secs disk rss < <(measure join -f --chapters --no-copy -o "$work/book.m4b" "${parts[@]}")
    echo "$((minutes / 3))-hour book, 20 parts into .m4b: $secs s, peak TMPDIR $((disk / 1024)) kB, peak memory $((rss / 1024)) MB"
    worst=0
    i=0
    while read -r start; do
        i=$((i + 1))
        [ "$i" -eq 1 ] && continue
        heard=$(tone_start "$work/book.m4b" "$start" $((200 + 40 * i)) $((160 + 40 * i)))
        off=$(echo "($heard - $start) * 1000" | bc | sed 's/^-//')
        echo "  chapter $i at $start s, its tone from $heard s"
        worst=$(echo "if ($off > $worst) $off else $worst" | bc)
    done < <(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$work/book.m4b")
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
    read -r secs disk rss < <(measure join -f --chapters -o "$work/mp3book.m4b" "${parts[@]}")
    last=$(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$work/mp3book.m4b" | tail -1)
    echo "200 MP3 parts of 10 s into .m4b: $secs s, last chapter at $last s (target 1990.000), peak TMPDIR $((disk / 1024)) kB, peak memory $((rss / 1024)) MB"
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
    read -r secs disk rss < <(measure join -f ${DAY_OPTIONS:-} -o "$work/day.m4b" "${parts[@]}")
    samples=$(ffprobe -v error -select_streams a:0 -show_entries stream=duration_ts -of csv=p=0 "$work/day.m4b")
    chapter=$(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$work/day.m4b" | sed -n 60p)
    heard=$(tone_start "$work/day.m4b" "$chapter" 500 300)
    echo "30-hour book, 60 parts into .m4b${DAY_OPTIONS:+ ($DAY_OPTIONS)}: $secs s, peak TMPDIR $((disk / 1024)) kB, peak memory $((rss / 1024)) MB; $(tail -1 "$work/out.txt")"
    echo "  length $samples samples = $(echo "scale=6; $samples / 44100" | bc) s (the parts: 108000 s, one AAC frame is 0.023 s)"
    echo "  chapter 60 at $chapter s (29:30:00 is 106200 s), its tone from $heard s"
    errors=$(ffmpeg -nostdin -v error -i "$work/day.m4b" -f null - 2>&1 | head -3)
    echo "  decode: ${errors:-clean}"
fi
