"""The corpus's texts: phrases from templates and word lists, drawn from a
seed. Every text is a list of tokens, each a word with the lexicon entry it
is said with (the part of speech decides the stress of record, permit,
present ...) or a punctuation mark, so a voice that takes phonemes says
exactly the stress the labels give.
"""
import random
import re

WORDLIST = "/usr/share/dict/american-english"

# Words whose stress sits on different syllables as noun and as verb.
# Words the lexicon lists with both are found by moves_with_pos(); these are
# the commonest, always among the drawn ones.
COMMON_PAIRS = ["record", "permit", "present", "object", "project", "produce", "progress",
                "protest", "rebel", "subject", "suspect", "conduct", "conflict", "contest",
                "contract", "convert", "convict", "desert", "export", "import", "increase",
                "decrease", "insult", "insert", "digest", "extract", "survey", "transfer",
                "transport", "upset", "reject", "escort", "discount", "compound", "refuse"]
TEENS = ["thirteen", "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"]
TENS = ["thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"]
# Families whose stress moves with the suffix.
FAMILIES = [
    ["photograph", "photographer", "photographic"], ["economy", "economic", "economics"],
    ["politics", "political", "politician"], ["democrat", "democracy", "democratic"],
    ["history", "historic", "historian"], ["academy", "academic"], ["energy", "energetic"],
    ["diplomat", "diplomacy", "diplomatic"], ["biology", "biological"],
    ["mechanic", "mechanism"], ["japan", "japanese"], ["china", "chinese"],
    ["personal", "personality"], ["public", "publicity"], ["electric", "electricity"],
    ["origin", "original", "originality"], ["family", "familiar", "familiarity"],
    ["apply", "application"], ["compete", "competition"], ["define", "definition"],
    ["explain", "explanation"], ["admire", "admiration"], ["telephone", "telephonic"],
    ["catholic", "catholicism"], ["analyse", "analysis", "analytic"], ["atom", "atomic"],
    ["geography", "geographic"], ["philosophy", "philosophical"], ["music", "musician"],
    ["magic", "magician"], ["comedy", "comedian"], ["library", "librarian"],
    ["industry", "industrial"], ["major", "majority"], ["author", "authority"],
    ["prefer", "preference"], ["refer", "reference"], ["courage", "courageous"],
    ["harmony", "harmonious"], ["melody", "melodious"], ["climate", "climatic"],
    ["parent", "parental"], ["moment", "momentous"], ["president", "presidential"],
    ["resident", "residential"], ["confident", "confidential"], ["accident", "accidental"],
    ["photo", "photography"], ["telegraph", "telegraphy"], ["reality", "realistic"],
]
FUNCTION = set("""a an the of to in on at and or but is are was were be been for with it he she
they we you i his her its their my your our will can do did does as by from that this not
so than then there here what who how why when where which would could should shall may
might must has have had am if up out no yes me him them us""".split())

# Templates: {W} any drawn word, {N}/{V} a pair word as noun / verb, {T} a
# -teen number, {Y} a -ty number, {F0}/{F1} members of one family.
TEMPLATES = {
    "st": ["They will {V} the {N} tomorrow.", "We had to {V} a second {N}.",
           "The {N} was on the table.", "I think the {N} is ready now.",
           "She wanted to {V} it again.", "Nobody will {V} that {N}.",
           "My brother is {Y} years old.", "The train leaves at {T} minutes past ten.",
           "The {F0} met the {F1} at noon.", "He talked about {W} all evening.",
           "Her favourite word is {W}.", "I found {W} in the dictionary.",
           "We read about the {F1} in the paper.", "There were {Y} people in the hall.",
           "The {F0} is more {F1} than it looks.", "They wrote {W} and {W} on the board.",
           "The words {W} and {W} are in the {N}.", "She heard {W}, {W}, and {W} today."],
    "yn": ["Did you {V} the {N}?", "Is the {N} still there?", "Do you know the word {W}?",
           "Was it {T} or {Y}?", "Can you say {W} again?", "Is this the {F1} one?",
           "Will they {V} it today?", "Are there {Y} of them?"],
    "wh": ["Where did you put the {N}?", "Why did they {V} it?", "How do you spell {W}?",
           "What does {W} mean?", "Who was the {F0}?", "When will they {V} the {N}?",
           "How many are {T} and {Y}?", "Which {F0} did you mean?"],
    "list": ["{W}, {W}, {W}, and {W}.", "{W}, {W}, {W}, {W}, and {W}.", "{T}, {Y}, {W}, {W}.",
             "{F0}, {F1}, {W}, and {W}.", "We need {W}, {W}, {W}, and {W}.",
             "{W}, {W}, {N}, and {W}."],
    "con": ["I said {T}, not {Y}.", "It was the {N}, not the {F0}.",
            "Not {W}, but {W}.", "I said {F0}, not {F1}.", "She said {Y}, not {T}."],
    "num": ["{T} {W}.", "Page {Y}, line {T}.", "Room {T} is on the {Y} floor.",
            "It costs {Y} dollars and {T} cents."],
    "word": ["{W}.", "Say {W} and {W} again.", "The next words are {W} and {W}.",
             "Please say {W}, {W}, and {W} slowly.", "{F0}, {W}.", "{F1}, {W}, {W}.",
             "{N}, {W}, {W}.", "To {V}, to {W}.", "I said {W}, {W}, {W}."],
}


