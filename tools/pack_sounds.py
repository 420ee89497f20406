#!/usr/bin/python3
"""Synthesises the classic pack's sounds: the game effects (mono WAV) and the looping level
music (stereo, encoded as Ogg Vorbis through oggenc), into
resources/data/packs/classic/sounds/.

It builds on the oscillators, noise, filters and envelopes of make_sounds.py (imported, not
copied) and adds a two-pole resonator, an FM bell, a plucked string, a formant voice and a
small step sequencer. Only the Python standard library is needed, plus vorbis-tools' oggenc.
Every random choice is seeded and oggenc gets a fixed serial, so a re-run writes the same files.

    tools/pack_sounds.py [sounds folder [music name ...]]

The sounds go to the sounds folder (the pack's "sounds/" by default) and sounds.xml next to
it; naming music tracks re-encodes only those (the effects and sounds.xml are always written).
"""
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ left in tools/
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_sounds as ms  # noqa: E402  (shared building blocks)
from make_sounds import (RATE, TAU, seconds, note_hz, envelope, exp_decay, osc, noise,  # noqa: E402
                         lowpass, highpass, bandpass, mul, scale, mix_into, normalise,
                         fade_edges, write_wav, dc_block, centred, start_at_quiet_point, MUSIC_RMS)

EFFECT_PEAK = 0.5          # -6 dBFS: many effects at once stay clear of clipping
MUSIC_CEILING = 0.75       # about -2.5 dBFS: room for the encoder's overshoot
OGG_QUALITY = "2"


# ---------------------------------------------------------------------------
# More building blocks (plain lists of floats, like make_sounds')


def zeros(n):
    return [0.0] * n


def add(*signals, gains=None):
    n = max(len(s) for s in signals)
    out = zeros(n)
    for k, s in enumerate(signals):
        g = 1.0 if gains is None else gains[k]
        for i, v in enumerate(s):
            out[i] += g * v
    return out


def resonator(signal, freq, q, freq_to=None):
    """Two-pole band-pass (constant peak gain). The centre glides exponentially to `freq_to`,
    or follows `freq(i)` when `freq` is a function of the sample index."""
    out = zeros(len(signal))
    x1 = x2 = y1 = y2 = 0.0
    n = len(signal)
    for i, x in enumerate(signal):
        if callable(freq):
            f = freq(i)
        else:
            f = freq if freq_to is None else freq * (freq_to / freq) ** (i / n)
        w = TAU * min(f, RATE * 0.45) / RATE
        alpha = math.sin(w) / (2.0 * q)
        a0 = 1.0 + alpha
        b0 = alpha / a0
        a1 = -2.0 * math.cos(w) / a0
        a2 = (1.0 - alpha) / a0
        y = b0 * x - b0 * x2 - a1 * y1 - a2 * y2
        x2, x1 = x1, x
        y2, y1 = y1, y
        out[i] = y
    return out


def lowpass_curve(signal, cutoff_at):
    """One-pole low-pass whose cut-off is `cutoff_at(i)` at sample i."""
    out = zeros(len(signal))
    y = 0.0
    for i, x in enumerate(signal):
        y += (1.0 - math.exp(-TAU * cutoff_at(i) / RATE)) * (x - y)
        out[i] = y
    return out


def osc_curve(length, freq_at, shape="sine", phase=0.0):
    """An oscillator whose frequency is `freq_at(i)` at sample i."""
    out = zeros(length)
    p = phase
    for i in range(length):
        p += freq_at(i) / RATE
        p -= math.floor(p)
        if shape == "sine":
            out[i] = math.sin(TAU * p)
        elif shape == "tri":
            out[i] = 4.0 * abs(p - 0.5) - 1.0
        elif shape == "saw":
            out[i] = 2.0 * p - 1.0
        else:
            out[i] = 1.0 if p < 0.5 else -1.0
    return out


def fm_bell(length, freq, ratio=1.4, index=3.0, half_life=0.15):
    """A bell: a sine whose phase is moved by a second sine; the brightness dies away."""
    out = zeros(length)
    k = math.log(2.0) / max(1.0, seconds(half_life))
    kb = k * 1.8
    for i in range(length):
        t = i / RATE
        mod = index * math.exp(-kb * i) * math.sin(TAU * freq * ratio * t)
        out[i] = math.sin(TAU * freq * t + mod) * math.exp(-k * i)
    return out


def pluck(length, freq, rng, brightness=0.5):
    """A plucked string (Karplus-Strong): a burst of noise round a damped delay line."""
    period = max(2, int(round(RATE / freq)))
    line = lowpass(noise(period, rng), 1000.0 + 9000.0 * brightness)
    out = zeros(length)
    damp = 0.996
    for i in range(length):
        j = i % period
        v = line[j]
        out[i] = v
        line[j] = damp * 0.5 * (v + line[(j + 1) % period])
    return out


def crackle(length, rng, count, spread, click_len=0.004):
    """`count` tiny bright clicks scattered over the first `spread` seconds."""
    out = zeros(length)
    n = seconds(click_len)
    for _ in range(count):
        at = rng.randrange(0, max(1, seconds(spread)))
        click = mul(highpass(noise(n, rng), 2000.0), exp_decay(n, click_len / 4.0))
        mix_into(out, click, at, rng.uniform(0.4, 1.0))
    return out


def shards(length, rng, count, spread, low, high, half_life=0.02):
    """Short glassy tings of random pitch scattered over the first `spread` seconds."""
    out = zeros(length)
    for _ in range(count):
        at = rng.randrange(0, max(1, seconds(spread)))
        n = seconds(half_life * 5)
        f = rng.uniform(low, high)
        ting = add(osc(n, f), osc(n, f * 2.71), gains=[1.0, 0.4])
        mix_into(out, mul(ting, exp_decay(n, half_life)), at, rng.uniform(0.3, 1.0))
    return out


def soft_clip(signal, drive):
    top = math.tanh(drive)
    return [math.tanh(drive * v) / top for v in signal]


