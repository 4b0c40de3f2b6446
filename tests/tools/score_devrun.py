#!/usr/bin/python3
"""Scores the output of tvm-devrun with the dev set harness's own metrics.

    /usr/bin/python3 score_devrun.py SET_DIR OUT_DIR [--files] [--steps] [--harness DIR]

Pitch: per condition and overall GPE / FPE / VDE / FFE, pooled over frames
exactly as pitch_eval.py pools them. Steps (--steps): as step_eval.py.
The harness's modules come from SET_DIR/tools, or from --harness for a set
without them (the training corpus).
"""
import argparse
import os
import sys


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("set_dir")
    ap.add_argument("out_dir")
    ap.add_argument("--files", action="store_true", help="per-file pitch lines too")
    ap.add_argument("--steps", action="store_true")
    ap.add_argument("--harness", help="folder of pitch_eval.py and step_eval.py")
    a = ap.parse_args()
    sys.path.insert(0, a.harness or os.path.join(a.set_dir, "tools"))
    import numpy as np
    import pitch_eval
    import trackers
    import tvwav

    rows = tvwav.read_manifest(a.set_dir)
    per = []
    for r in rows:
        out = os.path.join(a.out_dir, r["id"] + ".f0")
        if not os.path.exists(out):
            continue
        est = np.loadtxt(out, ndmin=2)
        gt_t, gt = tvwav.read_f0_truth(os.path.join(a.set_dir, r["f0_file"]))
        e = trackers.resample_track(est[:, 0], est[:, 1], gt_t)
        c = pitch_eval.frame_counts(gt, e)
        c["row"] = r
        per.append(c)
        if a.files:
            m = pitch_eval.pool([c])
            print("%-20s %s" % (r["id"], pitch_eval.fmt(m)))
    synth = [c for c in per if c["row"]["kind"] == "synthetic"]
    for g in sorted({c["row"]["condition"] for c in synth}):
        sel = [c for c in synth if c["row"]["condition"] == g]
        print("%-22s %5d %s" % ("cond=" + g, len(sel), pitch_eval.fmt(pitch_eval.pool(sel))))
    for t in ("clean", "mild", "hard"):
        sel = [c for c in synth if c["row"].get("tier") == t]
        if sel:
            print("%-22s %5d %s" % ("tier=" + t, len(sel), pitch_eval.fmt(pitch_eval.pool(sel))))
    print("%-22s %5d %s" % ("ALL synthetic", len(synth), pitch_eval.fmt(pitch_eval.pool(synth))))
    real = [c for c in per if c["row"]["kind"] != "synthetic"]
    if real:
        print("%-22s %5d %s" % ("real", len(real), pitch_eval.fmt(pitch_eval.pool(real))))

    if a.steps:
        import step_eval
        res = []
        for r in rows:
            if r["syl_file"] == "-":
                continue
            path = os.path.join(a.out_dir, r["id"] + ".steps")
            if not os.path.exists(path):
                continue
            with open(path) as f:
                lines = [ln.split() for ln in f if ln.strip()]
            bounds = (int(lines[0][0]), int(lines[0][1]))
            steps = [(int(s[0]), int(s[1]), int(s[4])) for s in lines[1:]]
            sylls = tvwav.read_syllables(os.path.join(a.set_dir, r["syl_file"]))
            fs = tvwav.read_phrase_wav(os.path.join(a.set_dir, r["file"]))["rate"]
            s = step_eval.score_file(sylls, bounds, steps, fs)
            s["row"] = r
            res.append(s)
            if a.files:
                print("%-20s steps %2d sylls %2d matched %2d words %d ok %d" % (
                    r["id"], s["steps"], s["sylls"], s["matched"], s["words"], s["words_ok"]))
        for g in sorted({r["row"]["condition"] for r in res}):
            sel = [r for r in res if r["row"]["condition"] == g]
            print("%-16s %5d %s" % ("cond=" + g, len(sel), step_eval.fmt(step_eval.pool(sel))))
        print("%-16s %5d %s" % ("ALL", len(res), step_eval.fmt(step_eval.pool(res))))


if __name__ == "__main__":
    main()
