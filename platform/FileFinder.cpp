#include "platform/FileFinder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Text.h"

namespace platform {

std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

bool FileFinder::open(const std::string& folder, const std::set<std::string>* fences,
                      const std::string& walkRoot) {
    close();
    if (folder.empty()) {
        return false;
    }
    if (fences && folder != walkRoot) {
        std::string trimmed = folder;
        while (trimmed.size() > 1 && trimmed.back() == '/') {
            trimmed.pop_back();
        }
        if (fences->count(trimmed)) {
            return false;
        }
    }
    // O_NOFOLLOW: a link to a folder is not a folder of this walk.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    m_dir = fdopendir(fd);
    if (!m_dir) {
        ::close(fd);
        return false;
    }
    m_folder = folder;
    return true;
}

bool FileFinder::next() {
    if (!m_dir) {
        return false;
    }
    errno = 0;
    const dirent* e = readdir(m_dir);
    if (!e) {
        close();
        return false;
    }
    m_name = e->d_name;
    m_path = joinPath(m_folder, m_name);
    if (e->d_type == DT_DIR) {
        m_isFolder = true;
    } else if (e->d_type == DT_UNKNOWN) {
        struct stat st {};
        m_isFolder =
            fstatat(dirfd(m_dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    } else {
        m_isFolder = false;
    }
    return true;
}

std::u16string FileFinder::name() const {
    return fromUtf8(m_name);
}

std::u16string FileFinder::path() const {
    return fromUtf8(m_path);
}

void FileFinder::close() {
    if (m_dir) {
        closedir(m_dir);
        m_dir = nullptr;
    }
}

}  // namespace platform
