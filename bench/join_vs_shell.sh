#!/usr/bin/env bash
# Joins twenty 30-second MP3s with `velmora-cli join` and with a plain shell
# script running the very same encoder commands one after another (velmora-cli
# runs the normalisations side by side, when the plan has any; taken from
# `velmora-cli join --dry-run`), alternating their order, and prints the time
# ratio (target: at most 1.03) and the seconds spent per minute of joined audio.
#
#   bench/join_vs_shell.sh [ROUNDS] [BUILD_DIR] [SECONDS]
#
# ROUNDS (default 2) is the number of runs of each; BUILD_DIR defaults to ./build;
# SECONDS (default 30) is the length of each MP3: the probes cost the same per
# file whatever its length, so longer files make their share smaller.
# velmora-cli also probes every input before it joins (and the result after);
# the intake alone is timed with `velmora-cli list` and shown apart, and a third
# script does the whole tool work by hand: the same probe runs (one per core
# at a time, as velmora-cli does), the same encoder commands, and the probe of the result.
# Its ratio is what velmora-cli itself adds; the difference between the first
# two is the probe tool's own cost, mostly its start-up (about 45 ms a run, all
# of it CPU, so on N cores the intake costs at least files * 45 ms / N).
set -euo pipefail

rounds=${1:-2}
build=${2:-build}
cli=$(cd "$build/bin" && pwd)/velmora-cli
creator=$(cd "$build/bin/resources" && pwd)/creator
files=20
seconds=${3:-30}

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
workdir=$(jq -r '.commands[-1] as $c | $c[($c | index("-i")) + 1]' "$work/plan.json" | sed 's|/delete.txt$||')
cp "$workdir/delete.txt" "$work/list.txt"
{
    echo '#!/bin/sh'
    echo 'set -e'
    printf 'rm -rf %q\nmkdir %q\ncp %q %q\n' "$workdir" "$workdir" "$work/list.txt" "$workdir/delete.txt"
    jq -r --arg creator "$creator" '.commands[] | ([$creator] + .) | @sh + " 2>/dev/null"' "$work/plan.json"
} > "$work/join.sh"
chmod +x "$work/join.sh"

# The same tool work as velmora-cli: the probes, the commands, the result's probe.
sniffer=$(cd "$build/bin/resources" && pwd)/sniffer
# The probe tool's arguments as velmora-cli passes them.
probe_args="-v quiet -print_format json -show_format -show_streams -show_chapters -show_error"
{
    echo '#!/bin/sh'
    echo 'set -e'
    printf 'printf "%%s\\0" %s | xargs -0 -P %d -n 1 %q %s > /dev/null\n' \
        "$(printf '%q ' "${inputs[@]}")" "$(nproc)" "$sniffer" "$probe_args"
    printf '%q\n' "$work/join.sh"
    printf '%q %s %q > /dev/null\n' "$sniffer" "$probe_args" "$out_shell"
} > "$work/tools.sh"
chmod +x "$work/tools.sh"

now() { date +%s.%N; }
cli_total=0
shell_total=0
list_total=0
tools_total=0
run_cli() { "$cli" join -o "$out_cli" "${inputs[@]}" > /dev/null; }
run_shell() { "$work/join.sh"; }
run_list() { "$cli" list "${inputs[@]}" > /dev/null; }
run_tools() { "$work/tools.sh"; }
timed() { local t0 t1; t0=$(now); "$@"; t1=$(now); echo "$t1 - $t0" | bc -l; }
for round in $(seq 1 "$rounds"); do
    # Each round reverses the order of the three scripts.
    if [ $((round % 2)) -eq 1 ]; then
        c=$(timed run_cli); s=$(timed run_shell); w=$(timed run_tools)
    else
        w=$(timed run_tools); s=$(timed run_shell); c=$(timed run_cli)
    fi
    l=$(timed run_list)
    cli_total=$(echo "$cli_total + $c" | bc -l)
    shell_total=$(echo "$shell_total + $s" | bc -l)
    list_total=$(echo "$list_total + $l" | bc -l)
    tools_total=$(echo "$tools_total + $w" | bc -l)
    printf 'round %d: velmora-cli %.2f s, shell %.2f s (the intake alone, as velmora-cli list: %.2f s; the same tool work by hand: %.2f s)\n' \
        "$round" "$c" "$s" "$l" "$w"
done

joined=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$out_cli")
shell_joined=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$out_shell")
cmp -s <(ffmpeg -v error -i "$out_cli" -f md5 -) <(ffmpeg -v error -i "$out_shell" -f md5 -) \
    && same="same audio" || same="audio differs"
printf 'joined: %.2f s (shell: %.2f s, %s)\n' "$joined" "$shell_joined" "$same"
printf 'ratio velmora-cli / shell: %.3f (target <= 1.03)\n' "$(echo "$cli_total / $shell_total" | bc -l)"
printf 'ratio without the intake: %.3f\n' "$(echo "($cli_total - $list_total) / $shell_total" | bc -l)"
printf 'ratio velmora-cli / the same tool work by hand (probes included): %.3f\n' "$(echo "$cli_total / $tools_total" | bc -l)"
printf 'velmora-cli: %.2f s per minute of joined audio\n' "$(echo "$cli_total / $rounds / ($joined / 60)" | bc -l)"
