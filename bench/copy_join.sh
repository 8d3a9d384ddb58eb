#!/usr/bin/env bash
# A copy join against a re-encode: 20 AAC parts of 30 minutes (a 10-hour
# book) into .m4b, by velmora-cli (which copies the parts' packets for
# .m4b) and by one ffmpeg concat-filter command that decodes them and
# encodes the same format, in alternating rounds.
#
#   bench/copy_join.sh [BUILD_DIR]
#
# Prints each round's times, the ratio of the totals (target: at most 3 %),
# and checks Velmora's book: it decodes without a word from ffmpeg, its
# packets last as long as the parts' together within one AAC frame per part,
# and each of its 20 chapters starts within one frame of where its part's
# packets start. One 30-minute part is encoded, the others are stream copies
# of it. PART_MINUTES (default 30) makes the parts shorter for a quick run;
# ROUNDS (default 1) sets the rounds. The reference command takes about 10
# minutes for the full book on a 2-core machine.
set -euo pipefail

build=${1:-build}
cli=$(cd "$build/bin" && pwd)/velmora-cli
[ -x "$cli" ] || { echo "no velmora-cli in $build/bin" >&2; exit 2; }
minutes=${PART_MINUTES:-30}
rounds=${ROUNDS:-1}
parts_count=20

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-copyjoin.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR" "$work/parts"

echo "Making $parts_count AAC parts of $minutes minutes..." >&2
ffmpeg -v error -y -f lavfi -i "sine=frequency=330:sample_rate=44100:duration=$((minutes * 60))" -ac 2 \
    -c:a aac -b:a 64k "$work/one.m4a"
parts=()
for i in $(seq 1 "$parts_count"); do
    ffmpeg -v error -y -i "$work/one.m4a" -map 0:a -c copy -metadata title="Part $i" "$work/parts/part$i.m4a"
    parts+=("$work/parts/part$i.m4a")
done

seconds() { # command...: runs it, prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" > "$work/out.txt" 2> "$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

inputs=()
for part in "${parts[@]}"; do inputs+=(-i "$part"); done
filter=$(for i in $(seq 0 $((parts_count - 1))); do printf '[%d:a]' "$i"; done; echo "concat=n=$parts_count:v=0:a=1")

velmora_total=0
reference_total=0
for round in $(seq 1 "$rounds"); do
    # Alternating which goes first, so neither always meets a cold cache.
    for who in $([ $((round % 2)) -eq 1 ] && echo "velmora reference" || echo "reference velmora"); do
        if [ "$who" = velmora ]; then
            t=$(seconds "$cli" join -f -o "$work/book.m4b" "${parts[@]}")
            grep -q "Joined without re-encoding" "$work/err.txt" || { echo "velmora-cli did not copy:" >&2; cat "$work/err.txt" >&2; exit 1; }
            velmora_total=$(echo "$velmora_total + $t" | bc)
        else
            t=$(seconds ffmpeg -nostdin -v error -y "${inputs[@]}" -filter_complex "$filter" -c:a aac -b:a 64k \
                -f ipod "$work/reference.m4b")
            reference_total=$(echo "$reference_total + $t" | bc)
        fi
        echo "round $round: $who $t s"
    done
done
ratio=$(echo "scale=4; 100 * $velmora_total / $reference_total" | bc)
echo "$((parts_count * minutes / 60)) h $((parts_count * minutes % 60)) min in $parts_count AAC parts into .m4b: velmora-cli (copy) $velmora_total s, ffmpeg concat filter (re-encode) $reference_total s: $ratio % (target <= 3 %)"

# The packets of the first sound stream: "<seconds> <longest packet seconds>",
# summed in the stream's ticks (a sum of rounded seconds drifts by
# milliseconds over a million packets).
packets() {
    ffprobe -v error -select_streams a:0 -show_entries packet=duration:stream=time_base -of default=nw=1 "$1" |
        awk -F= '/^time_base=/ {split($2, t, "/")} /^duration=/ {s += $2; if ($2 > m) m = $2}
                 END {printf "%.6f %.6f\n", s * t[1] / t[2], m * t[1] / t[2]}'
}
read -r part frame < <(packets "${parts[0]}")
read -r held _ < <(packets "$work/book.m4b")
expected=$(echo "$part * $parts_count" | bc)
off=$(echo "$held - $expected" | bc | sed 's/^-//')
ok=$(echo "$off <= $frame * $parts_count" | bc)
echo "duration: $held s of packets, the parts $expected s: off by $off s ($([ "$ok" = 1 ] && echo within || echo NOT within) one frame per part)"
errors=$(ffmpeg -nostdin -v error -i "$work/book.m4b" -map 0:a -f null - 2>&1 | wc -l)
echo "decode: $errors lines from ffmpeg"
worst=0
i=0
while read -r start; do
    want=$(echo "$part * $i" | bc)
    d=$(echo "$start - $want" | bc | sed 's/^-//')
    worst=$(echo "if ($d > $worst) $d else $worst" | bc)
    i=$((i + 1))
done < <(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$work/book.m4b")
echo "chapters: $i, the worst $worst s from its part's start (one frame: $frame s)"
[ "$ok" = 1 ] && [ "$errors" -eq 0 ] && [ "$i" -eq "$parts_count" ] && [ "$(echo "$worst <= $frame" | bc)" = 1 ]
