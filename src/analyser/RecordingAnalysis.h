#pragma once
// What the analyser program does with one recording: read the phrase sound
// file, analyse it, and when the analysis is good rewrite the file in place
// with its steps ("stp ", before "data") and pitch track ("ptc ", after
// it); then leave a result file beside it ("Good" or "Not Good,<reason>").
//
// The rewrite keeps every other chunk byte for byte and goes through a
// temporary file in the same folder that is renamed over the recording, so
// the recording is either the old file or the complete new one, never a
// half-written mix. The result file is written the same way, and only after
// the recording is complete, because its appearance is what the tutor waits
// for.
#include <QString>

#include <functional>
#include <string>

// Reasons of the program itself, beside those of the analysis.
inline constexpr const char* ReasonCommandLine = "wrong command line";
inline constexpr const char* ReasonAnalyserFailed = "analyser failed";

struct AnalyserResult
{
    bool Good = false;
    std::string Reason; // why not good; empty when good
};

// Called with the temporary file's path once the new recording is written
// and before it replaces the old one. Tests use it to stop the program at
// its most delicate moment.
using BeforeReplaceHook = std::function<void(const QString& temporaryPath)>;

AnalyserResult AnalyseRecording(const QString& wavePath, const BeforeReplaceHook& hook = {});

// The result file of a recording: the same path with the extension "rsl".
QString ResultFilePath(const QString& wavePath);

// "Good", or "Not Good,<reason>".
std::string ResultLine(const AnalyserResult& result);

// Writes the result line (and a line end) atomically. False when it cannot.
bool WriteResultFile(const QString& resultPath, const AnalyserResult& result);

// Temporary files of this process that a signal (an interrupt, a stop
// request, a crash) should not leave behind: the handlers remove them,
// leave "Not Good,analyser failed" in the result file, and then let the
// signal take its usual course. A kill that cannot be handled may still
// leave a "*.tmp" file beside the recording; the recording itself is never
// left half-written.
void RemoveScratchFilesOnSignals(const QString& resultPath);
