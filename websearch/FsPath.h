// A directory or text option of the crawl options: the text normalised to '/' separators
// without trailing '/' or '.', plus its separator mode.
#pragma once

#include <cstdint>
#include <string>

class FsPath {
public:
    FsPath() = default;
    // Copies s with every '\' turned into '/', then drops trailing '/' and '.'.
    explicit FsPath(const std::string& s);
    FsPath(const FsPath& other) = default;
    // Copies the text only; the target keeps its separator mode and kind and converts the
    // copied text to its own separator.
    FsPath& operator=(const FsPath& other);

    // The path names a directory that can be listed; an empty text names the root.
    bool exists() const;

    std::string text;
    // 1: the separator is '/'; 0: it is '\'.
    int32_t forwardSlash = 1;
    int32_t kind = 0;
};
