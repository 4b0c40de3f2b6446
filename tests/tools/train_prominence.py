#!/usr/bin/python3
"""Trains the analyser's prominence model on the labelled corpus and writes
its weights into src/analyser/ProminenceWeights.h.

    /usr/bin/python3 tests/tools/train_prominence.py CORPUS_DIR DEVRUN_DIR [--write]

CORPUS_DIR is what tests/tools/corpus/make_corpus.py wrote; DEVRUN_DIR
holds tvm-devrun's .steps and .feat files for its recordings. Every step
is matched to a labelled syllable as the dev set's harness matches them (a
step takes the syllable whose vowel's middle it holds, nearest centres
first). The model is linear in the cues DescribeSyllables gives, fitted
with a regularised loss of four parts: a step's log-loss for "accented"
(festival's pitch accents), its log-loss for "lexically stressed", a
pairwise ranking loss that puts each word's stressed syllables above its
unstressed ones, and a listwise loss: the chance that a word's top step is
a stressed one. The strength of the regularisation, the mix of the four
parts and whether flite's voices are learnt from are chosen by cross-validation that holds out a whole voice
and a third of the texts at once, never by the dev set. The figures it
prints are those held-out predictions, scored as the harness scores
(strAcc, AUCacc, AUCstr) and per held-out voice.
"""
import argparse
import os
import re
import shutil
import subprocess
import zlib

import numpy as np
from scipy.optimize import minimize

HERE = os.path.dirname(os.path.abspath(__file__))
WEIGHTS = os.path.join(HERE, "..", "..", "src", "analyser", "ProminenceWeights.h")
MAX_HEIGHT = 30000
STRONG = 15000
FESTIVAL = ("kal", "ked", "slt")
FEATURES = 51  # ProminenceFeatureCount
# Cues of DescribeSyllables that can only raise prominence: the nucleus's
# loudness and energy against the phrase and the neighbours, its pitch
# against the median, the neighbours and the speaker's range, the
# spectral tilt against the phrase and the neighbours, the vowel's length
# against the phrase and the neighbours, louder than both neighbours, the
# depth of the dips around the vowel.
RAISING = {0, 1, 2, 3, 10, 11, 12, 15, 16, 19, 20, 21, 25, 28, 29}
# ... and one that can only lower it: the balance of the band under 2.3 kHz
# against the band over it (a stressed vowel's spectrum is flatter).
LOWERING = {17}


