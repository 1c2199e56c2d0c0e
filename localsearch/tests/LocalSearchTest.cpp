#include "localsearch/LocalSearch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <thread>
#include <tuple>

#include "app/state/tests/RecordingPoster.h"
#include "platform/Drives.h"
#include "platform/Text.h"
#include "tests/support/TestPaths.h"

namespace {

void makeFile(const std::string& path) {
    std::ofstream(path) << "x";
}
void makeDir(const std::string& path) {
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path;
}

// Runs one local search over `roots` (fences: the roots plus `fences`) to its end.
struct LocalRun {
    std::shared_ptr<RecordingPoster> poster = std::make_shared<RecordingPoster>();
    std::shared_ptr<SearchState> state = std::make_shared<SearchState>(poster);

    void start(const std::string& narrowTerm) {
        const uint32_t gen = state->beginSearch(narrowTerm);
        {
            platform::ScopedLock lock(g_searchLock);
            g_localRunning = true;
        }
        handle = std::make_unique<SearchHandle>(state, gen, SearchWorker::Local);
    }
    // name, type, location; and target and exact target checked against location.
    std::set<std::tuple<std::string, std::string, std::string>> results() {
        std::set<std::tuple<std::string, std::string, std::string>> out;
        platform::ScopedLock lock(g_searchLock);
        for (const auto& [key, r] : state->m_results) {
            EXPECT_EQ(r.target, r.location);
            EXPECT_EQ(r.reserved, 0);
            EXPECT_EQ(access(r.exactTarget.c_str(), F_OK), 0) << r.exactTarget;
            out.emplace(r.name, r.type, r.location);
        }
        return out;
    }
    ~LocalRun() { state->close(); }
    std::unique_ptr<SearchHandle> handle;
};

class LocalSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = testsupport::scratchDir("LocalSearchTest");
        outside = testsupport::scratchDir("LocalSearchTestOutside");
        makeFile(root + "/report.doc");
        makeFile(root + "/README");
        makeFile(root + "/.profile");
        makeDir(root + "/portfolio");
        makeFile(root + "/portfolio/export.txt");
        makeDir(root + "/portfolio/deep");
        makeFile(root + "/portfolio/deep/zz_last.port");
        makeFile(root + "/\xEB\xB3\xB4\xEA\xB3\xA0\xEC\x84\x9C.hwp");  // 보고서.hwp
        makeFile(root + "/bad\xFFport.txt");
        makeDir(root + "/fenced");
        makeFile(root + "/fenced/report_fenced.doc");
        makeFile(outside + "/report_outside.doc");
        ASSERT_EQ(symlink(outside.c_str(), (root + "/linkdir").c_str()), 0);
        platform::setDriveSource([this] {
            platform::DriveSet s;
            s.roots = {root};
            s.fences = {root, root + "/fenced"};
            return s;
        });
    }
    void TearDown() override { platform::setDriveSource(nullptr); }

    std::string ansi(const std::string& utf8) { return platform::utf8ToAnsi(utf8); }

    std::string root;
    std::string outside;
};

using Rows = std::set<std::tuple<std::string, std::string, std::string>>;

