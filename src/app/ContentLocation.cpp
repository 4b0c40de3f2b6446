#include "app/ContentLocation.h"

#include "app/CommonVar.h"

namespace {

// The settings name folders without a trailing separator; one written with
// it anyway must not double the separator in every derived path.
QString WithoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    return folder;
}

} // namespace

int16_t FindContentFolders(const SettingsStore& settings, const MountLister& listMounts)
{
    // "Creating" the installation key creates nothing: a missing file or key
    // simply has no value.
    const std::optional<QString> installDir = settings.ReadValue("InstallDir");
    if (!installDir)
        return SettingsDamaged;
    InstallRoot = WithoutTrailingSlash(*installDir);

    UseMciControl = false;
    if (settings.KeyExists("OrntVr")) {
        const std::optional<QString> option = settings.ReadValue("OrntVr");
        if (!option)
            return SettingsDamaged;
        UseMciControl = (*option == "1");
    }

    // A content folder named in the settings is taken as it is, even when it
    // does not exist: the lesson tree reading then reports it.
    if (const std::optional<QString> content = settings.ReadValue("InstallCDDrive1331")) {
        ContentRoot = WithoutTrailingSlash(*content);
        return ContentFound;
    }

    const QString mount = FindContentMount(listMounts());
    if (mount.isEmpty())
        return ContentMissing;
    ContentRoot = WithoutTrailingSlash(mount);
    return ContentFound;
}

void SetFolderPaths()
{
    SoundsFolder = ContentRoot + "/Sounds/";
    DataFolder = InstallRoot + "/Data/";
    BinFolder = InstallRoot + "/Bin/";
    HelpFile = ContentRoot + "/Help/TVTutor.hlp";
}
