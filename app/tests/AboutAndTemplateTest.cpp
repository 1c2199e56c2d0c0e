#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "app/AboutDlg.h"
#include "app/TrawlixDlg.h"
#include "platform/qt/tests/QtTestApp.h"

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST(AboutDlgTest, ShowsTheNameVersionIconAndOk) {
    testApp();
    InitTrawlixResources();
    CAboutDlg about;
    ASSERT_TRUE(about.Create());
    EXPECT_EQ(about.windowTitle(), qs("트롤릭스 정보"));
    EXPECT_EQ(about.GetDlgItemText(1101), qs("Trawlix, 버전 1.0"));
    EXPECT_EQ(about.GetDlgItemText(1), qs("확인"));
    auto* icon = about.Item<QLabel>(1100);
    ASSERT_TRUE(icon);
    EXPECT_FALSE(icon->pixmap().isNull());
    about.show();
    about.Item<QPushButton>(1)->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), 1);
}

TEST(TrawlixDlgTemplateTest, WithoutTheBackgroundTheLayoutStepsAreSkipped) {
    testApp();
    InitTrawlixResources();
    CTrawlixDlg dlg;
    dlg.SetBackgroundBitmapId(9999);
    ASSERT_TRUE(dlg.Create());
    // The template's look: the searching parts stay as the template has them and the
    // introduction has no text, but the window is still 800 x 600.
    EXPECT_EQ(dlg.size(), QSize(800, 600));
    EXPECT_TRUE(dlg.GetDlgItem(IDC_STC_BUSY)->isVisibleTo(&dlg));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STC_INTRO), QString());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STC_BUSY), qs("검색중..."));
}

}  // namespace