def finish(signal):
    """Every effect ends the same way: no offset, faded edges, normalised to full scale (the
    peak is applied when written)."""
    return fade_edges(normalise(dc_block(signal), 1.0))


# ---------------------------------------------------------------------------
# Ball hits


def hit_paddle(rng):
    n = seconds(0.16)
    body = mul(osc(n, 520.0, "sine", sweep_to=430.0), exp_decay(n, 0.03))
    over = mul(osc(n, 1040.0, "tri", sweep_to=860.0), exp_decay(n, 0.012))
    thump = mul(osc(n, 160.0, "sine", sweep_to=90.0), exp_decay(n, 0.02))
    click = mul(lowpass(noise(n, rng), 4000.0), exp_decay(n, 0.002))
    return finish(add(body, over, thump, click, gains=[1.0, 0.3, 0.6, 0.3]))


def hit_wall(rng):
    n = seconds(0.09)
    tick = mul(osc(n, 1650.0, "sine", sweep_to=1400.0), exp_decay(n, 0.01))
    puff = mul(bandpass(noise(n, rng), 1800.0, 6500.0), exp_decay(n, 0.005))
    knock = mul(osc(n, 330.0, "tri"), exp_decay(n, 0.012))
    return finish(add(tick, puff, knock, gains=[0.7, 0.8, 0.5]))


def hit_brick(midi):
    def make(rng):
        n = seconds(0.2)
        f = note_hz(midi)
        # Wood-like partials: the fundamental and a stretched overtone.
        tone = add(osc(n, f), osc(n, f * 2.76), osc(n, f * 5.4), gains=[1.0, 0.45, 0.15])
        tone = mul(tone, exp_decay(n, 0.035))
        click = mul(bandpass(noise(n, rng), 1500.0, 7000.0), exp_decay(n, 0.003))
        return finish(add(tone, click, gains=[1.0, 0.5]))
    return make


def hit_metal(rng):
    n = seconds(0.45)
    out = zeros(n)
    base = 620.0
    for ratio, gain, life in ((1.0, 1.0, 0.09), (2.32, 0.6, 0.07), (4.25, 0.4, 0.05),
                              (6.63, 0.25, 0.03), (1.51, 0.3, 0.12)):
        mix_into(out, mul(osc(n, base * ratio, phase=rng.random()), exp_decay(n, life)), 0, gain)
    click = mul(highpass(noise(n, rng), 3000.0), exp_decay(n, 0.004))
    return finish(add(out, click, gains=[1.0, 0.6]))


# ---------------------------------------------------------------------------
# Bricks


def brick_break(rng):
    n = seconds(0.4)
    burst = mul(bandpass(noise(n, rng), 700.0, 6000.0), envelope(n, 0.002, 0.16))
    glass = shards(n, rng, 12, 0.12, 2500.0, 5200.0, 0.015)
    thud = mul(osc(n, 210.0, "sine", sweep_to=80.0), exp_decay(n, 0.03))
    crumble = mul(lowpass(crackle(n, rng, 30, 0.25), 5000.0), envelope(n, 0.01, 0.3))
    return finish(add(burst, glass, thud, crumble, gains=[0.9, 0.5, 0.8, 0.6]))


def brick_crack(rng):
    n = seconds(0.26)
    cracks = crackle(n, rng, 9, 0.06, 0.006)
    knock = mul(osc(n, 260.0, "tri", sweep_to=190.0), exp_decay(n, 0.025))
    creak = mul(resonator(noise(n, rng), 900.0, 6.0, freq_to=600.0), envelope(n, 0.01, 0.2))
    return finish(add(cracks, knock, creak, gains=[1.0, 0.7, 0.8]))


def explosion(rng):
    n = seconds(0.58)
    roar = lowpass(noise(n, rng), 3500.0, cutoff_to=140.0)
    roar = mul(roar, envelope(n, 0.004, 0.56))
    boom = mul(osc(n, 95.0, "sine", sweep_to=32.0), exp_decay(n, 0.12))
    debris = mul(crackle(n, rng, 40, 0.35, 0.005), envelope(n, 0.02, 0.45))
    out = add(normalise(roar, 1.0), boom, debris, gains=[1.0, 0.9, 0.35])
    return finish(soft_clip(normalise(out, 1.0), 1.8))


def ice_freeze(rng):
    n = seconds(0.5)
    hiss = mul(bandpass(noise(n, rng), 3000.0, 11000.0), envelope(n, 0.08, 0.4))
    out = scale(hiss, 0.4)
    for k, midi in enumerate((96, 100, 103, 108, 105)):
        at = seconds(0.03 + 0.05 * k)
        m = n - at
        tone = mul(fm_bell(m, note_hz(midi), ratio=3.5, index=1.2, half_life=0.08),
                   envelope(m, 0.002, 0.0, 1.0, 0.05))
        mix_into(out, tone, at, 0.35)
    crunch = mul(crackle(n, rng, 14, 0.08, 0.003), exp_decay(n, 0.05))
    return finish(add(out, crunch, gains=[1.0, 0.5]))


def ice_break(rng):
    n = seconds(0.5)
    glass = shards(n, rng, 28, 0.2, 2200.0, 7000.0, 0.02)
    burst = mul(highpass(noise(n, rng), 2500.0), envelope(n, 0.002, 0.25))
    thud = mul(osc(n, 240.0, "sine", sweep_to=120.0), exp_decay(n, 0.025))
    return finish(add(glass, burst, thud, gains=[1.0, 0.5, 0.5]))


def fire_burn(rng):
    n = seconds(0.55)
    # Whoomph: noise whose filter opens then closes, over a slow swell.
    half = n // 2
    cutoff = lambda i: 250.0 * 12.0 ** (i / half) if i < half else 3000.0 * (400.0 / 3000.0) ** ((i - half) / (n - half))
    body = mul(lowpass_curve(noise(n, rng), cutoff), envelope(n, 0.06, 0.45, 0.0, 0.04))
    pops = mul(crackle(n, rng, 25, 0.5, 0.003), envelope(n, 0.05, 0.3, 0.5, 0.1))
    rumble = mul(osc(n, 70.0, "sine", sweep_to=55.0), envelope(n, 0.05, 0.45))
    return finish(add(normalise(body, 1.0), pops, rumble, gains=[1.0, 0.5, 0.3]))


