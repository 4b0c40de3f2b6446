#!/usr/bin/python3
"""Builds the analyser's labelled training corpus, reproducibly from a seed.

    /usr/bin/python3 tests/tools/corpus/make_corpus.py OUT_DIR [--seed 13] [--jobs 2]

Texts come from templates and word lists (texts.py): phrases of the dev
set's kinds and many words whose stress moves (record / record, fifteen /
fifty, photograph / photographer). Each text is said by two of festival's
voices kal, ked and slt (labelled from the festival utterance: lexical
stress, pitch accents, syllable and vowel times), some by flite's voices awb
and rms (statistical voices trained on real speakers, labelled alike from
flite's utterance) and some texts by espeak-ng
from phonemes with the stress marked (labelled by construction, from the
library's phoneme events), in many voice variants, rates and pitches. Every
recording is resynthesised on a known pitch track (resynth.py), so its
.f0 file is exact, and is written clean and in one of the dev set's
conditions (conditions.py), harder reverberation included.

OUT_DIR gets the dev set's layout: <id>.wav (22050 Hz, 16-bit, with the
phrase text), <id>.f0, <id>.syl.tsv and manifest.tsv, plus the columns
text_id and speaker that cross-validation groups by. The dev set's harness
scores it as it scores the dev set. Needs festival with festvox-kallpc16k,
festvox-kdlpc16k and festvox-us-slt-hts, flite with flite1-dev, espeak-ng, SPTK, numpy and scipy
(scripts/setup-bench installs them).
"""
import argparse
import multiprocessing
import os
import random
import shutil
import struct
import sys
import tempfile

import numpy as np
import scipy.io.wavfile as wavfile
import scipy.signal as ss

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conditions  # noqa: E402
import espeak_voice  # noqa: E402
import festival_voice  # noqa: E402
import flite_voice  # noqa: E402
import lexicon  # noqa: E402
import resynth  # noqa: E402
import texts  # noqa: E402

RATE = 22050
FESTIVAL = ["kal", "ked", "slt"]
MILD = ["white20", "pink10", "hum50", "hum60", "quiet", "clip", "pad"]
HARD = ["laptop", "reverb", "reverb", "reverbhard", "reverbhard", "babble5", "white5", "low",
        "high"]
SYL_HEADER = ("word_index word syl_index syl_in_word word_syllables stress accented accents "
              "syl_start syl_end vowel vowel_start vowel_end").split()
MANIFEST = ("id file base kind truth condition voice engine category duration_s offset_s "
            "f0_file syl_file text tier detail text_id speaker").split()


def write_phrase_wav(path, x, text):
    """The tutor's recording layout: "fmt ", "snt " (the text), "data"."""
    pcm = np.clip(np.rint(x * 32767), -32768, 32767).astype("<i2").tobytes()
    snt = bytes((b + 128) % 256 for b in text.encode("latin-1", "replace")) + b"\0"

    def chunk(cid, payload):
        return cid + struct.pack("<I", len(payload)) + payload + (b"\0" if len(payload) % 2 else b"")
    body = b"WAVE" + chunk(b"fmt ", struct.pack("<HHIIHH", 1, 1, RATE, 2 * RATE, 2, 16)) \
        + chunk(b"snt ", snt) + chunk(b"data", pcm)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def write_syllables(path, sylls, offset):
    with open(path, "w") as f:
        f.write("\t".join(SYL_HEADER) + "\n")
        for i, s in enumerate(sylls):
            f.write("%d\t%s\t%d\t%d\t%d\t%d\t%d\t%s\t%.4f\t%.4f\t%s\t%.4f\t%.4f\n" % (
                s["word_index"], s["word"], i, s["syl_in_word"], s["word_syllables"], s["stress"],
                s["accented"], s["accents"], s["syl_start"] + offset, s["syl_end"] + offset,
                s["vowel"], s["vowel_start"] + offset, s["vowel_end"] + offset))


def write_truth(path, period, duration, offset):
    t, f0 = resynth.truth_track(period, duration, offset)
    with open(path, "w") as f:
        for a, b in zip(t, f0):
            f.write("%.3f %.2f\n" % (a, b))


