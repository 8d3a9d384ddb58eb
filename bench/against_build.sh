#!/usr/bin/env bash
# One join, timed with this build's velmora-cli and with another build's,
# round after round, taking turns, so that a change can be shown to be no
# slower than what came before it. Prints each round's two times, and the
# ratio of the sums and of the medians (below 1: this build is faster).
#
#   bench/against_build.sh OTHER_CLI [ROUNDS] [BUILD_DIR]
#
# The list is twenty 30-s MP3s of mono tones (cheap to encode, so the cost
# around the encode shows) into one .mp3; MATERIAL=music makes them stereo
# noise under a tone at 192 kbit/s instead. Build OTHER_CLI from an older
# commit, for example:
#   git worktree add /tmp/old <commit> && cmake -S /tmp/old -B /tmp/old/build -G Ninja \
#     -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build /tmp/old/build --target velmora-cli
set -euo pipefail

other=${1:?the other build\'s velmora-cli}
rounds=${2:-5}
build=${3:-build}
cli=$(cd "$build/bin" && pwd)/velmora-cli
[ -x "$cli" ] || { echo "no velmora-cli in $build/bin" >&2; exit 2; }
[ -x "$other" ] || { echo "no velmora-cli at $other" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-against.XXXXXX")
trap 'rm -rf "$work"' EXIT

parts=()
for i in $(seq -w 1 20); do
    f=$work/part$i.mp3
    if [ "${MATERIAL:-tones}" = music ]; then
        ffmpeg -v error -y -f lavfi -i "anoisesrc=color=pink:amplitude=0.2:seed=$i:duration=30" \
            -f lavfi -i "sine=frequency=$((200 + 20 * 10#$i)):duration=30" \
            -filter_complex "[0][1]amix=inputs=2,aformat=channel_layouts=stereo" -ar 44100 -c:a libmp3lame -b:a 192k "$f"
    else
        ffmpeg -v error -y -f lavfi -i "sine=frequency=$((200 + 20 * 10#$i)):sample_rate=44100:duration=30" \
            -c:a libmp3lame -q:a 4 "$f"
    fi
    parts+=("$f")
done

time_join() { # cli out
    local start end
    start=$(date +%s.%N)
    "$1" join -f -o "$2" "${parts[@]}" > /dev/null 2> "$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

# one round of each first, unmeasured, so that both find the files cached
time_join "$cli" "$work/warm.mp3" > /dev/null
time_join "$other" "$work/warm.mp3" > /dev/null
ours=() theirs=()
for round in $(seq 1 "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then
        a=$(time_join "$cli" "$work/ours.mp3"); b=$(time_join "$other" "$work/theirs.mp3")
    else
        b=$(time_join "$other" "$work/theirs.mp3"); a=$(time_join "$cli" "$work/ours.mp3")
    fi
    ours+=("$a") theirs+=("$b")
    printf 'round %d: this build %.2f s, the other %.2f s, ratio %.3f\n' "$round" "$a" "$b" "$(echo "$a / $b" | bc -l)"
done
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }
sum() { printf '%s\n' "$@" | awk '{s+=$1} END {print s}'; }
printf 'sums: this build %.2f s, the other %.2f s, ratio %.3f\n' "$(sum "${ours[@]}")" "$(sum "${theirs[@]}")" \
    "$(echo "$(sum "${ours[@]}") / $(sum "${theirs[@]}")" | bc -l)"
printf 'medians: this build %.2f s, the other %.2f s, ratio %.3f\n' "$(median "${ours[@]}")" "$(median "${theirs[@]}")" \
    "$(echo "$(median "${ours[@]}") / $(median "${theirs[@]}")" | bc -l)"
