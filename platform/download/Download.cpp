#include "platform/download/Download.h"

#include "platform/Process.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace platform {

namespace {

namespace fs = std::filesystem;

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// curl wants a well-formed address: blanks, control bytes and non-ASCII bytes (a
// Korean file name from the manifest) are sent percent-encoded.
std::string escapeUrl(const std::string& url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

mode_t modeForTarget(const std::string& dest) {
    struct stat st {};
    if (::stat(dest.c_str(), &st) == 0) {
        return st.st_mode & 07777;
    }
    return 0666 & ~currentUmask();
}

struct Transfer {
    int fd = -1;
    CURL* curl = nullptr;
    const DownloadProgress* progress = nullptr;
    const DownloadOptions* options = nullptr;
    uint64_t received = 0;
    uint64_t total = 0;
    bool begun = false;
    bool aborted = false;
    bool tooLong = false;
    bool writeFailed = false;

    bool report(int status) {
        if (*progress && !(*progress)(received, total, status)) {
            aborted = true;
        }
        return !aborted;
    }
    bool begin() {
        begun = true;
        curl_off_t length = -1;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        total = length > 0 ? static_cast<uint64_t>(length) : 0;
        return report(kStatusBeginData);
    }
};

size_t onWrite(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (!t->begun && !t->begin()) {
        return 0;
    }
    if (t->options->maxBytes != 0 && t->received + n > t->options->maxBytes) {
        t->tooLong = true;
        return 0;
    }
    size_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(t->fd, data + done, n - done);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            t->writeFailed = true;
            return 0;
        }
        done += static_cast<size_t>(w);
    }
    t->received += n;
    return t->report(kStatusData) ? n : 0;
}

int onXferInfo(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    if (t->options->keepGoing && !t->options->keepGoing()) {
        t->aborted = true;
        return 1;
    }
    return 0;
}

int fail(std::string* errorText, const std::string& why, int code = kDownloadFailed) {
    if (errorText != nullptr) {
        *errorText = why;
    }
    return code;
}

uint64_t fnv1a(const std::string& s) {
    uint64_t h = 1469598103934665603ull;
    for (const char c : s) {
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return h;
}

}  // namespace

int downloadToFile(const std::string& url, const std::string& dest,
                   const DownloadProgress& progress, const DownloadOptions& options,
                   std::string* errorText) {
    initCurlOnce();
    const fs::path target(dest);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string tmp = (dir / ("." + target.filename().string() + ".part-XXXXXX")).string();
    const mode_t mode = modeForTarget(dest);
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        return fail(errorText, "cannot create a file in " + dir.string());
    }

    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return fail(errorText, "cannot start a transfer");
    }
    Transfer t;
    t.fd = fd;
    t.curl = curl;
    t.progress = &progress;
    t.options = &options;
    char curlError[CURL_ERROR_SIZE] = {};
    const std::string address = escapeUrl(url);
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.stallSeconds);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, curlError);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onWrite);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onXferInfo);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);

    int result = kDownloadOk;
    std::string why;
    if (t.aborted) {
        result = kDownloadAborted;
        why = "aborted";
    } else if (t.tooLong) {
        result = kDownloadFailed;
        why = "the answer is longer than allowed";
    } else if (t.writeFailed) {
        result = kDownloadFailed;
        why = "cannot write " + tmp;
    } else if (rc != CURLE_OK) {
        result = kDownloadFailed;
        why = curlError[0] != '\0' ? curlError : curl_easy_strerror(rc);
    } else if (status < 200 || status > 299) {
        result = kDownloadFailed;
        why = "HTTP status " + std::to_string(status);
    } else if (t.total != 0 && t.received != t.total) {
        result = kDownloadFailed;
        why = "short body";
    }
    if (result == kDownloadOk && !t.begun && !t.begin()) {
        result = kDownloadAborted;  // an empty body still begins and ends
        why = "aborted";
    }
    if (result == kDownloadOk && !t.report(kStatusEndData)) {
        result = kDownloadAborted;
        why = "aborted";
    }
    bool ok = result == kDownloadOk && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (result == kDownloadOk && !ok) {
        result = kDownloadFailed;
        why = "cannot write " + tmp;
    }
    if (result == kDownloadOk && ::rename(tmp.c_str(), dest.c_str()) != 0) {
        result = kDownloadFailed;
        why = "cannot replace " + dest;
    }
    if (result != kDownloadOk) {
        ::unlink(tmp.c_str());
        return fail(errorText, why, result);
    }
    return kDownloadOk;
}

std::string cachePathFor(const std::string& url, const std::string& cacheDir) {
    std::string name = url.substr(url.find_last_of('/') + 1);
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '.' || c == '-' || c == '_')) {
            c = '_';
        }
    }
    if (name.size() > 64) {
        name.resize(64);
    }
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(url)));
    return (fs::path(cacheDir) / (std::string(hash) + "-" + name)).string();
}

int fetchIntoCache(const std::string& url, const std::string& cacheDir, std::string& cachedPath,
                   const DownloadOptions& options, std::string* errorText) {
    std::error_code ec;
    fs::create_directories(cacheDir, ec);
    const std::string path = cachePathFor(url, cacheDir);
    const int rc = downloadToFile(url, path, DownloadProgress(), options, errorText);
    if (rc == kDownloadOk) {
        cachedPath = path;
    }
    return rc;
}

void deleteCacheEntry(const std::string& url, const std::string& cacheDir) {
    std::error_code ec;
    fs::remove(cachePathFor(url, cacheDir), ec);
}

std::string defaultCacheDir() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return (fs::path(xdg) / "updrift").string();
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return (fs::path(home) / ".cache" / "updrift").string();
    }
    return (fs::temp_directory_path() / ("updrift-cache-" + std::to_string(::getuid()))).string();
}

}  // namespace platform