def render(job):
    """One said text: resynthesised clean, and in its drawn condition.
    Returns manifest rows (babble is mixed later, from other clean files)."""
    (base, source, sylls, meta, cond, seed, out) = job
    rng = np.random.default_rng(seed)
    rate, x = wavfile.read(source)
    x = x.astype(float) / 32768.0
    if rate != RATE:
        g = np.gcd(RATE, rate)
        x = ss.resample_poly(x, RATE // g, rate // g)
    period = resynth.periods(x)
    if not np.any(period > 0):
        return []
    mcep = resynth.envelope(x)

    def speech(p):
        y = resynth.synthesise(mcep, p)[:len(x)]
        y = np.concatenate([y, np.zeros(len(x) - len(y))])
        y *= 10 ** (-22 / 20) / np.sqrt(conditions.active_power(y))
        return y / max(1.0, np.max(np.abs(y)) / 0.95), p

    rows = []

    def emit(name, y, p, condition, tier, detail, offset=0.0):
        duration = len(y) / RATE
        write_phrase_wav(os.path.join(out, name + ".wav"), y, meta["text"])
        write_truth(os.path.join(out, name + ".f0"), p, duration, offset)
        syl = "-"
        if sylls:
            syl = name + ".syl.tsv"
            write_syllables(os.path.join(out, syl), sylls, offset)
        rows.append(dict(id=name, file=name + ".wav", base=base, kind="synthetic",
                         truth="ground-truth", condition=condition, voice=meta["voice"],
                         engine=meta["engine"], category=meta["category"],
                         duration_s="%.3f" % duration, offset_s="%.2f" % offset,
                         f0_file=name + ".f0", syl_file=syl, text=meta["text"], tier=tier,
                         detail=detail, text_id=meta["text_id"], speaker=meta["speaker"]))

    clean, p = speech(period)
    emit(base + "_clean", clean, p, "clean", "clean", "-")
    tier = "mild" if cond in MILD else "hard"
    name = "%s_%s" % (base, cond)
    if cond in ("low", "high"):
        scaled, detail = conditions.pitch_scale(period, rng, cond)
        y, p2 = speech(scaled)
        emit(name, y, p2, cond, tier, detail)
    elif cond == "pad":
        y, detail, offset = conditions.pad(clean, rng)
        emit(name, y, p, cond, tier, detail, offset)
    elif cond == "babble5":
        rows.append(dict(pending=name, base=base))
    else:
        fn = {"white20": lambda: conditions.white(clean, rng, 20),
              "white5": lambda: conditions.white(clean, rng, 5),
              "pink10": lambda: conditions.pink(clean, rng, 10),
              "hum50": lambda: conditions.hum(clean, rng, 50),
              "hum60": lambda: conditions.hum(clean, rng, 60),
              "quiet": lambda: conditions.quiet(clean, rng),
              "clip": lambda: conditions.clip(clean, rng),
              "laptop": lambda: conditions.laptop(clean, rng),
              "reverb": lambda: conditions.reverb(clean, rng),
              "reverbhard": lambda: conditions.reverb(clean, rng, hard=True)}[cond]
        y, detail = fn()
        emit(name, y, p, cond, tier, detail)
    return rows


def read_pcm(path):
    import wave
    with wave.open(path) as w:
        return np.frombuffer(w.readframes(w.getnframes()), "<i2").astype(float) / 32768.0


def mix_babble(job):
    (name, row, others, seed, out) = job
    rng = np.random.default_rng(seed)
    clean = read_pcm(os.path.join(out, row["file"]))
    y, detail = conditions.babble(clean, [read_pcm(os.path.join(out, o)) for o in others], rng)
    y /= max(1.0, np.max(np.abs(y)) / 0.99)
    write_phrase_wav(os.path.join(out, name + ".wav"), y, row["text"])
    shutil.copyfile(os.path.join(out, row["f0_file"]), os.path.join(out, name + ".f0"))
    new = dict(row, id=name, file=name + ".wav", condition="babble5", tier="hard",
               detail=detail, f0_file=name + ".f0")
    if row["syl_file"] != "-":
        new["syl_file"] = name + ".syl.tsv"
        shutil.copyfile(os.path.join(out, row["syl_file"]), os.path.join(out, new["syl_file"]))
    return new


def plan(args, work):
    """Texts, voices and conditions drawn from the seed; the festival,
    espeak-ng and flite recordings made. Returns the render jobs."""
    rng = random.Random(args.seed)
    lex = lexicon.read_lexicon()
    drawer = texts.TextDrawer(lex, args.seed)
    said = drawer.draw(args.texts)
    # espeak-ng says texts of its own, so the corpus holds more words.
    spoken = drawer.draw(args.espeak_texts)
    heard = drawer.draw(args.flite_texts)
    conds = MILD + HARD

    def say_labelled(engine, module, voices, texts, first, voices_of, draw):
        """Jobs of texts said by an engine that labels its own utterances
        (`module` says them); each text by the voices voices_of() picks."""
        made, per_voice = [], {v: [] for v in voices}
        for i, (cat, text, _toks) in enumerate(texts, first):
            for v in voices_of():
                base = "c%04d_%s" % (i, v)
                per_voice[v].append((base, text))
                meta = dict(text=text, voice=v, engine=engine, category=cat,
                            text_id="t%04d" % i, speaker=v)
                made.append([base, os.path.join(work, base + ".wav"), base, meta,
                             draw.choice(conds), draw.randrange(1 << 30), args.out])
        for v, items in per_voice.items():
            module.synthesise(v, items, work)
        return made

    jobs = say_labelled("festival", festival_voice, FESTIVAL, said, 0,
                        lambda: rng.sample(FESTIVAL, 2), rng)
    speaker = espeak_voice.Espeak()
    for i, (cat, text, toks) in enumerate(spoken, len(said)):
        variant = rng.choice(espeak_voice.VARIANTS)
        language = rng.choice(espeak_voice.LANGUAGES)
        setting = (rng.randint(130, 230), rng.randint(20, 80), rng.randint(20, 90))
        phonemes, words = espeak_voice.phoneme_text(lex, toks, rng, shift_share=0.15)
        x, events = speaker.say(phonemes, "%s+%s" % (language, variant), *setting)
        sylls = espeak_voice.label(words, events)
        if sylls is None or len(x) == 0:
            continue
        base = "c%04d_es" % i
        wavfile.write(os.path.join(work, base + ".wav"), RATE, x)
        group = "es-k" if variant.startswith("k") else "es-" + variant[0]
        meta = dict(text=text, voice=group, engine="espeak", category=cat, text_id="t%04d" % i,
                    speaker="%s+%s rate=%d pitch=%d range=%d" % ((language, variant) + setting))
        jobs.append([base, os.path.join(work, base + ".wav"), sylls, meta, rng.choice(conds),
                     rng.randrange(1 << 30), args.out])
    # flite's voices came last and draw from a generator of their own, so
    # the recordings made before them stay exactly as they were.
    jobs += say_labelled("flite", flite_voice, flite_voice.VOICES, heard,
                         len(said) + len(spoken), lambda: flite_voice.VOICES,
                         random.Random(args.seed + 2))
    for job in jobs:
        if isinstance(job[2], str):
            lab = os.path.join(work, job[2] + ".lab")
            job[2] = festival_voice.read_labels(lab) if os.path.exists(lab) else None
    return [tuple(j) for j in jobs if j[2]]


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("out")
    ap.add_argument("--seed", type=int, default=13)
    ap.add_argument("--texts", type=int, default=420, help="texts said by festival voices")
    ap.add_argument("--espeak-texts", type=int, default=400, help="texts said by espeak-ng")
    ap.add_argument("--flite-texts", type=int, default=200,
                    help="texts said by each of flite's voices")
    ap.add_argument("--jobs", type=int, default=2)
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="tvcorpus")
    try:
        jobs = plan(args, work)
        print("%d recordings to resynthesise" % len(jobs), flush=True)
        with multiprocessing.Pool(args.jobs) as pool:
            rows = [r for rs in pool.imap(render, jobs, chunksize=4) for r in rs]
            done = [r for r in rows if "pending" not in r]
            cleans = {r["base"]: r for r in done if r["condition"] == "clean"}
            # The other talkers come from the voices before flite's, so that
            # adding flite changed no earlier recording's babble.
            talkers = [r for r in cleans.values() if r["engine"] != "flite"]
            rng = random.Random(args.seed + 1)
            babble = []
            for r in rows:
                if "pending" in r:
                    row = cleans[r["base"]]
                    others = [c["file"] for c in rng.sample(talkers, 4) if c["base"] != r["base"]][:3]
                    babble.append((r["pending"], row, others, rng.randrange(1 << 30), args.out))
            done += pool.map(mix_babble, babble)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    done.sort(key=lambda r: r["id"])
    with open(os.path.join(args.out, "manifest.tsv"), "w") as f:
        f.write("\t".join(MANIFEST) + "\n")
        for r in done:
            f.write("\t".join(str(r[k]) for k in MANIFEST) + "\n")
    words = {w.lower() for r in done for w in
             "".join(c if c.isalpha() or c == " " else " " for c in r["text"]).split()}
    print("%d files, %d texts, %d distinct words" % (
        len(done), len({r["text_id"] for r in done}), len(words)))


if __name__ == "__main__":
    main()
