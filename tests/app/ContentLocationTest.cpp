#include "app/CommonVar.h"
#include "app/ContentLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ContentLocation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetCommonVar();
        ASSERT_TRUE(dir.isValid());
    }

    SettingsStore WriteSettings(const QByteArray& ini)
    {
        // A new file each time: the settings reader caches files by name.
        const QString path = dir.filePath(QString("settings%1.conf").arg(++written));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini);
        return SettingsStore(path);
    }

    // A mount holding the content, or not.
    QString MakeMount(const QString& name, bool withContent)
    {
        const QString root = dir.filePath(name);
        QDir().mkpath(root + "/Sounds");
        if (withContent) {
            QFile tree(root + "/Sounds/Tree.txt");
            EXPECT_TRUE(tree.open(QIODevice::WriteOnly));
        }
        return root;
    }

    static MountLister MustNotSearch()
    {
        return [] {
            ADD_FAILURE() << "the media were searched";
            return std::vector<MountPoint>{};
        };
    }

    QTemporaryDir dir;
    int written = 0;
};

MountLister Mounts(std::vector<MountPoint> mounts)
{
    return [mounts] { return mounts; };
}

} // namespace

TEST_F(ContentLocation, ContentFolderFromSettingsIsTakenWithoutSearching)
{
    auto settings = WriteSettings("[InstallDir]\nInstallDir=/opt/tutor\n"
                                  "[InstallCDDrive1331]\nInstallCDDrive1331=/nowhere/at all\n");
    EXPECT_EQ(FindContentFolders(settings, MustNotSearch()), ContentFound);
    EXPECT_EQ(InstallRoot, "/opt/tutor");
    EXPECT_EQ(ContentRoot, "/nowhere/at all");
    EXPECT_FALSE(UseMciControl);
    SetFolderPaths();
    EXPECT_EQ(SoundsFolder, "/nowhere/at all/Sounds/");
    EXPECT_EQ(DataFolder, "/opt/tutor/Data/");
    EXPECT_EQ(BinFolder, "/opt/tutor/Bin/");
    EXPECT_EQ(HelpFile, "/nowhere/at all/Help/TVTutor.hlp");
}

TEST_F(ContentLocation, MissingOrEmptyInstallDirIsDamagedSettings)
{
    EXPECT_EQ(FindContentFolders(SettingsStore(dir.filePath("absent.conf")), MustNotSearch()),
              SettingsDamaged);
    EXPECT_FALSE(QFile::exists(dir.filePath("absent.conf"))); // looking creates nothing
    EXPECT_EQ(FindContentFolders(WriteSettings("[InstallDir]\nInstallDir=\n"), MustNotSearch()),
              SettingsDamaged);
    EXPECT_EQ(FindContentFolders(WriteSettings("[Other]\nInstallDir=/x\n"), MustNotSearch()),
              SettingsDamaged);
}

TEST_F(ContentLocation, OrntVrDecidesTheSoundControlOrDamagesTheSettings)
{
    const QByteArray base = "[InstallDir]\nInstallDir=/i\n[InstallCDDrive1331]\n"
                            "InstallCDDrive1331=/c\n";
    EXPECT_EQ(FindContentFolders(WriteSettings(base + "[OrntVr]\nOrntVr=1\n")), ContentFound);
    EXPECT_TRUE(UseMciControl);
    EXPECT_EQ(FindContentFolders(WriteSettings(base + "[OrntVr]\nOrntVr=2\n")), ContentFound);
    EXPECT_FALSE(UseMciControl);
    EXPECT_EQ(FindContentFolders(WriteSettings(base)), ContentFound);
    EXPECT_FALSE(UseMciControl);
    EXPECT_EQ(FindContentFolders(WriteSettings(base + "[OrntVr]\nOrntVr=\n")), SettingsDamaged);
    EXPECT_EQ(FindContentFolders(WriteSettings(base + "[OrntVr]\n")), SettingsDamaged);
    // First in a file an editor saved with a byte-order mark.
    EXPECT_EQ(FindContentFolders(WriteSettings("\xEF\xBB\xBF[OrntVr]\nOrntVr=1\n" + base)),
              ContentFound);
    EXPECT_TRUE(UseMciControl);
    EXPECT_EQ(FindContentFolders(WriteSettings("\xEF\xBB\xBF[OrntVr]\n" + base)), SettingsDamaged);
}

