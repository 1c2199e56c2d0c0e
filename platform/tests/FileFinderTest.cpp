#include "platform/FileFinder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "tests/support/TestPaths.h"

namespace {

using platform::FileFinder;

std::map<std::string, bool> listAll(const std::string& folder,
                                    const std::set<std::string>* fences = nullptr,
                                    const std::string& root = std::string()) {
    std::map<std::string, bool> out;
    FileFinder f;
    if (!f.open(folder, fences, root)) {
        return out;
    }
    while (f.next()) {
        if (!f.isDots()) {
            out[f.exactName()] = f.isFolder();
            EXPECT_EQ(f.exactPath(), platform::joinPath(folder, f.exactName()));
        }
    }
    return out;
}

class FileFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testsupport::scratchDir("FileFinderTest");
        mkdir((dir + "/sub").c_str(), 0755);
        std::ofstream(dir + "/a.txt") << "x";
        std::ofstream(dir + "/bad\xFFname") << "x";
        ASSERT_EQ(symlink((dir + "/sub").c_str(), (dir + "/link").c_str()), 0);
    }
    std::string dir;
};

TEST_F(FileFinderTest, ListsEveryEntryAndLinksAreNoFolders) {
    const auto all = listAll(dir);
    EXPECT_EQ(all, (std::map<std::string, bool>{
                       {"a.txt", false}, {"bad\xFFname", false}, {"link", false}, {"sub", true}}));
}

TEST_F(FileFinderTest, RefusesLinksFilesMissingFoldersAndFences) {
    FileFinder f;
    EXPECT_FALSE(f.open(dir + "/link"));
    EXPECT_FALSE(f.open(dir + "/a.txt"));
    EXPECT_FALSE(f.open(dir + "/missing"));
    EXPECT_FALSE(f.next());
    const std::set<std::string> fences = {dir + "/sub", dir};
    EXPECT_FALSE(f.open(dir + "/sub", &fences, dir));
    EXPECT_FALSE(f.open(dir + "/sub/", &fences, dir));
    EXPECT_TRUE(f.open(dir, &fences, dir));  // the walk's own root is listed
}

TEST_F(FileFinderTest, InvalidUtf8NamesGetSubstitutesButKeepTheirBytes) {
    FileFinder f;
    ASSERT_TRUE(f.open(dir));
    bool found = false;
    while (f.next()) {
        if (f.exactName() == "bad\xFFname") {
            found = true;
            EXPECT_EQ(f.name(), u"bad\uFFFDname");
            EXPECT_EQ(access(f.exactPath().c_str(), F_OK), 0);
        }
    }
    EXPECT_TRUE(found);
}

}  // namespace
