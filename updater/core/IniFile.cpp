#include "updater/core/IniFile.h"

#include <filesystem>

#include "platform/Ascii.h"
#include "platform/Process.h"

CIniFile::CIniFile(std::string path) : m_szPath(std::move(path)) {
    if (m_szPath.empty()) {
        m_szPath =
            (std::filesystem::path(platform::currentDirectory()) / "default_ini.ini").string();
    }
}

bool CIniFile::readRaw(const std::string& section, const std::string& key, const std::string& dflt,
                       std::string& out) {
    if (!m_cache) {
        const std::optional<std::string> text = platform::readWholeFile(m_szPath);
        m_cache = platform::IniDocument::parse(text.value_or(std::string()));
    }
    const std::optional<std::string> value = m_cache->get(section, key);
    std::string text = value.value_or(dflt);
    if (text.empty()) {
        text = dflt;
    }
    out = platform::cutProfileValue(text);
    return true;
}

bool CIniFile::ReadInt(std::string section, std::string key, int* result, int dflt) {
    if (section.empty() || key.empty()) {
        return false;
    }
    std::string text;
    readRaw(section, key, std::to_string(dflt), text);
    *result = AtoiLike(text);
    return true;
}

bool CIniFile::ReadString(std::string section, std::string key, std::string* result,
                          std::string dflt) {
    if (section.empty() || key.empty()) {
        return false;
    }
    return readRaw(section, key, dflt, *result);
}

bool CIniFile::WriteString(std::string section, std::string key, std::string value) {
    if (section.empty() || key.empty()) {
        return false;
    }
    m_cache.reset();
    return platform::writeProfileString(m_szPath, section, key, value);
}

int AtoiLike(const std::string& text) {
    return platform::lenientDecimal(text);
}
