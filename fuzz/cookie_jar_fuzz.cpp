// Random Set-Cookie texts into a jar, then Cookie headers for a few URLs: nothing may
// crash, and no header may carry a line break into a request.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "http/CookieJar.h"

namespace {

// The first line names the URL the cookies come from; every further line is one
// Set-Cookie value.
std::vector<std::string> lines(std::string_view data) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string_view::npos) {
            end = data.size();
        }
        out.emplace_back(data.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

void checkHeader(const std::string& header) {
    if (header.find_first_of("\r\n") != std::string::npos) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> in =
        lines(std::string_view(reinterpret_cast<const char*>(data), size));
    CookieJar jar([] { return int64_t{1700000000}; });
    const Url from(in[0]);
    std::vector<std::string> values(in.begin() + 1, in.end());
    jar.storeAll(values, from);
    // A value may also arrive with a CR left in it by a broken parser.
    if (!values.empty()) {
        jar.store(values.back() + "\r", from);
    }
    for (const Url& u : {from, Url("http://www.host/a/b.html"), Url("http://host/"),
                         Url("http://a.www.host/x/y/z"), Url()}) {
        checkHeader(jar.headerFor(u));
    }
    for (const auto& [name, cookie] : jar.cookies()) {
        checkHeader(name + "=" + cookie.value);
        parseCookieExpiry(cookie.expires, 0);
    }
    return 0;
}
