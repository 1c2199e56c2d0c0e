#include "websearch/FsPath.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

FsPath::FsPath(const std::string& s) : text(s) {
    std::replace(text.begin(), text.end(), '\\', '/');
    while (!text.empty() && (text.back() == '/' || text.back() == '.')) {
        text.pop_back();
    }
}

FsPath& FsPath::operator=(const FsPath& other) {
    if (this == &other) {
        return *this;
    }
    text = other.text;
    if (forwardSlash != other.forwardSlash) {
        if (forwardSlash) {
            std::replace(text.begin(), text.end(), '\\', '/');
        } else {
            std::replace(text.begin(), text.end(), '/', '\\');
        }
    }
    return *this;
}

bool FsPath::exists() const {
    std::string dir = text.empty() ? std::string(1, '/') : text;
    if (!forwardSlash) {
        std::replace(dir.begin(), dir.end(), '\\', '/');
    }
    std::error_code ec;
    std::filesystem::directory_iterator listing(dir, ec);
    return !ec;
}
