#!/usr/bin/python3
"""Builds labelled pairs of phrase recordings for measuring the comparison of
a learner's phrase with the model's, reproducibly from a seed.

    /usr/bin/python3 make_compare_pairs.py OUT_DIR [--seed N] [--tvtool PATH] [--tvm PATH]

Every recording is spoken by espeak-ng. Three kinds of pairs:
  stress  one word, the model with its dictionary stress, the learner with
          the same stress or with the stress moved to another syllable by
          phoneme input ("[[r'Ek3d]]" against "[[rEk'3d]]");
  ending  one sentence, each side spoken as a statement or as a question;
          the label is each rendering's final pitch movement as Praat measures
          it on the clean recording, not its punctuation;
  both kinds include pairs of the same prosody in very different voices,
          pitches and rates (and, for sentences, a pause the model does not
          have), which must not be flagged.
The learner's recording gets silence before and after, room noise and, for
half of them, a little reverberation, and is analysed by TVM as the tutor
analyses a recording; the model's is authored with tvtool author.

Words, sentences, voices and accents are split into a development half and
a held-out half; a pair is "dev" when everything in it comes from the
development half and "held" when everything comes from the held-out half.

Writes OUT_DIR/renderings.tsv, OUT_DIR/pairs.tsv, the clean renderings
(clean/), their Praat pitch tracks (f0/), the model phrase files (model/)
and the learner's analysed files (learner/).
"""
import argparse
import os
import subprocess
import sys
import wave

import numpy as np

RATE = 22050

WORDS = """record present object project permit contract hotel coffee decide begin
pencil window machine police garden guitar mistake lemon tonight balloon
banana tomato computer important yesterday beautiful family potato holiday
develop remember together example elephant hospital volcano umbrella vanilla
seventeen afternoon understand engineer kangaroo cinema chocolate musician
photographer economy biology democracy television conversation information
education calculator particular ridiculous America apparently dictionary
mathematics""".split()

SENTENCES = [
    "You are coming home tonight", "She likes the new teacher", "It is raining again",
    "They found the keys", "We can leave now", "He bought a new car",
    "You finished your homework", "The train is late", "She speaks Japanese",
    "You want some coffee", "He lives near the station", "They moved to London",
    "You called your mother", "The shop is open", "We are meeting at noon",
    "She lost her umbrella", "You remember the address", "The film was good",
    "He is a doctor", "You have a brother", "The children are asleep",
    "It is your birthday", "You saw the message", "They are from Canada",
    "We need more milk", "The door is locked", "You like tomatoes",
    "She is on holiday", "He forgot the tickets", "You can swim tomorrow",
    "The museum is closed", "Your sister plays the piano",
]

# espeak-ng's voice variants: the timbre and the base pitch of a speaker.
VARIANTS = {
    "dev": ["m1", "m2", "m3", "f1", "f2", "klatt", "klatt3", "Andy", "annie"],
    "held": ["m4", "m5", "m6", "m7", "f3", "f4", "f5", "klatt2", "klatt4", "david", "linda"],
}
ACCENTS = {
    "dev": ["en-us", "en-gb"],
    "held": ["en-gb-x-rp", "en-029", "en-us-nyc", "en-gb-x-gbclan"],
}

# espeak-ng's English vowel mnemonics, longest first: a syllable is a vowel.
VOWELS = sorted("aI@ aU@ i@3 aI3 A@ aI aU eI e@ i@ I@ oU OI O@ o@ U@ 3: A: i: u: O: O2 a# I# I2 "
                "@2 @5 @L aa 0# 0 @ 3 a A e E i I O o u U V".split(), key=len, reverse=True)
STRESS_MARKS = "',%=;"


def run(args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs)


def phonemes_of(word, accent):
    return run(["espeak-ng", "-q", "-x", "-v", accent, word]).stdout.split()[0]


def tokens(ph):
    """The phoneme string as a list of ('V', vowel), ('C', consonant) and marks."""
    out, i = [], 0
    while i < len(ph):
        if ph[i] in STRESS_MARKS:
            out.append(("M", ph[i]))
            i += 1
            continue
        for v in VOWELS:
            if ph.startswith(v, i):
                out.append(("V", v))
                i += len(v)
                break
        else:
            out.append(("C", ph[i]))
            i += 1
    return out


