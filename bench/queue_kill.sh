#!/usr/bin/env bash
# The job queue against a crash: the window runs a queued join of a 30-minute
# book, is killed with SIGKILL in mid-join, and is started again. Prints what
# the queue file said after the kill, whether any tool outlived the window,
# and what the second start made of the job: it must wait and run again from
# its files, sweep the first run's partial output, and end with the whole book.
#
#   bench/queue_kill.sh [BUILD_DIR]
set -euo pipefail

build=${1:-build}
app=$(cd "$build/bin" && pwd)/velmora
[ -x "$app" ] || { echo "no velmora in $build/bin" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-queue-kill.XXXXXX")
trap 'pkill -KILL -f "$work" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen TMPDIR=$work/tmp
mkdir -p "$work/in" "$work/out" "$TMPDIR" "$XDG_DATA_HOME/Velmora"
queue=$XDG_DATA_HOME/Velmora/queue.json

echo "Making a 30-minute part..." >&2
ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=1800" -c:a libmp3lame -q:a 6 "$work/in/part.mp3"
cat > "$queue" <<JSON
{"version": 1, "jobs": [{"name": "book.mp3", "output": "$work/out/book.mp3", "files": ["$work/in/part.mp3"],
  "options": {}, "status": "waiting", "reason": ""}]}
JSON

status() { python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["jobs"][0]["status"])' "$queue" 2>/dev/null ||
           echo unreadable; }
wait_for() { # seconds predicate...
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -lt $deadline ] || return 1; sleep 0.2; done
}
partial_there() { compgen -G "$work/out/.book*velmora-partial*" > /dev/null; }
running() { [ "$(status)" = running ] && partial_there; }
done_() { [ "$(status)" = done ]; }

"$app" > "$work/first.log" 2>&1 &
first=$!
wait_for 60 running || { echo "the job never ran: $(status)" >&2; exit 1; }
sleep 1
kill -KILL "$first"
wait "$first" 2>/dev/null || true
echo "after SIGKILL: queue file says '$(status)'; partial output: $(ls -A "$work/out" | tr '\n' ' ')"
old_partial=$(stat -c %i "$work"/out/.book*velmora-partial*)
sleep 0.5
left=$(pgrep -f "$work/out" | wc -l || true)
echo "tools still running after the window died: $left"

start=$SECONDS
# The queue file as the second start rewrites it, each status once in turn.
seen=$(status)
"$app" > "$work/second.log" 2>&1 &
second=$!
while [ "$(status)" != done ] && [ $((SECONDS - start)) -lt 300 ]; do
    now=$(status)
    [ "$now" = "${seen##* }" ] || seen="$seen $now"
    sleep 0.05
done
seen="$seen $(status)"
echo "second start: the queue file went (as the kill left it) $seen, in $((SECONDS - start)) s"
kill -TERM "$second"; wait "$second" 2>/dev/null || true
echo "output folder: $(ls -A "$work/out" | tr '\n' ' ')"
if [ "$(stat -c %i "$work/out/book.mp3")" = "$old_partial" ]; then
    echo "the book is the first run's partial output"
else
    echo "the first run's partial output was swept; the book was written anew"
fi
echo "book length: $(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/out/book.mp3") s (the part: 1800 s)"
