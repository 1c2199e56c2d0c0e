#include "updater/core/UpdateQueue.h"

#include <algorithm>

#include "updater/core/DownloadTarget.h"

namespace updater {

std::string BuildManifestUrl(const std::string& url, const std::string& name,
                             const std::string& type) {
    return url + "/" + name + "." + type;
}

std::vector<UpdateFileEntry> BuildUpdateQueue(CIniFile& local, CIniFile& manifest,
                                              const std::string& localUrl) {
    int version = 0;
    int number = 0;
    manifest.ReadInt(kSectionConfig, "Version", &version, 0);  // read, never used
    manifest.ReadInt(kSectionFiles, "Number", &number, 0);
    number = std::min(number, kMaxManifestFiles);

    std::vector<UpdateFileEntry> queue;
    for (int n = 0; n < number; ++n) {
        const std::string verKey = "updatefile" + std::to_string(n) + ":Ver";
        const std::string nameKey = "updatefile" + std::to_string(n) + ":Name";
        std::string localVer;
        std::string remoteVer;
        std::string remoteName;
        local.ReadString(kSectionFiles, verKey, &localVer, "");
        manifest.ReadString(kSectionFiles, verKey, &remoteVer, "");
        manifest.ReadString(kSectionFiles, nameKey, &remoteName, "");
        // Byte-wise, case-sensitive: versions are opaque texts.
        if (localVer != remoteVer) {
            queue.push_back({DownloadAddress(localUrl, remoteName), remoteName, kSectionFiles,
                             verKey, remoteVer});
        }
    }
    return queue;
}

}  // namespace updater