def shock_zap(rng):
    n = seconds(0.4)
    # A buzz whose pitch jumps at random every 12 ms: an arc.
    hold = seconds(0.012)
    pitches = [rng.uniform(70.0, 160.0) for _ in range(n // hold + 1)]
    buzz = osc_curve(n, lambda i: pitches[i // hold], "saw")
    ring = osc_curve(n, lambda i: pitches[i // hold] * 7.3, "square")
    flutter = [0.4 + 0.6 * (1.0 if rng.random() < 0.7 else 0.0) for _ in range(n // hold + 1)]
    gate = lowpass([flutter[i // hold] for i in range(n)], 300.0)
    arc = highpass(add(buzz, ring, gains=[1.0, 0.35]), 200.0)
    snap = mul(highpass(noise(n, rng), 4000.0), exp_decay(n, 0.01))
    out = add(mul(mul(arc, gate), envelope(n, 0.003, 0.38)), snap, gains=[1.0, 0.8])
    return finish(soft_clip(normalise(out, 1.0), 1.5))


def key_unlock(rng):
    n = seconds(0.42)
    out = zeros(n)
    for at, f in ((0.0, 2400.0), (0.06, 1900.0)):
        m = seconds(0.05)
        clk = add(mul(highpass(noise(m, rng), 2500.0), exp_decay(m, 0.004)),
                  mul(osc(m, f), exp_decay(m, 0.008)), gains=[0.8, 0.6])
        mix_into(out, clk, seconds(at))
    at = seconds(0.12)
    chime = fm_bell(n - at, note_hz(88), ratio=2.0, index=1.0, half_life=0.09)
    chime = add(chime, fm_bell(n - at, note_hz(95), ratio=2.0, index=0.8, half_life=0.08), gains=[1.0, 0.6])
    mix_into(out, chime, at, 0.6)
    return finish(out)


# ---------------------------------------------------------------------------
# Nains


VOWELS = {"a": (800.0, 1200.0), "e": (500.0, 1900.0), "i": (320.0, 2300.0),
          "o": (500.0, 900.0), "u": (350.0, 800.0)}


def syllable(length, pitch_from, pitch_to, vowel_from, vowel_to):
    """A squeaky voice syllable: a buzzing pulse through two formants that glide."""
    buzz = osc(length, pitch_from, "saw", sweep_to=pitch_to)
    (f1a, f2a), (f1b, f2b) = VOWELS[vowel_from], VOWELS[vowel_to]
    # Formants raised by a fifth: a small creature.
    up = 1.5
    v = add(resonator(buzz, f1a * up, 5.0, freq_to=f1b * up),
            resonator(buzz, f2a * up, 8.0, freq_to=f2b * up), gains=[1.0, 0.7])
    return mul(v, envelope(length, 0.012, 0.02, 0.8, 0.03))


def babble(parts):
    """`parts`: (start, length, pitch from, pitch to, vowel from, vowel to) in seconds/Hz."""
    def make(rng):
        n = seconds(max(s + l for s, l, *_ in parts) + 0.02)
        out = zeros(n)
        for start, length, p0, p1, v0, v1 in parts:
            mix_into(out, syllable(seconds(length), p0, p1, v0, v1), seconds(start))
        return finish(out)
    return make


nain_babble_1 = babble([(0.0, 0.08, 420, 460, "e", "a"), (0.1, 0.09, 470, 390, "o", "i")])
nain_babble_2 = babble([(0.0, 0.09, 380, 380, "u", "e"), (0.11, 0.13, 400, 620, "a", "i")])
nain_babble_3 = babble([(0.0, 0.12, 360, 300, "o", "u"), (0.14, 0.14, 320, 230, "a", "o")])
nain_babble_4 = babble([(0.0, 0.05, 520, 540, "i", "e"), (0.06, 0.05, 560, 500, "a", "e"),
                        (0.12, 0.08, 500, 600, "e", "i")])


def nain_bounce(rng):
    n = seconds(0.34)
    # Boing: the pitch springs up and wobbles while it settles.
    base = lambda i: 180.0 + 260.0 * (1.0 - math.exp(-i / seconds(0.03)))
    wobble = lambda i: 1.0 + 0.12 * math.sin(TAU * 18.0 * i / RATE) * math.exp(-i / seconds(0.12))
    tone = osc_curve(n, lambda i: base(i) * wobble(i), "tri")
    tone = mul(lowpass(tone, 2500.0), envelope(n, 0.004, 0.33))
    thud = mul(osc(n, 120.0, "sine", sweep_to=70.0), exp_decay(n, 0.02))
    return finish(add(tone, thud, gains=[1.0, 0.5]))


def nain_burst(rng):
    n = seconds(0.32)
    pop = mul(lowpass(noise(n, rng), 5000.0, cutoff_to=800.0), exp_decay(n, 0.02))
    drop = mul(osc(n, 1100.0, "sine", sweep_to=180.0), envelope(n, 0.001, 0.18))
    squeal = syllable(seconds(0.12), 700, 300, "i", "o")
    bubbles = zeros(n)
    for k in range(5):
        m = seconds(0.03)
        f = rng.uniform(600.0, 1400.0)
        mix_into(bubbles, mul(osc(m, f, sweep_to=f * 1.6), exp_decay(m, 0.008)),
                 seconds(0.06 + 0.035 * k), 0.5)
    out = add(pop, drop, bubbles, gains=[1.0, 0.7, 0.6])
    mix_into(out, squeal, 0, 0.35)
    return finish(out)


def throw(rng):
    n = seconds(0.3)
    # The air's pitch rises while it passes and falls as it goes: one band-pass sweeping
    # 600 Hz -> 2600 Hz -> 900 Hz.
    half = n // 2
    centre = lambda i: 600.0 * (2600.0 / 600.0) ** (i / half) if i < half \
        else 2600.0 * (900.0 / 2600.0) ** ((i - half) / (n - half))
    whoosh = mul(resonator(noise(n, rng), centre, 1.5), envelope(n, 0.13, 0.17))
    return finish(whoosh)


# ---------------------------------------------------------------------------
# Paddle, weapons, projectiles


def projectile_hit(rng):
    n = seconds(0.32)
    thud = mul(osc(n, 150.0, "sine", sweep_to=55.0), exp_decay(n, 0.05))
    crunch = mul(lowpass(noise(n, rng), 2500.0), exp_decay(n, 0.02))
    ding = zeros(n)
    for ratio, g in ((1.0, 1.0), (2.4, 0.5), (3.9, 0.3)):
        mix_into(ding, mul(osc(n, 780.0 * ratio), exp_decay(n, 0.05)), 0, g)
    return finish(add(thud, crunch, ding, gains=[1.0, 0.6, 0.35]))


def weapon_fire(rng):
    n = seconds(0.2)
    pew = lowpass(osc(n, 2200.0, "square", sweep_to=320.0), 4500.0)
    pew = mul(pew, envelope(n, 0.002, 0.19))
    sub = mul(osc(n, 1100.0, "sine", sweep_to=160.0), exp_decay(n, 0.04))
    return finish(add(pew, sub, gains=[0.7, 0.6]))


def weapon_fire_heavy(rng):
    n = seconds(0.38)
    boom = mul(osc(n, 130.0, "sine", sweep_to=45.0), exp_decay(n, 0.07))
    blast = mul(lowpass(noise(n, rng), 2500.0, cutoff_to=300.0), envelope(n, 0.002, 0.3))
    zip_ = mul(osc(n, 900.0, "saw", sweep_to=200.0), exp_decay(n, 0.02))
    out = add(boom, blast, lowpass(zip_, 3000.0), gains=[1.0, 0.7, 0.25])
    return finish(soft_clip(normalise(out, 1.0), 1.4))


def shield_hit(rng):
    n = seconds(0.34)
    hum = add(osc(n, 880.0), osc(n, 883.5), osc(n, 1320.0, "tri"), gains=[0.6, 0.6, 0.3])
    shimmer = [1.0 + 0.5 * math.sin(TAU * 31.0 * i / RATE) for i in range(n)]
    hum = mul(mul(hum, shimmer), exp_decay(n, 0.07))
    zapp = mul(resonator(noise(n, rng), 2500.0, 3.0, freq_to=900.0), exp_decay(n, 0.03))
    return finish(add(hum, zapp, gains=[1.0, 0.7]))


def paddle_death(rng):
    n = seconds(0.58)
    boom = mul(lowpass(noise(n, rng), 4000.0, cutoff_to=200.0), envelope(n, 0.003, 0.55))
    wah = lowpass(osc(n, 660.0, "saw", sweep_to=70.0), 2000.0, cutoff_to=400.0)
    wah = mul(wah, envelope(n, 0.01, 0.1, 0.7, 0.2))
    thump = mul(osc(n, 110.0, "sine", sweep_to=35.0), exp_decay(n, 0.1))
    sparks = mul(shards(n, rng, 14, 0.3, 2000.0, 5000.0, 0.01), envelope(n, 0.01, 0.5))
    out = add(normalise(boom, 1.0), wah, thump, sparks, gains=[0.8, 0.5, 0.8, 0.3])
    return finish(soft_clip(normalise(out, 1.0), 1.5))


def ball_lost(rng):
    n = seconds(0.5)
    glide = lambda i: 760.0 * (130.0 / 760.0) ** (i / n) * (1.0 + 0.03 * math.sin(TAU * 9.0 * i / RATE))
    tone = osc_curve(n, glide, "tri")
    tone = add(tone, osc_curve(n, lambda i: glide(i) * 0.5, "sine"), gains=[1.0, 0.5])
    return finish(mul(tone, envelope(n, 0.01, 0.05, 0.8, 0.2)))


def arpeggio(notes, step, hold, shape="pulse", tail=0.1, bell=False):
    """Notes one `step` apart, each `hold` long (the last one rings for `tail` more)."""
    def make(rng):
        total = step * (len(notes) - 1) + hold + tail
        n = seconds(total)
        out = zeros(n)
        for k, midi in enumerate(notes):
            last = k == len(notes) - 1
            m = seconds((hold + tail) if last else hold)
            f = note_hz(midi)
            if bell:
                tone = fm_bell(m, f, ratio=2.0, index=1.5, half_life=0.12 if last else 0.05)
            else:
                tone = lowpass(add(osc(m, f, shape), osc(m, f * 1.005, "tri"), gains=[0.6, 0.5]), 5000.0)
                tone = mul(tone, envelope(m, 0.004, 0.05, 0.6, 0.03 if not last else tail))
            mix_into(out, tone, seconds(step * k))
        return finish(out)
    return make


extra_life = arpeggio([72, 76, 79, 84, 88], 0.06, 0.08, tail=0.25)
powerup_good = arpeggio([79, 83, 86, 91, 95], 0.045, 0.1, tail=0.22, bell=True)
powerup_good_2 = arpeggio([81, 88], 0.1, 0.12, tail=0.2, bell=True)
powerup_points = arpeggio([86, 93], 0.07, 0.06, shape="square", tail=0.2)


def powerup_release(rng):
    n = seconds(0.3)
    bloop = mul(add(osc(n, 380.0, sweep_to=1250.0), osc(n, 760.0, "tri", sweep_to=2500.0),
                    gains=[1.0, 0.3]), envelope(n, 0.005, 0.1, 0.4, 0.15))
    sparkle = mul(shards(n, rng, 6, 0.15, 3000.0, 6000.0, 0.012), envelope(n, 0.05, 0.2))
    return finish(add(bloop, sparkle, gains=[1.0, 0.4]))


def powerup_bad(rng):
    n = seconds(0.5)
    out = zeros(n)
    for f0, f1 in ((440.0, 230.0), (311.0, 163.0)):   # a tritone apart, falling: sour
        for det in (1.0, 1.012):
            mix_into(out, osc(n, f0 * det, "square", sweep_to=f1 * det), 0, 0.3)
    out = lowpass(out, 2200.0, cutoff_to=700.0)
    wobble = [0.7 + 0.3 * math.sin(TAU * 11.0 * i / RATE) for i in range(n)]
    return finish(mul(mul(out, wobble), envelope(n, 0.005, 0.1, 0.7, 0.2)))


def level_clear(rng):
    n = seconds(0.95)
    out = zeros(n)
    for at, midi, length in ((0.0, 67, 0.1), (0.09, 72, 0.1), (0.18, 76, 0.1), (0.27, 79, 0.15)):
        m = seconds(length + 0.05)
        f = note_hz(midi)
        tone = lowpass(add(osc(m, f, "pulse"), osc(m, f * 1.004, "square"), gains=[0.5, 0.3]), 4500.0)
        mix_into(out, mul(tone, envelope(m, 0.004, 0.06, 0.6, 0.04)), seconds(at))
    at = seconds(0.42)
    m = n - at
    for midi in (72, 76, 79, 84):
        f = note_hz(midi)
        tone = lowpass(add(osc(m, f, "pulse"), osc(m, f * 1.006, "saw"), gains=[0.4, 0.3]), 4000.0, cutoff_to=1500.0)
        mix_into(out, mul(tone, envelope(m, 0.006, 0.15, 0.5, 0.3)), at, 0.45)
    mix_into(out, fm_bell(m, note_hz(96), 2.0, 1.2, 0.12), at, 0.35)
    return finish(out)


def game_over(rng):
    n = seconds(0.95)
    out = zeros(n)
    for at, midi, length in ((0.0, 64, 0.16), (0.18, 63, 0.16), (0.36, 62, 0.16)):
        m = seconds(length + 0.04)
        f = note_hz(midi)
        tone = lowpass(osc(m, f, "square"), 1800.0)
        mix_into(out, mul(tone, envelope(m, 0.005, 0.05, 0.7, 0.04)), seconds(at), 0.8)
    at = seconds(0.54)
    m = n - at
    f = note_hz(61)
    vib = lambda i: f * (1.0 + 0.012 * math.sin(TAU * 5.0 * i / RATE) * min(1.0, i / seconds(0.1)))
    tone = lowpass(osc_curve(m, vib, "square"), 1800.0, cutoff_to=500.0)
    low = osc_curve(m, lambda i: vib(i) * 0.5, "tri")
    mix_into(out, mul(add(tone, low, gains=[0.8, 0.5]), envelope(m, 0.005, 0.1, 0.7, 0.3)), at)
    return finish(out)


EFFECTS = [
    ("hit_paddle", hit_paddle), ("hit_wall", hit_wall),
    ("hit_brick_1", hit_brick(67)), ("hit_brick_2", hit_brick(71)),
    ("hit_brick_3", hit_brick(74)), ("hit_brick_4", hit_brick(79)),
    ("hit_metal", hit_metal),
    ("brick_break", brick_break), ("brick_crack", brick_crack), ("explosion", explosion),
    ("ice_freeze", ice_freeze), ("ice_break", ice_break), ("fire_burn", fire_burn),
    ("shock_zap", shock_zap), ("key_unlock", key_unlock),
    ("nain_babble_1", nain_babble_1), ("nain_babble_2", nain_babble_2),
    ("nain_babble_3", nain_babble_3), ("nain_babble_4", nain_babble_4),
    ("nain_bounce", nain_bounce), ("nain_burst", nain_burst), ("throw", throw),
    ("projectile_hit", projectile_hit), ("weapon_fire", weapon_fire),
    ("weapon_fire_heavy", weapon_fire_heavy), ("shield_hit", shield_hit),
    ("paddle_death", paddle_death), ("ball_lost", ball_lost), ("extra_life", extra_life),
    ("powerup_release", powerup_release), ("powerup_good", powerup_good),
    ("powerup_good_2", powerup_good_2), ("powerup_bad", powerup_bad),
    ("powerup_points", powerup_points),
    ("level_clear", level_clear), ("game_over", game_over),
]


# ---------------------------------------------------------------------------
# Music: a small step sequencer. A song is a list of bars, each with a chord; the parts
# (drums, bass, chords, arpeggio, lead) are patterns of sixteenth steps played over each
# bar's chord. Every note's tail that runs past the end of the loop is folded back onto its
# start, so the loop point has no seam.


class Song:
    def __init__(self, bpm, chords):
        self.step = 60.0 / bpm / 4.0
        self.chords = chords
        self.steps = 16 * len(chords)
        self.total = int(round(self.steps * self.step * RATE))
        self.left = zeros(self.total)
        self.right = zeros(self.total)
        self.cache = {}

    def at(self, step):
        return int(round(step * self.step * RATE))

    def length(self, steps, extra=0.0):
        return seconds(steps * self.step + extra)

    def put(self, sound, step, gain, pan=0.0):
        lg = gain * math.cos((pan + 1.0) * math.pi / 4.0)
        rg = gain * math.sin((pan + 1.0) * math.pi / 4.0)
        mix_into(self.left, sound, self.at(step), lg, wrap=True)
        mix_into(self.right, sound, self.at(step), rg, wrap=True)

    def made(self, key, make):
        if key not in self.cache:
            self.cache[key] = make()
        return self.cache[key]

    def chord_tone(self, bar, degree, octave=0):
        """Degree 0, 1, 2 are the bar's triad from the bottom; 3 is the root an octave up."""
        triad = sorted(self.chords[bar][1])
        return triad[degree % 3] + 12 * (degree // 3) + 12 * octave

    def mixdown(self):
        """Stereo lists without offset, scaled to the music level, their peaks rounded off
        below full scale, turned to begin at a quiet point."""
        left, right = centred(self.left), centred(self.right)
        rms = math.sqrt(sum(v * v for v in left + right) / (2 * self.total))
        k = MUSIC_RMS / max(1e-9, rms)
        knee = 0.45
        room = MUSIC_CEILING - knee

        def limit(v):
            v *= k
            a = abs(v)
            if a <= knee:
                return v
            return math.copysign(knee + room * math.tanh((a - knee) / room), v)

        return start_at_quiet_point([limit(v) for v in left], [limit(v) for v in right])


def drums(song, rng, kicks, snares, hats, hat_gain=0.1, open_steps=(), kick_gain=0.45,
          snare_gain=0.3, fills=()):
    k, s = ms.kick(rng), ms.snare(rng)
    hat_set = [ms.hat(rng) for _ in range(4)]
    open_hat = ms.hat(rng, True)
    tom = lambda f: mul(osc(seconds(0.25), f, "sine", sweep_to=f * 0.6), exp_decay(seconds(0.25), 0.06))
    toms = [tom(f) for f in (210.0, 160.0, 120.0)]
    for bar in range(len(song.chords)):
        base = bar * 16
        for step in kicks:
            song.put(k, base + step, kick_gain)
        for step in snares:
            song.put(s, base + step, snare_gain, 0.1)
        for step in hats:
            if step in open_steps:
                song.put(open_hat, base + step, hat_gain * 1.1, 0.35)
            else:
                song.put(hat_set[(bar + step) % 4], base + step, hat_gain * (1.3 if step % 4 == 0 else 1.0), 0.35)
        if bar in fills:
            for n, step in enumerate((12, 13, 14, 15)):
                song.put(toms[min(2, n)], base + step, 0.35, -0.3 + 0.2 * n)


def bass_line(song, pattern, gain=0.28):
    """`pattern`: (step, length, semitones above the bar's root)."""
    for bar, (root, _) in enumerate(song.chords):
        for step, length, shift in pattern:
            note = song.made(("bass", length, root + shift),
                             lambda: ms.bass_note(song.length(length), root + shift))
            song.put(note, bar * 16 + step, gain, 0.0)


def pads(song, gain=0.09, pan=-0.3):
    for bar, (_, triad) in enumerate(song.chords):
        pad = song.made(("pad", triad), lambda: ms.pad_chord(song.length(16, 0.3), triad))
        song.put(pad, bar * 16, gain, pan)


def arps(song, rng, order, every=1, octave=1, gain=0.12, pan=0.4, bell=False, brightness=0.5):
    """Plucked (or bell) notes every `every` steps walking `order` through the chord's tones."""
    for bar in range(len(song.chords)):
        for i, step in enumerate(range(0, 16, every)):
            midi = song.chord_tone(bar, order[i % len(order)], octave)
            if bell:
                note = song.made(("bell", midi), lambda: mul(fm_bell(song.length(6), note_hz(midi), 2.0, 1.4, 0.18),
                                                            envelope(song.length(6), 0.002, 0.0, 1.0, 0.05)))
            else:
                note = song.made(("pluck", midi), lambda: pluck(song.length(4), note_hz(midi), rng, brightness))
            song.put(note, bar * 16 + step, gain, pan if i % 2 else -pan)


def stabs(song, steps, gain=0.1, octave=0):
    """Short bright chords on the given steps of every bar."""
    for bar, (_, triad) in enumerate(song.chords):
        def make():
            m = song.length(1.5)
            out = zeros(m)
            for midi in triad:
                f = note_hz(midi + 12 * octave)
                mix_into(out, add(osc(m, f, "saw"), osc(m, f * 1.006, "saw"), gains=[0.5, 0.5]), 0)
            return mul(lowpass(out, 2600.0, cutoff_to=900.0), envelope(m, 0.003, 0.08, 0.3, 0.02))
        chord = song.made(("stab", triad, octave), make)
        for step in steps:
            song.put(chord, bar * 16 + step, gain, 0.25)


def melody(song, phrases, form, octave=1, gain=0.2, pan=0.15, echo=0.07, voice="lead"):
    """`phrases`: name -> [(step, length, degree, semitone shift)]; `form`: a name per bar."""
    for bar, name in enumerate(form):
        for step, length, degree, shift in phrases[name]:
            midi = song.chord_tone(bar, degree, octave) + shift
            if voice == "lead":
                note = song.made(("lead", length, midi),
                                 lambda: ms.lead_note(song.length(length, 0.05), midi))
            else:  # a soft triangle voice with a bell on top
                def make():
                    m = song.length(length, 0.08)
                    f = note_hz(midi)
                    tone = add(osc(m, f, "tri"), osc(m, f * 2.0, "sine"), gains=[0.8, 0.2])
                    tone = mul(tone, envelope(m, 0.01, 0.15, 0.6, 0.08))
                    ring = fm_bell(m, f, 2.0, 1.0, 0.1)
                    return add(tone, ring, gains=[1.0, 0.5])
                note = song.made(("soft", length, midi), make)
            song.put(note, bar * 16 + step, gain, pan)
            if echo:
                song.put(note, bar * 16 + step + 3, echo, -0.6)


def C(root, *triad):
    return (root, tuple(triad))


# Chords: the bass root and a triad around middle C (major unless named minor).
CM, GM, AMIN, FM, EMIN, DMIN = C(48, 60, 64, 67), C(43, 55, 59, 62), C(45, 57, 60, 64), C(41, 53, 57, 60), \
    C(40, 55, 59, 64), C(38, 57, 62, 65)


def music_level1(rng):
    """Upbeat: C major at 132 bpm, four-on-the-floor, bouncing bass, plucked sixteenths."""
    chords = [CM, GM, AMIN, FM, CM, GM, FM, GM, AMIN, EMIN, FM, CM, DMIN, GM, CM, GM]
    song = Song(132, chords)
    drums(song, rng, kicks=(0, 4, 8, 12), snares=(4, 12), hats=range(2, 16, 4), hat_gain=0.11,
          open_steps=(2, 6, 10, 14), fills=(7, 15))
    drums(song, rng, kicks=(), snares=(), hats=range(0, 16, 2), hat_gain=0.06)
    bass_line(song, [(0, 2, 0), (2, 2, 12), (4, 2, 0), (6, 2, 12), (8, 2, 0), (10, 2, 12),
                     (12, 2, 0), (14, 2, 7)])
    pads(song, 0.07)
    arps(song, rng, (0, 1, 2, 3, 2, 1), every=2, octave=1, gain=0.12)
    phrases = {
        "A": [(0, 3, 2, 0), (3, 1, 1, 0), (4, 2, 2, 0), (6, 2, 3, 0), (8, 4, 4, 0), (12, 2, 3, 0), (14, 2, 2, 0)],
        "B": [(0, 2, 3, 0), (2, 2, 2, 0), (4, 2, 1, 0), (6, 2, 2, 0), (8, 6, 3, 0), (14, 2, 4, 0)],
        "C": [(0, 2, 4, 0), (2, 2, 3, 0), (4, 4, 2, 0), (8, 2, 1, 0), (10, 2, 2, 0), (12, 4, 0, 0)],
        "D": [(0, 4, 3, 0), (4, 2, 4, 0), (6, 2, 5, 0), (8, 8, 3, 0)],
        "E": [(0, 2, 1, 0), (2, 2, 2, 0), (4, 2, 3, 0), (6, 2, 4, 0), (8, 3, 5, 0), (11, 1, 4, 0), (12, 4, 3, 0)],
    }
    melody(song, phrases, "ABAC" "ABED" "CBAB" "EAD" "C", octave=1, gain=0.18)
    return song.mixdown()


BB, AMAJ, GMIN, CMAJ = C(46, 58, 62, 65), C(45, 57, 61, 64), C(43, 55, 58, 62), C(48, 55, 60, 64)


def music_level2(rng):
    """Tense: D minor at 112 bpm, a driving sixteenth ostinato, syncopated kicks, stabs."""
    chords = [DMIN, DMIN, BB, AMAJ, DMIN, DMIN, GMIN, AMAJ, BB, CMAJ, DMIN, DMIN, GMIN, AMAJ, DMIN, AMAJ]
    song = Song(112, chords)
    drums(song, rng, kicks=(0, 6, 10), snares=(12,), hats=range(0, 16), hat_gain=0.05,
          kick_gain=0.5, snare_gain=0.32, fills=(3, 7, 11, 15))
    bass_line(song, [(s, 1, 12 if s in (3, 11) else (1 if s == 14 else 0)) for s in range(0, 16)], gain=0.22)
    pads(song, 0.08, pan=-0.4)
    stabs(song, (2, 7, 10), gain=0.07)
    phrases = {
        "A": [(0, 6, 0, 0), (6, 2, 1, 0), (8, 6, 2, 0), (14, 2, 2, 1)],
        "B": [(0, 4, 3, 0), (4, 4, 2, 0), (8, 4, 1, 0), (12, 4, 2, 1)],
        "C": [(0, 2, 2, 0), (2, 2, 3, 0), (4, 4, 4, 0), (8, 2, 3, 0), (10, 2, 2, 0), (12, 4, 1, 0)],
        "D": [(0, 12, 1, 0), (12, 2, 2, 0), (14, 2, 3, 0)],
        "R": [],
    }
    melody(song, phrases, "RABD" "ACBD" "CBAC" "BDAD", octave=1, gain=0.16, echo=0.06)
    return song.mixdown()


EB, CMIN, AB, GMIN_UP, FMIN = C(51, 58, 63, 67), C(48, 60, 63, 67), C(44, 56, 60, 63), \
    C(43, 58, 62, 67), C(41, 56, 60, 65)


def music_level3(rng):
    """Bright: E-flat major at 120 bpm, bell arpeggios, a half-time beat and a soft lead."""
    chords = [EB, BB, CMIN, AB, EB, BB, AB, BB, CMIN, GMIN_UP, AB, EB, FMIN, BB, EB, BB]
    song = Song(120, chords)
    drums(song, rng, kicks=(0, 10), snares=(8,), hats=range(0, 16, 2), hat_gain=0.07, kick_gain=0.45,
          snare_gain=0.25, open_steps=(6, 14), fills=(15,))
    bass_line(song, [(0, 3, 0), (3, 3, 7), (6, 2, 12), (8, 3, 0), (11, 3, 7), (14, 2, 10)], gain=0.24)
    pads(song, 0.08, pan=0.3)
    arps(song, rng, (0, 2, 4, 3, 5, 3, 4, 2), every=2, octave=1, gain=0.1, pan=0.5, bell=True)
    phrases = {
        "A": [(0, 4, 3, 0), (4, 2, 2, 0), (6, 2, 3, 0), (8, 6, 4, 0), (14, 2, 3, 0)],
        "B": [(0, 2, 5, 0), (2, 2, 4, 0), (4, 4, 3, 0), (8, 4, 2, 0), (12, 4, 3, 0)],
        "C": [(0, 6, 4, 0), (6, 2, 3, 0), (8, 2, 2, 0), (10, 2, 3, 0), (12, 4, 5, 0)],
        "D": [(0, 12, 3, 0), (12, 4, 2, 0)],
    }
    melody(song, phrases, "ABAC" "ABCD" "CBAB" "ACDD", octave=0, gain=0.22, echo=0.08, voice="soft")
    return song.mixdown()


AMJ, EMJ, FSMIN, DMJ = C(45, 57, 61, 64), C(40, 56, 59, 64), C(42, 57, 61, 66), C(38, 57, 62, 66)


def music_bonus(rng):
    """A short, fast loop for a powerup's music override: A major at 150 bpm."""
    chords = [AMJ, EMJ, FSMIN, DMJ, AMJ, EMJ, DMJ, EMJ]
    song = Song(150, chords)
    drums(song, rng, kicks=(0, 4, 8, 12), snares=(4, 12), hats=range(2, 16, 4), hat_gain=0.1,
          open_steps=(2, 6, 10, 14), fills=(7,))
    bass_line(song, [(s, 1, 12 if s % 2 else 0) for s in range(0, 16)], gain=0.22)
    arps(song, rng, (0, 1, 2, 3, 4, 3, 2, 1), every=1, octave=1, gain=0.1, brightness=0.8)
    phrases = {
        "A": [(0, 2, 3, 0), (2, 2, 4, 0), (4, 2, 5, 0), (6, 2, 4, 0), (8, 4, 3, 0), (12, 4, 2, 0)],
        "B": [(0, 2, 5, 0), (2, 2, 4, 0), (4, 2, 3, 0), (6, 2, 2, 0), (8, 8, 3, 0)],
    }
    melody(song, phrases, "ABAB" "ABAB", octave=1, gain=0.16)
    return song.mixdown()


MUSIC = [("music_level1", music_level1), ("music_level2", music_level2),
         ("music_level3", music_level3), ("music_bonus", music_bonus)]


# ---------------------------------------------------------------------------
# sounds.xml: one sound element per file, with the settings the game starts it with.

# name -> (volume, priority, interruptable, random pitch bend); effects not listed get DEFAULT.
DEFAULT = (0.8, 4, 1, 0.0)
SETTINGS = {
    "hit_paddle": (0.8, 3, 1, 0.03), "hit_wall": (0.6, 2, 1, 0.05),
    "hit_brick_1": (0.75, 3, 1, 0.02), "hit_brick_2": (0.75, 3, 1, 0.02),
    "hit_brick_3": (0.75, 3, 1, 0.02), "hit_brick_4": (0.75, 3, 1, 0.02),
    "hit_metal": (0.7, 3, 1, 0.04),
    "brick_break": (0.8, 4, 1, 0.06), "brick_crack": (0.8, 4, 1, 0.05),
    "explosion": (1.0, 7, 0, 0.05), "ice_freeze": (0.8, 5, 1, 0.0), "ice_break": (0.8, 5, 1, 0.04),
    "fire_burn": (0.8, 5, 1, 0.05), "shock_zap": (0.8, 5, 1, 0.05), "key_unlock": (0.9, 6, 0, 0.0),
    "nain_babble_1": (0.6, 2, 1, 0.08), "nain_babble_2": (0.6, 2, 1, 0.08),
    "nain_babble_3": (0.6, 2, 1, 0.08), "nain_babble_4": (0.6, 2, 1, 0.08),
    "nain_bounce": (0.7, 3, 1, 0.06), "nain_burst": (0.85, 5, 0, 0.05), "throw": (0.7, 3, 1, 0.05),
    "projectile_hit": (0.9, 6, 1, 0.03), "weapon_fire": (0.6, 3, 1, 0.03),
    "weapon_fire_heavy": (0.8, 4, 1, 0.03), "shield_hit": (0.7, 4, 1, 0.04),
    "paddle_death": (1.0, 8, 0, 0.0), "ball_lost": (0.9, 8, 0, 0.0), "extra_life": (0.9, 8, 0, 0.0),
    "powerup_release": (0.7, 4, 1, 0.04), "powerup_good": (0.9, 6, 0, 0.0),
    "powerup_good_2": (0.9, 6, 0, 0.0), "powerup_bad": (0.9, 6, 0, 0.0),
    "powerup_points": (0.85, 6, 1, 0.0),
    "level_clear": (1.0, 9, 0, 0.0), "game_over": (1.0, 9, 0, 0.0),
}
MUSIC_VOLUME = 0.7


def sound_element(name, file_name, music, volume, priority, interruptable, bend):
    tags = [("fileName", file_name), ("name", name), ("isMusic", music), ("loops", music),
            ("priority", priority), ("isInterruptable", interruptable), ("volume", volume),
            ("pan", "0.0"), ("rate", "1.0")]
    if bend:
        tags.append(("randomPitchBend", bend))
    inner = "".join("\t\t<%s>%s</%s>\n" % (tag, value, tag) for tag, value in tags)
    return "\t<sound>\n" + inner + "\t</sound>\n"


def write_sounds_xml(path):
    parts = ['<?xml version="1.0" encoding="ISO-8859-1"?>\n',
             "<!-- Sounds of the classic pack, written by tools/pack_sounds.py: effects (WAV) and\n"
             "     looping music (Ogg Vorbis). File names are relative to the pack folder. -->\n",
             "<sounds>\n"]
    for name, _ in EFFECTS:
        volume, priority, interruptable, bend = SETTINGS.get(name, DEFAULT)
        parts.append(sound_element(name, "sounds/%s.wav" % name, 0, volume, priority, interruptable, bend))
    for name, _ in MUSIC:
        parts.append(sound_element(name, "sounds/%s.ogg" % name, 1, MUSIC_VOLUME, 10, 0, 0.0))
    parts.append("</sounds>\n")
    with open(path, "w", encoding="latin-1", newline="\n") as f:
        f.write("".join(parts))


# ---------------------------------------------------------------------------


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        here, "..", "resources", "data", "packs", "classic", "sounds")
    os.makedirs(out_dir, exist_ok=True)
    write_sounds_xml(os.path.join(out_dir, "..", "sounds.xml"))
    print("wrote sounds.xml")

    for name, make in EFFECTS:
        rng = random.Random("effect:" + name)  # one seed per sound: each can change alone
        write_wav(os.path.join(out_dir, name + ".wav"), [make(rng)], EFFECT_PEAK)
        print("wrote", name + ".wav")

    oggenc = shutil.which("oggenc")
    if not oggenc:
        sys.exit("oggenc not found: install vorbis-tools")
    only = set(sys.argv[2:])
    for name, make in MUSIC:
        if only and name not in only:
            continue
        left, right = make(random.Random("music:" + name))
        with tempfile.TemporaryDirectory() as tmp:
            wav = os.path.join(tmp, name + ".wav")
            write_wav(wav, [left, right], 1.0)
            subprocess.run([oggenc, "-Q", "-q", OGG_QUALITY, "-s", "1", "-o",
                            os.path.join(out_dir, name + ".ogg"), wav], check=True)
        print("wrote", name + ".ogg", "(%.1f s)" % (len(left) / RATE))


if __name__ == "__main__":
    main()
