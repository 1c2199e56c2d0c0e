#include "websearch/CrawlerArgv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TestPaths.h"
#include "websearch/WebConfig.h"

namespace {

struct FsPathCase {
    const char* input;
    const char* text;
};

void PrintTo(const FsPathCase& c, std::ostream* os) {
    *os << '"' << c.input << '"';
}

class FsPathBuild : public ::testing::TestWithParam<FsPathCase> {};

TEST_P(FsPathBuild, NormalisesSeparatorsAndTrailingDotsAndSlashes) {
    const FsPath path(GetParam().input);
    EXPECT_EQ(path.text, GetParam().text);
    EXPECT_EQ(path.forwardSlash, 1);
    EXPECT_EQ(path.kind, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, FsPathBuild,
                         ::testing::Values(FsPathCase{"C:\\temp\\", "C:/temp"},
                                           FsPathCase{"a.b.", "a.b"}, FsPathCase{"...", ""},
                                           FsPathCase{"/x/./", "/x"}, FsPathCase{"", ""},
                                           FsPathCase{"a\\b/c", "a/b/c"}));

TEST(FsPath, AssignmentKeepsTheTargetsSeparator) {
    FsPath back;
    back.forwardSlash = 0;
    back.kind = 7;
    back = FsPath("a\\b\\c");
    EXPECT_EQ(back.text, "a\\b\\c");
    EXPECT_EQ(back.forwardSlash, 0);
    EXPECT_EQ(back.kind, 7);

    FsPath forward;
    forward = back;
    EXPECT_EQ(forward.text, "a/b/c");
}

TEST(FsPath, ExistsOnlyForListableDirectories) {
    const std::string dir = testsupport::scratchDir("fspath-exists");
    std::ofstream(dir + "/file") << "x";
    EXPECT_TRUE(FsPath(dir).exists());
    EXPECT_TRUE(FsPath("").exists());  // the root
    EXPECT_FALSE(FsPath(dir + "/file").exists());
    EXPECT_FALSE(FsPath(dir + "/missing").exists());
}

TEST(CrawlerArgv, Defaults) {
    resetWebConfig();
    const CrawlerArgv argv;
    EXPECT_EQ(argv.qlimit, 0);
    EXPECT_EQ(argv.timeout, 2);
    EXPECT_EQ(argv.sock, 10);
    EXPECT_EQ(argv.queueKind, 0);
    EXPECT_EQ(argv.seed.compose(kPartAll), std::string("http://") + kEngineHomeHost + "/");
    EXPECT_EQ(argv.output.text, "");
    EXPECT_EQ(argv.filetype.text, "");
    EXPECT_EQ(argv.searchtext.text, "");
}

struct NumberCase {
    const char* arg;
    int32_t qlimit, timeout, sock;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.arg;
}

class CrawlerArgvNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(CrawlerArgvNumbers, ReadsLenientDecimals) {
    CrawlerArgv argv;
    EXPECT_TRUE(argv.apply(GetParam().arg));
    EXPECT_EQ(argv.qlimit, GetParam().qlimit);
    EXPECT_EQ(argv.timeout, GetParam().timeout);
    EXPECT_EQ(argv.sock, GetParam().sock);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrawlerArgvNumbers,
    ::testing::Values(NumberCase{"-qlimit:100000", 100000, 2, 10},
                      NumberCase{"-qlimit:abc", 0, 2, 10}, NumberCase{"-timeout:-3", 0, -3, 10},
                      NumberCase{"-QLIMIT:5", 5, 2, 10}, NumberCase{"-qlimitx:5", 5, 2, 10},
                      NumberCase{"-sock:  7x", 0, 2, 7}, NumberCase{"-sock:+1", 0, 2, 1},
                      NumberCase{"-qlimit:-1", -1, 2, 10},
                      NumberCase{"-qlimit:99999999999", 2147483647, 2, 10},
                      NumberCase{"-sort:1", 0, 2, 10}));

struct SeedCase {
    const char* arg;
    const char* seed;
};

void PrintTo(const SeedCase& c, std::ostream* os) {
    *os << c.arg;
}

class CrawlerArgvSeed : public ::testing::TestWithParam<SeedCase> {};

TEST_P(CrawlerArgvSeed, AddsTheSchemeWhenMissing) {
    CrawlerArgv argv;
    argv.apply(GetParam().arg);
    EXPECT_EQ(argv.seed.compose(kPartAll), GetParam().seed);
    EXPECT_EQ(argv.seed.depth, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CrawlerArgvSeed,
                         ::testing::Values(SeedCase{"-Seed:a/b", "http://a/b"},
                                           SeedCase{"-seed:HTTP://Host/X", "http://host/X"},
                                           SeedCase{"-seed:127.0.0.1:8080/",
                                                    "http://127.0.0.1:8080/"},
                                           SeedCase{"-seed:h/p?q=a:b", "http://h/p?q=a:b"},
                                           SeedCase{"-seed:", "http:"}));

struct ErrorCase {
    const char* arg;
    std::string message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << '"' << c.arg << '"';
}

class CrawlerArgvErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CrawlerArgvErrors, RaisesWithTheExactTextAndChangesNothing) {
    CrawlerArgv argv;
    argv.apply("-qlimit:9");
    try {
        argv.apply(GetParam().arg);
        FAIL() << "no exception for " << GetParam().arg;
    } catch (const Argv::Exception& e) {
        EXPECT_EQ(e.message, GetParam().message);
    }
    EXPECT_EQ(argv.qlimit, 9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrawlerArgvErrors,
    ::testing::Values(ErrorCase{"-x:1", "Unknown argument: -x:1"},
                      ErrorCase{"-se:5", "Unknown argument: -se:5"},
                      ErrorCase{"qlimit:5", "Invalid argument syntax(-<arg>:<value>): qlimit:5"},
                      ErrorCase{"-qlimit", "Invalid argument syntax(-<arg>:<value>): -qlimit"},
                      ErrorCase{"", "Invalid argument syntax(-<arg>:<value>): "},
                      ErrorCase{"-:", "Unknown argument: -:"}));

TEST(CrawlerArgv, LaterValuesOverwriteEarlierOnes) {
    CrawlerArgv argv;
    argv.apply("-timeout:5");
    argv.apply("-timeout:2");
    EXPECT_EQ(argv.timeout, 2);
}

TEST(CrawlerArgv, TextOptionsAreFsPaths) {
    CrawlerArgv argv;
    argv.apply("-searchtext:abc.");
    argv.apply("-filetype:.");
    EXPECT_EQ(argv.searchtext.text, "abc");
    EXPECT_EQ(argv.filetype.text, "");
}

TEST(CrawlerArgv, OutputCreatesOneMissingLevel) {
    const std::string dir = testsupport::scratchDir("argv-output");
    CrawlerArgv argv;
    argv.apply("-output:" + dir + "/made/");
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/made"));
    EXPECT_EQ(argv.output.text, dir + "/made");
    // An existing directory is kept as it is, a second time too.
    argv.apply("-output:" + dir + "/made");
    EXPECT_EQ(argv.output.text, dir + "/made");
}

TEST(CrawlerArgv, EmptyOutputNamesTheRootAndCreatesNothing) {
    CrawlerArgv argv;
    argv.apply("-output:");
    EXPECT_EQ(argv.output.text, "");
}

TEST(CrawlerArgv, OutputThatCannotBeMadeRaises) {
    const std::string dir = testsupport::scratchDir("argv-output-fail");
    std::ofstream(dir + "/plainfile") << "x";
    for (const std::string& value : {dir + "/plainfile", dir + "/a/b"}) {
        CrawlerArgv argv;
        try {
            argv.apply("-output:" + value);
            FAIL() << value;
        } catch (const Argv::Exception& e) {
            EXPECT_EQ(e.message, "fail to open output directory: " + value);
        }
        EXPECT_EQ(argv.output.text, "");
    }
}

}  // namespace
