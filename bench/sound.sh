#!/usr/bin/env bash
# Loudness, pauses and trimmed silence, measured on decoded output.
#
#   bench/sound.sh [BUILD_DIR [SECTION...]]
#
# SECTION is loudness, gap, trim or speed; all of them when none is named.
# loudness: three parts of pink noise at -30, -14 and -22 LUFS joined into
#   .mp3 with --loudness parts (target: every part within 0.5 LU of -18 LUFS,
#   the output's true peak at most -1 dBTP), then with --loudness whole
#   (target: the differences between the parts kept within 0.5 LU, the whole
#   file within 0.5 LU of -18 LUFS unless the peak ceiling stops it).
# gap: --gap 2 into .flac (target: 2.000 s of digital silence, +-1 sample,
#   at each join; chapters within one frame of each part's first sample).
# trim: a part with 3 s of silence around its tone, --trim-silence into
#   .flac (target: 0.25 s, +-20 ms, of silence left at each edge).
# speed: a list of PARTS parts of PART_MINUTES minutes (default 6 x 5 min)
#   joined into .mp3 with and without --loudness parts (target: measuring
#   adds at most 15 %).
set -euo pipefail

build=${1:-build}
cli=$(cd "$build/bin" && pwd)/velmora-cli
[ -x "$cli" ] || { echo "no velmora-cli in $build/bin" >&2; exit 2; }
sections=" ${*:2} "
parts=${PARTS:-6}
minutes=${PART_MINUTES:-5}

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-sound.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# "I TP" of a file, or of SECONDS of it from START.
loudness() {
    local file=$1 start=${2:-0} seconds=${3:-100000}
    ffmpeg -nostdin -hide_banner -nostats -ss "$start" -t "$seconds" -i "$file" -af ebur128=peak=true -f null - 2>&1 |
        awk '/Summary:/ {s=1} s && $1=="I:" {i=$2} s && $1=="Peak:" {p=$2} END {print i, p}'
}

# Chapter starts, one a line.
chapters() {
    ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$1"
}

# Pink noise of SECONDS at LUFS, as FLAC.
noise() {
    local name=$1 lufs=$2 seconds=$3 measured
    ffmpeg -nostdin -v error -y -f lavfi -i "anoisesrc=c=pink:a=0.1:d=$seconds:seed=$RANDOM,aformat=channel_layouts=stereo" \
        -c:a flac "$name.raw.flac"
    measured=$(loudness "$name.raw.flac" | cut -d' ' -f1)
    ffmpeg -nostdin -v error -y -i "$name.raw.flac" -af "volume=$(echo "$lufs - $measured" | bc -l)dB" -c:a flac "$name.flac"
}

# A + B, as ffmpeg reads a time.
plus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", a + b }'; }

# Whether SECTION is to run.
wanted() { [ "$sections" = "  " ] || [[ $sections == *" $1 "* ]]; }

within() { echo "$1" | awk -v lo="$2" -v hi="$3" '{ print ($1 >= lo && $1 <= hi) ? "ok" : "MISSED" }'; }

if wanted loudness; then
    echo "== loudness"
    noise quiet -30 20
    noise loud -14 20
    noise middle -22 20
    for part in quiet loud middle; do echo "  $part.flac: $(loudness $part.flac) (I LUFS, true peak dBTP)"; done
    "$cli" join --chapters --loudness parts -o parts.mp3 quiet.flac loud.flac middle.flac 2> parts.err > /dev/null
    mapfile -t starts < <(chapters parts.mp3)
    for i in 0 1 2; do
        read -r i_ p_ < <(loudness parts.mp3 "$(plus "${starts[$i]}" 0.1)" 19.8)
        echo "  parts: part $((i + 1)) $i_ LUFS ($(within "$i_" -18.5 -17.5)), true peak $p_ dBTP"
    done
    read -r _ peak < <(loudness parts.mp3)
    echo "  parts: output true peak $peak dBTP ($(within "$peak" -100 -1.0))"
    sed 's/^/  /' parts.err

    "$cli" join --chapters --loudness whole -o whole.mp3 quiet.flac loud.flac middle.flac 2> whole.err > /dev/null
    mapfile -t starts < <(chapters whole.mp3)
    declare -a before after
    for i in 0 1 2; do
        name=$(echo quiet loud middle | cut -d' ' -f$((i + 1)))
        before[$i]=$(loudness "$name.flac" | cut -d' ' -f1)
        after[$i]=$(loudness whole.mp3 "$(plus "${starts[$i]}" 0.1)" 19.8 | cut -d' ' -f1)
    done
    for i in 1 2; do
        d=$(echo "(${after[$i]} - ${after[0]}) - (${before[$i]} - ${before[0]})" | bc -l)
        echo "  whole: part $((i + 1)) against part 1 moved by $d LU ($(within "$d" -0.5 0.5))"
    done
    read -r whole peak < <(loudness whole.mp3)
    echo "  whole: the file $whole LUFS ($(within "$whole" -18.5 -17.5)), true peak $peak dBTP"
    sed 's/^/  /' whole.err
