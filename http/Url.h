// A URL split into the six parts of RFC 1808 plus port and crawl depth: the address record
// every crawl step, request and cookie match works on. Pure byte-string computation: no
// escaping, no character-set conversion, no I/O.
//
//   http://www.host:8080/a/b.html;p?x=1#top
//   \__/   \______/ \__/\________/ | \_/ \_/
//  scheme    host  port   path   params query fragment
//
// Invariants after parse(): scheme and host are ASCII lower-case; host is non-empty only
// when the text had a "//" part; path is "/" (never empty) when host is non-empty; port is
// 0 to 65535 (80 unless the text carried one). depth only travels with the record: it takes
// no part in composing or ordering.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Parts selected by Url::compose; written in this order.
enum UrlPart : unsigned {
    kPartScheme = 1,
    kPartHost = 2,
    kPartPath = 4,
    kPartParams = 8,
    kPartQuery = 16,
    kPartFragment = 32,
    kPartAll = 255,
    kPartRequestTarget = 28,
};

class Url {
public:
    Url();
    explicit Url(std::string text);
    Url(std::string text, int32_t depth);

    // Fills every part from text; never fails. depth is left as it is.
    void parse(std::string text);
    std::string compose(unsigned mask) const;
    // The value after the first occurrence of name (given with its '=', as "q="), up to the
    // next '&' or the end of the query; empty when name does not occur.
    std::string queryValue(std::string_view name) const;
    // By compose(kPartAll), byte-wise as unsigned characters; depth does not count.
    bool operator<(const Url& other) const;
    bool operator==(const Url& other) const;
    // A port the transport may connect to; 0 marks a port text that was empty, not a number
    // or out of range.
    bool hasUsablePort() const { return port >= 1 && port <= 65535; }

    std::string scheme, host, path, params, query, fragment;
    int32_t port = 80;
    int32_t depth = 0;
};

// relative resolved against base after RFC 1808, normalised by a compose-and-parse round.
Url resolveUrl(const Url& base, const Url& relative);

// The path merge of resolveUrl for a relative path that does not begin with '/': the result
// begins with '/', ends with '/' and holds no "." or ".." segment.
std::string mergePaths(std::string_view basePath, std::string_view relativePath);

// a and b name the same site: equal, or equal once one of them drops a leading "www.".
bool sameHost(std::string_view a, std::string_view b);
