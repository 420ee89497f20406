#!/usr/bin/python3
"""Synthesises the game's own sounds: the four menu-button sounds (WAV) and the looping
intro tune (WAV, then Ogg Vorbis through oggenc), into resources/data/sounds/.

Everything is made here from oscillators, filtered noise and envelopes; only the Python
standard library is needed, plus vorbis-tools' oggenc for the music.

    tools/make_sounds.py [output folder]
"""
import array
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile
import wave

RATE = 44100
TAU = 2.0 * math.pi

# Music sits this far below full scale on average (RMS about -19 dBFS), which at the
# sounds' own volumes puts it some 5 dB under a typical effect: the effects carry the play.
MUSIC_RMS = 0.11


# ---------------------------------------------------------------------------
# Building blocks, each working on plain lists of floats in -1..1


def seconds(n):
    return int(round(n * RATE))


def note_hz(midi):
    return 440.0 * 2.0 ** ((midi - 69) / 12.0)


def envelope(length, attack, decay, sustain=0.0, release=0.0):
    """Attack-decay-sustain-release over `length` samples (times in seconds)."""
    a, d, r = seconds(attack), seconds(decay), seconds(release)
    out = [0.0] * length
    for i in range(length):
        if i < a:
            v = i / a
        elif i < a + d:
            v = 1.0 - (1.0 - sustain) * (i - a) / d
        else:
            v = sustain
        left = length - i
        if r and left < r:
            v *= left / r
        out[i] = v
    return out


def exp_decay(length, half_life):
    k = math.log(2.0) / max(1.0, seconds(half_life))
    return [math.exp(-k * i) for i in range(length)]


def osc(length, freq, shape="sine", phase=0.0, sweep_to=None):
    """One oscillator; `freq` glides exponentially to `sweep_to` over the length."""
    out = [0.0] * length
    p = phase
    for i in range(length):
        f = freq if sweep_to is None else freq * (sweep_to / freq) ** (i / length)
        p += f / RATE
        p -= math.floor(p)
        if shape == "sine":
            v = math.sin(TAU * p)
        elif shape == "tri":
            v = 4.0 * abs(p - 0.5) - 1.0
        elif shape == "saw":
            v = 2.0 * p - 1.0
        elif shape == "square":
            v = 1.0 if p < 0.5 else -1.0
        elif shape == "pulse":
            # A quarter-duty pulse between -1 and 1 averages -0.5: lifted by that, it
            # carries no offset into the mix.
            v = 1.5 if p < 0.25 else -0.5
        else:
            raise ValueError(shape)
        out[i] = v
    return out


def noise(length, rng):
    return [rng.uniform(-1.0, 1.0) for _ in range(length)]


def lowpass(signal, cutoff, cutoff_to=None):
    """One-pole low-pass; the cut-off may glide to `cutoff_to`."""
    out = [0.0] * len(signal)
    y = 0.0
    n = len(signal)
    for i, x in enumerate(signal):
        c = cutoff if cutoff_to is None else cutoff * (cutoff_to / cutoff) ** (i / n)
        a = 1.0 - math.exp(-TAU * c / RATE)
        y += a * (x - y)
        out[i] = y
    return out


def highpass(signal, cutoff):
    low = lowpass(signal, cutoff)
    return [x - l for x, l in zip(signal, low)]


def bandpass(signal, low_cut, high_cut):
    return highpass(lowpass(signal, high_cut), low_cut)


def mul(a, b):
    return [x * y for x, y in zip(a, b)]


def scale(a, k):
    return [x * k for x in a]


def mix_into(dest, src, at, gain=1.0, wrap=False):
    """Adds `src` into `dest` from sample `at`; with `wrap` the tail comes round to the start."""
    n = len(dest)
    for i, v in enumerate(src):
        j = at + i
        if j >= n:
            if not wrap:
                break
            j %= n
        dest[j] += v * gain


def normalise(signal, peak):
    top = max(1e-9, max(abs(v) for v in signal))
    return [v * peak / top for v in signal]


def dc_block(signal, cutoff=20.0):
    """Takes out any offset below hearing: it would eat headroom and click at the edges."""
    return highpass(signal, cutoff)


