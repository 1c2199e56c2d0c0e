// The colour arithmetic behind the image buttons' faces: the brightened hover colour,
// the darker copy of a face, and the mask that lets a bitmap face be drawn with one of
// its colours left out (combine with the mask, then with the prepared bitmap).
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

namespace controls {

// The colour lightened by one amount added to red, green and blue alike: 30, or less so
// that none of the three passes 255.
QColor brightenHoverColor(const QColor& color);

// One value darkened to three quarters, truncated.
inline int darker75(int value) {
    return value * 3 / 4;
}

// A copy of a bitmap face in which every pixel that is not `transparent` is darkened to
// three quarters; pixels of the transparent colour stay as they are.
QImage darkerBitmap(const QImage& face, QRgb transparent);

// The same for an icon face: colours darken, the alpha channel stays (black stays black).
QImage darkerIcon(const QImage& face);

// A bitmap face ready to be drawn transparently.
struct MaskedFace {
    QImage mask;      // white (all bits set) where the face had the transparent colour, else black
    QImage prepared;  // the face with its transparent pixels turned black and see-through
    bool isNull() const { return mask.isNull() || prepared.isNull(); }
};

// Builds the mask and the prepared bitmap; both null when the face is null or memory runs out.
MaskedFace buildMaskedFace(const QImage& face, QRgb transparent);

// dest = (dest AND mask) OR prepared, with the face's top left at `at`, clipped to dest.
// dest must be in QImage::Format_ARGB32_Premultiplied.
void drawMaskedFace(QImage& dest, QPoint at, const MaskedFace& face);

}  // namespace controls
