#include "updater/core/DownloadTarget.h"

#include <gtest/gtest.h>

namespace {

struct TargetCase {
    const char* name;
    bool allowed;
    const char* dest;
};

class DownloadTargetTest : public testing::TestWithParam<TargetCase> {};

TEST_P(DownloadTargetTest, StaysInsideTheProgramDirectory) {
    std::string dest = "untouched";
    EXPECT_EQ(updater::ResolveDownloadTarget("/opt/t/", GetParam().name, dest), GetParam().allowed);
    if (GetParam().allowed) {
        EXPECT_EQ(dest, GetParam().dest);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadTargetTest,
    testing::Values(TargetCase{"Trawlix", true, "/opt/t/Trawlix"},
                    TargetCase{"data/words.dat", true, "/opt/t/data/words.dat"},
                    TargetCase{"data\\words.dat", true, "/opt/t/data/words.dat"},
                    TargetCase{"a..b", true, "/opt/t/a..b"}, TargetCase{"./x", true, "/opt/t/./x"},
                    TargetCase{"../x", false, ""}, TargetCase{"a/../../x", false, ""},
                    TargetCase{"a\\..\\x", false, ""}, TargetCase{"..", false, ""},
                    TargetCase{"/etc/passwd", false, ""}, TargetCase{"\\etc\\x", false, ""},
                    TargetCase{"C:\\x", false, ""}, TargetCase{"", false, ""},
                    TargetCase{"dir/", false, ""}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(DownloadAddress, JoinsWithSlash) {
    EXPECT_EQ(updater::DownloadAddress("http://h/up", "data\\a.dat"), "http://h/up/data/a.dat");
    EXPECT_EQ(updater::DownloadAddress("http://h/up", "Trawlix"), "http://h/up/Trawlix");
}

}  // namespace
