"""Festival voices with their own syllable labels.

One festival process says all texts of a voice: each utterance's wave is
saved, and its Syllable relation gives the labels the dev set's harness
reads (word, lexical stress, the intonation events on the syllable, the
syllable's and its vowel's times).
"""
import os
import subprocess

VOICES = {"kal": "voice_kal_diphone", "ked": "voice_ked_diphone",
          "slt": "voice_cmu_us_slt_arctic_hts"}

_DUMP = r"""
(define (tv_vowel segs)
  (cond ((null segs) nil)
        ((string-equal (item.feat (car segs) "ph_vc") "+") (car segs))
        (t (tv_vowel (cdr segs)))))
(define (tv_names ints)
  (if ints (string-append (item.name (car ints)) " " (tv_names (cdr ints))) ""))
(define (tv_dump utt out)
  (let ((fd (fopen out "w")) (wi 0))
    (mapcar
     (lambda (word)
       (let ((sylls (item.daughters (item.relation word 'SylStructure))) (si 0))
         (mapcar
          (lambda (syl)
            (let ((segs (item.daughters syl)))
              (let ((vow (or (tv_vowel segs) (car segs)))
                    (ints (item.relation.daughters syl 'Intonation)))
                (format fd "%d\t%s\t%d\t%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n"
                        wi (item.name word) si (length sylls) (item.feat syl "stress")
                        (if ints (tv_names ints) "-")
                        (item.feat (car segs) "segment_start")
                        (item.feat (car (last segs)) "end")
                        (item.name vow) (item.feat vow "segment_start") (item.feat vow "end"))
                (set! si (+ si 1)))))
          sylls)
         (if sylls (set! wi (+ wi 1)))))
     (utt.relation.items utt 'Word))
    (fclose fd)))
"""


def _quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def synthesise(voice, items, work):
    """items: [(name, text)]. Writes work/<name>.wav and work/<name>.lab."""
    script = os.path.join(work, "say-%s.scm" % voice)
    with open(script, "w") as f:
        f.write(_DUMP)
        f.write("(%s)\n" % VOICES[voice])
        for name, text in items:
            base = os.path.join(work, name)
            f.write("(set! utt (SynthText %s))\n" % _quote(text))
            f.write("(utt.save.wave utt %s 'riff)\n" % _quote(base + ".wav"))
            f.write("(tv_dump utt %s)\n" % _quote(base + ".lab"))
    subprocess.run(["festival", "-b", script], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def read_labels(path):
    """-> list of syllable dicts (times in seconds of the festival wave);
    `accented` = one of its intonation events is a pitch accent (has a *)."""
    out = []
    with open(path) as f:
        for line in f:
            p = line.rstrip("\n").split("\t")
            if len(p) < 11:
                continue
            accents = p[5].split() if p[5] != "-" else []
            out.append(dict(word_index=int(p[0]), word=p[1], syl_in_word=int(p[2]),
                            word_syllables=int(p[3]), stress=1 if int(p[4]) else 0,
                            accented=1 if any("*" in a for a in accents) else 0,
                            accents=",".join(accents) or "-", syl_start=float(p[6]),
                            syl_end=float(p[7]), vowel=p[8], vowel_start=float(p[9]),
                            vowel_end=float(p[10])))
    return out
