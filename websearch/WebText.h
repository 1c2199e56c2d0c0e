// The text conversions of the web search: the search box's wide text and the torrent
// feed's UTF-8 into code page 949, and code page 949 into UTF-8 for the console. A
// character code page 949 lacks becomes '?'.
#pragma once

#include <string>

std::string wideToAnsi(const std::u16string& text);
std::string utf8ToAnsi(const std::string& text);
std::string ansiToUtf8(const std::string& text);
