#include "controls/ButtonFaces.h"

#include <gtest/gtest.h>

#include "controls/CButtonST.h"

namespace {

struct BrightenCase {
    QColor in;
    QColor out;
};

class Brighten : public testing::TestWithParam<BrightenCase> {};

TEST_P(Brighten, AddsThirtyOrWhatKeepsEveryValueWithin255) {
    EXPECT_EQ(GetParam().out, controls::brightenHoverColor(GetParam().in));
}

INSTANTIATE_TEST_SUITE_P(Cases, Brighten,
                         testing::Values(BrightenCase{QColor(240, 240, 240), QColor(255, 255, 255)},
                                         BrightenCase{QColor(255, 128, 0), QColor(255, 128, 0)},
                                         BrightenCase{QColor(61, 58, 83), QColor(91, 88, 113)},
                                         BrightenCase{QColor(0, 0, 0), QColor(30, 30, 30)},
                                         BrightenCase{QColor(230, 100, 100), QColor(255, 125, 125)},
                                         BrightenCase{QColor(200, 250, 10), QColor(205, 255, 15)},
                                         BrightenCase{QColor(225, 225, 225),
                                                      QColor(255, 255, 255)}));

struct DarkerCase {
    QRgb in;
    QRgb out;
};

class DarkerBitmap : public testing::TestWithParam<DarkerCase> {};

TEST_P(DarkerBitmap, ThreeQuartersTruncatedAndTheTransparentColourKept) {
    QImage face(2, 1, QImage::Format_RGB32);
    face.setPixel(0, 0, GetParam().in);
    face.setPixel(1, 0, qRgb(0, 255, 0));
    const QImage dark = controls::darkerBitmap(face, qRgb(0, 255, 0));
    EXPECT_EQ(GetParam().out, dark.pixel(0, 0) & 0xFFFFFF);
    EXPECT_EQ(qRgb(0, 255, 0), dark.pixel(1, 0));
}

INSTANTIATE_TEST_SUITE_P(Cases, DarkerBitmap,
                         testing::Values(DarkerCase{0xFFFFFF, 0xBFBFBF},  // 255 -> 191
                                         DarkerCase{0x000000, 0x000000},
                                         DarkerCase{0x010204, 0x000103},  // 1, 2, 4 -> 0, 1, 3
                                         DarkerCase{0x8064C8, 0x604B96},  // 128, 100, 200
                                         DarkerCase{0x00FE00, 0x00BE00},  // near the key colour
                                         DarkerCase{0xFF8000, 0xBF6000}));

TEST(DarkerIcon, DarkensColoursAndKeepsAlpha) {
    QImage icon(3, 1, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(200, 100, 40, 255));
    icon.setPixel(1, 0, qRgba(0, 0, 0, 255));
    icon.setPixel(2, 0, qRgba(0, 0, 0, 0));
    const QImage dark = controls::darkerIcon(icon);
    EXPECT_EQ(qRgba(150, 75, 30, 255), dark.pixel(0, 0));
    EXPECT_EQ(qRgba(0, 0, 0, 255), dark.pixel(1, 0));
    EXPECT_EQ(0, qAlpha(dark.pixel(2, 0)));
    EXPECT_TRUE(controls::darkerIcon(QImage()).isNull());
}

struct MaskCase {
    QRgb face;
    QRgb mask;      // what the mask holds for the pixel
    QRgb prepared;  // what the prepared bitmap holds
    QRgb drawn;     // the pixel over a destination of kDest
};

constexpr QRgb kKey = 0xFF00FF00u;
constexpr QRgb kDest = 0xFF0A141Eu;

class Mask : public testing::TestWithParam<MaskCase> {};

TEST_P(Mask, LeavesTheBackgroundWhereTheTransparentColourWas) {
    const MaskCase& c = GetParam();
    QImage face(1, 1, QImage::Format_RGB32);
    face.setPixel(0, 0, c.face);
    const controls::MaskedFace masked = controls::buildMaskedFace(face, kKey);
    ASSERT_FALSE(masked.isNull());
    EXPECT_EQ(c.mask, masked.mask.pixel(0, 0));
    EXPECT_EQ(c.prepared, masked.prepared.pixel(0, 0));
    QImage dest(1, 1, QImage::Format_ARGB32_Premultiplied);
    dest.fill(kDest);
    controls::drawMaskedFace(dest, QPoint(0, 0), masked);
    EXPECT_EQ(c.drawn, dest.pixel(0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Mask,
    testing::Values(MaskCase{kKey, 0xFFFFFFFFu, 0x00000000u, kDest},  // transparent: kept
                    MaskCase{0xFFFF0000u, 0x00000000u, 0xFFFF0000u, 0xFFFF0000u},
                    MaskCase{0xFF000000u, 0x00000000u, 0xFF000000u, 0xFF000000u},
                    MaskCase{0xFFFFFFFFu, 0x00000000u, 0xFFFFFFFFu, 0xFFFFFFFFu},
                    MaskCase{0xFF00FE00u, 0x00000000u, 0xFF00FE00u, 0xFF00FE00u}));

TEST(Mask, DrawingIsClippedToTheDestination) {
    QImage face(4, 4, QImage::Format_RGB32);
    face.fill(qRgb(255, 0, 0));
    face.setPixel(3, 3, kKey);
    const controls::MaskedFace masked = controls::buildMaskedFace(face, kKey);
    QImage dest(3, 3, QImage::Format_ARGB32_Premultiplied);
    dest.fill(kDest);
    controls::drawMaskedFace(dest, QPoint(-2, -2), masked);  // only its lower right lands
    EXPECT_EQ(0xFFFF0000u, dest.pixel(0, 0));
    EXPECT_EQ(kDest, dest.pixel(1, 1));  // the face's transparent corner
    EXPECT_EQ(kDest, dest.pixel(2, 2));
    controls::drawMaskedFace(dest, QPoint(2, 2), masked);
    EXPECT_EQ(0xFFFF0000u, dest.pixel(2, 2));
    EXPECT_TRUE(controls::buildMaskedFace(QImage(), kKey).isNull());
}

struct FaceCase {
    const char* name;
    bool hasFace1, checkBox, pressed, hover;
    int face;
};

class FaceChoice : public testing::TestWithParam<FaceCase> {};

TEST_P(FaceChoice, ByState) {
    const FaceCase& c = GetParam();
    EXPECT_EQ(c.face, CButtonST::ChooseFace(c.hasFace1, c.checkBox, c.pressed, c.hover));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaceChoice,
    testing::Values(FaceCase{"buttonAtRest", true, false, false, false, 1},
                    FaceCase{"buttonHovered", true, false, false, true, 0},
                    FaceCase{"buttonPressed", true, false, true, false, 0},
                    FaceCase{"buttonPressedHovered", true, false, true, true, 0},
                    FaceCase{"checkBoxUnchecked", true, true, false, false, 1},
                    FaceCase{"checkBoxHoveredUnchecked", true, true, false, true, 1},
                    FaceCase{"checkBoxChecked", true, true, true, false, 0},
                    FaceCase{"checkBoxCheckedHovered", true, true, true, true, 0},
                    FaceCase{"noRestFaceAtRest", false, false, false, false, 0},
                    FaceCase{"noRestFaceUnchecked", false, true, false, false, 0}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
