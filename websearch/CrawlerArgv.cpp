#include "websearch/CrawlerArgv.h"

#include <filesystem>
#include <system_error>

#include "platform/Ascii.h"
#include "websearch/WebConfig.h"

namespace {

using platform::lenientDecimal;
using platform::lowerAscii;

bool startsWithNoCase(const std::string& s, size_t at, const char* prefix) {
    for (size_t i = 0; prefix[i] != '\0'; ++i) {
        if (at + i >= s.size() || lowerAscii(s[at + i]) != lowerAscii(prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

size_t Argv::lookup(const std::string& arg, int32_t& id) {
    if (arg.empty() || arg[0] != '-') {
        throw Exception{kErrorArgSyntax + arg};
    }
    const size_t colon = arg.find(':');
    if (colon == std::string::npos) {
        throw Exception{kErrorArgSyntax + arg};
    }
    for (const CrawlerOption& option : kCrawlerOptions) {
        // The key runs from the second character through the colon.
        if (std::char_traits<char>::length(option.name) <= colon &&
            startsWithNoCase(arg, 1, option.name)) {
            id = option.id;
            return colon + 1;
        }
    }
    throw Exception{kErrorArgUnknown + arg};
}

CrawlerArgv::CrawlerArgv() : seed(std::string("http://") + webConfig().engineHomeHost) {}

bool CrawlerArgv::apply(std::string arg) {
    int32_t id = -1;
    const size_t at = lookup(arg, id);
    const std::string value = arg.substr(at);
    switch (id) {
        case 0:
            qlimit = lenientDecimal(value);
            break;
        case 5:
            timeout = lenientDecimal(value);
            break;
        case 6:
            sock = lenientDecimal(value);
            break;
        case 1:
            seed = Url(startsWithNoCase(value, 0, "http://") ? value : "http://" + value);
            break;
        case 3: {
            FsPath path(value);
            if (!path.exists()) {
                // One level only, named by the value as given.
                std::error_code ec;
                std::filesystem::create_directory(value, ec);
                if (ec) {
                    throw Exception{kErrorArgOutput + value};
                }
            }
            output = path;
            break;
        }
        case 7:
            filetype = FsPath(value);
            break;
        case 8:
            searchtext = FsPath(value);
            break;
        default:
            break;
    }
    return true;
}
