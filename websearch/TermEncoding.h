// Puts a search term into a request URL so that the server receives exactly the term: the
// bytes that would end the request line or change the URL's meaning are percent-encoded,
// every other byte (code page 949 or UTF-8 text included) goes as it is.
#pragma once

#include <string>
#include <string_view>

enum class TermPlace {
    kQuery,  // a query value: '&', '#', '%', '+' and blanks are encoded
    kPath,   // a path segment: also '?', ';' and '/'
};

// blankAsPlus: a blank becomes '+' (the engine's form) instead of "%20".
std::string encodeTerm(std::string_view term, TermPlace place, bool blankAsPlus = false);