TEST_F(ContentLocation, HandWrittenValuesAreReadAsWrittenAndCommentsStayComments)
{
    auto settings = WriteSettings("; the school's course, level 2\n"
                                  "[InstallDir]\n"
                                  "InstallDir=/opt/tonvale            ; holds Bin/ and Data/\n"
                                  "[InstallCDDrive1331]\n"
                                  "InstallCDDrive1331=/tmp/pack; level 2  \n"
                                  "[OrntVr]\n"
                                  "OrntVr=0\t; optional; a group without a value is damaged\n");
    EXPECT_EQ(FindContentFolders(settings, MustNotSearch()), ContentFound);
    EXPECT_EQ(InstallRoot, "/opt/tonvale");
    EXPECT_EQ(ContentRoot, "/tmp/pack; level 2");
    EXPECT_FALSE(UseMciControl);

    EXPECT_EQ(WriteSettings("[InstallCDDrive1331]\nInstallCDDrive1331=/srv/a,b,c\n")
                  .ReadValue("InstallCDDrive1331"),
              "/srv/a,b,c");
    // Quoted and escaped values read as the format writes them.
    EXPECT_EQ(WriteSettings("[InstallDir]\nInstallDir=\"/srv/x; y, z\" ; quoted\n")
                  .ReadValue("InstallDir"),
              "/srv/x; y, z");
    EXPECT_EQ(WriteSettings("[InstallDir]\nInstallDir=/srv/a\\\\b\n").ReadValue("InstallDir"),
              "/srv/a\\b");
    // A value that is only a comment is no value.
    EXPECT_EQ(FindContentFolders(WriteSettings("[InstallDir]\nInstallDir=   ; to be set\n")),
              SettingsDamaged);
}

TEST_F(ContentLocation, SearchTakesTheFirstRemovableMountHoldingTheContent)
{
    const QString empty = MakeMount("media/a-empty", false);
    const QString second = MakeMount("media/c-disc", true);
    const QString first = MakeMount("media/b-disc", true);
    auto settings = WriteSettings("[InstallDir]\nInstallDir=/i\n");
    auto mounts = Mounts({{second, "iso9660"},
                          {empty, "udf"},
                          {first, "iso9660"},
                          {dir.filePath("gone"), "iso9660"}, // an empty tray: probe fails
                          {"/", "ext4"}});
    EXPECT_EQ(FindContentFolders(settings, mounts), ContentFound);
    EXPECT_EQ(ContentRoot, first);
}

TEST_F(ContentLocation, FixedDisksAreNotSearchedAndNothingFoundMeansInsertTheDisc)
{
    const QString fixed = MakeMount("data", true);
    auto settings = WriteSettings("[InstallDir]\nInstallDir=/i\n");
    EXPECT_EQ(FindContentFolders(settings, Mounts({{fixed, "ext4"}})), ContentMissing);
    EXPECT_TRUE(IsRemovableMount({"/media/user/DISC", "vfat"}));
    EXPECT_TRUE(IsRemovableMount({"/run/media/user/DISC", "exfat"}));
    EXPECT_TRUE(IsRemovableMount({"/mnt/cdrom", "ext4"}));
    EXPECT_FALSE(IsRemovableMount({"/home", "ext4"}));
}

TEST_F(ContentLocation, SettingsFileChoice)
{
    qputenv("TONVALE_SETTINGS", "/from/env.conf");
    EXPECT_EQ(SettingsStore::ChooseFile("/from/option.conf"), "/from/option.conf");
    EXPECT_EQ(SettingsStore::ChooseFile(""), "/from/env.conf");
    qunsetenv("TONVALE_SETTINGS");
    const QString home = qEnvironmentVariable("HOME");
    qputenv("HOME", dir.path().toUtf8());
    EXPECT_EQ(SettingsStore::ChooseFile(""), SettingsStore::SystemFile());
    QDir().mkpath(dir.filePath(".config/Tonvale"));
    QFile user(dir.filePath(".config/Tonvale/TonvaleTutor.conf"));
    ASSERT_TRUE(user.open(QIODevice::WriteOnly));
    user.close();
    EXPECT_EQ(SettingsStore::ChooseFile(""), user.fileName());
    qputenv("HOME", home.toUtf8());
}

TEST_F(ContentLocation, ValueWithCommasReadsAsOneText)
{
    auto settings = WriteSettings("[InstallDir]\nInstallDir=/opt/tutor, v1\n");
    EXPECT_EQ(settings.ReadValue("InstallDir").value_or(""), "/opt/tutor, v1");
}
