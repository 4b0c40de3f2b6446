"""The dev set's recording conditions, applied to clean corpus speech
(float samples at 22050 Hz, full scale 1). Each takes the speech and a
random generator and returns the degraded signal and a note of what was
drawn; the pitch truth stays that of the clean speech.
"""
import numpy as np
import scipy.signal as ss

RATE = 22050


def active_power(x):
    """Mean power of the louder half of 10-ms frames: speech, not pauses."""
    n = len(x) // 220 * 220
    p = (np.asarray(x[:n]) ** 2).reshape(-1, 220).mean(1)
    return float(np.mean(np.sort(p)[len(p) // 2:])) + 1e-12


def _noise_at(x, noise, snr_db):
    return x + noise * np.sqrt(active_power(x) / (np.mean(noise ** 2) + 1e-12) / 10 ** (snr_db / 10))


def white(x, rng, snr_db):
    return _noise_at(x, rng.standard_normal(len(x)), snr_db), "snr=%g" % snr_db


def pink(x, rng, snr_db):
    spectrum = np.fft.rfft(rng.standard_normal(len(x)))
    f = np.maximum(np.fft.rfftfreq(len(x), 1.0 / RATE), 20.0)
    return _noise_at(x, np.fft.irfft(spectrum / np.sqrt(f), len(x)), snr_db), "snr=%g" % snr_db


def hum(x, rng, mains=50):
    t = np.arange(len(x)) / RATE
    h = sum(a * np.sin(2 * np.pi * mains * k * t + rng.uniform(0, 6.3))
            for k, a in ((1, 1.0), (2, 0.5), (3, 0.4), (5, 0.2)))
    snr = rng.uniform(6, 14)
    return _noise_at(x, h, snr), "mains=%d snr=%.1f" % (mains, snr)


def quiet(x, rng):
    peak = rng.uniform(-50, -38)
    return x / np.max(np.abs(x)) * 10 ** (peak / 20), "peak=%.1fdB" % peak


def clip(x, rng):
    gain = rng.uniform(3, 8)
    return np.clip(x / np.max(np.abs(x)) * gain, -1, 1), "gain=%.1f" % gain


def pad(x, rng):
    a, b = rng.uniform(0.4, 1.2), rng.uniform(0.4, 1.2)
    floor = 10 ** (rng.uniform(-70, -55) / 20)
    y = np.concatenate([np.zeros(int(a * RATE)), x, np.zeros(int(b * RATE))])
    return y + floor * rng.standard_normal(len(y)), "pre=%.2f post=%.2f" % (a, b), a


def laptop(x, rng):
    hp = rng.uniform(230, 270)
    y = ss.sosfilt(ss.butter(4, hp, "highpass", fs=RATE, output="sos"), x)
    y = ss.sosfilt(ss.butter(4, 7000, "lowpass", fs=RATE, output="sos"), y)
    return white(y, rng, 30)[0], "hp=%.0f" % hp


def room_response(rng, rt60, drr_db):
    """Direct path plus an exponentially decaying noise tail (faster above
    2 kHz, as air and walls absorb high frequencies more)."""
    n = int(rt60 * 1.2 * RATE)
    t = np.arange(n) / RATE
    tail = rng.standard_normal(n)
    lo = ss.sosfilt(ss.butter(2, 2000, "lowpass", fs=RATE, output="sos"), tail)
    hi = tail - lo
    tail = lo * np.exp(-6.9 * t / rt60) + hi * np.exp(-6.9 * t / (0.6 * rt60))
    onset = int(rng.uniform(0.003, 0.012) * RATE)
    tail[:onset] = 0
    tail *= np.sqrt(1.0 / (np.sum(tail ** 2) * 10 ** (drr_db / 10)))
    tail[0] += 1.0
    return tail


def reverb(x, rng, hard=False):
    """RT60 0.4-0.6 s and direct-to-reverberant 0-4 dB as in the dev set;
    `hard`: RT60 up to 0.9 s with the speaker beyond the critical distance
    (more reverberant than direct sound)."""
    rt60 = rng.uniform(0.6, 0.9) if hard else rng.uniform(0.4, 0.6)
    drr = rng.uniform(-6, 0) if hard else rng.uniform(0, 4)
    y = ss.fftconvolve(x, room_response(rng, rt60, drr))[:len(x)]
    return y, "rt60=%.2f drr=%.1f" % (rt60, drr)


def babble(x, others, rng, snr_db=5):
    mix = np.zeros(len(x))
    for o in others:
        start = rng.integers(0, max(1, len(o) - len(x) // 2))
        seg = o[start:start + len(x)]
        mix[:len(seg)] += seg / np.sqrt(active_power(o))
    return _noise_at(x, mix, snr_db), "talkers=%d snr=%d" % (len(others), snr_db)


def pitch_scale(period, rng, kind):
    """Period track scaled down to a lowest pitch of 62-66 Hz ("low") or up
    to a median of 290-320 Hz with at most 420 Hz ("high")."""
    f = 22050.0 / period[period > 0]
    if kind == "low":
        factor = rng.uniform(62, 66) / f.min()
    else:
        factor = min(rng.uniform(290, 320) / np.median(f), 420 / f.max())
    return np.where(period > 0, period / factor, 0.0), "factor=%.2f" % factor
