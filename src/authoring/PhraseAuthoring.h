#pragma once
// Turning a plain recording into a native speaker's phrase sound file: the
// recording is read (WAV, FLAC, Ogg and whatever else libsndfile reads),
// mixed down to one channel, resampled to the tutor's 22050 Hz, stored as
// 16-bit PCM, and analysed exactly as the analyser program analyses a
// student's recording, so native and student views are comparable.
#include "compare/Syllables.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

inline constexpr int NativeRate = 22050;

struct AuthoringResult
{
    bool Written = false;
    std::string Problem; // what went wrong, for a message; empty when written
    int Steps = 0;
    int VoicedPoints = 0;
    double Seconds = 0;
    int NamedSteps = 0; // steps the stored syllables name
};

// A syllable whose time in the recording is known (from a speech
// synthesiser): it names the step that holds its middle.
struct TimedSyllable
{
    QString Text;
    bool Stressed = false;
    double Seconds = 0; // the syllable's middle, from the start of the recording
    bool StartsWord = true;
};

// The syllables to keep with the phrase: an author's spelled ones follow
// the steps one for one (and are kept unplaced when they are not as many as
// the steps); timed ones go to the step that holds their middle, several
// on one step joined (with a blank between words). Without either, no
// "syl " chunk is written.
struct AuthoringSyllables
{
    SyllableList Spelled;
    std::vector<TimedSyllable> Timed;
};

// A phrase text as a phrase file keeps it: at most 200 bytes, not ending
// inside a UTF-8 sequence.
QByteArray FitPhraseText(QByteArray text);

// Writes OUT as a phrase sound file with "fmt ", "snt " (text), "stp ",
// "data", "ptc " and, when syllables are given, "syl ". Text longer than a
// phrase text field (200 bytes) is cut at a character boundary. Nothing is
// written unless the analysis is good; an existing OUT is replaced only by a
// complete file.
AuthoringResult AuthorPhraseFile(const QString& inputPath, const QString& outputPath,
                                 const QByteArray& text, const AuthoringSyllables& syllables = {});
