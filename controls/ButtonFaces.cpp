#include "controls/ButtonFaces.h"

#include <algorithm>

namespace controls {

namespace {

constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;
constexpr QRgb kMaskKeep = 0xFFFFFFFFu;  // AND with all bits set keeps the destination
constexpr QRgb kMaskCover = 0x00000000u;
constexpr QRgb kSeeThrough = 0x00000000u;  // black with no alpha: OR changes nothing

bool sameColor(QRgb a, QRgb b) {
    return (a & 0x00FFFFFFu) == (b & 0x00FFFFFFu);
}

// A copy of face in format with every pixel passed through f; null for a null face.
template <class F>
QImage mapPixels(const QImage& face, QImage::Format format, F f) {
    if (face.isNull()) {
        return {};
    }
    QImage out = face.convertToFormat(format);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            line[x] = f(line[x]);
        }
    }
    return out;
}

}  // namespace

QColor brightenHoverColor(const QColor& color) {
    const int amount = std::min({30, 255 - color.red(), 255 - color.green(), 255 - color.blue()});
    return QColor(color.red() + amount, color.green() + amount, color.blue() + amount);
}

QImage darkerBitmap(const QImage& face, QRgb transparent) {
    return mapPixels(face, QImage::Format_RGB32, [transparent](QRgb p) {
        return sameColor(p, transparent)
                   ? p
                   : qRgb(darker75(qRed(p)), darker75(qGreen(p)), darker75(qBlue(p)));
    });
}

QImage darkerIcon(const QImage& face) {
    return mapPixels(face, QImage::Format_ARGB32, [](QRgb p) {
        return qRgba(darker75(qRed(p)), darker75(qGreen(p)), darker75(qBlue(p)), qAlpha(p));
    });
}

MaskedFace buildMaskedFace(const QImage& face, QRgb transparent) {
    if (face.isNull()) {
        return {};
    }
    MaskedFace out;
    out.prepared = face.convertToFormat(QImage::Format_RGB32).convertToFormat(kFormat);
    out.mask = QImage(face.size(), kFormat);
    if (out.prepared.isNull() || out.mask.isNull()) {
        return {};
    }
    for (int y = 0; y < face.height(); ++y) {
        auto* bits = reinterpret_cast<QRgb*>(out.prepared.scanLine(y));
        auto* mask = reinterpret_cast<QRgb*>(out.mask.scanLine(y));
        for (int x = 0; x < face.width(); ++x) {
            if (sameColor(bits[x], transparent)) {
                mask[x] = kMaskKeep;
                bits[x] = kSeeThrough;
            } else {
                mask[x] = kMaskCover;
            }
        }
    }
    return out;
}

void drawMaskedFace(QImage& dest, QPoint at, const MaskedFace& face) {
    if (face.isNull() || dest.format() != kFormat) {
        return;
    }
    const int x0 = std::max(0, at.x()), y0 = std::max(0, at.y());
    const int x1 = std::min(dest.width(), at.x() + face.prepared.width());
    const int y1 = std::min(dest.height(), at.y() + face.prepared.height());
    for (int y = y0; y < y1; ++y) {
        auto* d = reinterpret_cast<QRgb*>(dest.scanLine(y));
        const auto* m = reinterpret_cast<const QRgb*>(face.mask.constScanLine(y - at.y()));
        const auto* p = reinterpret_cast<const QRgb*>(face.prepared.constScanLine(y - at.y()));
        for (int x = x0; x < x1; ++x) {
            d[x] = (d[x] & m[x - at.x()]) | p[x - at.x()];
        }
    }
}

}  // namespace controls
