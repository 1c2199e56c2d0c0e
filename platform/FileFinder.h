// Lists the entries of one folder, one at a time, as a folder walk needs them: the
// name and full path of each entry (wide, for showing and matching), its exact path
// (the bytes on disk, for opening and for going deeper), and whether it is a folder.
// Symbolic links are never followed: a link is an entry, never a folder. A folder that
// is a mount point other than the walk's own root is not listed, so a walk never
// crosses into another file system. Names that are not valid UTF-8 get substitutes in
// the wide forms; the exact path keeps them.
#pragma once

#include <dirent.h>

#include <set>
#include <string>

namespace platform {

class FileFinder {
public:
    FileFinder() = default;
    ~FileFinder() { close(); }
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;

    // Starts listing `folder` (exact bytes, '/' separated). False, with an empty listing,
    // when it can't be listed: not a folder, a link, no access, or a mount point in
    // `fences` other than `walkRoot`.
    bool open(const std::string& folder, const std::set<std::string>* fences = nullptr,
              const std::string& walkRoot = std::string());

    // Moves to the next entry, "." and ".." included; false at the end.
    bool next();

    std::u16string name() const;
    std::u16string path() const;
    const std::string& exactName() const { return m_name; }
    const std::string& exactPath() const { return m_path; }
    bool isFolder() const { return m_isFolder; }
    bool isDots() const { return m_name == "." || m_name == ".."; }

    void close();

private:
    DIR* m_dir = nullptr;
    std::string m_folder;
    std::string m_name;
    std::string m_path;
    bool m_isFolder = false;
};

// Joins a folder and a name with one '/'.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace platform
