#!/usr/bin/python3
"""Builds a stress set from the clean files of a labelled set: each clean
recording gets one condition the labelled set does not have (white noise at
0 dB, pink noise at 3 dB, 60 Hz hum with harmonics 12 dB down, a 1-second
reverberation tail, an 8 kHz telephone band, eight times too loud and
clipped, 44.1 kHz with a DC offset, two other talkers 3 dB down). Timing is
unchanged, so the clean file's pitch and syllable labels stay true. The
result has the labelled set's layout, so its harness runs on it too:

    /usr/bin/python3 make_stress_set.py SET_DIR OUT_DIR
    ln -s SET_DIR/tools OUT_DIR/tools
    cd SET_DIR/tools && /usr/bin/python3 pitch_eval.py OUT_DIR tvm:PATH praat-ac
"""
import os
import sys

import numpy as np
from scipy.signal import butter, fftconvolve, resample_poly, sosfilt

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from derived_set import DerivedSet  # noqa: E402

S, O = sys.argv[1], sys.argv[2]
derived = DerivedSet(S, O)
rows = derived.clean
rng=np.random.default_rng(12345)
save = derived.save
read = derived.read
for i,r in enumerate(rows):
    x=read(r)
    n=len(x); rms=np.sqrt(np.mean(x[np.abs(x)>100]**2))
    c=i%8
    t=np.arange(n)/22050
    if c==0:  # white 0 dB
        save(r,'white0', x+rng.normal(0,rms,n))
    elif c==1: # pink 3 dB
        w=rng.normal(0,1,n); P=np.fft.rfft(w); f=np.fft.rfftfreq(n,1/22050); P[1:]/=np.sqrt(f[1:]); p=np.fft.irfft(P,n); p*=rms/np.sqrt(np.mean(p**2))/10**(3/20)
        save(r,'pink3', x+p)
    elif c==2: # hum 60 with harmonics, strong
        h=sum(a*np.sin(2*np.pi*60*k*t+k) for k,a in [(1,1),(2,.5),(3,.6),(5,.3)]); h*=rms/np.sqrt(np.mean(h**2))/10**(12/20)
        save(r,'hum60', x+h)
    elif c==3: # long reverb
        L=int(1.0*22050); ir=rng.normal(0,1,L)*np.exp(-6.9*np.arange(L)/L/1.0*1.0); ir[0]=3; y=fftconvolve(x,ir)[:n]; y*=np.max(np.abs(x))/np.max(np.abs(y))
        save(r,'reverb1s', y)
    elif c==4: # telephone 8 kHz
        y=sosfilt(butter(4,[300,3400],'bp',fs=22050,output='sos'),x); y=resample_poly(y,160,441); y=y+rng.normal(0,rms*0.01,len(y))
        save(r,'phone8k', y, 8000)
    elif c==5: # heavy clip
        save(r,'clip8x', np.clip(x*8,-32767,32767))
    elif c==6: # 44.1 kHz + DC offset
        y=resample_poly(x,2,1)+1500
        save(r,'dc44k', y, 44100)
    elif c==7: # babble-like: two other files mixed at 0 dB
        o=[read(rows[(i+k)%len(rows)]) for k in (3,7)]
        b=np.zeros(n)
        for z in o: m=min(n,len(z)); b[:m]+=z[:m]
        b*=rms/np.sqrt(np.mean(b[np.abs(b)>100]**2))/10**(3/20)
        save(r,'babble3', x+b)
derived.finish()
