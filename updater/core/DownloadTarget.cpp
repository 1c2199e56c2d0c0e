#include "updater/core/DownloadTarget.h"

#include <algorithm>
#include <sstream>

namespace updater {

namespace {

std::string withSlashes(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

}  // namespace

bool ResolveDownloadTarget(const std::string& appDir, const std::string& name, std::string& dest) {
    const std::string rel = withSlashes(name);
    if (rel.empty() || rel.front() == '/' || rel.back() == '/' ||
        rel.find('\0') != std::string::npos ||
        (rel.size() >= 2 && rel[1] == ':')) {  // a drive letter, as "C:x"
        return false;
    }
    std::istringstream parts(rel);
    std::string part;
    while (std::getline(parts, part, '/')) {
        if (part == "..") {
            return false;
        }
    }
    dest = appDir + rel;
    return true;
}

std::string DownloadAddress(const std::string& url, const std::string& name) {
    return url + "/" + withSlashes(name);
}

}  // namespace updater
