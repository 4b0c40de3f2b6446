// The real analyser process: started without a shell, and stopped for sure
// when the tutor gives up on it.
#include "widgets/AnalyserProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

QStringList messages;
void Collect(QtMsgType, const QMessageLogContext&, const QString& message)
{
    messages << message;
}

bool Alive(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

// A stand-in analyser that ignores the polite request to end and writes its
// process id, so the test can look for it afterwards.
QString WriteStubbornAnalyser(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("TVM");
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\ntrap '' TERM\necho $$ > \"$1.pid\"\nexec sleep 60\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

qint64 WaitForPid(const QString& file)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        QFile pid(file);
        if (pid.open(QIODevice::ReadOnly)) {
            const qint64 value = pid.readAll().trimmed().toLongLong();
            if (value > 0) return value;
        }
        QThread::msleep(10);
    }
    return -1;
}

} // namespace

TEST(AnalyserProcessStop, AnAnalyserThatIgnoresTerminateIsKilled)
{
    QTemporaryDir dir;
    const QString program = WriteStubbornAnalyser(dir);
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(Collect);
    AnalyserProcess analyser;
    ASSERT_TRUE(analyser.Start(program, {dir.filePath("Student.wav"), "Melod"}));
    qInstallMessageHandler(previous);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    // exec keeps the script's process id for sleep.
    const qint64 pid = WaitForPid(dir.filePath("Student.wav.pid"));
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(Alive(pid));

    analyser.StopRunning();
    EXPECT_FALSE(analyser.IsRunning());
    EXPECT_FALSE(Alive(pid));
}

TEST(AnalyserProcessStop, AnAnalyserStillRunningEndsWithItsLauncher)
{
    QTemporaryDir dir;
    const QString program = WriteStubbornAnalyser(dir);
    qint64 pid = -1;
    {
        AnalyserProcess analyser;
        ASSERT_TRUE(analyser.Start(program, {dir.filePath("Student.wav"), "Melod"}));
        pid = WaitForPid(dir.filePath("Student.wav.pid"));
        ASSERT_GT(pid, 0);
    }
    EXPECT_FALSE(Alive(pid));
}

TEST(AnalyserProcessStop, AMissingProgramDoesNotStart)
{
    AnalyserProcess analyser;
    EXPECT_FALSE(analyser.Start("/nonexistent/Bin/TVM", {"Student.wav", "Melod"}));
    EXPECT_FALSE(analyser.IsRunning());
}
