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
import sys

import numpy as np
from scipy.signal import butter, sosfilt

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from derived_set import DerivedSet  # noqa: E402

derived = DerivedSet(sys.argv[1], sys.argv[2])
rng = np.random.default_rng(2026)
band = butter(4, [20, 90], btype='bandpass', fs=22050, output='sos')
for r in derived.clean:
    x = derived.read(r)
    rms = np.sqrt(np.mean(x[np.abs(x) > 100] ** 2))
    noise = sosfilt(band, rng.normal(0, 1, len(x)))
    noise *= rms / np.sqrt(np.mean(noise ** 2))
    for db in (-20, -10, 0):
        derived.save(r, 'rumble%d' % db, x + noise * 10 ** (db / 20))
derived.finish()
