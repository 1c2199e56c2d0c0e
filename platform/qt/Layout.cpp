#include "platform/qt/Layout.h"

#include <cctype>
#include <charconv>

namespace platform {

namespace {

// Splits a line into words and quoted texts; nullopt on an unterminated quote.
std::optional<std::vector<std::string>> tokens(std::string_view line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        std::string t;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    const char e = line[i++];
                    t.push_back(e == 'n' ? '\n' : e);
                } else {
                    t.push_back(c);
                }
            }
            if (!closed) {
                return std::nullopt;
            }
            out.push_back("\"" + t);  // a leading quote marks a text
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
                t.push_back(line[i++]);
            }
            out.push_back(t);
        }
    }
    return out;
}

bool number(const std::string& s, int& out) {
    if (s.empty() || s[0] == '"') {
        return false;
    }
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool text(const std::string& s, std::string& out) {
    if (s.empty() || s[0] != '"') {
        return false;
    }
    out = s.substr(1);
    return true;
}

}  // namespace

std::vector<DialogTemplate> parseLayout(std::string_view all, std::string* error) {
    std::vector<DialogTemplate> dialogs;
    size_t pos = 0;
    int lineNo = 0;
    auto fail = [&](const char* why) {
        if (error) {
            *error = "line " + std::to_string(lineNo) + ": " + why;
        }
        return std::vector<DialogTemplate>{};
    };
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string_view::npos) {
            end = all.size();
        }
        const std::string_view line = all.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        const auto t = tokens(line);
        if (!t) {
            return fail("unterminated text");
        }
        if (t->empty() || (*t)[0][0] == '#') {
            continue;
        }
        const auto& w = *t;
        if (w[0] == "dialog") {
            DialogTemplate d;
            if (w.size() != 7 || !number(w[1], d.id) || !number(w[2], d.width) ||
                !number(w[3], d.height) || !text(w[4], d.title) || !text(w[5], d.fontFace) ||
                !number(w[6], d.fontPoints)) {
                return fail("bad dialog line");
            }
            dialogs.push_back(std::move(d));
        } else if (w[0] == "control") {
            ControlSpec c;
            if (dialogs.empty() || w.size() < 8 || !number(w[1], c.id) || w[2][0] == '"' ||
                !number(w[3], c.x) || !number(w[4], c.y) || !number(w[5], c.width) ||
                !number(w[6], c.height) || !text(w[7], c.text)) {
                return fail("bad control line");
            }
            c.kind = w[2];
            for (size_t k = 8; k < w.size(); ++k) {
                if (w[k][0] == '"') {
                    return fail("text among styles");
                }
                c.styles.insert(w[k]);
            }
            dialogs.back().controls.push_back(std::move(c));
        } else {
            return fail("unknown item");
        }
    }
    return dialogs;
}

}  // namespace platform
