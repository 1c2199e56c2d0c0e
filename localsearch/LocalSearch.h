// The local search worker: walks every drive (platform::logicalDrives) depth first and
// adds every file and folder whose name contains the search term. It rewrites the
// local status line for every entry it examines and stops at the next entry once its
// running flag is cleared.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "app/state/SearchState.h"

// "[내컴퓨터] " and "파일 폴더" in code page 949, whatever this file's encoding.
inline constexpr char kLocalStatusPrefix[] = "[\xB3\xBB\xC4\xC4\xC7\xBB\xC5\xCD] ";
inline constexpr char kFolderType[] = "\xC6\xC4\xC0\xCF \xC6\xFA\xB4\xF5";

// The longest folder pattern (folder + "/*") that is listed, in UTF-16 units.
inline constexpr size_t kMaxPatternLength = 259;

// What one walk of one drive carries down the folders.
struct LocalWalk {
    const SearchHandle& handle;
    std::u16string term;                  // wide form of the search term
    const std::set<std::string>& fences;  // mount points not to cross
    std::string root;                     // the drive being walked
};

// The thread procedure; returns 0.
uint32_t LocalSearchProc(SearchHandle handle);

// Walks one folder (exact path) and, through recursion, everything below it.
void SearchFolder(const LocalWalk& walk, const std::string& folder);

// The type column of a local entry (narrow): kFolderType for a folder, else the part of
// the name after its last '.', or the whole name when it has none.
std::string LocalEntryType(const std::string& narrowName, bool isFolder);
