#include "localsearch/LocalSearch.h"

#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/FileFinder.h"
#include "platform/Text.h"

std::string LocalEntryType(const std::string& narrowName, bool isFolder) {
    if (isFolder) {
        return kFolderType;
    }
    const size_t dot = narrowName.rfind('.');
    return dot == std::string::npos ? narrowName : narrowName.substr(dot + 1);
}

uint32_t LocalSearchProc(SearchHandle handle) {
    const platform::DriveSet drives = platform::logicalDrives();
    const std::u16string term = platform::fromAnsi(handle.searchTerm());
    // No check of the flag between drives: each walk checks it before its first entry.
    for (const std::string& root : drives.roots) {
        const LocalWalk walk{handle, term, drives.fences, root};
        SearchFolder(walk, root);
    }
    handle.finish();
    return 0;
}

void SearchFolder(const LocalWalk& walk, const std::string& folder) {
    platform::FileFinder finder;
    // A folder too deep for the pattern limit is not walked; nothing overflows.
    const size_t patternLength = platform::fromUtf8(folder).size() + 2;
    if (patternLength <= kMaxPatternLength) {
        finder.open(folder, &walk.fences, walk.root);
    }
    std::string remembered;
    platform::sleepMs(1);
    while (walk.handle.isRunning() && finder.next()) {
        if (!finder.isDots()) {
            const std::string& exact = finder.exactPath();
            const std::string narrowPath = platform::toAnsi(finder.path());
            if (exact != remembered) {
                walk.handle.setLocalStatus(kLocalStatusPrefix + narrowPath);
                remembered = exact;
            }
            if (finder.name().find(walk.term) != std::u16string::npos) {
                SearchResult r;
                r.name = platform::toAnsi(finder.name());
                r.type = LocalEntryType(r.name, finder.isFolder());
                r.target = narrowPath;
                r.location = narrowPath;
                r.exactTarget = exact;
                AddResult(walk.handle, r);
            }
            // Files too: their listing is empty, so in effect every sub-folder is walked.
            SearchFolder(walk, exact);
        }
        platform::sleepMs(1);
    }
}
