"""flite's statistical voices, labelled from flite's own utterance.

awb and rms were trained on two real speakers' readings, so where they put
length, loudness and pitch follows what those speakers did, not rules; they
give the corpus voices of the kind slt is and a learner is. flite_say.c,
compiled here against libflite, says the texts and writes the labels in the
layout festival_voice.py writes, so festival_voice.read_labels reads them.
"""
import os
import subprocess

VOICES = ["awb", "rms"]
_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "flite_say.c")


def _program(work):
    path = os.path.join(work, "flite_say")
    if not os.path.exists(path):
        subprocess.run(["cc", "-O2", "-I/usr/include/flite", "-o", path, _SOURCE,
                        "-lflite_cmu_us_awb", "-lflite_cmu_us_rms", "-lflite_usenglish", "-lflite_cmulex", "-lflite", "-lm"], check=True)
    return path


def synthesise(voice, items, work):
    """items: [(name, text)]. Writes work/<name>.wav and work/<name>.lab."""
    lines = "".join("%s\t%s\n" % (name, " ".join(text.split())) for name, text in items)
    subprocess.run([_program(work), voice, work], input=lines.encode("latin-1", "replace"),
                   check=True, stdout=subprocess.DEVNULL)
