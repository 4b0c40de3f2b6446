#pragma once
// Finding the two folders the tutor works from: the installation folder
// (always from the settings) and the content folder (from the settings, or
// the removable medium that holds the lessons).
#include "platform/RemovableMedia.h"
#include "platform/SettingsStore.h"

#include <cstdint>

inline constexpr int16_t ContentFound = 0;
inline constexpr int16_t SettingsDamaged = -1;
inline constexpr int16_t ContentMissing = 1;

// Sets InstallRoot, ContentRoot and UseMciControl; returns ContentFound,
// SettingsDamaged or ContentMissing.
int16_t FindContentFolders(const SettingsStore& settings,
                           const MountLister& listMounts = ListSystemMounts);

// SoundsFolder, DataFolder, BinFolder and HelpFile from the two roots.
void SetFolderPaths();
