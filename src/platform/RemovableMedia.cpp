#include "platform/RemovableMedia.h"

#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

std::vector<MountPoint> ListSystemMounts()
{
    std::vector<MountPoint> mounts;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        mounts.push_back({volume.rootPath(), QString::fromUtf8(volume.fileSystemType())});
    return mounts;
}

bool IsRemovableMount(const MountPoint& mount)
{
    const QString type = mount.FileSystemType.toLower();
    if (type == "iso9660" || type == "udf")
        return true;
    for (const QString& base : {QStringLiteral("/media/"), QStringLiteral("/run/media/"),
                                QStringLiteral("/mnt/")}) {
        if (mount.RootPath.startsWith(base) || mount.RootPath + "/" == base)
            return true;
    }
    return false;
}

QString FindContentMount(const std::vector<MountPoint>& mounts)
{
    std::vector<QString> candidates;
    for (const MountPoint& mount : mounts) {
        if (IsRemovableMount(mount))
            candidates.push_back(mount.RootPath);
    }
    std::sort(candidates.begin(), candidates.end());
    for (const QString& root : candidates) {
        // An empty tray or an unreadable disc simply has no such file.
        const QFileInfo tree(root + "/Sounds/Tree.txt");
        if (tree.isFile() && tree.isReadable())
            return root;
    }
    return {};
}
