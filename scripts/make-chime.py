#!/usr/bin/env python3
"""Synthesizes the reminder's default sound, data/Sound/default.wav.

A soft three-note chime (C6, E6, G6, struck one after another), each note a
sine with a few quiet bell-like overtones, a short attack and an exponential
decay. 22050 Hz, mono, 16-bit PCM, 1.3 seconds. The output is the same on
every run, so the committed file can be checked against this script.

Usage: scripts/make-chime.py [output.wav]
"""

import math
import os
import struct
import sys
import wave

RATE = 22050
LENGTH = 1.3  # seconds
PEAK = 0.55   # of full scale

# (frequency in Hz, start in seconds, loudness)
NOTES = [
    (1046.50, 0.00, 1.00),
    (1318.51, 0.14, 0.85),
    (1567.98, 0.28, 0.80),
]

# (frequency ratio, loudness, decay time in seconds) of each note's partials.
PARTIALS = [
    (1.00, 1.00, 0.42),
    (2.00, 0.22, 0.20),
    (2.76, 0.10, 0.12),
    (4.07, 0.04, 0.07),
]

ATTACK = 0.006   # seconds
FADE_OUT = 0.08  # seconds at the very end


def sample(t):
    value = 0.0
    for frequency, start, loudness in NOTES:
        local = t - start
        if local < 0:
            continue
        attack = min(1.0, local / ATTACK)
        for ratio, weight, decay in PARTIALS:
            value += (loudness * weight * attack * math.exp(-local / decay)
                      * math.sin(2 * math.pi * frequency * ratio * local))
    return value


def main():
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "Sound", "default.wav")
    target = sys.argv[1] if len(sys.argv) > 1 else default

    count = int(RATE * LENGTH)
    values = [sample(i / RATE) for i in range(count)]
    fade = int(RATE * FADE_OUT)
    for i in range(fade):
        values[count - fade + i] *= 1.0 - (i + 1) / fade
    scale = PEAK / max(abs(v) for v in values)

    frames = bytearray()
    for v in values:
        frames += struct.pack("<h", int(round(v * scale * 32767)))

    with wave.open(target, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


if __name__ == "__main__":
    main()
