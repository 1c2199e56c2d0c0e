// Feeds arbitrary bytes to the INI reader and writer: nothing may crash, a file must
// come back byte for byte when nothing was changed, and a value that was set must read
// back while the file's other values stay as they were.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/IniProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::IniDocument doc = platform::IniDocument::parse(text);
    if (doc.serialize() != text) {
        std::abort();
    }
    const auto before = doc.get("Config", "Url");
    (void)doc.get("updatefiles", "Number");
    (void)doc.get("updatefiles", "updatefile0:Ver");

    // Section and key names come from the input too, so odd names meet odd files.
    const size_t cut = size / 3;
    const std::string section(text.substr(0, std::min<size_t>(cut, 16)));
    const std::string key(text.substr(cut, std::min<size_t>(cut, 16)));
    platform::IniDocument changed = doc;
    if (changed.set(section, key, "fuzz-value")) {
        const platform::IniDocument again = platform::IniDocument::parse(changed.serialize());
        if (again.get(section, key) != std::optional<std::string>("fuzz-value")) {
            std::abort();
        }
        const bool sameKey = platform::foldProfileName(section) == "config" &&
                             platform::foldProfileName(key) == "url";
        if (!sameKey && again.get("Config", "Url") != before) {
            std::abort();
        }
    }
    (void)platform::cutProfileValue(text);
    return 0;
}
