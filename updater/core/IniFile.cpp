#include "updater/core/IniFile.h"

#include <climits>
#include <filesystem>

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
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value < INT_MIN ? INT_MIN : value);
}
