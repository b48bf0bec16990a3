#!/usr/bin/env python3
"""Writes the program's three notification sounds into data/sounds/ as short 16-bit mono WAV
files: a rising pair of tones (a contact arrives), a falling pair (a contact leaves) and a
soft double chime (a new message)."""
import math
import os
import struct
import sys
import wave

RATE = 22050


def tone(freq, ms, volume=0.35):
    count = int(RATE * ms / 1000)
    fade = max(1, int(RATE * 0.01))
    out = []
    for i in range(count):
        env = min(1.0, i / fade, (count - i) / fade)
        out.append(volume * env * math.sin(2 * math.pi * freq * i / RATE))
    return out


def silence(ms):
    return [0.0] * int(RATE * ms / 1000)


def write(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(s * 32767)) for s in samples))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "data", "sounds")
    os.makedirs(target, exist_ok=True)
    write(os.path.join(target, "online.wav"), tone(660, 90) + silence(20) + tone(880, 120))
    write(os.path.join(target, "offline.wav"), tone(880, 90) + silence(20) + tone(587, 140))
    write(os.path.join(target, "message.wav"), tone(1047, 60, 0.25) + silence(40) + tone(1047, 80, 0.2))


if __name__ == "__main__":
    main()