def centred(signal):
    """The signal less its mean. A loop stays a loop: every sample moves by the same amount."""
    mean = sum(signal) / max(1, len(signal))
    return [v - mean for v in signal]


def start_at_quiet_point(left, right, window_ms=20.0, ease_ms=3.0):
    """Turns a loop round so that it begins, within its first milliseconds, where both
    channels cross zero most gently; the last sample still leads into the first as it did
    inside the loop. The encoder does not know the file loops and is least exact at its
    two ends, so the last and first `ease_ms` ease into that crossing as well: decoded,
    neither the start nor the seam clicks."""
    n = min(len(left), seconds(window_ms / 1000.0))

    def roughness(i):  # i - 2 and i - 1 come round from the end, as in the loop
        return max(abs(ch[j]) for ch in (left, right) for j in (i - 2, i - 1, i, i + 1))
    at = min(range(n), key=roughness)
    left, right = left[at:] + left[:at], right[at:] + right[:at]
    ease = seconds(ease_ms / 1000.0)
    for ch in (left, right):
        for i in range(ease):
            g = 0.5 - 0.5 * math.cos(math.pi * i / ease)
            ch[i] *= g
            ch[-1 - i] *= g
    return left, right


def fade_edges(signal, ms=2.0):
    """A couple of milliseconds in and out so no sound starts or ends with a click."""
    n = min(len(signal) // 2, seconds(ms / 1000.0))
    out = list(signal)
    for i in range(n):
        out[i] *= i / n
        out[-1 - i] *= i / n
    return out


def write_wav(path, channels, peak):
    """`channels` is one list (mono) or two (stereo) of floats."""
    frames = array.array("h")
    count = len(channels[0])
    for i in range(count):
        for ch in channels:
            v = max(-1.0, min(1.0, ch[i]))
            frames.append(int(round(v * 32767 * peak)))
    if sys.byteorder != "little":
        frames.byteswap()
    with wave.open(path, "wb") as w:
        w.setnchannels(len(channels))
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames.tobytes())


# ---------------------------------------------------------------------------
# The four button sounds


def button_click(rng):
    """A short, dry tick: a high blip over a puff of bright noise."""
    n = seconds(0.07)
    blip = mul(osc(n, 2100.0, "sine", sweep_to=1500.0), exp_decay(n, 0.008))
    puff = mul(bandpass(noise(n, rng), 2500.0, 9000.0), exp_decay(n, 0.004))
    body = mul(osc(n, 420.0, "tri"), exp_decay(n, 0.012))
    out = [b * 0.7 + p * 0.9 + c * 0.35 for b, p, c in zip(blip, puff, body)]
    return fade_edges(normalise(dc_block(out), 1.0))


def button_startgame(rng):
    """A rising whoosh that lands on a bright two-note chime."""
    n = seconds(0.75)
    whoosh_len = seconds(0.32)
    whoosh = lowpass(noise(whoosh_len, rng), 400.0, cutoff_to=7000.0)
    whoosh = mul(whoosh, envelope(whoosh_len, 0.22, 0.10))
    out = [0.0] * n
    mix_into(out, whoosh, 0, 0.9)
    for start, midi in ((0.20, 84), (0.30, 91)):  # C6 then G6
        length = n - seconds(start)
        f = note_hz(midi)
        tone = [a + 0.35 * b + 0.12 * c for a, b, c in
                zip(osc(length, f), osc(length, f * 2.0), osc(length, f * 3.0, "tri"))]
        tone = mul(tone, exp_decay(length, 0.09))
        tone = mul(tone, envelope(length, 0.004, 0.0, 1.0, 0.05))
        mix_into(out, tone, seconds(start), 0.55)
    return fade_edges(normalise(dc_block(out), 1.0))


def button_quit(rng):
    """A falling whoosh with a sinking tone: the door closing."""
    n = seconds(0.55)
    whoosh = lowpass(noise(n, rng), 6000.0, cutoff_to=250.0)
    whoosh = mul(whoosh, envelope(n, 0.03, 0.50))
    tone = osc(n, note_hz(76), "tri", sweep_to=note_hz(52))
    tone = mul(tone, envelope(n, 0.01, 0.52))
    out = [w * 0.8 + t * 0.45 for w, t in zip(whoosh, tone)]
    return fade_edges(normalise(dc_block(out), 1.0))


