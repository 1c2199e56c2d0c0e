#include "platform/IniProfile.h"

#include "platform/Process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool isLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
    LineKind kind = LineKind::kOther;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed and unquoted
};

ParsedLine parseLine(std::string_view raw) {
    ParsedLine out;
    const std::string_view line = trim(raw);
    if (line.empty() || line.front() == ';') {
        return out;
    }
    if (line.front() == '[') {
        std::string_view name = line.substr(1);
        const size_t close = name.find(']');
        if (close != std::string_view::npos) {
            name = name.substr(0, close);
        }
        out.kind = LineKind::kSection;
        out.name = trim(name);
        return out;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return out;
    }
    out.name = trim(line.substr(0, eq));
    if (out.name.empty()) {
        return out;
    }
    std::string_view value = trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    out.kind = LineKind::kKey;
    out.value = value;
    return out;
}

std::string indexKey(std::string_view section, std::string_view key) {
    std::string k = foldProfileName(trim(section));
    k.push_back('\0');
    k += foldProfileName(trim(key));
    return k;
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

// A value cut in the middle of a double-byte character would end in a stray lead byte.
std::string cutProfileValue(std::string_view value) {
    if (value.size() <= kProfileValueMax) {
        return std::string(value);
    }
    size_t end = 0;
    while (end < kProfileValueMax) {
        const size_t step = isLeadByte(static_cast<unsigned char>(value[end])) ? 2 : 1;
        if (end + step > kProfileValueMax) {
            break;
        }
        end += step;
    }
    return std::string(value.substr(0, end));
}

std::string foldProfileName(std::string_view name) {
    std::string out(name);
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (isLeadByte(c) && i + 1 < out.size()) {
            ++i;  // the trail byte may look like an ASCII letter; it is not one
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument doc;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        doc.m_bom = true;
        text.remove_prefix(3);
    }
    bool sawCrLf = false;
    bool sawLf = false;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        Line line;
        if (nl == std::string_view::npos) {
            line.text = std::string(text);
            text = {};
        } else {
            std::string_view body = text.substr(0, nl);
            if (!body.empty() && body.back() == '\r') {
                body.remove_suffix(1);
                line.eol = "\r\n";
                sawCrLf = true;
            } else {
                line.eol = "\n";
                sawLf = true;
            }
            line.text = std::string(body);
            text.remove_prefix(nl + 1);
        }
        doc.m_lines.push_back(std::move(line));
    }
    if (sawLf && !sawCrLf) {
        doc.m_eol = "\n";
    }
    doc.buildIndex();
    return doc;
}

void IniDocument::buildIndex() {
    m_index.clear();
    bool inSection = false;
    std::string section;
    for (const Line& line : m_lines) {
        const ParsedLine p = parseLine(line.text);
        if (p.kind == LineKind::kSection) {
            inSection = true;
            section = std::string(p.name);
        } else if (p.kind == LineKind::kKey && inSection) {
            m_index.try_emplace(indexKey(section, p.name), std::string(p.value));
        }
    }
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
    const auto it = m_index.find(indexKey(section, key));
    if (it == m_index.end()) {
        return std::nullopt;
    }
    return it->second;
}

const std::string& IniDocument::newLineEnd() const {
    return m_eol;
}

bool IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || hasLineBreak(section) || hasLineBreak(key) ||
        hasLineBreak(value) || section.find(']') != std::string_view::npos ||
        key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';') {
        return false;
    }
    const std::string wantSection = foldProfileName(section);
    const std::string wantKey = foldProfileName(key);
    const std::string newText = std::string(key) + "=" + std::string(value);

    bool inTarget = false;
    bool found = false;
    size_t insertAt = 0;  // after the last non-blank line of the target section
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const ParsedLine p = parseLine(m_lines[i].text);
        if (p.kind == LineKind::kSection) {
            if (found) {
                break;  // only the first section of that name counts, as for reading
            }
            inTarget = foldProfileName(p.name) == wantSection;
            if (inTarget) {
                found = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inTarget) {
            continue;
        }
        if (p.kind == LineKind::kKey && foldProfileName(p.name) == wantKey) {
            m_lines[i].text = newText;
            buildIndex();
            return true;
        }
        if (!trim(m_lines[i].text).empty()) {
            insertAt = i + 1;
        }
    }
    if (!m_lines.empty() && m_lines.back().eol.empty()) {
        m_lines.back().eol = m_eol;
    }
    if (found) {
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                       Line{newText, m_eol});
    } else {
        m_lines.push_back(Line{"[" + std::string(section) + "]", m_eol});
        m_lines.push_back(Line{newText, m_eol});
    }
    buildIndex();
    return true;
}

std::string IniDocument::serialize() const {
    std::string out = m_bom ? "\xEF\xBB\xBF" : "";
    for (const Line& line : m_lines) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return buf.str();
}

namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

bool replaceFileContents(const std::string& path, std::string_view contents) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Write through a link to the file it names, so the link stays a link.
    fs::path target = fs::path(path);
    if (fs::is_symlink(target, ec)) {
        const fs::path real = fs::canonical(target, ec);
        if (!ec) {
            target = real;
        }
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~platform::currentUmask());

    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string tmp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        // A writable file in a folder we may not create in: write it in place.
        const int direct = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
        if (direct < 0) {
            return false;
        }
        const bool ok = writeAll(direct, contents);
        return ::close(direct) == 0 && ok;
    }
    bool ok = writeAll(fd, contents) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        ok = ::rename(tmp.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
    }
    return ok;
}

bool readProfileString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view dflt, std::string& out) {
    const std::optional<std::string> text = readWholeFile(path);
    std::optional<std::string> value;
    if (text) {
        value = IniDocument::parse(*text).get(section, key);
    }
    out = cutProfileValue(value ? std::string_view(*value) : dflt);
    return value.has_value();
}

bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    std::error_code ec;
    std::optional<std::string> text = readWholeFile(path);
    if (!text) {
        if (std::filesystem::exists(path, ec)) {
            return false;  // there but unreadable: rewriting it would lose its lines
        }
        text = std::string();
    }
    IniDocument doc = IniDocument::parse(*text);
    if (!doc.set(section, key, value)) {
        return false;
    }
    return replaceFileContents(path, doc.serialize());
}

}  // namespace platform
