// The version check's result: which files of the manifest differ from the local record.
// A file is out of date when its two version strings differ in any way (a lower remote
// version is fetched too); entries are matched by their index alone.
#pragma once

#include <string>
#include <vector>

#include "updater/core/IniFile.h"

struct UpdateFileEntry {
    std::string strUrl;      // download address: local "Url", a slash, the manifest name
    std::string strName;     // the manifest's name, relative to the program directory
    std::string strSection;  // always "updatefiles"
    std::string strKey;      // "updatefile<N>:Ver"
    std::string strVersion;  // the manifest's version, recorded once the file arrived
};

namespace updater {

inline constexpr char kSectionConfig[] = "Config";
inline constexpr char kSectionFiles[] = "updatefiles";

// A manifest naming more files than this is cut to this many: no real install comes
// near it, and a hostile count would otherwise keep the check busy for hours.
inline constexpr int kMaxManifestFiles = 10000;

// "<Url>/<Name>.<Type>"
std::string BuildManifestUrl(const std::string& url, const std::string& name,
                             const std::string& type);

// The queue in ascending manifest index (downloads take it from the end).
std::vector<UpdateFileEntry> BuildUpdateQueue(CIniFile& local, CIniFile& manifest,
                                              const std::string& localUrl);

}  // namespace updater
