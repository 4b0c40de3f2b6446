#pragma once
// What the analyser program does with one recording: read the phrase sound
// file, analyse it, and when the analysis is good rewrite the file in place
// with its steps ("stp ", before "data") and pitch track ("ptc ", after
// it); then leave a result file beside it ("Good" or "Not Good,<reason>").
//
// The rewrite is the plain form the tutor reads: "fmt " first, as the 16
// bytes of the plain format (an extensible or extended format is written
// plain), then the text, then every other chunk byte for byte in its order.
// Before it replaces the recording, the new file is read back as the tutor
// reads it; a file the tutor could not read never replaces a recording.
//
// The new file is built beside the recording and replaces it whole
// (audio/NativeFile.h: the recording keeps its permissions, owner, links and
// hard links), so the recording is either the old file or the complete new
// one, never a half-written mix. (A recording with several hard links is
// written over in place instead; stop requests wait for that, and a kill
// leaves the new version whole in the temporary file.) The result file is written the same way,
// and only after the recording is complete, because its appearance is what
// the tutor waits for.
//
// Paths are native paths, the bytes of the file's name: the name the tutor
// gave is the name the result must have, in any encoding.
#include <QByteArray>

#include <cstdint>
#include <functional>
#include <string>

// Reasons of the program itself, beside those of the analysis.
inline constexpr const char* ReasonCommandLine = "wrong command line";
inline constexpr const char* ReasonAnalyserFailed = "analyser failed";
inline constexpr const char* ReasonNotRegular = "not a regular file";
inline constexpr const char* ReasonNotReadBack = "rewritten file unreadable";

// The most sample bytes read from a recording. A phrase the pitch chunk can
// hold is far smaller at any usual rate and format; a larger "data" chunk is
// too long by its size alone, and is never read.
inline constexpr int64_t MaxSampleBytes = 256 << 20;

struct AnalyserResult
{
    bool Good = false;
    std::string Reason; // why not good; empty when good
};

// Called with the temporary file's path once the new recording is written
// and before it replaces the old one. Tests use it to stop the program at
// its most delicate moment.
using BeforeReplaceHook = std::function<void(const QByteArray& temporaryPath)>;

AnalyserResult AnalyseRecording(const QByteArray& wavePath, const BeforeReplaceHook& hook = {});

// The result file of a recording: the same path with the extension "rsl".
QByteArray ResultFilePath(const QByteArray& wavePath);

// "Good", or "Not Good,<reason>".
std::string ResultLine(const AnalyserResult& result);

// Writes the result line (and a line end) atomically. False when it cannot.
// For the result named to RemoveScratchFilesOnSignals, the line goes into
// the file prepared there, so a disk that has filled up since still takes it.
bool WriteResultFile(const QByteArray& resultPath, const AnalyserResult& result);

// Temporary files of this process that a signal (an interrupt, a stop
// request, a crash) should not leave behind: the handlers remove them,
// leave "Not Good,analyser failed" in the result file, and then let the
// signal take its usual course. The result's temporary file, a new file of
// its own name beside the result, is made and filled here, at the start of
// the run. A kill that cannot be handled may still leave "*.tmp" files
// beside the recording; the recording itself is never left half-written.
void RemoveScratchFilesOnSignals(const QByteArray& resultPath);
