#include "updater/ui/AutoUpdateMgrDlg.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "platform/IniProfile.h"
#include "tests/support/TestPaths.h"
#include "updater/core/ProgramName.h"
#include "updater/tests/FakeSystem.h"
#include "updater/ui/AboutDlg.h"
#include "updater/ui/DialogLayout.h"

namespace {

namespace fs = std::filesystem;

class AutoUpdateMgrDlgTest : public testing::Test {
protected:
    void SetUp() override {
        updatertest::ensureApp();
        m_dir =
            testsupport::scratchDir(std::string("updrift-dlg-") +
                                    testing::UnitTest::GetInstance()->current_test_info()->name());
        m_sys.modulePath = m_dir + "/Updrift";
        writeFile("version.ini",
                  "[Config]\r\nUrl=http://h/up\r\nName=version\r\nType=ini\r\n[updatefiles]\r\n"
                  "updatefile0:Ver=1\r\nupdatefile1:Ver=1\r\nupdatefile2:Ver=1\r\n");
        m_sys.manifestPath = m_dir + "/manifest.ini";
        writeFile("manifest.ini",
                  "[updatefiles]\nNumber=3\nupdatefile0:Ver=2\nupdatefile0:Name=a\n"
                  "updatefile1:Ver=2\nupdatefile1:Name=b\nupdatefile2:Ver=2\nupdatefile2:Name=c\n");
    }
    void writeFile(const std::string& name, const std::string& text) {
        std::ofstream(m_dir + "/" + name, std::ios::binary) << text;
    }
    std::string localVersion(int n) {
        std::string v;
        platform::readProfileString(m_dir + "/version.ini", "updatefiles",
                                    "updatefile" + std::to_string(n) + ":Ver", "", v);
        return v;
    }
    int run() {
        CAutoUpdateMgrDlg dlg(m_sys);
        updater::SetAppMainWindow(&dlg);
        const int code = dlg.RunModal();
        updater::SetAppMainWindow(nullptr);
        return code;
    }
    platform::ProcessEntry process(pid_t pid, uid_t uid, const std::string& path) {
        return {pid, uid, path, fs::path(path).filename().string()};
    }

    std::string m_dir;
    updatertest::FakeSystem m_sys;
};

TEST_F(AutoUpdateMgrDlgTest, OfflineShowsMessageAndStartsProgram) {
    m_sys.connected = false;
    EXPECT_EQ(run(), 18);
    ASSERT_EQ(m_sys.boxes.size(), 1u);
    EXPECT_EQ(m_sys.boxes[0].text, CAutoUpdateMgrDlg::kOfflineText);
    EXPECT_EQ(m_sys.boxes[0].caption, "Updrift");
    EXPECT_FALSE(m_sys.boxes[0].okCancel);
    ASSERT_EQ(m_sys.started.size(), 1u);
    EXPECT_EQ(m_sys.started[0].first, m_dir + "/" + updater::kProgramName);
    EXPECT_EQ(m_sys.started[0].second, m_dir + "/");
    EXPECT_TRUE(m_sys.fetched.empty());
}

TEST_F(AutoUpdateMgrDlgTest, ManifestAddressAndFetchFailureStartProgramSilently) {
    m_sys.manifestPath.clear();
    EXPECT_EQ(run(), 18);
    EXPECT_EQ(m_sys.fetched, std::vector<std::string>{"http://h/up/version.ini"});
    EXPECT_TRUE(m_sys.boxes.empty());
    EXPECT_EQ(m_sys.started.size(), 1u);
}

TEST_F(AutoUpdateMgrDlgTest, DeclinedEndsNothingDownloadsNothing) {
    m_sys.answers = {updater::kIdCancel};
    m_sys.processes = {process(50, 1000, m_dir + "/Trawlix")};
    EXPECT_EQ(run(), 18);
    ASSERT_EQ(m_sys.boxes.size(), 1u);
    EXPECT_EQ(m_sys.boxes[0].text, CAutoUpdateMgrDlg::kPromptText);
    EXPECT_EQ(m_sys.boxes[0].caption, "업데이트");
    EXPECT_TRUE(m_sys.boxes[0].okCancel);
    EXPECT_TRUE(m_sys.ended.empty());
    // Its own Trawlix still runs: not started twice.
    EXPECT_TRUE(m_sys.started.empty());
    EXPECT_EQ(localVersion(0), "1");
}

TEST_F(AutoUpdateMgrDlgTest, AgreedDownloadsInDescendingOrderAndRecordsVersions) {
    m_sys.files = {{"http://h/up/a", "A"}, {"http://h/up/b", "B"}, {"http://h/up/c", "C"}};
    m_sys.processes = {process(10, 0, "/usr/bin/Trawlix"),         // another user's
                       process(11, 1000, "/opt/x/trawlix-crawl"),  // a longer name
                       process(12, 1000, m_dir + "/TRAWLIX"),      // the first match
                       process(13, 1000, m_dir + "/Trawlix")};
    EXPECT_EQ(run(), 18);
    EXPECT_EQ(m_sys.ended, std::vector<pid_t>{12});
    EXPECT_EQ(m_sys.downloads,
              (std::vector<std::string>{"http://h/up/c", "http://h/up/b", "http://h/up/a"}));
    EXPECT_EQ(m_sys.statusTexts,
              (std::vector<std::string>{"총 3개 파일 중 1번째 파일 다운로드중...",
                                        "총 3개 파일 중 2번째 파일 다운로드중...",
                                        "총 3개 파일 중 3번째 파일 다운로드중..."}));
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(localVersion(n), "2");
    }
    EXPECT_EQ(platform::readWholeFile(m_dir + "/c"), "C");
    EXPECT_EQ(m_sys.boxes.size(), 1u);  // the prompt only
    EXPECT_TRUE(m_sys.started.empty()) << "pid 13 is this folder's Trawlix and still runs";
}

