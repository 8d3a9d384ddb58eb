#!/usr/bin/env python3
"""Where, in a joined file, one part's tone gives way to the next one's.

    bench/tone_cut.py FILE AT OLD_HZ NEW_HZ [AT OLD_HZ NEW_HZ ...]
    bench/tone_cut.py --between PREVIOUS NEXT OLD_HZ NEW_HZ

For each triple, decodes 0.4 s of FILE around AT seconds and prints two
times in seconds, to the 0.1 ms: where the tone OLD_HZ ends and where the
tone NEW_HZ starts. Between them lies whatever the parts hold between their
tones (an encoder's priming or padding, a pause).

With --between, the same two times for the last 0.2 s of the file PREVIOUS
followed, sample for sample, by the first 0.2 s of NEXT, in seconds from
where NEXT starts: what a join that lays NEXT right after PREVIOUS must show
around its chapter.

Each tone is fitted (its level and phase) on 0.1 s where it plays alone:
the first tenth of the span for the old tone, the last for the new one. The
sound is then compared with each fitted tone in blocks of 1 ms: the old tone
lasts as long as the blocks from the start match it (what is left is 10 dB
below the tone's steady level), and the
new tone starts at the first block from which every block matches it. A
lossy encoder's click at the cut, or silence between the tones, matches
neither, so it lies between the two times instead of moving either.
"""
import array
import math
import subprocess
import sys

RATE = 44100
BLOCK = RATE // 1000  # 1 ms
SPAN = 0.4
FIT = int(RATE * 0.1)
MATCH = 0.1  # -10 dB
SETTLE = 30  # blocks (ms)


def decode(path, start):
    raw = subprocess.run(
        ["ffmpeg", "-nostdin", "-v", "error", "-ss", f"{start:.6f}", "-t", f"{SPAN}", "-i", path,
         "-ac", "1", "-ar", str(RATE), "-f", "f32le", "-"],
        check=True, capture_output=True).stdout
    samples = array.array("f")
    samples.frombytes(raw[: len(raw) // 4 * 4])
    return samples


def fitted(samples, hz, first, last):
    """The tone `hz` with the level and phase that best fit samples[first:last],
    over the whole span."""
    w = 2 * math.pi * hz / RATE
    cc = ss = cs = xc = xs = 0.0
    for n in range(first, last):
        c, s = math.cos(w * n), math.sin(w * n)
        cc += c * c
        ss += s * s
        cs += c * s
        xc += samples[n] * c
        xs += samples[n] * s
    det = cc * ss - cs * cs
    a = (xc * ss - xs * cs) / det
    b = (xs * cc - xc * cs) / det
    return [a * math.cos(w * n) + b * math.sin(w * n) for n in range(len(samples))]


def matches(samples, tone):
    """For each block of 1 ms: whether the sound there is the tone, within
    -10 dB of the tone's own steady level."""
    level = sum(t * t for t in tone) / len(tone) * BLOCK
    out = []
    for start in range(0, len(samples) - BLOCK + 1, BLOCK):
        error = sum((samples[n] - tone[n]) ** 2 for n in range(start, start + BLOCK))
        out.append(level > 0 and error < MATCH * level)
    return out


def decode_all(path, seconds=None):
    raw = subprocess.run(
        ["ffmpeg", "-nostdin", "-v", "error", "-i", path] + (["-t", f"{seconds}"] if seconds else []) +
        ["-ac", "1", "-ar", str(RATE), "-f", "f32le", "-"], check=True, capture_output=True).stdout
    samples = array.array("f")
    samples.frombytes(raw[: len(raw) // 4 * 4])
    return samples


def between(previous, following, old_hz, new_hz):
    half = int(RATE * SPAN / 2)
    samples = decode_all(previous)[-half:] + decode_all(following, SPAN / 2)
    ended, started = cut_samples(samples, old_hz, new_hz)
    return (None if ended is None else ended - half / RATE, None if started is None else started - half / RATE)


def cut(path, at, old_hz, new_hz):
    start = max(0.0, at - SPAN / 2)
    ended, started = cut_samples(decode(path, start), old_hz, new_hz)
    return (None if ended is None else start + ended, None if started is None else start + started)


def cut_samples(samples, old_hz, new_hz):
    """Where the old tone ends and the new one starts, in seconds from the first sample."""
    if len(samples) < 2 * FIT + BLOCK:
        return None, None
    old = matches(samples, fitted(samples, old_hz, 0, FIT))
    new = matches(samples, fitted(samples, new_hz, len(samples) - FIT, len(samples)))
    blocks = len(old)
    # the decoder's first milliseconds after the seek are not looked at
    ended = next((i for i in range(SETTLE, blocks) if not old[i]), None)
    started = next((i + 1 for i in reversed(range(blocks)) if not new[i]), 0)
    if ended is None or ended == SETTLE or started >= blocks:
        return None, None
    return ended * BLOCK / RATE, started * BLOCK / RATE


def main(argv):
    if len(argv) == 6 and argv[1] == "--between":
        ended, started = between(argv[2], argv[3], float(argv[4]), float(argv[5]))
        print(" ".join("none" if t is None else f"{t:.4f}" for t in (ended, started)))
        return 0
    if len(argv) < 4 or (len(argv) - 1) % 3 != 1:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    path = argv[1]
    for i in range(2, len(argv), 3):
        ended, started = cut(path, float(argv[i]), float(argv[i + 1]), float(argv[i + 2]))
        print(" ".join("none" if t is None else f"{t:.4f}" for t in (ended, started)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
