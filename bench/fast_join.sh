#!/usr/bin/env bash
# A long re-encode on every core, next to one ffmpeg concat-filter command
# doing the same decode and encode on one.
#
#   bench/fast_join.sh [long|short|both] [BUILD_DIR]
#
# long: a book of MP3 parts (HOURS, default 3; PART_MINUTES, default 10;
#   mono 44.1 kHz, a chirp under a little noise) into .m4b with chapters,
#   velmora-cli against `ffmpeg -filter_complex concat ... -c:a aac -b:a 192k`
#   (velmora's own AAC settings), in alternating rounds (ROUNDS, default 1).
#   Prints each command's wall time and CPU use ((user + sys) / wall), the
#   ratio of the walls (target: at most 0.65 on 2 cores), the lengths, and
#   around each cut between segments the SNR, shift and dropout of both
#   outputs against the part's own decoded sound (targets: no dropout over
#   1 ms, the SNR within 1 dB of the one-encoder output at that place).
# short: twenty 30-s MP3s into .mp3 (velmora_fidelity speed): no slower than
#   before.
set -euo pipefail

what=${1:-both}
build=${2:-build}
bin=$(cd "$build/bin" && pwd)
cli=$bin/velmora-cli
[ -x "$cli" ] || { echo "no velmora-cli in $build/bin" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-fastjoin.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR" "$work/parts"
TIMEFORMAT='%R %U %S'

# Runs a command; prints "<wall> <cpu/wall>".
timed() {
    local t
    t=$( { time "$@" > "$work/out.txt" 2> "$work/err.txt"; } 2>&1 ) || { cat "$work/err.txt" >&2; exit 1; }
    echo "$t" | awk '{printf "%.1f %.2f\n", $1, ($2 + $3) / $1}'
}

if [ "$what" = long ] || [ "$what" = both ]; then
    hours=${HOURS:-3}
    minutes=${PART_MINUTES:-10}
    count=$((hours * 60 / minutes))
    echo "Making $count MP3 parts of $minutes minutes..." >&2
    ffmpeg -v error -y -f lavfi -i "aevalsrc=0.4*sin(2*PI*(150*mod(t\,1.3)+900*mod(t\,1.3)^2))+0.03*(random(0)-0.5):s=44100:d=$((minutes * 60))" \
        -c:a libmp3lame -q:a 4 "$work/part.mp3"
    parts=()
    for i in $(seq 1 "$count"); do
        cp "$work/part.mp3" "$work/parts/part$(printf %03d "$i").mp3"
        parts+=("$work/parts/part$(printf %03d "$i").mp3")
    done
    inputs=()
    for part in "${parts[@]}"; do inputs+=(-i "$part"); done
    rounds=${ROUNDS:-1}
    for round in $(seq 1 "$rounds"); do
        rm -f "$work/velmora.m4b" "$work/ffmpeg.m4b"
        read -r vw vc < <(timed "$cli" join -o "$work/velmora.m4b" "${parts[@]}")
        read -r fw fc < <(timed ffmpeg -nostdin -v error -y "${inputs[@]}" \
            -filter_complex "concat=n=$count:v=0:a=1" -c:a aac -b:a 192k -f ipod "$work/ffmpeg.m4b")
        echo "round $round: velmora-cli ${vw} s (cpu ${vc}), concat filter ${fw} s (cpu ${fc}), ratio $(echo "scale=2; $vw / $fw" | bc)"
    done
    total=$(ffprobe -v error -select_streams a:0 -show_entries stream=duration_ts -of csv=p=0 "$work/velmora.m4b")
    echo "lengths: velmora-cli $total samples, concat filter $(ffprobe -v error -select_streams a:0 -show_entries stream=duration_ts -of csv=p=0 "$work/ffmpeg.m4b") samples"
    echo "chapters: $(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$work/velmora.m4b" | wc -l)"
    cores=$(nproc)
    cuts=""
    for k in $(seq 1 $((cores - 1))); do
        cuts="$cuts${cuts:+,}$(( total * k / cores / 1024 * 1024 ))"
    done
    [ -n "$cuts" ] && "$bin/velmora_fidelity" cuts --part "$work/part.mp3" --at "$cuts" "$work/velmora.m4b" "$work/ffmpeg.m4b"
fi

if [ "$what" = short ] || [ "$what" = both ]; then
    "$bin/velmora_fidelity" speed --cli "$cli" --rounds "${ROUNDS:-2}"
fi
