#!/usr/bin/python3
"""Synthesizes resources/pictorn.wav, the capture sound: a short camera-shutter click.

Two clicks, like a shutter opening and closing: each is a band-passed noise burst with a
fast decay over a small resonant "tick" and a low body thump; the second is softer and a
little brighter. The noise comes from a fixed-seed generator, so the file is the same on
every run. Standard library only.

    /usr/bin/python3 scripts/make_sound.py [output.wav]
"""
import math
import os
import struct
import sys
import wave

RATE = 22050
DURATION = 0.16  # seconds
PEAK = 0.7       # of full scale, so the click is clear without being harsh


class Noise:
    """A small linear congruential generator: white noise in -1..1, reproducible."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x3FFFFFFF - 1.0


def one_pole(cutoff_hz):
    """Coefficient of a one-pole low-pass filter at the cutoff."""
    return 1.0 - math.exp(-2.0 * math.pi * cutoff_hz / RATE)


def click(samples, start_s, gain, decay_s, low_hz, high_hz, tick_hz, seed):
    """Adds one click to the sample list from start_s on."""
    noise = Noise(seed)
    a_low, a_high = one_pole(low_hz), one_pole(high_hz)
    lp_low = lp_high = 0.0
    start = int(start_s * RATE)
    attack = 0.0006
    for i in range(start, len(samples)):
        t = (i - start) / RATE
        env = min(1.0, t / attack) * math.exp(-t / decay_s)
        if env < 1e-4 and t > attack:
            break
        n = noise.next()
        lp_low += a_low * (n - lp_low)
        lp_high += a_high * (n - lp_high)
        band = lp_high - lp_low  # what lies between the two cutoffs
        tick = 0.45 * math.sin(2 * math.pi * tick_hz * t) * math.exp(-t / (decay_s * 1.6))
        body = 0.3 * math.sin(2 * math.pi * 170 * t) * math.exp(-t / (decay_s * 2.5))
        samples[i] += gain * (env * band * 2.2 + tick + body)


def render():
    samples = [0.0] * int(DURATION * RATE)
    click(samples, 0.0, 1.0, 0.007, 700, 6000, 1900, seed=20061206)
    click(samples, 0.085, 0.5, 0.005, 1000, 8000, 2600, seed=113544)
    peak = max(abs(s) for s in samples) or 1.0
    fade = int(0.01 * RATE)
    out = []
    for i, s in enumerate(samples):
        v = s / peak * PEAK
        if i >= len(samples) - fade:
            v *= (len(samples) - i) / fade
        out.append(max(-32767, min(32767, int(round(v * 32767)))))
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "pictorn.wav")
    data = render()
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(data), *data))
    print("%s: %d samples, %.3f s" % (path, len(data), len(data) / RATE))


if __name__ == "__main__":
    main()
