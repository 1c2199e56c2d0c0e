#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QTest>

#include "controls/CEditTrans.h"
#include "controls/CNoFlickerStatic.h"
#include "controls/tests/ControlsTestUtil.h"

using controlstest::rgbAt;
using controlstest::screenshot;

namespace {

QFont textFont() {
    QFont font(QStringLiteral("NanumGothic"));
    font.setPixelSize(22);
    return font;
}

struct BandCase {
    int height;
};

class EditBands : public testing::TestWithParam<BandCase> {};

TEST_P(EditBands, CentreTheTextLineAndSplitTheRest) {
    QWidget dialog;
    CEditTrans edit(&dialog);
    edit.setFont(textFont());
    edit.setGeometry(10, 10, 300, GetParam().height);
    dialog.resize(320, 80);
    dialog.show();
    const int line = QFontMetrics(textFont()).boundingRect(QStringLiteral("Ky")).height();
    const int margin = std::max(0, (GetParam().height - line) / 2);
    EXPECT_EQ(QRect(0, 0, 300, margin), edit.BandTop());
    EXPECT_EQ(margin + line, edit.BandBottom().top());
    EXPECT_EQ(GetParam().height, edit.BandTop().height() + line + edit.BandBottom().height());
    const QMargins m = edit.textMargins();
    EXPECT_EQ(margin, m.top());
    EXPECT_EQ(edit.BandBottom().height(), m.bottom());
}

INSTANTIATE_TEST_SUITE_P(Cases, EditBands,
                         testing::Values(BandCase{26}, BandCase{27}, BandCase{40}));

TEST(CEditTrans, BandsAreTheWindowColourAndTheTextIsCentred) {
    QWidget dialog;
    dialog.setStyleSheet(QString());
    dialog.resize(660, 60);
    dialog.setAutoFillBackground(true);
    QPalette pal = dialog.palette();
    pal.setColor(QPalette::Window, QColor(255, 128, 0));
    dialog.setPalette(pal);
    CEditTrans edit(&dialog);
    edit.setFont(textFont());
    edit.setGeometry(10, 10, 637, 26);
    edit.setText(QStringLiteral("한글 문서 Ky"));
    dialog.show();
    const QImage shot = screenshot(dialog, "edit_text");
    const QRgb window = QApplication::palette().color(QPalette::Base).rgb() & 0xFFFFFF;
    EXPECT_EQ(window, rgbAt(shot, 10 + 300, 10));       // top band
    EXPECT_EQ(window, rgbAt(shot, 10 + 300, 10 + 25));  // bottom band
    EXPECT_EQ(0xFF8000u, rgbAt(shot, 5, 5));            // the band behind the box
    // Dark text pixels lie in the middle line only.
    int top = 100, bottom = -1;
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (qGray(shot.pixel(10 + x, 10 + y)) < 100) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(bottom, top);
    EXPECT_GE(top, edit.BandTop().height());
    EXPECT_LT(bottom, edit.BandBottom().top());
}

TEST(CEditTrans, ColoursAndTheNativeInputSwitch) {
    QWidget dialog;
    CEditTrans edit(&dialog);
    EXPECT_EQ(QColor(0, 0, 0), edit.GetTextColor());
    EXPECT_EQ(QColor(255, 255, 255), edit.GetBackColor());
    edit.SetTextColor(QColor(1, 2, 3));
    EXPECT_EQ(QColor(1, 2, 3), edit.palette().color(QPalette::Text));
    edit.SetBackColor(std::nullopt);
    EXPECT_EQ(0, edit.palette().color(QPalette::Base).alpha());

    int switches = 0;
    CEditTrans::SetNativeInputSwitch([&](QWidget& w) {
        EXPECT_EQ(&edit, &w);
        ++switches;
    });
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    edit.setFocus();
    EXPECT_TRUE(controlstest::waitUntil([&] { return switches == 1; }));
    CEditTrans::SetNativeInputSwitch(nullptr);
}

TEST(CNoFlickerStatic, PaintsOnlyTheLatestTextOnWhite) {
    QWidget dialog;
    dialog.resize(500, 40);
    CNoFlickerStatic status(&dialog);
    status.setGeometry(10, 10, 480, 16);
    dialog.show();
    for (int i = 0; i < 200; ++i) {
        status.SetText(QStringLiteral("/home/user/문서/file%1.hwp").arg(i));
    }
    EXPECT_EQ(QStringLiteral("/home/user/문서/file199.hwp"), status.GetText());
    const QImage shot = screenshot(status, "local_status");
    EXPECT_EQ(0xFFFFFFu, rgbAt(shot, 479, 15));
    bool dark = false;
    for (int x = 0; x < 40 && !dark; ++x) {
        for (int y = 0; y < 16 && !dark; ++y) {
            dark = qGray(shot.pixel(x, y)) < 128;
        }
    }
    EXPECT_TRUE(dark);
    status.SetText(QString());
    const QImage empty = screenshot(status, "local_status_empty");
    for (int x = 0; x < 40; ++x) {
        EXPECT_EQ(0xFFFFFFu, rgbAt(empty, x, 5));
    }
}

}  // namespace
