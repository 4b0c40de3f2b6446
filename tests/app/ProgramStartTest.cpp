// How the programs start: what needs no window works without a display, and
// the windows carry the menu entry's class, desktop file id and icon.
#include "app/ProgramStart.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Finished
{
    int exitCode = -1; // -1: crashed or still running
    QByteArray out;
    QByteArray err;
};

// The program as started over ssh or from a script: no display at all.
Finished RunWithoutDisplay(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TONVALE_BINARY_DIR "/src/") + program, arguments);
    Finished finished;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return finished;
    }
    if (process.exitStatus() == QProcess::NormalExit) finished.exitCode = process.exitCode();
    finished.out = process.readAllStandardOutput();
    finished.err = process.readAllStandardError();
    return finished;
}

// key=value of a desktop entry's [Desktop Entry] group.
QString DesktopEntryValue(const QString& file, const QString& key)
{
    QFile entry(file);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
    while (!entry.atEnd()) {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith(key + "=")) return line.mid(key.size() + 1);
    }
    return QString();
}

} // namespace

TEST(ProgramStart, HelpVersionAndCourseInstallingNeedNoDisplay)
{
    for (const char* program : {"tonvale-tutor", "tonvale-studio"}) {
        const Finished version = RunWithoutDisplay(program, {"--version"});
        EXPECT_EQ(version.exitCode, 0) << program << ": " << version.err.toStdString();
        EXPECT_TRUE(version.out.contains("1.0")) << program << ": " << version.out.toStdString();
        const Finished help = RunWithoutDisplay(program, {"--help"});
        EXPECT_EQ(help.exitCode, 0) << program << ": " << help.err.toStdString();
        EXPECT_TRUE(help.out.contains("--version")) << program;
    }
    // A course that is not there is refused with a reason, not an abort.
    QTemporaryDir dir;
    QFile settings(dir.filePath("settings.conf"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[InstallDir]\nInstallDir=" + QFile::encodeName(dir.filePath("install")) + "\n");
    settings.close();
    const Finished install = RunWithoutDisplay(
        "tonvale-tutor", {"--settings", dir.filePath("settings.conf"), "--install-course",
                          dir.filePath("no such course.tvcourse")});
    EXPECT_EQ(install.exitCode, 1) << install.err.toStdString();
    EXPECT_TRUE(install.err.contains("no such course")) << install.err.toStdString();
}

TEST(ProgramStart, EachMenuEntryNamesItsProgramsWindowClassAndIcon)
{
    for (const ProgramIdentity& identity : {TutorIdentity, StudioIdentity}) {
        const QString entry =
            QStringLiteral(TONVALE_SOURCE_DIR "/packaging/") + identity.DesktopId + ".desktop";
        ASSERT_TRUE(QFile::exists(entry)) << entry.toStdString();
        EXPECT_EQ(DesktopEntryValue(entry, "StartupWMClass"), identity.Name);
        EXPECT_EQ(DesktopEntryValue(entry, "Icon"), identity.IconName);
        EXPECT_TRUE(DesktopEntryValue(entry, "Exec").startsWith(identity.Name));
    }
}

TEST(ProgramStart, TheWindowIconFallsBackOnTheIconInstalledBesideTheProgram)
{
    QTemporaryDir prefix;
    const QString iconName = "org.tonvale.TonvaleTutor";
    EXPECT_TRUE(WindowIconFor(iconName, prefix.filePath("bin")).isNull());
    const QString apps = prefix.filePath("share/icons/hicolor/scalable/apps");
    ASSERT_TRUE(QDir().mkpath(apps));
    ASSERT_TRUE(QFile::copy(TONVALE_SOURCE_DIR "/packaging/org.tonvale.TonvaleTutor.svg",
                            apps + "/" + iconName + ".svg"));
    EXPECT_FALSE(WindowIconFor(iconName, prefix.filePath("bin")).isNull());
}
