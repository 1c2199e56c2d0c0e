// Downloads for the updater over HTTP(S) with libcurl: a file with progress reports
// (the status codes the updater's callback expects), and a fetch into a cache folder.
// A download goes to a temporary file beside the target and replaces the target only
// when it is complete: an HTTP error status, a short body or an abort leaves it as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Status codes passed to the progress callback.
inline constexpr int kStatusBeginData = 4;  // the body begins; progressMax is known (or 0)
inline constexpr int kStatusData = 5;       // more of the body has arrived
inline constexpr int kStatusEndData = 6;    // the whole body has arrived

// Called on the downloading thread; returning false aborts the download.
using DownloadProgress =
    std::function<bool(uint64_t progress, uint64_t progressMax, int statusCode)>;

struct DownloadOptions {
    long connectTimeoutMs = 30000;
    long stallSeconds = 60;  // a server that sends nothing for this long fails the download
    uint64_t maxBytes = 0;   // a body longer than this fails the download; 0: no limit
    std::function<bool()> keepGoing;  // polled about once a second; false aborts
};

// Result codes of the download calls.
inline constexpr int kDownloadOk = 0;
inline constexpr int kDownloadFailed = 1;   // network, HTTP status, short body, file error
inline constexpr int kDownloadAborted = 2;  // the callback or keepGoing said stop

// Downloads url into dest (replacing it; its mode is kept, a new file gets 0666 less
// the umask). errorText (optional) receives a reason on failure.
int downloadToFile(const std::string& url, const std::string& dest,
                   const DownloadProgress& progress, const DownloadOptions& options = {},
                   std::string* errorText = nullptr);

// Fetches url afresh into cacheDir (created when missing) and gives the cached copy's
// path; an earlier copy is never used as the answer.
int fetchIntoCache(const std::string& url, const std::string& cacheDir, std::string& cachedPath,
                   const DownloadOptions& options = {}, std::string* errorText = nullptr);

// Where fetchIntoCache keeps url's copy.
std::string cachePathFor(const std::string& url, const std::string& cacheDir);

// Removes url's cached copy, if there is one.
void deleteCacheEntry(const std::string& url, const std::string& cacheDir);

// The user's cache folder for the updater ($XDG_CACHE_HOME or ~/.cache, then "updrift").
std::string defaultCacheDir();

}  // namespace platform
