// Pointing the tutor's settings at another course keeps every other setting.
#include "app/InstalledCourses.h"
#include "content/ContentText.h"
#include "course/CoursePack.h"
#include "platform/SettingsStore.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// While it lives, files are opened as an unprivileged user would open them
// (the tests may run as the superuser, who may read anything).
class AsOrdinaryUser
{
public:
    AsOrdinaryUser() : dropped(geteuid() == 0 && seteuid(65534) == 0) {}
    ~AsOrdinaryUser()
    {
        if (dropped) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }

private:
    bool dropped;
};

// A refused call says why, and the settings file is the only file in its
// folder, byte for byte as it was.
void ExpectRefusedAndLeftAsItWas(bool pointed, const QString& problem, const char* why,
                                 const QString& settings, const QByteArray& before)
{
    EXPECT_FALSE(pointed);
    EXPECT_TRUE(problem.contains(why)) << problem.toStdString();
    QByteArray after;
    ASSERT_TRUE(ReadWholeFile(settings, after));
    EXPECT_EQ(QString(after), QString(before));
    EXPECT_EQ(QFileInfo(settings).dir().entryList(QDir::Files), QStringList{"TonvaleTutor.conf"});
}

} // namespace

TEST(PointSettingsAtContent, KeepsEveryOtherSettingAndRefusesAFileItCannotRead)
{
    // Beside the test run's own scratch folder, which only its owner may enter.
    QTemporaryDir folder("/tmp/tvtests-settings-XXXXXX");
    ASSERT_TRUE(folder.isValid());
    using P = QFileDevice;
    ASSERT_TRUE(QFile::setPermissions(
        folder.path(), P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadGroup | P::WriteGroup |
                           P::ExeGroup | P::ReadOther | P::WriteOther | P::ExeOther));
    const QString settings = QDir(folder.path()).filePath("TonvaleTutor.conf");
    ASSERT_TRUE(WriteFileAtomically(settings,
                                    "[InstallDir]\nInstallDir=/opt/tonvale\n"
                                    "[InstallCDDrive1331]\nInstallCDDrive1331=/media/demo\n"));
    ASSERT_TRUE(PointSettingsAtContent(settings, "/courses/stress"));
    {
        QSettings read(settings, QSettings::IniFormat);
        EXPECT_EQ(read.value("InstallDir/InstallDir").toString(), "/opt/tonvale");
        EXPECT_EQ(read.value("InstallCDDrive1331/InstallCDDrive1331").toString(),
                  "/courses/stress");
    }

    // A settings file the user may not read is left as it is, not replaced
    // by one that holds only the course.
    QByteArray before;
    ASSERT_TRUE(ReadWholeFile(settings, before));
    ASSERT_TRUE(QFile::setPermissions(settings, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QString problem;
    bool pointed = false;
    {
        AsOrdinaryUser user;
        QFile probe(settings);
        if (probe.open(QIODevice::ReadOnly)) GTEST_SKIP() << "cannot make the settings unreadable";
        pointed = PointSettingsAtContent(settings, "/courses/other", &problem);
    }
    ExpectRefusedAndLeftAsItWas(pointed, problem, "cannot read the settings", settings, before);
}

TEST(PointSettingsAtContent, HandWrittenValuesKeepTheTextTheTutorReads)
{
    QTemporaryDir folder;
    const QString settings = QDir(folder.path()).filePath("TonvaleTutor.conf");
    ASSERT_TRUE(WriteFileAtomically(settings,
                                    "[InstallDir]\nInstallDir=/srv/a,b; level 2   ; the lab's\n"
                                    "[InstallCDDrive1331]\nInstallCDDrive1331=/media/demo\n"
                                    "[OrntVr]\nOrntVr=0 ; optional\n"));
    ASSERT_TRUE(PointSettingsAtContent(settings, "/courses/x,y; z"));
    const SettingsStore read(settings);
    EXPECT_EQ(read.ReadValue("InstallDir"), "/srv/a,b; level 2");
    EXPECT_EQ(read.ReadValue("InstallCDDrive1331"), "/courses/x,y; z");
    EXPECT_EQ(read.ReadValue("OrntVr"), "0");
}

// A settings file written by hand keeps every line but the course's, its
// comments, order, line ends and other programs' values included; one made
// read-only to keep the course fixed is left alone.
TEST(PointSettingsAtContent, ChangesOnlyTheCoursesLineOfAHandWrittenFile)
{
    QTemporaryDir folder;
    const QString settings = QDir(folder.path()).filePath("TonvaleTutor.conf");
    const QByteArray head = "\xEF\xBB\xBF; My settings - edited by hand\r\n"
                            "[Teacher]\r\nNote=repeat lessons 3;4 and 5, then 6\r\n"
                            "[InstallDir]\r\nInstallDir=/opt/tonvale\r\n\r\n"
                            "; the course of this term\r\n[InstallCDDrive1331]\r\n";
    const QByteArray tail = "[OrntVr]\r\nOrntVr=0 ; optional\r\n";
    ASSERT_TRUE(WriteFileAtomically(settings,
                                    head + "InstallCDDrive1331=/media/demo\r\n" + tail));
    ASSERT_TRUE(PointSettingsAtContent(settings, "/courses/stress"));
    QByteArray after;
    ASSERT_TRUE(ReadWholeFile(settings, after));
    EXPECT_EQ(QString(after), QString(head + "InstallCDDrive1331=/courses/stress\r\n" + tail));

    // A folder the format must quote is read back as it was given.
    ASSERT_TRUE(PointSettingsAtContent(settings, "/courses/x,y; \"z\""));
    EXPECT_EQ(SettingsStore(settings).ReadValue("InstallCDDrive1331"), "/courses/x,y; \"z\"");
    ASSERT_TRUE(ReadWholeFile(settings, after));
    EXPECT_TRUE(after.startsWith(head)) << after.constData();
    EXPECT_TRUE(after.endsWith(tail)) << after.constData();

    // Without the group, the course is added at the end.
    ASSERT_TRUE(WriteFileAtomically(settings, "[InstallDir]\nInstallDir=/opt/tonvale"));
    ASSERT_TRUE(PointSettingsAtContent(settings, "/courses/stress"));
    ASSERT_TRUE(ReadWholeFile(settings, after));
    EXPECT_EQ(QString(after), "[InstallDir]\nInstallDir=/opt/tonvale\n"
                              "[InstallCDDrive1331]\nInstallCDDrive1331=/courses/stress\n");

    using P = QFileDevice;
    ASSERT_TRUE(QFile::setPermissions(settings, P::ReadOwner | P::ReadGroup | P::ReadOther));
    const QByteArray before = after;
    QString problem;
    const bool pointed = PointSettingsAtContent(settings, "/courses/other", &problem);
    ExpectRefusedAndLeftAsItWas(pointed, problem, "read-only", settings, before);
}

TEST(PointSettingsAtContent, ADiskOutOfRoomLeavesTheSettingsAsTheyWere)
{
    QTemporaryDir folder;
    const QString settings = QDir(folder.path()).filePath("TonvaleTutor.conf");
    const QByteArray window = "[Window]\nWindow=" + QByteArray(200, 'w') + "\n";
    const QByteArray before = "[InstallDir]\nInstallDir=/opt/tonvale\n"
                              "[InstallCDDrive1331]\nInstallCDDrive1331=/media/demo\n" +
                              window;
    ASSERT_TRUE(WriteFileAtomically(settings, before));

    // Room for a copy of the settings, not for them with a longer folder.
    QString problem;
    bool pointed = true;
    {
        FileSizeLimit limit(before.size() + 8);
        ASSERT_TRUE(limit.Applied());
        pointed = PointSettingsAtContent(settings, "/courses/" + QString(100, 'c'), &problem);
    }
    ExpectRefusedAndLeftAsItWas(pointed, problem, "cannot write the settings", settings, before);
}

// A settings file that is a link (kept with a user's other settings, or
// shared by a class) stays a link, and the file it names gets the course;
// the file keeps who may read it.
TEST(PointSettingsAtContent, ALinkedSettingsFileStaysALinkAndKeepsItsPermissions)
{
    QTemporaryDir folder;
    const QString real = folder.filePath("dotfiles/tutor.conf");
    ASSERT_TRUE(WriteFileAtomically(real, "[InstallDir]\nInstallDir=/opt/tonvale\n"));
    using P = QFileDevice;
    ASSERT_TRUE(
        QFile::setPermissions(real, P::ReadOwner | P::WriteOwner | P::ReadGroup | P::ReadOther));
    const QString link = folder.filePath("TonvaleTutor.conf");
    ASSERT_TRUE(QFile::link(real, link));

    ASSERT_TRUE(PointSettingsAtContent(link, "/courses/stress"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QSettings read(real, QSettings::IniFormat);
    EXPECT_EQ(read.value("InstallCDDrive1331/InstallCDDrive1331").toString(), "/courses/stress");
    EXPECT_EQ(read.value("InstallDir/InstallDir").toString(), "/opt/tonvale");
    EXPECT_EQ(QFileInfo(real).permissions() & (P::ReadGroup | P::ReadOther),
              P::ReadGroup | P::ReadOther);
}