TEST_F(AutoUpdateMgrDlgTest, SecondOfThreeFailsLaterVersionsNotRecorded) {
    m_sys.files = {{"http://h/up/a", "A"}, {"http://h/up/c", "C"}};  // b fails
    EXPECT_EQ(run(), 18);
    EXPECT_EQ(m_sys.downloads.size(), 3u);  // every file is tried
    // b failed before its data began, so a is shown as the second file.
    EXPECT_EQ(m_sys.statusTexts,
              (std::vector<std::string>{"총 3개 파일 중 1번째 파일 다운로드중...",
                                        "총 3개 파일 중 2번째 파일 다운로드중..."}));
    EXPECT_EQ(localVersion(2), "2");  // downloaded first
    EXPECT_EQ(localVersion(1), "1");
    EXPECT_EQ(localVersion(0), "1");  // downloaded after the failure
    EXPECT_EQ(platform::readWholeFile(m_dir + "/a"), "A");
    ASSERT_EQ(m_sys.boxes.size(), 2u);
    EXPECT_EQ(m_sys.boxes[1].text, updater::kUpdateFailedText);
    EXPECT_EQ(m_sys.boxes[1].caption, "Updrift");
    EXPECT_EQ(m_sys.started.size(), 1u);
}

TEST_F(AutoUpdateMgrDlgTest, WorkerThatCannotStartStillStartsProgram) {
    m_sys.threadsWork = false;
    EXPECT_EQ(run(), 18);
    EXPECT_EQ(m_sys.started.size(), 1u);
}

TEST_F(AutoUpdateMgrDlgTest, UnwritableFolderIsAClearFailure) {
    m_sys.writable = false;
    m_sys.processes = {process(12, 1000, "/elsewhere/Trawlix")};
    EXPECT_EQ(run(), 18);
    ASSERT_EQ(m_sys.boxes.size(), 2u);
    EXPECT_EQ(m_sys.boxes[1].text, std::string(updater::kUpdateFailedText) + "\n" + m_dir + "/");
    EXPECT_TRUE(m_sys.ended.empty());
    EXPECT_EQ(m_sys.started.size(), 1u);
}