fi

if wanted gap; then
    echo "== gap"
    for i in 1 2 3; do
        ffmpeg -nostdin -v error -y -f lavfi -i "sine=f=$((300 * i)):d=$((i + 2)).37:r=44100,aformat=channel_layouts=stereo" -c:a flac "tone$i.flac"
    done
    "$cli" join --chapters --gap 2 -o gap.flac tone1.flac tone2.flac tone3.flac > /dev/null
    # Runs of at least 0.5 s where both channels are exactly 0 (a tone's own
    # first sample is 0 too: that one is the part's, not the pause's).
    ffmpeg -nostdin -v error -i gap.flac -f s16le -ac 2 - | od -An -v -td2 -w4 |
        awk '$1 == 0 && $2 == 0 { run++; next }
             { if (run >= 22050) printf "  gap: %d samples of digital silence (%s)\n", run, (run >= 88199 && run <= 88201) ? "ok" : "MISSED"; run = 0 }'

    expected=(0 "$(echo "3.37 + 2" | bc -l)" "$(echo "3.37 + 2 + 4.37 + 2" | bc -l)")
    mapfile -t starts < <(chapters gap.flac)
    for i in 0 1 2; do
        d=$(echo "(${starts[$i]} - ${expected[$i]}) * 1000" | bc -l)
        echo "  gap: chapter $((i + 1)) at ${starts[$i]} s, $d ms from the part's first sample ($(within "$d" -1 1))"
    done
fi

if wanted trim; then
    echo "== trim"
    ffmpeg -nostdin -v error -y -f lavfi -i "sine=f=440:d=4:r=44100,adelay=3000|3000,apad=pad_dur=3,aformat=channel_layouts=stereo" \
        -c:a flac padded.flac
    "$cli" join --trim-silence -o trim.flac padded.flac padded.flac > /dev/null
    ffmpeg -nostdin -hide_banner -nostats -i trim.flac -af silencedetect=noise=-50dB:d=0.1 -f null - 2>&1 |
        awk '/silence_duration/ { printf "  trim: %.4f s of silence (each edge 0.25 s, between the parts 0.5 s)\n", $NF }'
    echo "  trim: output $(ffprobe -v error -show_entries format=duration -of csv=p=0 trim.flac) s (2 x 4.5 s)"
fi

if wanted speed; then
    echo "== speed ($parts parts of $minutes min)"
    list=()
    for i in $(seq 1 "$parts"); do
        ffmpeg -nostdin -v error -y -f lavfi -i "anoisesrc=c=pink:a=0.0$((i + 1)):d=$((minutes * 60)),aformat=channel_layouts=mono" \
            -ar 44100 -c:a libmp3lame -b:a 64k "book$i.mp3"
        list+=("book$i.mp3")
    done
    # "wall user system" seconds of a join, its children's CPU time included.
    timed() {
        local TIMEFORMAT='%R %U %S'
        { time "$cli" join -f "$@" > /dev/null 2>&1; } 2>&1
    }
    percent() { echo "($2 / $1 - 1) * 100" | bc -l | xargs printf '%+.1f'; }
    read -r plain plainUser plainSystem < <(timed -o plain.mp3 "${list[@]}")
    read -r measured measuredUser measuredSystem < <(timed --loudness parts -o even.mp3 "${list[@]}")
    plainCpu=$(echo "$plainUser + $plainSystem" | bc -l)
    measuredCpu=$(echo "$measuredUser + $measuredSystem" | bc -l)
    echo "  speed: plain join $plain s, with --loudness parts $measured s: $(percent "$plain" "$measured") % (target <= 15 %)"
    echo "  speed: CPU $plainCpu s -> $measuredCpu s: $(percent "$plainCpu" "$measuredCpu") %; load $(cut -d' ' -f1 /proc/loadavg)"
fi
