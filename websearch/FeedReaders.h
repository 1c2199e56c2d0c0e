// Reading the two XML answers the web sources get: the form site's item list (code page
// 949 text, no declaration) and the torrent index's RSS feed (UTF-8). Pure functions of
// the body, so the sources only fetch and publish.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One find of a web source, as it goes into a search result.
struct WebFind {
    std::string name, type, target, location;
};

// One of the form site's two searches.
struct FormSiteRow {
    const char* pathPrefix;   // path and query up to the term
    int itemCount;            // elements read, from the first "ITEM" on
    const char* linkElement;  // child element holding the address
    // The start of each location; null: the form site's host followed by " - ".
    const char* locationPrefix;
};

// "Pelmora무료서식 - " in code page 949: the free forms' location prefix.
inline constexpr const char* kFreeFormLocationPrefix = "Pelmora\xB9\xAB\xB7\xE1\xBC\xAD\xBD\xC4 - ";

inline constexpr FormSiteRow kCertifiedForms = {
    "/b_app/search_certform.asp?ext=doc&logtype=cfilename&keyword=", 10, "LINK", nullptr};
inline constexpr FormSiteRow kFreeForms = {"/b_app/search_freeform.asp?ext=doc&keyword=", 3, "URL",
                                           kFreeFormLocationPrefix};

// The items of a form-site answer; formSiteHost stands in for a missing link and, for the
// certified forms, starts the location.
std::vector<WebFind> readFormSiteItems(const std::string& body, const FormSiteRow& row,
                                       const std::string& formSiteHost);

// Titles longer than this many bytes are cut.
inline constexpr size_t kTorrentTitleBytes = 60;

// The first bytes of a code page 949 text, at most maxBytes of them and never half a
// double-byte character, followed by "..."; the text itself when it is short enough.
std::string cutTitle(const std::string& ansi, size_t maxBytes = kTorrentTitleBytes);

// The items of a torrent feed. toAnsi converts the feed's UTF-8 texts to code page 949;
// fallbackTarget is the target of an item without an enclosure.
std::vector<WebFind> readTorrentFeed(const std::string& body,
                                     const std::function<std::string(const std::string&)>& toAnsi,
                                     const std::string& fallbackTarget);
