#include "platform/IniProfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

struct ReadCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    bool found;
    const char* value;
};

class IniReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsValue) {
    const ReadCase& c = GetParam();
    const platform::IniDocument doc = platform::IniDocument::parse(c.text);
    const auto value = doc.get(c.section, c.key);
    ASSERT_EQ(value.has_value(), c.found);
    if (c.found) {
        EXPECT_EQ(*value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    testing::Values(
        ReadCase{"Lf", "[Config]\nUrl=http://a/b\n", "Config", "Url", true, "http://a/b"},
        ReadCase{"CrLf", "[Config]\r\nUrl=x\r\nName=version\r\n", "Config", "Name", true,
                 "version"},
        ReadCase{"CaseInsensitiveNames", "[UpdateFiles]\nUPDATEFILE0:VER=1.0\n", "updatefiles",
                 "updatefile0:Ver", true, "1.0"},
        ReadCase{"ValueCaseKept", "[a]\nk=MiXeD\n", "A", "K", true, "MiXeD"},
        ReadCase{"BlanksTrimmed", "  [ Config ]  \n\t Url \t=  v a l  \t\n", "Config", "Url", true,
                 "v a l"},
        ReadCase{"DoubleQuotesStripped", "[a]\nk=\" padded \"\n", "a", "k", true, " padded "},
        ReadCase{"SingleQuotesStripped", "[a]\nk='x'\n", "a", "k", true, "x"},
        ReadCase{"UnmatchedQuoteKept", "[a]\nk=\"x\n", "a", "k", true, "\"x"},
        ReadCase{"EmptyValue", "[a]\nk=\n", "a", "k", true, ""},
        ReadCase{"MissingKey", "[a]\nk=1\n", "a", "other", false, ""},
        ReadCase{"MissingSection", "[a]\nk=1\n", "b", "k", false, ""},
        ReadCase{"KeyInOtherSection", "[a]\nx=1\n[b]\nk=2\n", "a", "k", false, ""},
        ReadCase{"CommentIgnored", "[a]\n;k=1\nk=2\n", "a", "k", true, "2"},
        ReadCase{"SemicolonInValueKept", "[a]\nk=1;2\n", "a", "k", true, "1;2"},
        ReadCase{"FirstDuplicateWins", "[a]\nk=1\nk=2\n[a]\nk=3\n", "a", "k", true, "1"},
        ReadCase{"KeyBeforeAnySection", "k=1\n[a]\n", "a", "k", false, ""},
        ReadCase{"LineWithoutEquals", "[a]\nk\nk2=v\n", "a", "k", false, ""},
        ReadCase{"EqualsInValue", "[a]\nk=a=b\n", "a", "k", true, "a=b"},
        ReadCase{"NoFinalNewline", "[a]\nk=last", "a", "k", true, "last"},
        ReadCase{"Utf8Bom", "\xEF\xBB\xBF[a]\nk=1\n", "a", "k", true, "1"},
        // A Hangul name whose trail byte is 'A' must not match the one with 'a'.
        ReadCase{"DoubleByteNotFolded", "[a]\n\xB0\x41=1\n", "a", "\xB0\x61", false, ""},
        ReadCase{"DoubleByteExact", "[a]\n\xB0\x41=1\n", "a", "\xB0\x41", true, "1"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

class IniFileTest : public testing::Test {
protected:
    void SetUp() override {
        m_dir =
            fs::temp_directory_path() /
            ("ini-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) +
             "-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_path = (m_dir / "version.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void writeText(const std::string& text) { std::ofstream(m_path, std::ios::binary) << text; }
    std::string readText() { return platform::readWholeFile(m_path).value_or("<missing>"); }

    fs::path m_dir;
    std::string m_path;
};

TEST_F(IniFileTest, MissingFileGivesDefault) {
    std::string out = "untouched";
    EXPECT_FALSE(platform::readProfileString(m_path, "a", "k", "dflt", out));
    EXPECT_EQ(out, "dflt");
}

TEST_F(IniFileTest, LongValueIsCutWithoutSplittingADoubleByteCharacter) {
    std::string out;
    writeText("[a]\nk=" + std::string(2000, 'x') + "\n");
    platform::readProfileString(m_path, "a", "k", "", out);
    EXPECT_EQ(out.size(), platform::kProfileValueMax);

    // 1022 ASCII bytes then a two-byte character: it would end at byte 1024, so it goes.
    writeText("[a]\nk=" + std::string(1022, 'x') + "\xB0\xA1" + "\n");
    platform::readProfileString(m_path, "a", "k", "", out);
    EXPECT_EQ(out, std::string(1022, 'x'));
}

TEST_F(IniFileTest, WriteReplacesOneLineAndKeepsTheRest) {
    writeText(
        "; local record\r\n[Config]\r\nUrl=http://h/u\r\n\r\n[updatefiles]\r\n"
        "updatefile0:Ver=1.0\r\nupdatefile1:Ver=2.0\r\n");
    ASSERT_TRUE(platform::writeProfileString(m_path, "UPDATEFILES", "updatefile1:ver", "2.1"));
    EXPECT_EQ(readText(),
              "; local record\r\n[Config]\r\nUrl=http://h/u\r\n\r\n[updatefiles]\r\n"
              "updatefile0:Ver=1.0\r\nupdatefile1:ver=2.1\r\n");
}

TEST_F(IniFileTest, WriteAddsKeyAtTheEndOfItsSectionInTheFilesLineEnds) {
    writeText("[Config]\nUrl=u\n\n[Other]\nx=1\n");
    ASSERT_TRUE(platform::writeProfileString(m_path, "Config", "Name", "version"));
    EXPECT_EQ(readText(), "[Config]\nUrl=u\nName=version\n\n[Other]\nx=1\n");
}

TEST_F(IniFileTest, WriteCreatesFileAndSection) {
    ASSERT_TRUE(platform::writeProfileString(m_path, "updatefiles", "updatefile0:Ver", "1"));
    EXPECT_EQ(readText(), "[updatefiles]\r\nupdatefile0:Ver=1\r\n");
    writeText("[a]\nk=1");  // no final line end
    ASSERT_TRUE(platform::writeProfileString(m_path, "b", "k", "2"));
    EXPECT_EQ(readText(), "[a]\nk=1\n[b]\nk=2\n");
}

TEST_F(IniFileTest, WriteKeepsModeAndReadsBack) {
    writeText("[a]\nk=1\n");
    ASSERT_EQ(::chmod(m_path.c_str(), 0640), 0);
    ASSERT_TRUE(platform::writeProfileString(m_path, "a", "k", "value two"));
    struct stat st {};
    ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    std::string out;
    EXPECT_TRUE(platform::readProfileString(m_path, "A", "K", "", out));
    EXPECT_EQ(out, "value two");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(IniFileTest, WriteRefusesTextThatWouldBreakTheFile) {
    writeText("[a]\nk=1\n");
    EXPECT_FALSE(platform::writeProfileString(m_path, "a", "k", "1\n[evil]\nx=2"));
    EXPECT_FALSE(platform::writeProfileString(m_path, "", "k", "v"));
    EXPECT_FALSE(platform::writeProfileString(m_path, "a", "", "v"));
    EXPECT_FALSE(platform::writeProfileString(m_path, "a]", "k", "v"));
    EXPECT_FALSE(platform::writeProfileString(m_path, "a", "k=x", "v"));
    EXPECT_EQ(readText(), "[a]\nk=1\n");
}

TEST_F(IniFileTest, WriteIntoMissingFolderFails) {
    EXPECT_FALSE(platform::writeProfileString((m_dir / "no" / "x.ini").string(), "a", "k", "v"));
}

}  // namespace
