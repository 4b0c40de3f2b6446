// A user's first start from a package: the installation folder and the
// settings file are set up as an installer would, the tutor then finds its
// folders from them, and an existing settings file is never touched.
#include "app/FirstRun.h"
#include "app/CommonVar.h"
#include "app/ContentLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name(name), hadValue(qEnvironmentVariableIsSet(name)), oldValue(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (hadValue)
            qputenv(name, oldValue);
        else
            qunsetenv(name);
    }

private:
    const char* name;
    bool hadValue;
    QByteArray oldValue;
};

class FirstRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetCommonVar();
        ASSERT_TRUE(dir.isValid());
        UsePrefix(dir.filePath("usr"));
        installFolder = dir.filePath("home/.local/share/tonvale-tutor");
        settingsFile = dir.filePath("home/.config/Tonvale/TonvaleTutor.conf");
    }

    // A package's shared parts under prefix: the analyser and the content.
    void UsePrefix(const QString& prefix)
    {
        installed = InstalledFoldersBeside(prefix + "/bin");
        ASSERT_TRUE(QDir().mkpath(installed.AnalyserFolder));
        ASSERT_TRUE(QDir().mkpath(installed.ContentFolder + "/Sounds"));
        ASSERT_TRUE(QDir().mkpath(installed.ContentFolder + "/Help"));
        Write(installed.AnalyserFolder + "/TVM", "analyser");
        Write(installed.ContentFolder + "/Sounds/Tree.txt", "Course\r\n*Introduction / 10\r\n");
    }

    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    FirstRunResult Run() { return SetUpUserInstallation(installed, installFolder, settingsFile); }

    QTemporaryDir dir;
    InstalledFolders installed;
    QString installFolder;
    QString settingsFile;
};

} // namespace

TEST_F(FirstRun, SetsUpWhatTheTutorReadsItsFoldersFrom)
{
    const FirstRunResult result = Run();
    ASSERT_EQ(result.Outcome, FirstRunOutcome::SetUp) << result.Problem.toStdString();
    EXPECT_TRUE(QFileInfo(installFolder + "/Data").isDir());
    EXPECT_TRUE(QFileInfo(installFolder + "/Data").isWritable());
    EXPECT_TRUE(QFileInfo(installFolder + "/Bin").isSymLink());
    EXPECT_EQ(Read(installFolder + "/Bin/TVM"), "analyser");

    ASSERT_EQ(FindContentFolders(SettingsStore(settingsFile),
                                 [] {
                                     ADD_FAILURE() << "the media were searched";
                                     return std::vector<MountPoint>{};
                                 }),
              ContentFound);
    EXPECT_EQ(InstallRoot, installFolder);
    EXPECT_EQ(ContentRoot, installed.ContentFolder);
    EXPECT_FALSE(UseMciControl);
    // Nothing but the settings file is left beside it.
    EXPECT_EQ(QDir(QFileInfo(settingsFile).absolutePath()).entryList(QDir::Files),
              QStringList{"TonvaleTutor.conf"});
}

TEST_F(FirstRun, PathsWithBlanksCommasAndAccentsReadBackWhole)
{
    UsePrefix(dir.filePath("opt/my tutor, \xc3\xa9t\xc3\xa9"));
    installFolder = dir.filePath("data home; with = signs/tonvale-tutor");
    ASSERT_EQ(Run().Outcome, FirstRunOutcome::SetUp);
    SettingsStore settings(settingsFile);
    EXPECT_EQ(settings.ReadValue("InstallDir"), installFolder);
    EXPECT_EQ(settings.ReadValue("InstallCDDrive1331"), installed.ContentFolder);
}

TEST_F(FirstRun, ExistingSettingsFileIsNeverTouched)
{
    // Damaged settings must stay damaged so that the tutor still says so.
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settingsFile).absolutePath()));
    const QByteArray damaged = "[InstallDir]\n[OrntVr]\n";
    Write(settingsFile, damaged);
    EXPECT_EQ(Run().Outcome, FirstRunOutcome::SettingsExist);
    EXPECT_EQ(Read(settingsFile), damaged);
    EXPECT_FALSE(QFileInfo::exists(installFolder));
    EXPECT_EQ(FindContentFolders(SettingsStore(settingsFile)), SettingsDamaged);
}

