"""The pronouncing lexicon the corpus is built from, and its spelling in
espeak-ng's phoneme notation.

Festival's CMU lexicon (festlex-cmu) gives every word its syllables and
which of them carry lexical stress (1 covers primary and secondary stress);
words whose stress moves with the part of speech (record, permit) have one
entry per part of speech. The same syllables written as espeak-ng phoneme
input, with a stress mark before each stressed syllable, make espeak-ng say
the word with exactly that stress, so its label is known by construction.
"""
import re

LEXICON = "/usr/share/festival/dicts/cmu/cmudict-0.4.out"

# CMU phone -> espeak-ng (en-us) phoneme mnemonic. Unstressed "ah" and "er"
# are the reduced vowels; stressed ones keep their full quality.
CONSONANTS = {
    "b": "b", "ch": "tS", "d": "d", "dh": "D", "f": "f", "g": "g", "hh": "h", "jh": "dZ",
    "k": "k", "l": "l", "m": "m", "n": "n", "ng": "N", "p": "p", "r": "r", "s": "s",
    "sh": "S", "t": "t", "th": "T", "v": "v", "w": "w", "y": "j", "z": "z", "zh": "Z",
}
VOWELS = {
    "aa": "A:", "ae": "a", "ah": "V", "ao": "O:", "aw": "aU", "ay": "aI", "eh": "E",
    "er": "3:", "ey": "eI", "ih": "I", "iy": "i:", "ow": "oU", "oy": "OI", "uh": "U",
    "uw": "u:", "ax": "@",
}
REDUCED = {"ah": "@", "er": "3", "ih": "I", "iy": "i"}

# espeak-ng's own vowel mnemonics (as `espeak-ng -x` prints them and as its
# phoneme events name them), longest first so that parsing is greedy.
ESPEAK_VOWELS = sorted(
    ["A:", "a", "V", "O:", "aU", "aI", "E", "3:", "eI", "I", "i:", "oU", "OI", "U", "u:", "@",
     "3", "i", "0", "aI@", "aI3", "aU@", "e@", "i@", "U@", "O@", "o@", "A@", "@L", "@5", "I2",
     "i@3", "e@3", "U@3", "A@3", "O@3",
     "I#", "E2", "E#", "a#", "e#", "u:", "o:", "O", "A", "e", "o", "u", "y", "@2", "a2",
     "IR", "VR", "ER", "0#", "#"],
    key=len, reverse=True)

_ENTRY = re.compile(r'^\("([^"]+)" (\S+) \((.*)\)\)\s*$')
_SYLLABLE = re.compile(r"\(\(([^()]*)\) (\d)\)")


def read_lexicon(path=LEXICON):
    """{word: {pos: [(phones, stress), ...]}} for plain lower-case words."""
    words = {}
    with open(path, encoding="latin-1") as f:
        for line in f:
            m = _ENTRY.match(line)
            if not m or not re.fullmatch(r"[a-z]+", m.group(1)):
                continue
            sylls = [(s.split(), int(st)) for s, st in _SYLLABLE.findall(m.group(3))]
            if sylls:
                words.setdefault(m.group(1), {})[m.group(2)] = sylls
    return words


def stress_pattern(sylls):
    """Tuple of 0/1, one per syllable."""
    return tuple(1 if st else 0 for _p, st in sylls)


def espeak_phonemes(sylls, stress=None):
    """The syllables as espeak-ng phoneme input (without the [[ ]]); `stress`
    (0/1 per syllable) overrides the lexicon's marks. Returns (text, phones),
    phones the list of espeak mnemonics per syllable, vowels included."""
    stress = stress or stress_pattern(sylls)
    out, per = [], []
    for (phones, _st), strong in zip(sylls, stress):
        mn = []
        for p in phones:
            if p in VOWELS:
                mn.append(VOWELS[p] if strong else REDUCED.get(p, VOWELS[p]))
            elif p in CONSONANTS:
                mn.append(CONSONANTS[p])
            else:
                raise KeyError(p)
        per.append(mn)
        # "%" marks an unstressed syllable: espeak-ng then neither stresses
        # it by its own rules nor merges its vowel with the one before.
        out.append(("'" if strong else "%") + "".join(mn))
    return "".join(out), per


def espeak_stressed_syllables(marked):
    """Syllable indices that `espeak-ng -x` marks with primary (') or
    secondary (,) stress in one word's phoneme string."""
    idx, pending, found, i = 0, False, [], 0
    while i < len(marked):
        ch = marked[i]
        if ch in "',":
            pending = True
            i += 1
            continue
        vowel = next((v for v in ESPEAK_VOWELS if marked.startswith(v, i)), None)
        if vowel and vowel != "#":
            if pending:
                found.append(idx)
            pending = False
            idx += 1
            i += len(vowel)
        else:
            i += 1
    return found, idx