def read_manifest(set_dir):
    with open(os.path.join(set_dir, "manifest.tsv"), encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        return [dict(zip(header, ln.rstrip("\n").split("\t"))) for ln in f if ln.strip()]


def read_syllables(path):
    with open(path, encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        rows = [dict(zip(header, ln.rstrip("\n").split("\t"))) for ln in f if ln.strip()]
    for r in rows:
        for k in ("word_index", "word_syllables", "stress", "accented"):
            r[k] = int(r[k])
        for k in ("vowel_start", "vowel_end", "syl_start", "syl_end"):
            r[k] = float(r[k])
    return rows


def match(sylls, steps, rate):
    """Syllable -> step index or -1, the harness's one-to-one rule."""
    cands = []
    for j, s in enumerate(sylls):
        mid = 0.5 * (s["vowel_start"] + s["vowel_end"]) * rate
        for i, (a, b) in enumerate(steps):
            if a <= mid <= b:
                cands.append((abs(mid - 0.5 * (a + b)), j, i))
    cands.sort()
    to, used = [-1] * len(sylls), set()
    for _d, j, i in cands:
        if to[j] < 0 and i not in used:
            to[j] = i
            used.add(i)
    return to


def wav_rate(path):
    with open(path, "rb") as f:
        blob = f.read(4096)
    k = blob.find(b"fmt ")
    return int.from_bytes(blob[k + 12:k + 16], "little")


class File:
    """One labelled recording: its steps' cues and the labels matched to them."""

    def __init__(self, row, set_dir, run_dir):
        stem = os.path.join(run_dir, row["id"])
        with open(stem + ".steps") as f:
            lines = [ln.split() for ln in f if ln.strip()]
        steps = [(int(p[0]), int(p[1])) for p in lines[1:]]
        # A recording in which the analyser found no step has no cues.
        feat = np.loadtxt(stem + ".feat", ndmin=2) if steps else np.zeros((0, FEATURES))
        self.row, self.x = row, feat.reshape(len(steps), FEATURES)
        self.sylls = read_syllables(os.path.join(set_dir, row["syl_file"]))
        if row.get("engine") == "flite":
            # flite's statistical voices make their pitch from a model of
            # their speaker, which need not follow the accents flite's
            # rules put on the utterance: only the stress is known.
            for s in self.sylls:
                s["accented"] = -1
        self.to = match(self.sylls, steps, wav_rate(os.path.join(set_dir, row["file"])))
        self.voice = row["voice"]
        self.text = row.get("text_id") or row["base"]


def load(set_dir, run_dir):
    files = []
    for r in read_manifest(set_dir):
        if r["syl_file"] != "-" and os.path.exists(os.path.join(run_dir, r["id"] + ".steps")):
            files.append(File(r, set_dir, run_dir))
    return files


def heights(scores):
    """The analyser's heights from its scores (HeightsFromScores)."""
    if len(scores) == 0:
        return np.zeros(0)
    p = 1.0 / (1.0 + np.exp(-np.asarray(scores, float)))
    return np.clip(np.rint(MAX_HEIGHT * p / p.max()), 1, MAX_HEIGHT)


def auc(pos, neg):
    pos, neg = np.asarray(pos, float), np.asarray(neg, float)
    if len(pos) == 0 or len(neg) == 0:
        return float("nan")
    allv = np.concatenate([pos, neg])
    order = allv.argsort(kind="mergesort")
    ranks = np.empty(len(allv))
    sv = allv[order]
    i = 0
    while i < len(sv):
        j = i
        while j + 1 < len(sv) and sv[j + 1] == sv[i]:
            j += 1
        ranks[order[i:j + 1]] = 0.5 * (i + j) + 1
        i = j + 1
    return (ranks[:len(pos)].sum() - len(pos) * (len(pos) + 1) / 2.0) / (len(pos) * len(neg))


def score_files(files, score_of):
    """The harness's stress and accent figures for scores per file, plus how
    well the strong-step rule (height over 15000) picks stressed syllables."""
    acc_p, acc_n, str_p, str_n = [], [], [], []
    words = ok = 0
    strong_stressed = strong_unstressed = n_stressed = n_unstressed = 0
    for f in files:
        h = heights(score_of(f))
        hs = [h[k] if k >= 0 else -np.inf for k in f.to]
        for s, v in zip(f.sylls, hs):
            if s["accented"] == 1:
                acc_p.append(v)
            elif s["accented"] == 0:
                acc_n.append(v)
            (str_p if s["stress"] >= 1 else str_n).append(v)
            if s["word_syllables"] >= 2:
                if s["stress"] >= 1:
                    n_stressed += 1
                    strong_stressed += v > STRONG
                else:
                    n_unstressed += 1
                    strong_unstressed += v > STRONG
        for w in sorted({s["word_index"] for s in f.sylls}):
            ms = [(hs[j], s["stress"]) for j, s in enumerate(f.sylls)
                  if s["word_index"] == w and s["word_syllables"] >= 2 and f.to[j] >= 0]
            if len(ms) < 2 or not any(st for _h, st in ms) or all(st for _h, st in ms):
                continue
            words += 1
            ok += int(max(ms, key=lambda m: m[0])[1] >= 1)
    return dict(strAcc=ok / words if words else float("nan"), words=words,
                AUCacc=auc(acc_p, acc_n), AUCstr=auc(str_p, str_n),
                strongStressed=strong_stressed / max(1, n_stressed),
                strongUnstressed=strong_unstressed / max(1, n_unstressed))


def training_arrays(files):
    """Stacked cues with their accent and stress labels (-1 where unknown)
    and the pairs (stressed step, unstressed step) within words."""
    xs, acc, strs, pairs, groups, base = [], [], [], [], [], 0
    for f in files:
        n = len(f.x)
        a = -np.ones(n)
        st = -np.ones(n)
        for s, k in zip(f.sylls, f.to):
            if k >= 0:
                a[k] = s["accented"] if s["accented"] in (0, 1) else -1
                st[k] = 1 if s["stress"] >= 1 else 0
        for w in {s["word_index"] for s in f.sylls}:
            idx = [(f.to[j], s["stress"]) for j, s in enumerate(f.sylls)
                   if s["word_index"] == w and f.to[j] >= 0]
            for ks, ss_ in idx:
                for ku, su in idx:
                    if ss_ >= 1 and su == 0:
                        pairs.append((base + ks, base + ku))
            if any(st >= 1 for _k, st in idx) and any(st == 0 for _k, st in idx):
                groups.append(([base + k for k, _st in idx], [st >= 1 for _k, st in idx]))
        xs.append(f.x)
        acc.append(a)
        strs.append(st)
        base += n
    return (np.vstack(xs) if xs else np.zeros((0, FEATURES)), np.concatenate(acc),
            np.concatenate(strs), np.array(pairs, int).reshape(-1, 2), groups)


def fit(files, l2, mix):
    """Weights and offset on the raw cues (standardisation folded in)."""
    x, acc, strs, pairs, groups = training_arrays(files)
    mu, sd = x.mean(0), x.std(0)
    sd[sd < 1e-6] = 1.0
    z = (x - mu) / sd
    wa, ws, wp, wl = mix
    # The words as one index array: each word's steps, which of them are
    # stressed, and where each word's run starts.
    members = np.array([k for g, _s in groups for k in g], int)
    stressed = np.array([t for _g, s_ in groups for t in s_], bool)
    owner = np.repeat(np.arange(len(groups)), [len(g) for g, _s in groups])
    nwords = max(1, len(groups))
    ia, is_ = acc >= 0, strs >= 0
    na, ns, npairs = max(1, ia.sum()), max(1, is_.sum()), max(1, len(pairs))

    def loss(theta):
        w, b = theta[:-1], theta[-1]
        s = z @ w + b
        g = np.zeros_like(s)
        total = l2 * np.dot(w, w)
        for mask, y, weight, n in ((ia, acc, wa, na), (is_, strs, ws, ns)):
            if weight == 0:
                continue
            sm, ym = s[mask], y[mask]
            total += weight * np.sum(np.logaddexp(0, sm) - ym * sm) / n
            g[mask] += weight * (1 / (1 + np.exp(-sm)) - ym) / n
        if wp and len(pairs):
            d = s[pairs[:, 0]] - s[pairs[:, 1]]
            total += wp * np.sum(np.logaddexp(0, -d)) / npairs
            gd = -wp / (1 + np.exp(d)) / npairs
            np.add.at(g, pairs[:, 0], gd)
            np.add.at(g, pairs[:, 1], -gd)
        if wl and len(groups):
            # Listwise: the chance, under a softmax over the word's steps,
            # that the top step is a stressed one (what strAcc counts).
            sm = s[members]
            top = np.full(len(groups), -np.inf)
            np.maximum.at(top, owner, sm)
            e = np.exp(sm - top[owner])
            alls = np.bincount(owner, e, len(groups))
            strong = np.bincount(owner, e * stressed, len(groups))
            total += wl * np.sum(np.log(alls) - np.log(strong)) / nwords
            gm = wl * (e / alls[owner] - stressed * e / strong[owner]) / nwords
            np.add.at(g, members, gm)
        grad = np.concatenate([z.T @ g + 2 * l2 * w, [g.sum()]])
        return total, grad

    # Cues whose direction the literature settles (louder, higher, longer,
    # a flatter spectrum: more prominent) may not count against prominence,
    # however a correlated cue shares their weight in the training voices.
    bounds = [(0, None) if j in RAISING else (None, 0) if j in LOWERING else (None, None)
              for j in range(z.shape[1])]
    theta = minimize(loss, np.zeros(z.shape[1] + 1), jac=True, method="L-BFGS-B",
                     bounds=bounds + [(None, None)]).x
    w = theta[:-1] / sd
    return w, theta[-1] - np.dot(w, mu)


def text_fold(text_id, folds=3):
    return zlib.crc32(text_id.encode()) % folds


def cross_validate(files, l2, mix, folds=3, voices=True, trains=lambda f: True):
    """Held-out scores for every file: trained without its third of the
    texts and (`voices`) without its voice, and only on files `trains`
    takes (the others are scored all the same)."""
    held = {}
    groups = [(None, k) for k in range(folds)] if not voices else \
        [(v, k) for v in sorted({f.voice for f in files}) for k in range(folds)]
    for v, k in groups:
        test = [f for f in files if (v is None or f.voice == v) and text_fold(f.text, folds) == k]
        if not test:
            continue
        train = [f for f in files if trains(f) and f.voice != v and text_fold(f.text, folds) != k]
        w, b = fit(train, l2, mix)
        for f in test:
            held[id(f)] = f.x @ w + b
    return held


def voice_ceiling(files, l2, mix, folds=3):
    """What one voice's own model reaches on its unseen texts, against the
    model of every voice: how much of the held-out voices' shortfall is the
    voices differing rather than the cues."""
    for v in FESTIVAL:
        for name, trains_on in (("its own voice only", lambda f: f.voice == v),
                                ("every voice", lambda f: True)):
            held = {}
            for k in range(folds):
                w, b = fit([f for f in files if trains_on(f) and text_fold(f.text, folds) != k],
                           l2, mix)
                for f in files:
                    if f.voice == v and text_fold(f.text, folds) == k:
                        held[id(f)] = f.x @ w + b
            m = score_files([f for f in files if f.voice == v], lambda f: held[id(f)])
            print("  %-4s trained on %-18s strAcc %.3f  AUCacc %.3f" % (
                v, name, m["strAcc"], m["AUCacc"]))


def learning_curve(files, l2, mix, folds=3):
    """Held out by texts, trained on a share of the other texts only: whether
    a larger corpus of the same kind would lift the figures."""
    festival = [f for f in files if f.row["engine"] == "festival"]
    for share in (25, 50, 75, 100):
        held = {}
        for k in range(folds):
            train = [f for f in files if f.row["engine"] != "flite" and text_fold(f.text, folds) != k
                     and zlib.crc32(("share" + f.text).encode()) % 100 < share]
            w, b = fit(train, l2, mix)
            for f in files:
                if text_fold(f.text, folds) == k:
                    held[id(f)] = f.x @ w + b
        m = score_files(festival, lambda f: held[id(f)])
        print("  %3d %% of the training texts: strAcc %.3f  AUCacc %.3f" % (
            share, m["strAcc"], m["AUCacc"]))


def write_weights(w, b, path=WEIGHTS):
    with open(path) as f:
        old = f.read()
    def literal(v):
        text = "%.6g" % v
        return text + ("f" if any(c in text for c in ".e") else ".0f")
    values = ", ".join(literal(v) for v in w)
    new = re.sub(r"ProminenceWeights = \{[^}]*\};",
                 "ProminenceWeights = {\n    %s};" % values, old)
    new = re.sub(r"ProminenceBias = [^;]*;", "ProminenceBias = %s;" % literal(b), new)
    with open(path, "w") as f:
        f.write(new)
    # The house layout, where the formatter is at hand.
    if shutil.which("clang-format"):
        subprocess.run(["clang-format", "-i", path], check=False)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("corpus")
    ap.add_argument("devrun")
    ap.add_argument("--write", action="store_true", help="write the chosen weights")
    ap.add_argument("--l2", type=float, nargs="*", default=[0.001, 0.01, 0.1])
    ap.add_argument("--ceiling", action="store_true",
                    help="only each festival voice's own model against every voice's")
    ap.add_argument("--learning-curve", action="store_true",
                    help="only the figures of models trained on a share of the texts")
    a = ap.parse_args()
    files = load(a.corpus, a.devrun)
    if a.ceiling:
        voice_ceiling(files, 0.01, (1, 0, 0, 1))
        return
    if a.learning_curve:
        learning_curve(files, 0.01, (1, 0, 0, 1))
        return
    print("%d labelled files, %d voices" % (len(files), len({f.voice for f in files})))
    mixes = [(0, 0, 0, 1), (0.3, 0, 0, 1), (1, 0, 0, 1), (0.3, 0, 0.3, 1), (1, 0, 1, 0)]
    # Whether flite's voices are trained on is chosen as the rest is; when
    # they are not, their figures are those of voices the model never heard.
    learners = (("every voice", lambda f: True),
                ("without flite's", lambda f: f.row["engine"] != "flite"))
    best = None
    festival = [f for f in files if f.row["engine"] == "festival"]
    for l2 in a.l2:
        for mix in mixes:
            for learner, trains in learners:
                held = cross_validate(files, l2, mix, trains=trains)
                m = score_files(festival, lambda f: held[id(f)])
                # The choice weighs word stress and accent alike, on the
                # voices with both labels.
                objective = m["strAcc"] + m["AUCacc"]
                print("l2=%-6g mix=%-16s %-15s strAcc %.3f (%d)  AUCacc %.3f  AUCstr %.3f  "
                      "strong: stressed %.2f unstressed %.2f" % (
                          l2, mix, learner, m["strAcc"], m["words"], m["AUCacc"], m["AUCstr"],
                          m["strongStressed"], m["strongUnstressed"]), flush=True)
                if best is None or objective > best[0]:
                    best = (objective, l2, mix, learner, trains, held)
    _obj, l2, mix, learner, trains, held = best
    print("\nchosen l2=%g mix=%s, trained on %s voices; held-out figures per voice:" % (
        l2, mix, learner))
    for v in sorted({f.voice for f in files}):
        m = score_files([f for f in files if f.voice == v], lambda f: held[id(f)])
        print("  %-6s strAcc %.3f (%4d words)  AUCacc %.3f  AUCstr %.3f" % (
            v, m["strAcc"], m["words"], m["AUCacc"], m["AUCstr"]))
    for name, sel in (("festival", festival), ("all", files)):
        m = score_files(sel, lambda f: held[id(f)])
        print("  %-8s strAcc %.3f (%4d words)  AUCacc %.3f  AUCstr %.3f" % (
            name, m["strAcc"], m["words"], m["AUCacc"], m["AUCstr"]))
    held = cross_validate(files, l2, mix, voices=False, trains=trains)
    print("texts held out, trained on every voice it learns from:")
    for name, sel in [(v, [f for f in files if f.voice == v]) for v in FESTIVAL] + \
            [("festival", festival), ("all", files)]:
        m = score_files(sel, lambda f: held[id(f)])
        print("  %-8s strAcc %.3f (%4d words)  AUCacc %.3f  AUCstr %.3f" % (
            name, m["strAcc"], m["words"], m["AUCacc"], m["AUCstr"]))
    files = [f for f in files if trains(f)]
    w, b = fit(files, l2, mix)
    print("weights:", " ".join("%.4g" % v for v in w), "offset %.4g" % b)
    if a.write:
        write_weights(w, b)
        print("written to", os.path.normpath(WEIGHTS))


if __name__ == "__main__":
    main()
