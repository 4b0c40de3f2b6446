#pragma once
// The parts of the student analysis cycle that need no screen: how the
// analyser is called, how its result file is read, and the clock the time
// limit is measured with.
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

// The analyser's command line as one text: the program, a blank, the
// student's wave file as a 128-character field (blank-padded, not trimmed)
// and " Melod". This is what the analyser has always been given.
QString AnalyserCommandLine(const QString& analyserPath, const QString& waveFile);

// The same call as a program and its arguments, for starting it without a
// shell: the trimmed wave file path and "Melod". Paths with blanks stay whole.
QStringList AnalyserArguments(const QString& waveFile);

// The first item of a result file: the first line up to its first comma,
// leading blanks skipped, and an item in double quotes taken without them.
// False when the file cannot be opened or read.
bool ReadResultItem(const QString& resultFile, QString& item);

// Whether a result file says the analysis succeeded ("Good", exactly).
bool ResultFileSaysGood(const QString& resultFile);

// The reason after "Not Good," in a result file (empty when none).
QString ResultFileReason(const QString& resultFile);

// Seconds since the recording started, on a clock that never goes back or
// wraps at midnight.
class AnalysisClock
{
public:
    // alreadyElapsed lets a test stand the clock as if started earlier.
    void Start(double alreadyElapsed = 0)
    {
        timer.start();
        offset = alreadyElapsed;
    }
    bool IsStarted() const { return timer.isValid(); }
    double ElapsedSeconds() const
    {
        return timer.isValid() ? offset + timer.nsecsElapsed() / 1e9 : 0.0;
    }

private:
    QElapsedTimer timer;
    double offset = 0;
};
