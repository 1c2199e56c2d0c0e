// Where a manifest's file name lands in the program directory, and where it is fetched.
#pragma once

#include <string>

namespace updater {

// The destination inside appDir (which ends with "/") for a manifest name. A "\" in
// the name separates folders, as "/" does; names in sub-folders are allowed. False for
// a name that is empty, absolute, names a folder, or would leave the folder through "..".
bool ResolveDownloadTarget(const std::string& appDir, const std::string& name, std::string& dest);

// "<url>/<name>", with a "\" in the name sent as "/".
std::string DownloadAddress(const std::string& url, const std::string& name);

}  // namespace updater