def button_cancel(rng):
    """Two soft, falling bonks: no."""
    n = seconds(0.26)
    out = [0.0] * n
    for start, midi in ((0.0, 67), (0.11, 60)):
        length = seconds(0.14)
        f = note_hz(midi)
        tone = lowpass(osc(length, f, "square", sweep_to=f * 0.92), 1800.0)
        tone = mul(tone, exp_decay(length, 0.03))
        tone = mul(tone, envelope(length, 0.003, 0.0, 1.0, 0.01))
        mix_into(out, tone, seconds(start), 1.0)
    out = [v + 0.15 * x for v, x in zip(out, mul(lowpass(noise(n, rng), 900.0), exp_decay(n, 0.02)))]
    return fade_edges(normalise(dc_block(out), 1.0))


# ---------------------------------------------------------------------------
# The intro tune: eight bars in A minor that loop without a seam. Every note's tail
# that runs past the end is folded back onto the start of the loop.

BPM = 128
STEP = 60.0 / BPM / 4.0  # one sixteenth
BARS = 8
STEPS = BARS * 16

# Chords by bar, as MIDI roots and the triad above them.
CHORDS = [
    (57, (57, 60, 64)),  # Am
    (53, (53, 57, 60)),  # F
    (48, (55, 60, 64)),  # C
    (55, (55, 59, 62)),  # G
    (57, (57, 60, 64)),  # Am
    (53, (53, 57, 60)),  # F
    (55, (55, 59, 62)),  # G
    (52, (56, 59, 64)),  # E
]

# The lead: (step within the loop, length in steps, MIDI note).
LEAD = [
    (0, 2, 76), (2, 2, 72), (4, 2, 69), (6, 2, 72), (8, 4, 74), (12, 2, 72), (14, 2, 71),
    (16, 3, 72), (19, 1, 74), (20, 2, 76), (22, 2, 77), (24, 6, 76), (30, 2, 72),
    (32, 2, 79), (34, 2, 76), (36, 2, 72), (38, 2, 76), (40, 4, 79), (44, 2, 81), (46, 2, 79),
    (48, 3, 78), (51, 1, 79), (52, 2, 74), (54, 2, 71), (56, 8, 74),
    (64, 2, 76), (66, 2, 72), (68, 2, 69), (70, 2, 72), (72, 4, 74), (76, 2, 72), (78, 2, 71),
    (80, 3, 72), (83, 1, 74), (84, 2, 76), (86, 2, 81), (88, 6, 81), (94, 2, 79),
    (96, 2, 79), (98, 2, 77), (100, 2, 74), (102, 2, 71), (104, 4, 74), (108, 2, 79), (110, 2, 77),
    (112, 3, 76), (115, 1, 75), (116, 2, 76), (118, 2, 80), (120, 8, 83),
]


def lead_note(length, midi):
    f = note_hz(midi)
    a = osc(length, f, "pulse")
    b = osc(length, f * 1.004, "square", phase=0.3)
    tone = lowpass([x * 0.6 + y * 0.4 for x, y in zip(a, b)], 3200.0, cutoff_to=1400.0)
    # A gentle vibrato would cost a lot here; a slow tremolo gives the same life.
    trem = [1.0 + 0.08 * math.sin(TAU * 5.5 * i / RATE) for i in range(length)]
    return mul(mul(tone, trem), envelope(length, 0.008, 0.12, 0.55, 0.06))


def bass_note(length, midi):
    f = note_hz(midi - 12)
    tone = [s + 0.5 * q for s, q in zip(osc(length, f, "saw"), osc(length, f * 0.5, "sine"))]
    tone = lowpass(tone, 900.0, cutoff_to=300.0)
    return mul(tone, envelope(length, 0.004, 0.10, 0.6, 0.03))


def pad_chord(length, notes):
    out = [0.0] * length
    for k, midi in enumerate(notes):
        f = note_hz(midi)
        for detune in (0.997, 1.003):
            mix_into(out, osc(length, f * detune, "saw", phase=0.17 * k), 0)
    out = lowpass(out, 1100.0)
    return mul(out, envelope(length, 0.25, 0.4, 0.7, 0.35))


