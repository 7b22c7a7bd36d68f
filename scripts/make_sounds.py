#!/usr/bin/env python3
"""Writes the console's two signal sounds to resources/: Sound0.Wav (a cut is taken) and
Sound1.Wav (the count-down warning). Plain sine tones with soft edges, 16-bit mono PCM.
Run from the repository root: python3 scripts/make_sounds.py"""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 22050


def tone(parts, volume=0.5):
    """parts: (frequency in Hz, seconds) in order; 0 Hz is a pause."""
    samples = []
    for freq, secs in parts:
        n = int(RATE * secs)
        edge = max(1, int(RATE * 0.005))
        for i in range(n):
            env = min(1.0, i / edge, (n - 1 - i) / edge)
            v = math.sin(2 * math.pi * freq * i / RATE) if freq else 0.0
            samples.append(int(32767 * volume * env * v))
    return samples


def write(path, samples):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", s) for s in samples))


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path("resources")
    out.mkdir(parents=True, exist_ok=True)
    write(out / "Sound0.Wav", tone([(1320, 0.09), (0, 0.03), (1760, 0.16)]))
    write(out / "Sound1.Wav", tone([(880, 0.08)], volume=0.35))


if __name__ == "__main__":
    main()
