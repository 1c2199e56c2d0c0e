#include "updater/core/IniFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include "platform/IniProfile.h"

namespace {

namespace fs = std::filesystem;

class CIniFileTest : public testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("cinifile-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_path = (m_dir / "version.ini").string();
        std::ofstream(m_path) << "[Config]\r\nVersion=12abc\r\nUrl=http://h/u\r\nEmpty=\r\n"
                              << "Word=abc\r\n";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir;
    std::string m_path;
};

TEST_F(CIniFileTest, ReadIntFollowsAtoiAndDefaults) {
    CIniFile ini(m_path);
    int v = -1;
    EXPECT_TRUE(ini.ReadInt("Config", "Version", &v, 0));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(ini.ReadInt("Config", "Word", &v, 5));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(ini.ReadInt("Config", "Missing", &v, 7));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(ini.ReadInt("Config", "Empty", &v, 9));  // empty reads as the default
    EXPECT_EQ(v, 9);
}

TEST_F(CIniFileTest, ReadStringDefaultsAndEmptyNamesFail) {
    CIniFile ini(m_path);
    std::string s = "untouched";
    EXPECT_FALSE(ini.ReadString("", "Url", &s, "d"));
    EXPECT_FALSE(ini.ReadString("Config", "", &s, "d"));
    EXPECT_EQ(s, "untouched");
    EXPECT_TRUE(ini.ReadString("config", "URL", &s, ""));
    EXPECT_EQ(s, "http://h/u");
    EXPECT_TRUE(ini.ReadString("Config", "Empty", &s, "dflt"));
    EXPECT_EQ(s, "dflt");
    EXPECT_FALSE(ini.WriteString("", "k", "v"));
    EXPECT_FALSE(ini.WriteString("s", "", "v"));
}

TEST_F(CIniFileTest, WriteIsSeenByLaterReads) {
    CIniFile ini(m_path);
    std::string s;
    ini.ReadString("updatefiles", "updatefile0:Ver", &s, "");
    EXPECT_EQ(s, "");
    ASSERT_TRUE(ini.WriteString("updatefiles", "updatefile0:Ver", "1.0.3"));
    ini.ReadString("updatefiles", "updatefile0:Ver", &s, "");
    EXPECT_EQ(s, "1.0.3");
    ini.ReadString("Config", "Url", &s, "");
    EXPECT_EQ(s, "http://h/u");
}

TEST_F(CIniFileTest, EmptyPathMeansDefaultIniInWorkingDirectory) {
    const fs::path old = fs::current_path();
    fs::current_path(m_dir);
    std::ofstream("default_ini.ini") << "[a]\nk=from default\n";
    CIniFile ini("");
    std::string s;
    ini.ReadString("a", "k", &s, "");
    fs::current_path(old);
    EXPECT_EQ(s, "from default");
    EXPECT_EQ(ini.path(), (m_dir / "default_ini.ini").string());
}

struct AtoiCase {
    const char* text;
    int value;
};

class AtoiTest : public testing::TestWithParam<AtoiCase> {};

TEST_P(AtoiTest, ReadsLeadingInteger) {
    EXPECT_EQ(AtoiLike(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Cases, AtoiTest,
                         testing::Values(AtoiCase{"12abc", 12}, AtoiCase{"abc", 0},
                                         AtoiCase{"  -3", -3}, AtoiCase{"+4x", 4}, AtoiCase{"", 0},
                                         AtoiCase{"- 1", 0}, AtoiCase{"99999999999999", INT_MAX},
                                         AtoiCase{"-99999999999999", INT_MIN}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