TEST_F(AutoUpdateMgrDlgTest, ProgressFor64BitSizesAndFileCount) {
    m_sys.manifestPath.clear();
    CAutoUpdateMgrDlg dlg(m_sys);
    updater::SetAppMainWindow(&dlg);
    dlg.show();
    dlg.OnInitDialog();  // fetch fails: nothing queued, total 0
    DownloadProgressInfo info;
    info.statusCode = 4;
    info.progressMax = 5368709120ull;
    dlg.OnDownloadProgress(0, &info);
    CProgDownloadDlg& progress = dlg.progressDlg();
    EXPECT_TRUE(progress.IsOpen());
    EXPECT_FALSE(dlg.isEnabled());
    EXPECT_EQ(progress.windowTitle(), QString::fromUtf8("업데이트 중..."));
    EXPECT_EQ(progress.findChild<QLabel*>("1001")->text(),
              QString::fromUtf8("총 0개 파일 중 1번째 파일 다운로드중..."));
    EXPECT_EQ(dlg.currentFile(), 2);

    info.statusCode = 5;
    info.progress = 2684354560ull;
    dlg.OnDownloadProgress(0, &info);
    EXPECT_EQ(progress.findChild<QLabel*>("1005")->text(), "2,684,354,560Byte / 5,368,709,120Byte");
    EXPECT_EQ(progress.findChild<QLabel*>("1004")->text(), "49%");
    info.progress = info.progressMax;  // the last report does not touch the window
    dlg.OnDownloadProgress(0, &info);
    EXPECT_EQ(progress.findChild<QLabel*>("1004")->text(), "49%");
    dlg.OnDownloadProgress(0, nullptr);
    info.statusCode = 6;
    dlg.OnDownloadProgress(0, &info);
    EXPECT_FALSE(progress.IsOpen());
    EXPECT_TRUE(dlg.isEnabled());
    updater::SetAppMainWindow(nullptr);
}

TEST_F(AutoUpdateMgrDlgTest, MainDialogAndAboutBoxFollowTheirTemplates) {
    CAutoUpdateMgrDlg dlg(m_sys);
    EXPECT_EQ(dlg.windowTitle(), "Update");
    EXPECT_EQ(dlg.findChild<QLabel*>("1000")->text(), QString::fromUtf8("업데이트 확인중..."));
    EXPECT_EQ(dlg.size(), QSize(271, 60));  // 155 x 34 dialog units
    dlg.grab().save(QString::fromStdString(testsupport::binaryDir() + "/updrift-main.png"));
    CAboutDlg about(&dlg);
    EXPECT_EQ(about.findChild<QPushButton*>("1")->text(), QString::fromUtf8("확인"));
    about.grab().save(QString::fromStdString(testsupport::binaryDir() + "/updrift-about.png"));
    EXPECT_EQ(updater::LoadResString(101), QString::fromUtf8("정보(&A)..."));
}

class EndKeyTest : public AutoUpdateMgrDlgTest, public testing::WithParamInterface<int> {};

TEST_P(EndKeyTest, EndsWithoutStartingProgramAndAbandonsDownload) {
    m_sys.blockDownloads = true;  // the first download waits until it is abandoned
    {
        CAutoUpdateMgrDlg dlg(m_sys);
        updater::SetAppMainWindow(&dlg);
        QTimer::singleShot(0, &dlg, [&] {
            QKeyEvent press(QEvent::KeyPress, GetParam(), Qt::NoModifier);
            QApplication::sendEvent(&dlg, &press);
        });
        EXPECT_EQ(dlg.RunModal(), 0);
        updater::SetAppMainWindow(nullptr);
    }  // closing joins the worker, which was still downloading
    EXPECT_TRUE(m_sys.started.empty());
    EXPECT_EQ(m_sys.boxes.size(), 1u);  // the prompt; no failure box after closing
    EXPECT_EQ(localVersion(2), "1");
}

INSTANTIATE_TEST_SUITE_P(Keys, EndKeyTest, testing::Values(Qt::Key_Escape, Qt::Key_Return),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