def moves_with_pos(lex):
    """Words the lexicon lists as noun and as verb with different stress."""
    out = []
    for w, entries in lex.items():
        n, v = entries.get("n"), entries.get("v")
        if n and v and len(n) == len(v) and len(n) >= 2 and \
                [s for _p, s in n] != [s for _p, s in v]:
            out.append(w)
    return sorted(out)


def common_words(lex, path=WORDLIST):
    """Lower-case dictionary words the lexicon knows, of two to five syllables."""
    with open(path, encoding="utf-8", errors="ignore") as f:
        words = {ln.strip() for ln in f if re.fullmatch(r"[a-z]+\n?", ln)}
    return sorted(w for w in words if w in lex and "'" not in w and
                  2 <= len(next(iter(lex[w].values()))) <= 5)


def entry(lex, word, pos=None):
    entries = lex[word]
    if pos in entries:
        return pos, entries[pos]
    for p in ("nil", "n", "v", "j"):
        if p in entries:
            return p, entries[p]
    p = sorted(entries)[0]
    return p, entries[p]


class TextDrawer:
    def __init__(self, lex, seed):
        self.lex = lex
        self.rng = random.Random(seed)
        self.pairs = sorted(set(COMMON_PAIRS) | set(moves_with_pos(lex)))
        self.pairs = [w for w in self.pairs if w in lex]
        self.words = common_words(lex)
        self.families = [[w for w in f if w in lex] for f in FAMILIES]
        self.families = [f for f in self.families if len(f) >= 2]
        # Words are drawn without replacement until the list runs out, so the
        # corpus spreads over as many words as it has slots.
        self.bag = []

    def word(self):
        if not self.bag:
            self.bag = list(self.words)
            self.rng.shuffle(self.bag)
        return self.bag.pop()

    def fill(self, template):
        """-> (text, tokens); tokens = [(word, pos) or (punct, None)]."""
        pair = self.rng.choice(self.pairs)
        fam = self.rng.choice(self.families)
        f0, f1 = self.rng.sample(fam, 2)
        toks = []
        for part in re.findall(r"\{\w+\}|[A-Za-z]+|[,.?!]", template):
            if part == "{W}":
                toks.append((self.word(), None))
            elif part in ("{N}", "{V}"):
                toks.append((pair, "n" if part == "{N}" else "v"))
            elif part == "{T}":
                toks.append((self.rng.choice(TEENS), None))
            elif part == "{Y}":
                toks.append((self.rng.choice(TENS), None))
            elif part in ("{F0}", "{F1}"):
                toks.append((f0 if part == "{F0}" else f1, None))
            elif part in ",.?!":
                toks.append((part, None))
            else:
                toks.append((part.lower(), None))
        text = ""
        for w, _pos in toks:
            text += w if w in ",.?!" or not text else " " + w
        text = text[0].upper() + text[1:]
        return text, toks

    def draw(self, count, kinds=None):
        """`count` texts: [(category, text, tokens)]."""
        # Lists and words say the most words per text; they come up more often.
        kinds = kinds or ["st", "yn", "wh", "list", "con", "list", "num", "word", "list", "word"]
        out = []
        for i in range(count):
            cat = kinds[i % len(kinds)]
            text, toks = self.fill(self.rng.choice(TEMPLATES[cat]))
            if all(w in ",.?!" or w in self.lex for w, _p in toks):
                out.append((cat, text, toks))
        return out
