#include <gtest/gtest.h>

#include <QDialog>
#include <QEnterEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "controls/CButtonST.h"
#include "controls/CEditTrans.h"
#include "controls/CWinXPButtonST.h"
#include "controls/tests/ControlsTestUtil.h"

using controlstest::rgbAt;
using controlstest::screenshot;

namespace {

// A dialog whose background changes from left to right and top to bottom, so a control
// that shows the wrong part of it is seen.
class Backdrop : public QDialog {
public:
    Backdrop() { resize(400, 200); }
    static QRgb colorAt(int x, int y) { return qRgb(x % 256, y % 256, 160); }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image(size(), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                image.setPixel(x, y, colorAt(x, y));
            }
        }
        QPainter(this).drawImage(0, 0, image);
    }
};

void sendEnter(QWidget& w) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), w.mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(&w, &enter);
}

void sendLeave(QWidget& w) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&w, &leave);
}

void sendMouse(QWidget& w, QEvent::Type type, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)), Qt::LeftButton, held,
                  Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

// The events of a double-click as the window system delivers them.
void doubleClick(QWidget& w) {
    sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, Qt::NoButton);
    sendMouse(w, QEvent::MouseButtonDblClick, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, Qt::NoButton);
}

void showActive(QWidget& w) {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

constexpr QRgb rgb(int r, int g, int b) {
    return QRgb((r << 16) | (g << 8) | b);
}
QRgb rgbOf(const QColor& c) {
    return c.rgb() & 0xFFFFFFu;
}

QColor sysButton() {
    return QApplication::palette().color(QPalette::Button);
}
QColor sysButtonText() {
    return QApplication::palette().color(QPalette::ButtonText);
}

// The close button's picture: a blue face with a white bar, on the green key colour.
QImage closeFace() {
    QImage face(67, 34, QImage::Format_RGB32);
    face.fill(qRgb(0, 255, 0));
    QPainter p(&face);
    p.fillRect(QRect(4, 4, 59, 26), QColor(40, 80, 200));
    p.fillRect(QRect(14, 15, 39, 4), Qt::white);
    return face;
}

TEST(CButtonST, StartsWithSystemColoursAndBrightensTheHoverOne) {
    CWinXPButtonST button;
    for (int slot = 0; slot < CButtonST::CLR_COUNT; ++slot) {
        EXPECT_EQ(slot % 2 == 0 ? sysButton() : sysButtonText(), button.GetStateColor(slot));
    }
    button.BrightenHoverColor();
    EXPECT_EQ(controls::brightenHoverColor(sysButton()),
              button.GetStateColor(CButtonST::CLR_BK_HOVER));
    EXPECT_FALSE(button.SetStateColor(6, Qt::red));
    EXPECT_FALSE(button.SetStateColor(-1, Qt::red));
    EXPECT_TRUE(button.SetStateColor(CButtonST::CLR_BK_NORMAL, QColor(255, 128, 0)));
    EXPECT_EQ(QColor(255, 128, 0), button.GetStateColor(CButtonST::CLR_BK_NORMAL));
}

TEST(CButtonST, ChangeOfSystemColoursDropsCustomColours) {
    const QPalette saved = QApplication::palette();
    CWinXPButtonST button;
    button.show();
    button.SetStateColor(CButtonST::CLR_BK_NORMAL, QColor(255, 128, 0));
    button.SetStateColor(CButtonST::CLR_FG_NORMAL, Qt::white);
    QPalette changed = saved;
    changed.setColor(QPalette::Button, QColor(10, 20, 30));
    changed.setColor(QPalette::ButtonText, QColor(200, 210, 220));
    QApplication::setPalette(changed);
    ASSERT_TRUE(controlstest::waitUntil(
        [&] { return button.GetStateColor(CButtonST::CLR_BK_NORMAL) == QColor(10, 20, 30); }));
    EXPECT_EQ(QColor(10, 20, 30), button.GetStateColor(CButtonST::CLR_BK_NORMAL));
    EXPECT_EQ(QColor(200, 210, 220), button.GetStateColor(CButtonST::CLR_FG_NORMAL));
    EXPECT_EQ(QColor(10, 20, 30), button.GetStateColor(CButtonST::CLR_BK_HOVER));
    QApplication::setPalette(saved);
    EXPECT_TRUE(controlstest::waitUntil(
        [&] { return button.GetStateColor(CButtonST::CLR_BK_NORMAL) == sysButton(); }));
}

TEST(CButtonST, FaceSettersReportTheirResult) {
    CButtonST button;
    EXPECT_EQ(CButtonST::kFaceNotMeasurable,
              button.SetFaceBitmaps(QImage(), QColor(0, 255, 0), CButtonST::FACE_AUTO_DARKER));
    EXPECT_EQ(CButtonST::kOk,
              button.SetFaceBitmaps(closeFace(), QColor(0, 255, 0), CButtonST::FACE_AUTO_DARKER));
    EXPECT_EQ(CButtonST::kOk, button.SetFaceBitmaps(closeFace(), QColor(0, 255, 0)));
    EXPECT_EQ(CButtonST::kFaceNotMeasurable, button.SetFaceIcons(QImage()));
    QImage icon(14, 14, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    EXPECT_EQ(CButtonST::kOk, button.SetFaceIcons(icon, CButtonST::FACE_AUTO_DARKER));
}

TEST(CButtonST, CheckBoxFlipsOnClicksAndTakesSetCheck) {
    CButtonST box(QStringLiteral("check"), nullptr, CButtonST::Kind::CheckBox);
    box.resize(120, 20);
    showActive(box);
    QSignalSpy clicks(&box, &QAbstractButton::clicked);
    ASSERT_TRUE(box.IsCheckBox());
    EXPECT_EQ(0, box.GetCheck());
    sendMouse(box, QEvent::MouseButtonPress, Qt::LeftButton);
    sendMouse(box, QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(1, box.GetCheck());
    EXPECT_TRUE(box.hasFocus());
    doubleClick(box);  // two more clicks
    EXPECT_EQ(1, box.GetCheck());
    EXPECT_EQ(3, clicks.count());

    struct Case {
        int state, check;
    };
    for (const Case c : {Case{2, 1}, Case{0, 0}, Case{1, 1}, Case{5, 0}, Case{-1, 0}}) {
        box.SetCheck(c.state);
        EXPECT_EQ(c.check, box.GetCheck()) << c.state;
    }
    CButtonST push;
    push.SetCheck(1);
    EXPECT_EQ(0, push.GetCheck());
}

TEST(CButtonST, HoverFollowsThePointerOnFlatButtonsOnly) {
    Backdrop dialog;
    CButtonST flat(QStringLiteral("flat"), &dialog);
    CButtonST raised(QStringLiteral("raised"), &dialog);
    raised.SetFlatStyle(false);
    flat.setGeometry(10, 10, 80, 30);
    raised.setGeometry(100, 10, 80, 30);
    showActive(dialog);

    sendEnter(flat);
    EXPECT_TRUE(flat.IsHovered());
    sendLeave(flat);
    EXPECT_FALSE(flat.IsHovered());
    sendEnter(raised);
    EXPECT_FALSE(raised.IsHovered());

    // Focus loss and disabling end the hover look.
    sendEnter(flat);
    flat.setFocus();
    raised.setFocus();
    EXPECT_FALSE(flat.IsHovered());
    sendEnter(flat);
    flat.hide();
    EXPECT_FALSE(flat.IsHovered());
    flat.show();
    sendEnter(flat);
    flat.setEnabled(false);
    EXPECT_FALSE(flat.IsHovered());
}

TEST(CButtonST, PointerArrivingWithTheLeftButtonDownShowsNoHover) {
    Backdrop dialog;
    CButtonST flat(QStringLiteral("flat"), &dialog);
    flat.setGeometry(10, 10, 80, 30);
    dialog.show();
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), flat.mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&flat, &move);
    EXPECT_FALSE(flat.IsHovered());
    QMouseEvent plain(QEvent::MouseMove, QPointF(5, 5), flat.mapToGlobal(QPointF(5, 5)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&flat, &plain);
    EXPECT_TRUE(flat.IsHovered());
    QMouseEvent out(QEvent::MouseMove, QPointF(500, 5), flat.mapToGlobal(QPointF(500, 5)),
                    Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&flat, &out);
    EXPECT_FALSE(flat.IsHovered());
}

TEST(CButtonST, EnterInTheEditBoxClicksTheDefaultButton) {
    QDialog dialog;
    CEditTrans edit(&dialog);
    CWinXPButtonST search(QStringLiteral("검색"), &dialog, CButtonST::Kind::DefaultPushButton);
    CButtonST close(&dialog);
    CButtonST box(QStringLiteral("box"), &dialog, CButtonST::Kind::CheckBox);
    edit.setGeometry(10, 10, 200, 26);
    search.setGeometry(220, 10, 60, 26);
    close.setGeometry(290, 10, 60, 26);
    box.setGeometry(10, 50, 100, 20);
    EXPECT_TRUE(search.IsDefaultButton());
    EXPECT_FALSE(close.IsDefaultButton());
    QSignalSpy searches(&search, &QAbstractButton::clicked);
    QSignalSpy closes(&close, &QAbstractButton::clicked);
    showActive(dialog);
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(1, searches.count());
    EXPECT_EQ(0, closes.count());
}

TEST(CButtonST, CloseButtonShowsTheDarkerFaceAtRestAndThePictureWhenHovered) {
    Backdrop dialog;
    CButtonST close(&dialog);
    close.setGeometry(20, 20, 67, 34);
    ASSERT_EQ(CButtonST::kOk, close.SetFaceBitmaps(closeFace(), QColor(0, 255, 0),
                                                   CButtonST::FACE_AUTO_DARKER, QColor(0, 255, 0)));
    close.SetFlatStyle(true);
    dialog.show();

    const QImage rest = screenshot(close, "close_rest");
    EXPECT_EQ(rgb(30, 60, 150), rgbAt(rest, 8, 8));      // the blue, darkened
    EXPECT_EQ(rgb(191, 191, 191), rgbAt(rest, 20, 16));  // the white bar, darkened
    EXPECT_EQ(rgbOf(sysButton()), rgbAt(rest, 1, 1));    // key colour left out

    sendEnter(close);
    const QImage hover = screenshot(close, "close_hover");
    EXPECT_EQ(rgb(40, 80, 200), rgbAt(hover, 8, 8));
    EXPECT_EQ(rgbOf(QApplication::palette().color(QPalette::Light)),
              rgbAt(hover, 0, 0));  // thin raised frame
    close.setDown(true);
    const QImage pressed = screenshot(close, "close_pressed");
    EXPECT_EQ(rgbOf(QApplication::palette().color(QPalette::Dark)),
              rgbAt(pressed, 0, 0));                    // thin sunken frame
    EXPECT_EQ(rgb(40, 80, 200), rgbAt(pressed, 5, 5));  // the picture moved by (1, 1)
    EXPECT_EQ(rgbOf(sysButton()), rgbAt(pressed, 4, 4));
}

TEST(CWinXPButtonST, RestsInItsColourAndOutlinesTheHoverFill) {
    Backdrop dialog;
    CWinXPButtonST search(QStringLiteral("검색"), &dialog, CButtonST::Kind::DefaultPushButton);
    search.setGeometry(10, 10, 120, 40);
    QFont font(QStringLiteral("NanumGothic"));
    font.setPixelSize(22);
    search.setFont(font);
    search.SetFlatStyle(true);
    search.SetStateColor(CButtonST::CLR_BK_NORMAL, QColor(255, 128, 0));
    search.SetStateColor(CButtonST::CLR_BK_FOCUS, QColor(255, 128, 0));
    search.SetStateColor(CButtonST::CLR_FG_NORMAL, Qt::white);
    search.SetStateColor(CButtonST::CLR_FG_FOCUS, Qt::white);
    search.BrightenHoverColor();
    showActive(dialog);
    search.setFocus();

    const QImage rest = screenshot(search, "search_rest");
    EXPECT_EQ(rgb(255, 128, 0), rgbAt(rest, 0, 0));  // no frame, no focus rectangle
    EXPECT_EQ(rgb(255, 128, 0), rgbAt(rest, 3, 3));
    sendEnter(search);
    const QImage hover = screenshot(search, "search_hover");
    EXPECT_EQ(rgb(0, 0, 0), rgbAt(hover, 0, 0));
    EXPECT_EQ(rgb(0, 0, 0), rgbAt(hover, 119, 39));
    EXPECT_EQ(rgbOf(controls::brightenHoverColor(sysButton())), rgbAt(hover, 2, 2));
    search.SetRounded(true);
    const QImage rounded = screenshot(search, "search_hover_rounded");
    EXPECT_NE(rgb(0, 0, 0), rgbAt(rounded, 0, 0));  // the corner is cut off
}

TEST(CButtonST, TransparentCheckBoxShowsTheBackgroundWhereverItIs) {
    Backdrop dialog;
    CButtonST box(QStringLiteral("내 PC에서 찾기 제외"), &dialog, CButtonST::Kind::CheckBox);
    box.setGeometry(200, 120, 150, 20);
    QImage checked(14, 14, QImage::Format_ARGB32);
    checked.fill(Qt::transparent);
    QPainter(&checked).fillRect(QRect(1, 1, 12, 12), Qt::black);
    QImage unchecked(14, 14, QImage::Format_ARGB32);
    unchecked.fill(Qt::transparent);
    QPainter(&unchecked).fillRect(QRect(1, 1, 12, 12), Qt::white);
    ASSERT_EQ(CButtonST::kOk, box.SetFaceIcons(checked, unchecked));
    box.SetTransparent();
    dialog.show();

    QImage shot = screenshot(dialog, "checkbox_unchecked");
    EXPECT_EQ(0xFFFFFFu & Backdrop::colorAt(201, 121),
              rgbAt(shot, 201, 121));                                   // a corner: background
    EXPECT_EQ(rgb(255, 255, 255), rgbAt(shot, 200 + 3 + 7, 120 + 10));  // icon 141 at x 3
    box.SetCheck(1);
    shot = screenshot(dialog, "checkbox_checked");
    EXPECT_EQ(rgb(0, 0, 0), rgbAt(shot, 200 + 3 + 7 + 1, 120 + 10 + 0));

    // Moved as the searching display does: the background under it is the new one.
    box.move(20, 60);
    shot = screenshot(dialog, "checkbox_moved");
    EXPECT_EQ(0xFFFFFFu & Backdrop::colorAt(22, 61), rgbAt(shot, 22, 61));
    EXPECT_EQ(0xFFFFFFu & Backdrop::colorAt(20 + 147, 60 + 17), rgbAt(shot, 20 + 147, 60 + 17));
    box.resize(170, 24);
    shot = screenshot(dialog, "checkbox_resized");
    EXPECT_EQ(0xFFFFFFu & Backdrop::colorAt(20 + 167, 60 + 21), rgbAt(shot, 20 + 167, 60 + 21));
}

}  // namespace

namespace {

QRgb role(QPalette::ColorRole r) {
    return QApplication::palette().color(r).rgb() & 0xFFFFFFu;
}

struct FrameCase {
    const char* name;
    bool flat, isDefault, pressed, hover;
    // Expected colours at (0, 0), (1, 1) and the bottom right corner; outerBlack: a black
    // line all round comes first.
    QPalette::ColorRole outer, inner, corner;
    bool outerBlack;
};

class ButtonFrame : public testing::TestWithParam<FrameCase> {};

TEST_P(ButtonFrame, FollowsStyleAndState) {
    const FrameCase& c = GetParam();
    QWidget parent;
    parent.resize(100, 50);
    CButtonST button(
        QStringLiteral("x"), &parent,
        c.isDefault ? CButtonST::Kind::DefaultPushButton : CButtonST::Kind::PushButton);
    button.setGeometry(10, 10, 60, 24);
    button.SetFlatStyle(c.flat);
    parent.show();
    if (c.hover) {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(&button, &enter);
    }
    button.setDown(c.pressed);
    const QImage shot = button.grab().toImage();
    if (c.outerBlack) {
        EXPECT_EQ(0u, rgbAt(shot, 0, 0));
    } else {
        EXPECT_EQ(role(c.outer), rgbAt(shot, 0, 0));
    }
    EXPECT_EQ(role(c.inner), rgbAt(shot, 1, 1));
    EXPECT_EQ(c.outerBlack ? 0u : role(c.corner), rgbAt(shot, 59, 23));
    if (c.outerBlack) {
        EXPECT_EQ(role(c.corner), rgbAt(shot, 58, 22));  // dark 3-D shadow inside the black
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ButtonFrame,
    testing::Values(
        // Raised 3-D frame of two lines.
        FrameCase{"raised", false, false, false, false, QPalette::Light, QPalette::Midlight,
                  QPalette::Shadow, false},
        // The default button gets a black line outside it.
        FrameCase{"raisedDefault", false, true, false, false, QPalette::Button, QPalette::Light,
                  QPalette::Shadow, true},
        FrameCase{"raisedPressed", false, false, true, false, QPalette::Dark, QPalette::Button,
                  QPalette::Dark, false},
        // Flat: nothing at rest, thin raised when hovered, thin sunken when pressed.
        FrameCase{"flatRest", true, false, false, false, QPalette::Button, QPalette::Button,
                  QPalette::Button, false},
        FrameCase{"flatHover", true, false, false, true, QPalette::Light, QPalette::Button,
                  QPalette::Dark, false},
        FrameCase{"flatPressed", true, false, true, true, QPalette::Dark, QPalette::Button,
                  QPalette::Light, false}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
