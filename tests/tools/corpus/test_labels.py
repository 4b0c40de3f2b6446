"""The corpus generator's stress labels against espeak-ng's own, and
flite's labels against the words flite says.

A word's label comes from the lexicon the generator reads; espeak-ng, asked
for the word's stress (`espeak-ng -x`), marks the same syllables when the
two dictionaries agree, and says back exactly the stress the generator's
phoneme input asks for, which is what makes the espeak-ng part of the
corpus labelled by construction.
"""
import os
import subprocess
import sys
import tempfile
import unittest
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import festival_voice  # noqa: E402
import flite_voice  # noqa: E402
import lexicon  # noqa: E402

# Words whose stress both dictionaries give alike, several of them with the
# stress moving between relatives.
WORDS = ["photographer", "photographic", "economy", "economic", "fifty", "seventy",
         "thirty", "record", "object", "banana", "tomorrow", "elephant",
         "engineer", "understand", "computer"]


def espeak_marks(text):
    out = subprocess.run(["espeak-ng", "-q", "-x", "-v", "en-us", text], check=True,
                         stdout=subprocess.PIPE, text=True).stdout.split()
    return [lexicon.espeak_stressed_syllables(w) for w in out]


@unittest.skipUnless(os.path.exists(lexicon.LEXICON), "festival's lexicon is not installed")
class GeneratorLabels(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lex = lexicon.read_lexicon()

    def label(self, word):
        entries = self.lex[word]
        sylls = entries.get("n") or entries.get("nil") or next(iter(entries.values()))
        pattern = lexicon.stress_pattern(sylls)
        return [i for i, s in enumerate(pattern) if s], len(pattern), sylls

    def test_lexicon_stress_agrees_with_espeak_on_common_words(self):
        for word, (marked, count) in zip(WORDS, espeak_marks(" ".join(WORDS))):
            stressed, syllables, _ = self.label(word)
            self.assertEqual(count, syllables, word)
            # espeak-ng marks the primary stress always and a secondary one
            # where it hears it; the lexicon's 1 covers both.
            self.assertTrue(set(marked) <= set(stressed) and marked, (word, marked, stressed))
            primary = min(marked)
            self.assertIn(primary, stressed, word)

    def test_phoneme_input_is_said_with_the_labelled_stress(self):
        # The same word with its stress on each of its syllables in turn:
        # the label must follow the phonemes, not the dictionary.
        for word in ("photographer", "economic", "fifteen", "record"):
            _, count, sylls = self.label(word)
            for k in range(count):
                pattern = [1 if i == k else 0 for i in range(count)]
                text, _ = lexicon.espeak_phonemes(sylls, pattern)
                (marked, said), = espeak_marks("[[%s]]" % text)
                self.assertEqual(said, count, (word, text))
                self.assertEqual(marked, [k], (word, text))


@unittest.skipUnless(os.path.exists("/usr/include/flite/flite.h"), "flite1-dev is not installed")
class FliteLabels(unittest.TestCase):
    def test_noun_and_verb_keep_their_stress_and_times_follow_the_wave(self):
        with tempfile.TemporaryDirectory() as work:
            for voice in flite_voice.VOICES:
                flite_voice.synthesise(voice, [("t", "Did you record the record?")], work)
                sylls = festival_voice.read_labels(os.path.join(work, "t.lab"))
                record = [[s["stress"] for s in sylls if s["word_index"] == w] for w in (2, 4)]
                self.assertEqual(record, [[0, 1], [1, 0]], voice)
                with wave.open(os.path.join(work, "t.wav")) as w:
                    seconds = w.getnframes() / w.getframerate()
                for s, after in zip(sylls, sylls[1:]):
                    self.assertLessEqual(s["syl_start"], s["vowel_start"], voice)
                    self.assertLess(s["vowel_start"], s["vowel_end"], voice)
                    self.assertLessEqual(s["vowel_end"], s["syl_end"], voice)
                    self.assertAlmostEqual(s["syl_end"], after["syl_start"], 3, voice)
                self.assertLess(sylls[-1]["syl_end"], seconds, voice)


if __name__ == "__main__":
    unittest.main()
