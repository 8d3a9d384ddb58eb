#!/usr/bin/env python3
"""What a copy join leaves at each join, measured on the decoded sound.

    bench/copy_join_points.py [BUILD_DIR]

For AAC (.m4a into .m4b), MP3, Opus and FLAC: a steady 441-Hz tone of 6 s is
cut sample-exactly into three 2-s parts, each encoded on its own, and joined
with `velmora-cli join --copy`. The result is decoded, its level measured
over one period of the tone every millisecond, and for 150 ms either side of
each join this prints how many milliseconds are silent (below 1 % of the
steady level) and how many are off the steady level by more than 1 dB, with
how much longer than the source each part comes out (its encoder's delay and
padding). FLAC is always encoded again, so it shows what a gapless join gives.
"""
import array
import math
import os
import subprocess
import sys
import tempfile

CASES = [
    ("AAC 128k .m4a into .m4b", ["-c:a", "aac", "-b:a", "128k"], "m4a", "m4b", 44100),
    ("MP3 -q:a 2 into .mp3", ["-c:a", "libmp3lame", "-q:a", "2"], "mp3", "mp3", 44100),
    ("Opus 96k into .opus", ["-c:a", "libopus", "-b:a", "96k"], "opus", "opus", 48000),
    ("FLAC into .flac", ["-c:a", "flac"], "flac", "flac", 44100),
]
TONE_HZ = 441
PART_SECONDS = 2
PARTS = 3


def run(*arguments):
    return subprocess.run(arguments, check=True, capture_output=True, text=True)


def decoded(path, rate):
    """The first sound stream, mono, as floats."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1", "-ar", str(rate),
                          "-f", "f32le", "-"], check=True, capture_output=True).stdout
    samples = array.array("f")
    samples.frombytes(raw)
    return samples


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    cli = os.path.join(build, "bin", "velmora-cli")
    with tempfile.TemporaryDirectory(prefix="velmora-joinpoints.") as work:
        for name, codec, ext, out_ext, rate in CASES:
            source = os.path.join(work, f"source-{ext}.wav")
            run("ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                f"sine=f={TONE_HZ}:r={rate}:d={PART_SECONDS * PARTS}", "-c:a", "pcm_s16le", source)
            parts = []
            for i in range(PARTS):
                part = os.path.join(work, f"part{i}.{ext}")
                first, last = i * PART_SECONDS * rate, (i + 1) * PART_SECONDS * rate
                run("ffmpeg", "-v", "error", "-y", "-i", source, "-af",
                    f"atrim=start_sample={first}:end_sample={last},asetpts=PTS-STARTPTS", *codec, part)
                parts.append(part)
            out = os.path.join(work, f"joined.{out_ext}")
            copied = "Joined without re-encoding" in run(cli, "join", "--copy", "-f", "-o", out, *parts).stderr
            x = decoded(out, rate)
            period, step = round(rate / TONE_HZ), rate // 1000
            level = [math.sqrt(sum(v * v for v in x[k:k + period]) / period)
                     for k in range(0, len(x) - period, step)]
            steady = sorted(level)[len(level) // 2]
            total_ms = len(x) * 1000 / rate
            joins = []
            for j in range(1, PARTS):
                # Where the join lies, with what the parts before it added.
                at = round(j * PART_SECONDS * 1000 * total_ms / (PART_SECONDS * PARTS * 1000))
                window = level[max(0, at - 150):at + 150]
                silent = sum(1 for v in window if v < steady * 0.01)
                off = sum(1 for v in window if abs(20 * math.log10(max(v, 1e-9) / steady)) > 1.0)
                joins.append(f"join {j}: {silent} ms silent, {off} ms off by more than 1 dB")
            added = (total_ms - PART_SECONDS * PARTS * 1000) / PARTS
            print(f"{name} ({'copied' if copied else 'encoded again'}): {total_ms:.1f} ms decoded, "
                  f"{added:+.1f} ms per part; " + "; ".join(joins))


if __name__ == "__main__":
    main()
