#pragma once
// Turning a plain recording into a native speaker's phrase sound file: the
// recording is read (WAV, FLAC, Ogg and whatever else libsndfile reads),
// mixed down to one channel, resampled to the tutor's 22050 Hz, stored as
// 16-bit PCM, and analysed exactly as the analyser program analyses a
// student's recording, so native and student views are comparable.
#include <QByteArray>
#include <QString>

#include <string>

inline constexpr int NativeRate = 22050;

struct AuthoringResult
{
    bool Written = false;
    std::string Problem; // what went wrong, for a message; empty when written
    int Steps = 0;
    int VoicedPoints = 0;
    double Seconds = 0;
};

// Writes OUT as a phrase sound file with "fmt ", "snt " (text), "stp ",
// "data" and "ptc ". Text longer than a phrase text field (200 bytes) is
// cut at a character boundary. Nothing is written unless the analysis is
// good; an existing OUT is replaced only by a complete file.
AuthoringResult AuthorPhraseFile(const QString& inputPath, const QString& outputPath,
                                 const QByteArray& text);
