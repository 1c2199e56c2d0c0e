// Text conversions of the program: narrow text is code page 949 (the Korean ANSI code
// page the design assumes), wide text is UTF-16, and file names on disk are UTF-8.
// Conversions never stop on a character they can't convert: it becomes '?' (never a
// transliteration). Every function may be called from many threads at once.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Code page 949 <-> UTF-16. Invalid or unknown input becomes '?'.
std::string toAnsi(std::u16string_view wide);
std::u16string fromAnsi(std::string_view narrow);

// UTF-8 <-> UTF-16. Invalid UTF-8 becomes U+FFFD per bad byte; a lone surrogate
// becomes U+FFFD in UTF-8.
std::u16string fromUtf8(std::string_view utf8);
std::string toUtf8(std::u16string_view wide);

// Code page 949 <-> UTF-8, through UTF-16.
std::string ansiToUtf8(std::string_view narrow);
std::string utf8ToAnsi(std::string_view utf8);

}  // namespace platform