def syllables_and_stress(ph):
    toks = tokens(ph)
    vowels = [k for k, t in enumerate(toks) if t[0] == "V"]
    stressed = None
    for n, k in enumerate(vowels):
        if k > 0 and toks[k - 1] == ("M", "'"):
            stressed = n
    return len(vowels), stressed


def with_stress_on(ph, target):
    """The phoneme string with its primary stress on vowel number target and no
    other stress marks: the same sounds, stressed elsewhere."""
    toks = [t for t in tokens(ph) if t[0] != "M"]
    out, n = "", 0
    for kind, text in toks:
        if kind == "V":
            out += ("'" if n == target else "") + text
            n += 1
        else:
            out += text
    return out


def speak(text, accent, variant, pitch, speed, path, ssml=False):
    args = ["espeak-ng", "-v", accent + "+" + variant, "-p", str(pitch), "-s", str(speed),
            "-w", path]
    if ssml:
        args.insert(1, "-m")
    run(args + [text])


def read_wav(path):
    with wave.open(path) as w:
        assert w.getframerate() == RATE and w.getsampwidth() == 2
        return np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(float)


def write_wav(path, x):
    y = np.clip(np.round(x), -32768, 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(y.tobytes())


def room_noise(n, rng):
    """Pink-ish noise with some rumble below 80 Hz, RMS 1."""
    spectrum = np.fft.rfft(rng.normal(0, 1, n))
    f = np.fft.rfftfreq(n, 1 / RATE)
    f[0] = f[1]
    spectrum /= np.sqrt(f)
    spectrum *= 1 + (f < 80)
    noise = np.fft.irfft(spectrum, n)
    return noise / np.sqrt(np.mean(noise ** 2))


def as_learner(x, rng):
    """A learner's take: recorded at another level, with silence before and
    after, room noise and maybe some reverberation."""
    speech_rms = np.sqrt(np.mean(x[np.abs(x) > 0.05 * np.max(np.abs(x))] ** 2))
    if rng.random() < 0.5:
        rt60 = rng.uniform(0.15, 0.4)
        length = int(rt60 * RATE)
        ir = rng.normal(0, 1, length) * np.exp(-6.9 * np.arange(length) / length)
        ir *= 0.3 / np.sqrt(np.sum(ir ** 2))
        ir[0] = 1
        x = np.convolve(x, ir)
    before = np.zeros(int(rng.uniform(0.3, 1.2) * RATE))
    after = np.zeros(int(rng.uniform(0.4, 1.5) * RATE))
    y = np.concatenate([before, x, after])
    snr_db = rng.uniform(22, 40)
    y = y + room_noise(len(y), rng) * speech_rms / 10 ** (snr_db / 20)
    gain = rng.uniform(0.25, 0.9) * 32767 / np.max(np.abs(y))
    return y * gain


def praat_tracks(paths, folder, script):
    listing = os.path.join(folder, "praat-list.txt")
    with open(listing, "w") as f:
        f.write("\n".join(paths) + "\n")
    for method in ("ac", "cc"):
        run(["praat", "--run", script, listing, folder, method])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--tvtool", default="build/src/tvtool")
    parser.add_argument("--tvm", default="build/src/TVM")
    args = parser.parse_args()
    rng = np.random.default_rng(args.seed)
    out = os.path.abspath(args.out)
    for sub in ("clean", "f0", "model", "learner"):
        os.makedirs(os.path.join(out, sub), exist_ok=True)

    # The halves: words and sentences shuffled by the seed, then split.
    words = list(WORDS)
    sentences = list(SENTENCES)
    rng.shuffle(words)
    rng.shuffle(sentences)
    half = {"dev": {}, "held": {}}
    half["dev"]["words"], half["held"]["words"] = words[::2], words[1::2]
    half["dev"]["sentences"], half["held"]["sentences"] = sentences[::2], sentences[1::2]

    renderings = []  # dicts: id, text, spoken, accent, variant, pitch, speed, ...

    def voice_pair(split):
        """Two very different voices: other variants, one low and one high pitch,
        one slow and one fast speaker, in either order."""
        a, b = rng.choice(VARIANTS[split], 2, replace=False)
        # Below about 25 some variants fall under 60 Hz, out of a voice's range.
        low, high = int(rng.uniform(25, 45)), int(rng.uniform(60, 92))
        slow, fast = int(rng.uniform(110, 150)), int(rng.uniform(200, 270))
        if rng.random() < 0.5:
            low, high = high, low
        if rng.random() < 0.5:
            slow, fast = fast, slow
        return (a, low, slow), (b, high, fast)

    def render(kind, split, text, spoken, accent, voice, stress=-1, ssml=False):
        rid = "r%04d" % len(renderings)
        variant, pitch, speed = voice
        path = os.path.join(out, "clean", rid + ".wav")
        speak(spoken, accent, variant, pitch, speed, path, ssml)
        renderings.append(dict(id=rid, kind=kind, split=split, text=text, spoken=spoken,
                               accent=accent, variant=variant, pitch=pitch, speed=speed,
                               stress=stress))
        return renderings[-1]

    pairs = []

    def pair(kind, split, model, learner, **labels):
        pairs.append(dict(id="p%04d" % len(pairs), kind=kind, split=split, model=model["id"],
                          learner=learner["id"], text=model["text"], **labels))

    for split in ("dev", "held"):
        for word in half[split]["words"]:
            for repeat in range(4):
                accent = rng.choice(ACCENTS[split])
                ph = phonemes_of(word, accent)
                count, natural = syllables_and_stress(ph)
                if count < 2 or natural is None:
                    break
                model_voice, learner_voice = voice_pair(split)
                moved = repeat % 2 == 1
                target = natural
                if moved:
                    target = int(rng.choice([k for k in range(count) if k != natural]))
                model = render("stress", split, word, "[[" + ph + "]]", accent, model_voice,
                               natural)
                learner_ph = ph if not moved else with_stress_on(ph, target)
                learner = render("stress", split, word, "[[" + learner_ph + "]]", accent,
                                 learner_voice, target)
                pair("stress", split, model, learner, stress_same=int(not moved),
                     syllables=count)
        for sentence in half[split]["sentences"]:
            for model_end, learner_end in ((".", "."), ("?", "?"), (".", "?"), ("?", ".")):
                model_voice, learner_voice = voice_pair(split)
                accents = ACCENTS[split]
                model = render("ending", split, sentence, sentence + model_end,
                               rng.choice(accents), model_voice)
                spoken = sentence + learner_end
                words_in = sentence.split()
                ssml = rng.random() < 0.3
                if ssml:
                    # A pause of the learner's own between two words.
                    cut = int(rng.integers(1, len(words_in)))
                    spoken = (" ".join(words_in[:cut]) + " <break time=\"%dms\"/> " %
                              int(rng.uniform(300, 600)) + " ".join(words_in[cut:]) +
                              learner_end)
                learner = render("ending", split, sentence, spoken, rng.choice(accents),
                                 learner_voice, ssml=ssml)
                pair("ending", split, model, learner, model_punct=model_end,
                     learner_punct=learner_end, pause=int(ssml))

    # The pitch of every clean rendering by Praat's two methods, for the
    # actual final movement.
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "compare_pitch.praat")
    praat_tracks([os.path.join(out, "clean", r["id"] + ".wav") for r in renderings],
                 os.path.join(out, "f0"), script)

    # The model is authored as a native phrase file; the learner's take is
    # recorded (noise, silence, level) and analysed by the analyser program.
    learner_ids = {p["learner"] for p in pairs}
    for r in renderings:
        clean = os.path.join(out, "clean", r["id"] + ".wav")
        if r["id"] in learner_ids:
            target = os.path.join(out, "learner", r["id"] + ".wav")
            write_wav(target, as_learner(read_wav(clean), rng))
            subprocess.run([args.tvm, target, "Melod"], capture_output=True)
        else:
            target = os.path.join(out, "model", r["id"] + ".wav")
            subprocess.run([args.tvtool, "author", clean, target, "--text", r["text"], "--no-trim"],
                           capture_output=True)

    def write_table(name, rows):
        keys = list(rows[0].keys())
        for row in rows:
            for k in row:
                if k not in keys:
                    keys.append(k)
        with open(os.path.join(out, name), "w") as f:
            f.write("\t".join(keys) + "\n")
            for row in rows:
                f.write("\t".join(str(row.get(k, "")) for k in keys) + "\n")

    write_table("renderings.tsv", renderings)
    write_table("pairs.tsv", pairs)
    print("%d renderings, %d pairs in %s" % (len(renderings), len(pairs), out), file=sys.stderr)


if __name__ == "__main__":
    main()
