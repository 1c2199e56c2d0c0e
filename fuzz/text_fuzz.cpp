// Code page 949 and UTF-8 conversions on arbitrary bytes: nothing stops or overruns,
// and what converts cleanly converts back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string fromCp = platform::fromAnsi(bytes);
    const std::u16string fromU8 = platform::fromUtf8(bytes);
    // Every character of the code page's result has a code page form again.
    const std::string back = platform::toAnsi(fromCp);
    if (platform::fromAnsi(back) != fromCp) {
        __builtin_trap();
    }
    // UTF-8 of any UTF-16 text made from UTF-8 reads back the same.
    if (platform::fromUtf8(platform::toUtf8(fromU8)) != fromU8) {
        __builtin_trap();
    }
    // The bytes taken as UTF-16 (any surrogates) never trip the encoders.
    std::u16string wide(size / 2, u'\0');
    for (size_t i = 0; i + 1 < size; i += 2) {
        wide[i / 2] = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    (void)platform::toAnsi(wide);
    (void)platform::toUtf8(wide);
    return 0;
}
