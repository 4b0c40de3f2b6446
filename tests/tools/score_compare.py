#!/usr/bin/python3
"""Scores `tvtool compare` and a simple baseline on the labelled pairs that
make_compare_pairs.py wrote:

    /usr/bin/python3 score_compare.py PAIRS_DIR [--tvtool PATH]

Truth:
  stress  the pair's design: the learner's word has the model's stress or
          the stress moved to another syllable;
  ending  each clean rendering's final movement, by the ending rule (the same
          rule the comparison documents, on the Praat pitch track of the clean
          recording); a rendering counts only when Praat's autocorrelation and
          cross-correlation tracks give the same category, its movement is not
          within half a semitone of the threshold, and the track's final
          0.8 s holds at least ten voiced frames none of which lies an octave
          from the phrase's median (tracker failures);
  same prosody  the same stress and the same ending; different prosody: a
          moved stress or another ending.

Baseline (what a simple tool would do): the stressed step is the step with
the most energy, and the stresses match when both are the same step number;
the ending is the slope of a straight line through the semitones of the last
30 % of the voiced frames (rise/fall beyond 2 semitones over that stretch);
the score is 50 x (1 + the correlation of the two contours, each stretched
over its voiced span).

Prints the figures for the development pairs, the held-out pairs and all
pairs, and writes them to PAIRS_DIR/report.md.
"""
import argparse
import json
import os
import struct
import subprocess
import sys

import numpy as np

THRESHOLD = 2.0  # semitones: rise, fall or level
MARGIN = 0.5     # truth within this of the threshold is ambiguous


def read_table(path):
    with open(path) as f:
        rows = [line.rstrip("\n").split("\t") for line in f]
    return [dict(zip(rows[0], row)) for row in rows[1:]]


