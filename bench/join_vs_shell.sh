#!/usr/bin/env bash
# Joins twenty 30-second MP3s with `velmora-cli join` and with a plain shell
# script running the very same encoder commands one after another (taken from
# `velmora-cli join --dry-run`), alternating the two, and prints the time
# ratio (target: at most 1.03) and the seconds spent per minute of joined audio.
#
#   bench/join_vs_shell.sh [ROUNDS] [BUILD_DIR]
#
# ROUNDS (default 2) is the number of runs of each; BUILD_DIR defaults to ./build.
# velmora-cli also probes every input before it joins (and the result after);
# the intake alone is timed with `velmora-cli list` and shown apart.
set -euo pipefail

rounds=${1:-2}
build=${2:-build}
cli=$(cd "$build/bin" && pwd)/velmora-cli
creator=$(cd "$build/bin/resources" && pwd)/creator
files=20
seconds=30

[ -x "$cli" ] || { echo "no velmora-cli in $build/bin" >&2; exit 2; }
command -v jq >/dev/null || { echo "jq is needed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR" "$work/media"

echo "Making $files MP3s of $seconds s..." >&2
inputs=()
for i in $(seq 1 "$files"); do
    f=$work/media/track$i.mp3
    ffmpeg -v error -nostdin -y -f lavfi -i "sine=frequency=$((200 + 20 * i)):sample_rate=44100:duration=$seconds" \
        -c:a libmp3lame -b:a 128k "$f"
    inputs+=("$f")
done

out_cli=$work/joined-cli.mp3
out_shell=$work/joined-shell.mp3

# The shell side: the plan's commands, with the output path swapped for its own.
"$cli" join --dry-run -o "$out_shell" "${inputs[@]}" > "$work/plan.json"
workdir=$(jq -r '.commands[-1][7]' "$work/plan.json" | sed 's|/delete.txt$||')
cp "$workdir/delete.txt" "$work/list.txt"
{
    echo '#!/bin/sh'
    echo 'set -e'
    printf 'rm -rf %q\nmkdir %q\ncp %q %q\n' "$workdir" "$workdir" "$work/list.txt" "$workdir/delete.txt"
    jq -r --arg creator "$creator" '.commands[] | ([$creator] + .) | @sh + " 2>/dev/null"' "$work/plan.json"
} > "$work/join.sh"
chmod +x "$work/join.sh"

now() { date +%s.%N; }
cli_total=0
shell_total=0
list_total=0
for round in $(seq 1 "$rounds"); do
    t0=$(now)
    "$cli" join -o "$out_cli" "${inputs[@]}" > /dev/null
    t1=$(now)
    "$work/join.sh"
    t2=$(now)
    "$cli" list "${inputs[@]}" > /dev/null
    t3=$(now)
    c=$(echo "$t1 - $t0" | bc -l)
    s=$(echo "$t2 - $t1" | bc -l)
    l=$(echo "$t3 - $t2" | bc -l)
    cli_total=$(echo "$cli_total + $c" | bc -l)
    shell_total=$(echo "$shell_total + $s" | bc -l)
    list_total=$(echo "$list_total + $l" | bc -l)
    printf 'round %d: velmora-cli %.2f s, shell %.2f s (of which the intake, as velmora-cli list: %.2f s)\n' \
        "$round" "$c" "$s" "$l"
done

joined=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$out_cli")
shell_joined=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$out_shell")
cmp -s <(ffmpeg -v error -i "$out_cli" -f md5 -) <(ffmpeg -v error -i "$out_shell" -f md5 -) \
    && same="same audio" || same="audio differs"
printf 'joined: %.2f s (shell: %.2f s, %s)\n' "$joined" "$shell_joined" "$same"
printf 'ratio velmora-cli / shell: %.3f (target <= 1.03)\n' "$(echo "$cli_total / $shell_total" | bc -l)"
printf 'ratio without the intake: %.3f\n' "$(echo "($cli_total - $list_total) / $shell_total" | bc -l)"
printf 'velmora-cli: %.2f s per minute of joined audio\n' "$(echo "$cli_total / $rounds / ($joined / 60)" | bc -l)"
