#pragma once
// Where drives have no letters the content disc is looked for on the mounted
// optical and removable media: iso9660/udf file systems and mounts under
// /media, /run/media and /mnt, in the order of their mount paths.
#include <QString>

#include <functional>
#include <vector>

struct MountPoint
{
    QString RootPath;
    QString FileSystemType;
};

using MountLister = std::function<std::vector<MountPoint>()>;

// The mounts of this machine.
std::vector<MountPoint> ListSystemMounts();

// Whether a mount may hold the content disc.
bool IsRemovableMount(const MountPoint& mount);

// The first candidate mount (sorted by path) that holds Sounds/Tree.txt;
// empty when none does. A mount that cannot be examined counts as absent.
QString FindContentMount(const std::vector<MountPoint>& mounts);