TEST_F(FirstRun, DanglingSettingsLinkCountsAsASettingsFile)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settingsFile).absolutePath()));
    ASSERT_TRUE(QFile::link(dir.filePath("elsewhere/settings.conf"), settingsFile));
    EXPECT_EQ(Run().Outcome, FirstRunOutcome::SettingsExist);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("elsewhere")));
}

TEST_F(FirstRun, WithoutInstalledContentNothingIsWritten)
{
    ASSERT_TRUE(QFile::remove(installed.ContentFolder + "/Sounds/Tree.txt"));
    const FirstRunResult result = Run();
    EXPECT_EQ(result.Outcome, FirstRunOutcome::NotInstalled);
    EXPECT_TRUE(result.Problem.contains(installed.ContentFolder)) << result.Problem.toStdString();
    EXPECT_FALSE(QFileInfo::exists(installFolder));
    EXPECT_FALSE(QFileInfo::exists(settingsFile));
}

TEST_F(FirstRun, AgainAfterTheSettingsWereDeletedKeepsDataAndRepointsBin)
{
    ASSERT_TRUE(QDir().mkpath(installFolder + "/Data"));
    Write(installFolder + "/Data/Student.wav", "the student's recording");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("old/Bin")));
    ASSERT_TRUE(QFile::link(dir.filePath("old/Bin"), installFolder + "/Bin"));

    ASSERT_EQ(Run().Outcome, FirstRunOutcome::SetUp);
    EXPECT_EQ(Read(installFolder + "/Data/Student.wav"), "the student's recording");
    EXPECT_EQ(QFileInfo(installFolder + "/Bin").symLinkTarget(), installed.AnalyserFolder);
}

TEST_F(FirstRun, UsersOwnBinFolderIsLeftAlone)
{
    ASSERT_TRUE(QDir().mkpath(installFolder + "/Bin"));
    Write(installFolder + "/Bin/TVM", "the user's analyser");
    ASSERT_EQ(Run().Outcome, FirstRunOutcome::SetUp);
    EXPECT_FALSE(QFileInfo(installFolder + "/Bin").isSymLink());
    EXPECT_EQ(Read(installFolder + "/Bin/TVM"), "the user's analyser");
}

TEST_F(FirstRun, FailureHalfWayLeavesNoSettingsFile)
{
    // A file where the installation folder should go.
    installFolder = dir.filePath("blocked/tonvale-tutor");
    Write(dir.filePath("blocked"), "");
    const FirstRunResult result = Run();
    EXPECT_EQ(result.Outcome, FirstRunOutcome::Failed);
    EXPECT_FALSE(result.Problem.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(settingsFile));
}

TEST_F(FirstRun, InstallFolderUnderTheDataHome)
{
    {
        ScopedEnvironment dataHome("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(UserInstallFolder(), "/srv/data/tonvale-tutor");
    }
    ScopedEnvironment home("HOME", QFile::encodeName(dir.path()));
    {
        // A relative data home is not valid and is ignored.
        ScopedEnvironment dataHome("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(UserInstallFolder(), dir.path() + "/.local/share/tonvale-tutor");
    }
    ScopedEnvironment dataHome("XDG_DATA_HOME", QByteArray());
    EXPECT_EQ(UserInstallFolder(), dir.path() + "/.local/share/tonvale-tutor");
}

TEST_F(FirstRun, OnlyWithoutAnySettingsFile)
{
    if (QFileInfo::exists(SettingsStore::SystemFile()))
        GTEST_SKIP() << "this machine has the system settings file";
    ScopedEnvironment home("HOME", QFile::encodeName(dir.path()));
    ScopedEnvironment noVariable("TONVALE_SETTINGS", QByteArray());
    EXPECT_TRUE(IsFirstStart(QString()));
    EXPECT_FALSE(IsFirstStart("given.conf"));
    {
        ScopedEnvironment variable("TONVALE_SETTINGS", "/some/file.conf");
        EXPECT_FALSE(IsFirstStart(QString()));
    }
    ASSERT_TRUE(QDir().mkpath(dir.filePath(".config/Tonvale")));
    Write(dir.filePath(".config/Tonvale/TonvaleTutor.conf"), "");
    EXPECT_FALSE(IsFirstStart(QString()));
}
