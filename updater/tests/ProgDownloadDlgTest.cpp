#include "updater/ui/ProgDownloadDlg.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

#include "tests/support/TestPaths.h"
#include "updater/tests/FakeSystem.h"
#include "updater/ui/SystemServices.h"

namespace {

// The application object must exist before the fixture's widgets.
struct AppFirst {
    AppFirst() { updatertest::ensureApp(); }
};

class ProgDownloadDlgTest : public testing::Test {
protected:
    void SetUp() override {
        updatertest::ensureApp();
        m_owner.resize(200, 100);
        m_owner.show();
        updater::SetAppMainWindow(&m_owner);
    }
    void TearDown() override { updater::SetAppMainWindow(nullptr); }
    QString label(int id) { return m_dlg.findChild<QLabel*>(QString::number(id))->text(); }
    int bar() { return m_dlg.findChild<QProgressBar*>("1003")->value(); }

    AppFirst m_app;
    QWidget m_owner;
    CProgDownloadDlg m_dlg;
};

TEST_F(ProgDownloadDlgTest, OpenDisablesOwnerUntilDestroyed) {
    ASSERT_TRUE(m_dlg.Open(nullptr));
    EXPECT_TRUE(m_dlg.isVisible());
    EXPECT_FALSE(m_owner.isEnabled());
    EXPECT_TRUE(m_dlg.OwnerDisabled());
    EXPECT_EQ(m_dlg.windowTitle(), QString::fromUtf8("업데이트 중..."));  // string 106
    // Opening again keeps the open window and the owner disabled.
    ASSERT_TRUE(m_dlg.Open(nullptr));
    m_dlg.DestroyWindow();
    EXPECT_FALSE(m_dlg.isVisible());
    EXPECT_TRUE(m_owner.isEnabled());
    EXPECT_FALSE(m_dlg.OwnerDisabled());
}

TEST_F(ProgDownloadDlgTest, MessageBoxNeverOwnedByTheDisabledOwner) {
    EXPECT_EQ(updater::MessageBoxParent(), &m_owner);
    ASSERT_TRUE(m_dlg.Open(nullptr));
    EXPECT_EQ(updater::MessageBoxParent(), nullptr);  // a failure box while it is open
    m_dlg.DestroyWindow();
    EXPECT_EQ(updater::MessageBoxParent(), &m_owner);
}

TEST_F(ProgDownloadDlgTest, OwnerAlreadyDisabledStaysDisabled) {
    m_owner.setEnabled(false);
    ASSERT_TRUE(m_dlg.Open(&m_owner));
    EXPECT_FALSE(m_dlg.OwnerDisabled());
    m_dlg.DestroyWindow();
    EXPECT_FALSE(m_owner.isEnabled());
}

TEST_F(ProgDownloadDlgTest, EnterAndEscapeLeaveItOpen) {
    ASSERT_TRUE(m_dlg.Open(nullptr));
    for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&m_dlg, &press);
    }
    EXPECT_FALSE(m_dlg.close());
    EXPECT_TRUE(m_dlg.isVisible());
    EXPECT_TRUE(m_dlg.IsOpen());
    m_dlg.DestroyWindow();
}

struct PercentCase {
    int64_t low;
    int64_t high;
    int64_t pos;
    const char* label;
    int bar;
};

class ProgressPosTest : public ProgDownloadDlgTest,
                        public testing::WithParamInterface<PercentCase> {};

TEST_P(ProgressPosTest, LabelAndBarShowPercentage) {
    const PercentCase& c = GetParam();
    ASSERT_TRUE(m_dlg.Open(nullptr));
    m_dlg.SetProgressRange(c.low, c.high);
    m_dlg.SetProgressStep(1);
    m_dlg.SetProgressPos(c.pos);
    EXPECT_EQ(label(1004), QString(c.label));
    EXPECT_EQ(bar(), c.bar);
    m_dlg.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressPosTest,
                         testing::Values(PercentCase{1, 3145728, 1048576, "33%", 33},
                                         PercentCase{1, 101, 0, "-1%", 0},
                                         PercentCase{1, 1000, 1000, "100%", 100},
                                         PercentCase{1, 50000000, 25000000, "49%", 49},
                                         PercentCase{1, 1, 1, "0%", 0},
                                         PercentCase{1, 5368709120, 4294967296, "79%", 79}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(ProgDownloadDlgTest, SetProgressPosReturnsPreviousAndScreenshot) {
    ASSERT_TRUE(m_dlg.Open(nullptr));
    m_dlg.setWindowTitle(QString::fromUtf8("업데이트 중..."));
    m_dlg.SetStatusText(QString::fromUtf8("총 3개 파일 중 1번째 파일 다운로드중..."));
    m_dlg.SetProgressRange(1, 3145728);
    EXPECT_EQ(m_dlg.SetProgressPos(1048576), 0);
    m_dlg.SetBytesText("1,048,576Byte / 3,145,728Byte");
    EXPECT_EQ(m_dlg.SetProgressPos(2097152), 33);
    EXPECT_EQ(label(1005), "1,048,576Byte / 3,145,728Byte");
    m_dlg.grab().save(QString::fromStdString(testsupport::binaryDir() + "/updrift-progress.png"));
    m_dlg.DestroyWindow();
}

}  // namespace