def kick(rng):
    n = seconds(0.28)
    body = mul(osc(n, 140.0, "sine", sweep_to=42.0), exp_decay(n, 0.06))
    click = mul(lowpass(noise(n, rng), 3000.0), exp_decay(n, 0.003))
    return [b + 0.3 * c for b, c in zip(body, click)]


def snare(rng):
    n = seconds(0.22)
    rattle = mul(bandpass(noise(n, rng), 1200.0, 8000.0), exp_decay(n, 0.045))
    tone = mul(osc(n, 190.0, "tri", sweep_to=160.0), exp_decay(n, 0.03))
    return [r + 0.5 * t for r, t in zip(rattle, tone)]


def hat(rng, open_hat=False):
    n = seconds(0.18 if open_hat else 0.05)
    return mul(highpass(noise(n, rng), 7000.0), exp_decay(n, 0.05 if open_hat else 0.012))


def intro_music(rng):
    total = seconds(STEPS * STEP)
    step_at = lambda s: int(round(s * STEP * RATE))
    left = [0.0] * total
    right = [0.0] * total

    def put(sound, step, gain, pan=0.0):
        # Equal-power pan; tails past the loop's end wrap to its start.
        lg = gain * math.cos((pan + 1.0) * math.pi / 4.0)
        rg = gain * math.sin((pan + 1.0) * math.pi / 4.0)
        mix_into(left, sound, step_at(step), lg, wrap=True)
        mix_into(right, sound, step_at(step), rg, wrap=True)

    k, s = kick(rng), snare(rng)
    hats = [hat(rng) for _ in range(4)]
    open_hat = hat(rng, True)
    pads = {}
    for bar, (root, triad) in enumerate(CHORDS):
        base = bar * 16
        if triad not in pads:
            pads[triad] = pad_chord(seconds(16 * STEP + 0.3), triad)
        put(pads[triad], base, 0.10, -0.3)
        # Bass: root on the beat, octave pushes on the off-beats.
        for step, length, octave in ((0, 3, 0), (3, 1, 12), (4, 2, 0), (6, 2, 0),
                                     (8, 3, 0), (11, 1, 12), (12, 2, 0), (14, 2, 7)):
            put(bass_note(seconds(length * STEP), root + octave), base + step, 0.28, 0.0)
        for step in (0, 8, 10):
            put(k, base + step, 0.55)
        for step in (4, 12):
            put(s, base + step, 0.32, 0.1)
        for step in range(0, 16, 2):
            if step == 14 and bar % 2 == 1:
                put(open_hat, base + step, 0.12, 0.35)
            else:
                put(hats[(bar + step) % 4], base + step, 0.10 if step % 4 else 0.14, 0.35)
    for step, length, midi in LEAD:
        note = lead_note(seconds(length * STEP + 0.05), midi)
        put(note, step, 0.22, 0.15)
        # A quiet echo a dotted eighth later, to the other side.
        put(note, step + 3, 0.07, -0.6)
    left, right = centred(left), centred(right)
    rms = math.sqrt(sum(v * v for v in left + right) / (2 * total))
    k = MUSIC_RMS / max(1e-9, rms)
    return start_at_quiet_point([v * k for v in left], [v * k for v in right])


# ---------------------------------------------------------------------------


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "data", "sounds")
    os.makedirs(out_dir, exist_ok=True)
    rng = random.Random(20240611)  # fixed, so a re-render gives the same files

    for name, make in (("button_click", button_click), ("button_startgame", button_startgame),
                       ("button_quit", button_quit), ("button_cancel", button_cancel)):
        write_wav(os.path.join(out_dir, name + ".wav"), [make(rng)], 0.6)
        print("wrote", name + ".wav")

    left, right = intro_music(rng)
    oggenc = shutil.which("oggenc")
    if not oggenc:
        sys.exit("oggenc not found: install vorbis-tools")
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "intro_music.wav")
        write_wav(wav, [left, right], 1.0)
        subprocess.run([oggenc, "-Q", "-q", "3", "-s", "1", "-o",
                        os.path.join(out_dir, "intro_music.ogg"), wav], check=True)
    print("wrote intro_music.ogg")


if __name__ == "__main__":
    main()