def read_phrase(path):
    """The chunks of a phrase sound file: steps, pitch track, samples."""
    with open(path, "rb") as f:
        b = f.read()
    chunks, i = {}, 12
    while i + 8 <= len(b):
        cid = b[i:i + 4].decode("latin1")
        size = struct.unpack("<I", b[i + 4:i + 8])[0]
        chunks[cid] = b[i + 8:i + 8 + size]
        i += 8 + size + (size & 1)
    stp = np.frombuffer(chunks["stp "], dtype="<i4")
    steps = stp[2:2 + 7 * ((len(stp) - 2) // 7)].reshape(-1, 7)
    ptc = np.frombuffer(chunks["ptc "], dtype="<i4").reshape(-1, 2)
    data = np.frombuffer(chunks["data"], dtype="<i2").astype(float)
    return dict(start=int(stp[0]), end=int(stp[1]), steps=steps, pitch=ptc, data=data)


# --- the ending rule, as the comparison documents it ------------------------

def contour(t, hz):
    """Voiced frames in semitones from their median; the shorter piece beside
    a jump of 7 semitones within 30 ms, frames 7 semitones off the median of
    their ten neighbours and stretches under 3 frames dropped."""
    m = hz > 0
    t, hz = t[m], hz[m]
    if len(hz) == 0:
        return t, hz
    st = 12 * np.log2(hz / np.median(hz))
    cuts = [0] + [k for k in range(1, len(st))
                  if t[k] - t[k - 1] < 0.03 and abs(st[k] - st[k - 1]) >= 7] + [len(st)]
    lengths = np.diff(cuts)
    keep = np.zeros(len(st), bool)
    for n in range(len(lengths)):
        error = (n > 0 and lengths[n] < lengths[n - 1]) or \
            (n + 1 < len(lengths) and lengths[n] < lengths[n + 1])
        keep[cuts[n]:cuts[n + 1]] = not error
    t, st = t[keep], st[keep]
    keep = np.array([abs(st[i] - np.median(st[max(0, i - 5):i + 6])) <= 7
                     for i in range(len(st))], bool)
    t, st = t[keep], st[keep]
    keep = np.zeros(len(t), bool)
    i = 0
    while i < len(t):
        j = i
        while j + 1 < len(t) and t[j + 1] - t[j] < 0.03:
            j += 1
        keep[i:j + 1] = j - i + 1 >= 3
        i = j + 1
    t, st = t[keep], st[keep]
    return t, st - np.median(st) if len(st) else st


def ending_movement(t, st):
    if len(t) < 4:
        return 0.0
    w = t >= t[-1] - 0.8
    t, s = t[w], st[w]
    s = np.array([np.median(s[max(0, i - 2):i + 3]) for i in range(len(s))])
    end = np.median(s[t >= t[-1] - 0.03])
    direction, turn = 0, end
    for v in s[::-1]:
        if direction == 0:
            if v <= end - 1.5:
                direction = 1
            elif v >= end + 1.5:
                direction = -1
            else:
                continue
        elif (direction == 1 and v > turn + 1.5) or (direction == -1 and v < turn - 1.5):
            break
        if (direction == 1 and v <= turn) or (direction == -1 and v >= turn):
            turn = v
    return end - turn


def category(movement):
    return "rise" if movement >= THRESHOLD else "fall" if movement <= -THRESHOLD else "level"


def praat_track(path):
    a = np.loadtxt(path, ndmin=2)
    return a[:, 0], a[:, 1]


def true_ending(folder, rid):
    """The rendering's final movement by Praat, or None when unreliable."""
    results = []
    for method in ("ac", "cc"):
        t, hz = praat_track(os.path.join(folder, "f0", rid + "." + method + ".f0"))
        v = hz > 0
        if v.sum() < 10:
            return None
        raw = 12 * np.log2(hz[v] / np.median(hz[v]))
        final = t[v] >= t[v][-1] - 0.8
        if final.sum() < 10 or np.any(np.abs(raw[final]) > 10):
            return None
        results.append(ending_movement(*contour(t, hz)))
    if category(results[0]) != category(results[1]):
        return None
    if abs(abs(results[0]) - THRESHOLD) < MARGIN:
        return None
    return category(results[0])


# --- the baseline ------------------------------------------------------------

def baseline_speaker(path):
    ph = read_phrase(path)
    x = ph["data"]
    energies = [np.mean(x[s[0]:s[1] + 1] ** 2) if s[1] >= s[0] else 0 for s in ph["steps"]]
    pos, hz = ph["pitch"][:, 0], ph["pitch"][:, 1] / 10.0
    voiced = (hz > 0) & (pos >= ph["start"]) & (pos <= ph["end"])
    t, st = pos[voiced] / 22050.0, 12 * np.log2(hz[voiced] / np.median(hz[voiced]))
    tail = t >= t[0] + 0.7 * (t[-1] - t[0])
    slope = np.polyfit(t[tail], st[tail], 1)[0] if tail.sum() >= 3 else 0.0
    movement = slope * (t[tail][-1] - t[tail][0]) if tail.sum() >= 3 else 0.0
    grid = np.interp(np.linspace(t[0], t[-1], 100), t, st)
    return dict(stressed=int(np.argmax(energies)) + 1, ending=category(movement), contour=grid)


def baseline(model_path, learner_path):
    m, s = baseline_speaker(model_path), baseline_speaker(learner_path)
    r = np.corrcoef(m["contour"], s["contour"])[0, 1]
    return dict(stress_match=m["stressed"] == s["stressed"], ending_match=m["ending"] == s["ending"],
                score=50 * (1 + (r if np.isfinite(r) else 0)))


# --- figures -------------------------------------------------------------------

def balanced_accuracy(truth, predicted):
    truth, predicted = np.array(truth, bool), np.array(predicted, bool)
    if truth.all() or (~truth).all():
        return float("nan")
    return 0.5 * (np.mean(predicted[truth]) + np.mean(~predicted[~truth]))


def auc(positive, negative):
    """Probability that a same-prosody pair scores above a different one."""
    if not positive or not negative:
        return float("nan")
    p, n = np.array(positive)[:, None], np.array(negative)[None, :]
    return float(np.mean((p > n) + 0.5 * (p == n)))


def figures(rows, who):
    stress = [r for r in rows if r["kind"] == "stress"]
    ending = [r for r in rows if r["ending_truth"] is not None]
    same = [r[who]["score"] for r in rows if r["same_prosody"] is True]
    different = [r[who]["score"] for r in rows if r["same_prosody"] is False]
    return dict(
        stress=balanced_accuracy([r["stress_same"] for r in stress],
                                 [r[who]["stress_match"] for r in stress]),
        stress_n=len(stress),
        stress_all=balanced_accuracy([r["stress_same"] for r in rows],
                                     [r[who]["stress_match"] for r in rows]),
        stress_all_n=len(rows),
        ending=balanced_accuracy([r["ending_truth"] for r in ending],
                                 [r[who]["ending_match"] for r in ending]),
        ending_n=len(ending),
        auc=auc(same, different), auc_n=(len(same), len(different)),
        flagged_sentences=np.mean([not r[who]["stress_match"] for r in rows
                                   if r["kind"] == "ending"] or [float("nan")]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pairs")
    parser.add_argument("--tvtool", default="build/src/tvtool")
    args = parser.parse_args()
    folder = os.path.abspath(args.pairs)
    renderings = {r["id"]: r for r in read_table(os.path.join(folder, "renderings.tsv"))}
    truth = {rid: true_ending(folder, rid) for rid in renderings}
    rows, failed = [], 0
    for p in read_table(os.path.join(folder, "pairs.tsv")):
        model = os.path.join(folder, "model", p["model"] + ".wav")
        learner = os.path.join(folder, "learner", p["learner"] + ".wav")
        run = subprocess.run([args.tvtool, "compare", model, learner, "--json"],
                             capture_output=True, text=True)
        if run.returncode != 0:
            failed += 1
            continue
        result = json.loads(run.stdout)
        ours = dict(stress_match=result["stress"]["match"],
                    ending_match=result["ending"]["match"], score=result["score"])
        tm, tl = truth[p["model"]], truth[p["learner"]]
        ending_truth = None if tm is None or tl is None else tm == tl
        stress_same = p["kind"] != "stress" or p["stress_same"] == "1"
        same_prosody = None
        if not stress_same:
            same_prosody = False
        elif ending_truth is not None:
            same_prosody = ending_truth
        rows.append(dict(kind=p["kind"], split=p["split"], stress_same=stress_same,
                         ending_truth=ending_truth, same_prosody=same_prosody, ours=ours,
                         base=baseline(model, learner)))

    lines = ["| pairs | measure | target | tvtool compare | baseline |",
             "|---|---|---|---|---|"]
    for name, subset in (("held-out", [r for r in rows if r["split"] == "held"]),
                         ("development", [r for r in rows if r["split"] == "dev"]),
                         ("all", rows)):
        ours, base = figures(subset, "ours"), figures(subset, "base")
        lines += [
            "| %s | stress placement, balanced accuracy (%d word pairs) | >= 0.90 | %.3f | %.3f |"
            % (name, ours["stress_n"], ours["stress"], base["stress"]),
            "| %s | stress placement, balanced accuracy, sentences as the same stress (%d pairs) "
            "| >= 0.90 | %.3f | %.3f |"
            % (name, ours["stress_all_n"], ours["stress_all"], base["stress_all"]),
            "| %s | ending, balanced accuracy (%d pairs) | >= 0.90 | %.3f | %.3f |"
            % (name, ours["ending_n"], ours["ending"], base["ending"]),
            "| %s | score AUC, same vs different prosody (%d / %d pairs) | >= 0.85 | %.3f | %.3f |"
            % (name, ours["auc_n"][0], ours["auc_n"][1], ours["auc"], base["auc"]),
            "| %s | sentence pairs flagged for stress (same words) | low | %.3f | %.3f |"
            % (name, ours["flagged_sentences"], base["flagged_sentences"]),
        ]
    lines.append("")
    lines.append("%d pairs scored; %d not compared (a file without steps or voiced pitch)" %
                 (len(rows), failed))
    report = "\n".join(lines) + "\n"
    sys.stdout.write(report)
    with open(os.path.join(folder, "report.md"), "w") as f:
        f.write(report)


if __name__ == "__main__":
    main()
