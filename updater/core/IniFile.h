// Reads and writes values of one INI file by section and key, with the defaults the
// update check relies on: an empty value reads as the default, exactly like a missing key.
#pragma once

#include <optional>
#include <string>

#include "platform/IniProfile.h"

class CIniFile {
public:
    // An empty path selects "default_ini.ini" in the current working directory.
    explicit CIniFile(std::string path);
    virtual ~CIniFile() = default;

    // False (and the result left unchanged) for an empty section or key.
    bool ReadInt(std::string section, std::string key, int* result, int dflt);
    bool ReadString(std::string section, std::string key, std::string* result, std::string dflt);
    bool WriteString(std::string section, std::string key, std::string value);

    const std::string& path() const { return m_szPath; }

private:
    bool readRaw(const std::string& section, const std::string& key, const std::string& dflt,
                 std::string& out);

    std::string m_szPath;
    // The file as read once for this object; a write drops it so later reads see the file.
    std::optional<platform::IniDocument> m_cache;
};

// The leading integer of a text, as atoi reads it (blanks, a sign, digits; none give 0),
// saturated to the int range instead of overflowing.
int AtoiLike(const std::string& text);