TEST_F(LocalSearchTest, MatchesNamesWithTheirTypesAndFullPaths) {
    struct Case {
        std::string term;
        Rows rows;
    };
    const std::string folder = kFolderType;
    const std::vector<Case> cases = {
        {"port",
         {{"report.doc", "doc", ansi(root + "/report.doc")},
          {"portfolio", folder, ansi(root + "/portfolio")},
          {"export.txt", "txt", ansi(root + "/portfolio/export.txt")},
          {"zz_last.port", "port", ansi(root + "/portfolio/deep/zz_last.port")},
          {"bad?port.txt", "txt", ansi(root + "/bad\xEF\xBF\xBDport.txt")}}},
        {"Port", {}},  // case-sensitive
        {"README", {{"README", "README", ansi(root + "/README")}}},
        {"profile", {{".profile", "profile", ansi(root + "/.profile")}}},
        {ansi("\xEB\xB3\xB4\xEA\xB3\xA0"),  // 보고
         {{ansi("\xEB\xB3\xB4\xEA\xB3\xA0\xEC\x84\x9C.hwp"), "hwp",
           ansi(root + "/\xEB\xB3\xB4\xEA\xB3\xA0\xEC\x84\x9C.hwp")}}},
        // No link is followed and no mount point crossed; the fenced folder itself is
        // still an entry of its parent.
        {"_outside", {}},
        {"fenced", {{"fenced", folder, ansi(root + "/fenced")}}},
    };
    for (const Case& c : cases) {
        LocalRun run;
        run.start(c.term);
        EXPECT_EQ(LocalSearchProc(*run.handle), 0u);
        EXPECT_EQ(run.results(), c.rows) << c.term;
        EXPECT_EQ(run.poster->count(SEARCH_EVENT_DONE), 1u);
        platform::ScopedLock lock(g_searchLock);
        EXPECT_FALSE(g_localRunning);
    }
}

TEST_F(LocalSearchTest, StatusLineIsRewrittenForEveryEntry) {
    LocalRun run;
    run.start("nothing-matches");
    LocalSearchProc(*run.handle);
    // 8 entries in root (fenced and linkdir among them, their insides unlisted), 2 in
    // portfolio, 1 in deep.
    EXPECT_EQ(run.poster->count(SEARCH_EVENT_LOCAL_STATUS), 11u);
    platform::ScopedLock lock(g_searchLock);
    const std::string& status = run.state->m_localStatus;
    EXPECT_EQ(status.rfind(kLocalStatusPrefix, 0), 0u);
    EXPECT_EQ(std::string(kLocalStatusPrefix), "[\xB3\xBB\xC4\xC4\xC7\xBB\xC5\xCD] ");
}

TEST_F(LocalSearchTest, NarrowLiteralsAreTheCodePage949Bytes) {
    EXPECT_EQ(std::string(kLocalStatusPrefix),
              ansi("[\xEB\x82\xB4\xEC\xBB\xB4\xED\x93\xA8\xED\x84\xB0] "));
    EXPECT_EQ(std::string(kFolderType), ansi("\xED\x8C\x8C\xEC\x9D\xBC \xED\x8F\xB4\xEB\x8D\x94"));
}

TEST_F(LocalSearchTest, FoldersPastThePatternLimitAreNotWalked) {
    std::string deep = root + "/portfolio/deep";
    while (deep.size() + 2 <= kMaxPatternLength) {
        deep += "/d";
        makeDir(deep);
    }
    makeFile(deep + "/report_too_deep.doc");
    LocalRun run;
    run.start("too_deep");
    LocalSearchProc(*run.handle);
    EXPECT_TRUE(run.results().empty());
}

TEST_F(LocalSearchTest, ClearingTheFlagStopsTheWalkAndStillPostsDone) {
    for (int i = 0; i < 300; ++i) {
        makeDir(root + "/many" + std::to_string(i));
    }
    LocalRun run;
    run.start("many");
    std::thread worker([&] { LocalSearchProc(*run.handle); });
    ASSERT_TRUE(run.poster->waitFor(SEARCH_EVENT_LOCAL_STATUS, 5));
    {
        platform::ScopedLock lock(g_searchLock);
        g_localRunning = false;
    }
    EXPECT_TRUE(run.poster->waitFor(SEARCH_EVENT_DONE, 1));
    worker.join();
    EXPECT_LT(run.poster->count(SEARCH_EVENT_LOCAL_STATUS), 300u);
}

TEST(LocalEntryTypeTest, TypeColumn) {
    EXPECT_EQ(LocalEntryType("a.tar.gz", false), "gz");
    EXPECT_EQ(LocalEntryType("trailing.", false), "");
    EXPECT_EQ(LocalEntryType("dir.with.dots", true), kFolderType);
}

}  // namespace
