// The INI profile reader and writer the updater's settings live in: sections in
// brackets, key=value lines, names matched without regard to letter case, values
// trimmed of blanks and of one pair of surrounding quotes, ';' lines as comments.
// Files with CRLF or LF line ends read alike; a write keeps every other line as it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// A profile read cuts values to this many bytes, as the fixed result buffer did.
inline constexpr size_t kProfileValueMax = 1023;

// One INI file held in memory, line by line, so a write changes one line only.
class IniDocument {
public:
    static IniDocument parse(std::string_view text);

    // The value of the first matching key in the first matching section.
    std::optional<std::string> get(std::string_view section, std::string_view key) const;

    // Sets the key, adding the key or the section when missing. False (and no change)
    // for an empty section or key, or for text that would break the line structure.
    bool set(std::string_view section, std::string_view key, std::string_view value);

    std::string serialize() const;

private:
    struct Line {
        std::string text;
        std::string eol;  // "\r\n", "\n" or "" (last line without an end)
    };
    void buildIndex();
    const std::string& newLineEnd() const;

    std::vector<Line> m_lines;
    std::string m_eol = "\r\n";  // line end for added lines, as the file uses
    bool m_bom = false;
    std::unordered_map<std::string, std::string> m_index;  // folded "section\0key" -> value
};

// Section and key names compare without regard to ASCII letter case; the bytes of a
// double-byte character (code page 949) are left alone, so two Hangul names never fold
// into each other.
std::string foldProfileName(std::string_view name);

// Cuts a value to kProfileValueMax bytes without splitting a double-byte character.
std::string cutProfileValue(std::string_view value);

// Reads a value into out: the file's value, or dflt when the file, section or key is
// missing; cut to kProfileValueMax bytes. True when the key was found.
bool readProfileString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view dflt, std::string& out);

// Writes a value, creating file, section or key as needed. The file is replaced as a
// whole (a temporary file renamed over it, keeping its mode), so a failed write never
// leaves it half written. False when the file cannot be read or written.
bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Reads a whole file; nullopt when it cannot be read (missing counts as unreadable).
std::optional<std::string> readWholeFile(const std::string& path);

// Writes a whole file through a temporary file in the same folder and a rename; an
// existing file's mode is kept, a new file gets 0666 less the umask.
bool replaceFileContents(const std::string& path, std::string_view contents);

}  // namespace platform
