"""espeak-ng as a labelled voice: phoneme input with a stress mark before
every stressed syllable, so the stress is known by construction, and the
library's phoneme events give each phoneme's sample position.
"""
import ctypes

import numpy as np

import lexicon

RATE = 22050
_SYNCHRONOUS, _PHONEME_EVENTS = 2, 1
_EV_END, _EV_PHONEME = 0, 7
_RATE, _PITCH, _RANGE = 1, 3, 4
INSERTED = {";", "r-"}
_POS_CHARACTER, _CHARS_AUTO, _PHONEMES = 1, 0, 0x100

# Variants of the voices (espeak-ng-data/voices/!v), each taken as a
# speaker of its own for cross-validation by the first letter's group.
VARIANTS = ["m1", "m2", "m3", "m4", "m5", "m6", "m7", "f1", "f2", "f3", "f4", "f5",
            "klatt", "klatt2", "klatt3"]
LANGUAGES = ["en-us", "en", "en-gb-x-rp", "en-gb-scotland"]


class _Event(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("unique_identifier", ctypes.c_uint),
                ("text_position", ctypes.c_int), ("length", ctypes.c_int),
                ("audio_position", ctypes.c_int), ("sample", ctypes.c_int),
                ("user_data", ctypes.c_void_p), ("id", ctypes.c_char * 8)]


_CALLBACK = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(ctypes.c_short), ctypes.c_int,
                             ctypes.POINTER(_Event))


class Espeak:
    def __init__(self):
        self.lib = ctypes.CDLL("libespeak-ng.so.1")
        if self.lib.espeak_Initialize(_SYNCHRONOUS, 0, None, _PHONEME_EVENTS) != RATE:
            raise RuntimeError("espeak-ng did not start at %d Hz" % RATE)
        self._samples, self._events = [], []
        self._cb = _CALLBACK(self._receive)
        self.lib.espeak_SetSynthCallback(self._cb)

    def _receive(self, wav, count, events):
        if count > 0:
            self._samples.append(np.ctypeslib.as_array(wav, (count,)).copy())
        i = 0
        while events[i].type != _EV_END:
            e = events[i]
            if e.type == _EV_PHONEME:
                self._events.append((e.sample, bytes(e.id).split(b"\0")[0].decode("latin-1")))
            i += 1
        return 0

    def say(self, phoneme_text, voice, rate, pitch, pitch_range):
        """-> (int16 samples, [(sample, phoneme)])."""
        self._samples, self._events = [], []
        self.lib.espeak_SetVoiceByName(voice.encode())
        self.lib.espeak_SetParameter(_RATE, int(rate), 0)
        self.lib.espeak_SetParameter(_PITCH, int(pitch), 0)
        self.lib.espeak_SetParameter(_RANGE, int(pitch_range), 0)
        text = phoneme_text.encode("latin-1")
        self.lib.espeak_Synth(text, len(text) + 1, 0, _POS_CHARACTER, 0,
                              _CHARS_AUTO | _PHONEMES, None, None)
        self.lib.espeak_Synchronize()
        x = np.concatenate(self._samples) if self._samples else np.zeros(0, np.int16)
        return x, list(self._events)


def phoneme_text(lex, tokens, rng, shift_share=0.0):
    """Tokens -> (espeak input, words); words = [(word, [syllable phones],
    stress pattern)]. Monosyllabic function words are said unstressed;
    with probability `shift_share` a longer word's stress moves to another
    syllable (the truth follows the phonemes, not the dictionary)."""
    import texts
    parts, words = [], []
    for w, pos in tokens:
        if w in ",.?!":
            parts.append(w)
            continue
        _p, sylls = texts.entry(lex, w, pos)
        stress = list(lexicon.stress_pattern(sylls))
        if len(sylls) == 1 and w in texts.FUNCTION:
            stress = [0]
        elif len(sylls) == 1:
            stress = [1]
        elif rng.random() < shift_share:
            k = rng.randrange(len(sylls))
            stress = [1 if i == k else 0 for i in range(len(sylls))]
        if not any(stress) and len(sylls) > 1:
            stress[0] = 1
        ph, per = lexicon.espeak_phonemes(sylls, stress)
        parts.append(" [[%s]]" % ph)
        words.append((w, per, stress))
    return "".join(parts).strip(), words


def label(words, events, rate=RATE):
    """Syllable labels from the phoneme events, or None when espeak-ng said
    other phonemes than were asked for (the times would not be trustworthy)."""
    # Pauses, and the glides espeak-ng inserts between vowels (";", "r-"),
    # were not asked for and belong to no syllable.
    said = [(s, p) for s, p in events if not p.startswith("_") and p not in INSERTED]
    ends = [s for s, _p in events]
    wanted = [(wi, si, ph) for wi, (_w, per, _st) in enumerate(words)
              for si, syl in enumerate(per) for ph in syl]
    if len(said) != len(wanted):
        return None
    # Each phoneme ends where the next event (a pause included) starts.
    pos_of = {s: i for i, (s, _p) in enumerate(events)}
    out, k = [], 0
    for wi, (w, per, stress) in enumerate(words):
        for si, syl in enumerate(per):
            seg = said[k:k + len(syl)]
            nxt = said[k + len(syl)][0] if k + len(syl) < len(said) else None
            vi = next((i for i, ph in enumerate(syl) if ph in lexicon.ESPEAK_VOWELS), None)
            if vi is None or seg[vi][1] not in lexicon.ESPEAK_VOWELS:
                return None
            v_start = seg[vi][0]
            j = pos_of.get(v_start, None)
            v_end = events[j + 1][0] if j is not None and j + 1 < len(events) else ends[-1]
            s_end = nxt if nxt is not None else events[pos_of[seg[-1][0]] + 1][0] \
                if pos_of[seg[-1][0]] + 1 < len(events) else ends[-1]
            # A pause before the next syllable is not part of this one.
            last = pos_of[seg[-1][0]]
            if last + 1 < len(events) and (events[last + 1][1].startswith("_") or
                                           events[last + 1][1] in INSERTED):
                s_end = events[last + 1][0]
            out.append(dict(word_index=wi, word=w, syl_in_word=si, word_syllables=len(per),
                            stress=stress[si], accented=-1, accents="-",
                            syl_start=seg[0][0] / rate, syl_end=s_end / rate,
                            vowel="".join(syl[vi:vi + 1]), vowel_start=v_start / rate,
                            vowel_end=v_end / rate))
            k += len(syl)
    return out
