#!/usr/bin/python3
"""Builds a rumble set from the clean files of a labelled set: each clean
recording three times over, with noise between 20 and 90 Hz (wind, traffic,
a desk knocked) at -20, -10 and 0 dB against the recording's loud samples.
The ear hardly hears noise that low, so a recording that sounds clean can
hold this much. Timing is unchanged, so the clean file's pitch and syllable
labels stay true, and the labelled set's harness runs on it as on the set:

    /usr/bin/python3 make_rumble_set.py SET_DIR OUT_DIR
    cd SET_DIR/tools && /usr/bin/python3 pitch_eval.py OUT_DIR tvm:PATH praat-ac
"""
import os
import shutil
import sys

import numpy as np
from scipy.signal import butter, sosfilt

S, O = sys.argv[1], sys.argv[2]
sys.path.insert(0, os.path.join(S, 'tools'))
import tvwav  # noqa: E402

os.makedirs(O, exist_ok=True)
rows = [r for r in tvwav.read_manifest(S) if r['condition'] == 'clean']
rng = np.random.default_rng(2026)
band = butter(4, [20, 90], btype='bandpass', fs=22050, output='sos')
out = []
for r in rows:
    x = tvwav.read_phrase_wav(os.path.join(S, r['file']))['samples'].astype(float)
    rms = np.sqrt(np.mean(x[np.abs(x) > 100] ** 2))
    noise = sosfilt(band, rng.normal(0, 1, len(x)))
    noise *= rms / np.sqrt(np.mean(noise ** 2))
    for db in (-20, -10, 0):
        fid = '%s_rumble%d' % (r['base'], db)
        y = np.clip(np.round(x + noise * 10 ** (db / 20)), -32768, 32767).astype(np.int16)
        tvwav.write_phrase_wav(os.path.join(O, fid + '.wav'), y, 22050, r['text'])
        shutil.copy(os.path.join(S, r['f0_file']), os.path.join(O, fid + '.f0'))
        labelled = r['syl_file'] != '-'
        if labelled:
            shutil.copy(os.path.join(S, r['syl_file']), os.path.join(O, fid + '.syl.tsv'))
        rr = dict(r)
        rr.update(id=fid, file=fid + '.wav', condition='rumble%d' % db, f0_file=fid + '.f0',
                  syl_file=fid + '.syl.tsv' if labelled else '-', tier='hard')
        out.append(rr)
hdr = list(tvwav.read_manifest(S)[0].keys())
with open(os.path.join(O, 'manifest.tsv'), 'w') as f:
    f.write('\t'.join(hdr) + '\n')
    for rr in out:
        f.write('\t'.join(rr[h] for h in hdr) + '\n')
print('%d files in %s' % (len(out), O))
