#include "controls/CButtonST.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>

namespace {

QColor sysColor(QPalette::ColorRole role) {
    return QApplication::palette().color(role);
}

// The system's 3-D colours, by their roles in a classic button frame.
QColor shadowColor() {
    return sysColor(QPalette::Dark);
}
QColor highlightColor() {
    return sysColor(QPalette::Light);
}
QColor light3dColor() {
    return sysColor(QPalette::Midlight);
}
QColor darkShadowColor() {
    return sysColor(QPalette::Shadow);
}

}  // namespace

CButtonST::CButtonST(QWidget* parent, Kind kind) : QPushButton(parent) {
    init(kind);
}

CButtonST::CButtonST(const QString& text, QWidget* parent, Kind kind) : QPushButton(text, parent) {
    init(kind);
}

void CButtonST::init(Kind kind) {
    // Attach step: a check box checks itself; the default button is a push button that
    // still answers Enter as the default.
    m_checkBox = kind == Kind::CheckBox;
    if (m_checkBox) {
        setAutoDefault(false);
    }
    if (kind == Kind::DefaultPushButton) {
        SetDefaultButton(true);
    }
    setCheckable(false);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    OnSysColorChange();
    connect(this, &QAbstractButton::clicked, this, &CButtonST::onClicked);
}

void CButtonST::OnSysColorChange() {
    for (int slot = 0; slot < CLR_COUNT; slot += 2) {
        m_colors[slot] = sysColor(QPalette::Button);
        m_colors[slot + 1] = sysColor(QPalette::ButtonText);
    }
    update();
}

void CButtonST::SetFlatStyle(bool flat) {
    m_flat = flat;
    update();
}

bool CButtonST::SetStateColor(int slot, const QColor& color) {
    if (slot < 0 || slot >= CLR_COUNT) {
        return false;
    }
    m_colors[slot] = color;
    update();
    return true;
}

QColor CButtonST::GetStateColor(int slot) const {
    return slot >= 0 && slot < CLR_COUNT ? m_colors[slot] : QColor();
}

void CButtonST::freeFaces() {
    m_faces = {};
    m_hasIcons = false;
    m_hasBitmaps = false;
}

int CButtonST::setBitmapFaces(const QImage& face0, const QColor& t0, const QImage& face1,
                              const QColor& t1, bool autoDarker) {
    freeFaces();
    update();
    if (face0.isNull()) {
        return kFaceNotMeasurable;
    }
    m_faces[0].bitmap = controls::buildMaskedFace(face0, t0.rgb());
    if (m_faces[0].bitmap.isNull()) {
        freeFaces();
        return kMaskNotBuilt;
    }
    QImage rest = face1;
    QColor restTransparent = t1;
    if (autoDarker) {
        rest = controls::darkerBitmap(face0, t0.rgb());
        restTransparent = t0;
        if (rest.isNull()) {
            freeFaces();
            return kMaskNotBuilt;
        }
    }
    if (!rest.isNull()) {
        m_faces[1].bitmap = controls::buildMaskedFace(rest, restTransparent.rgb());
        if (m_faces[1].bitmap.isNull()) {
            freeFaces();
            return kMaskNotBuilt;
        }
    }
    m_hasBitmaps = true;
    return kOk;
}

int CButtonST::SetFaceBitmaps(const QImage& face0, const QColor& transparent0) {
    return setBitmapFaces(face0, transparent0, QImage(), QColor(), false);
}

int CButtonST::SetFaceBitmaps(const QImage& face0, const QColor& transparent0, const QImage& face1,
                              const QColor& transparent1) {
    return setBitmapFaces(face0, transparent0, face1, transparent1, false);
}

int CButtonST::SetFaceBitmaps(const QImage& face0, const QColor& transparent0, AutoDarker,
                              const QColor&) {
    // The darker copy keeps face 0's transparent colour, whatever is passed for it.
    return setBitmapFaces(face0, transparent0, QImage(), QColor(), true);
}

int CButtonST::SetFaceIcons(const QImage& face0, const QImage& face1) {
    freeFaces();
    update();
    if (face0.isNull()) {
        return kFaceNotMeasurable;
    }
    m_faces[0].icon = face0;
    m_faces[1].icon = face1;
    m_hasIcons = true;
    return kOk;
}

int CButtonST::SetFaceIcons(const QImage& face0, AutoDarker) {
    return SetFaceIcons(face0, controls::darkerIcon(face0));
}

void CButtonST::SetTransparent() {
    // Qt composes the parent under a widget that leaves pixels unpainted, at its current
    // place, so there is no snapshot of the background to go stale when the button moves.
    m_transparent = true;
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    update();
}

void CButtonST::BrightenHoverColor() {
    m_colors[CLR_BK_HOVER] = controls::brightenHoverColor(m_colors[CLR_BK_HOVER]);
    update();
}

void CButtonST::SetCheck(int state) {
    if (!m_checkBox) {
        return;
    }
    m_checkState = (state == 1 || state == 2) ? 1 : 0;
    update();
}

void CButtonST::SetDefaultButton(bool isDefault) {
    m_defaultButton = isDefault;
    setDefault(isDefault);
    update();
}

void CButtonST::SetHoverBorder(bool on) {
    m_hoverBorder = on;
    update();
}

void CButtonST::SetFlatFocusRect(bool on) {
    m_flatFocusRect = on;
    update();
}

int CButtonST::ChooseFace(bool hasFace1, bool checkBox, bool pressed, bool hover) {
    if (hasFace1 && ((checkBox && !pressed) || (!pressed && !hover))) {
        return 1;
    }
    return 0;
}

int CButtonST::faceIndex(bool hasFace1) const {
    return ChooseFace(hasFace1, m_checkBox, m_pressed, m_hover);
}

QSize CButtonST::sizeHint() const {
    QSize image;
    if (m_hasIcons) {
        image = m_faces[0].icon.size();
    } else if (m_hasBitmaps) {
        image = m_faces[0].bitmap.prepared.size();
    }
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    const int w =
        image.width() + (text().isEmpty() ? 0 : textSize.width() + 2 * m_imageMargin.x() + 3);
    return QSize(std::max(w, image.width()) + 8, std::max(image.height(), textSize.height()) + 8);
}

void CButtonST::setHover(bool hover) {
    if (m_hover != hover) {
        m_hover = hover;
        update();
    }
}

void CButtonST::onClicked() {
    setFocus(Qt::MouseFocusReason);
    if (m_checkBox) {
        m_checkState = m_checkState == 1 ? 0 : 1;
        update();
    }
}

void CButtonST::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    if (!m_flat) {
        return;
    }
    // A drag that started elsewhere does not light the button up.
    if ((QApplication::mouseButtons() & Qt::LeftButton) && !m_hover) {
        return;
    }
    if (m_trackInactive || QApplication::activeWindow() != nullptr) {
        setHover(true);
    }
}

void CButtonST::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    if (!m_flat) {
        return;
    }
    if ((event->buttons() & Qt::LeftButton) && !m_hover) {
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    if (inside && (m_trackInactive || QApplication::activeWindow() != nullptr)) {
        setHover(true);
    } else if (!inside) {
        setHover(false);
    }
}

void CButtonST::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    if (m_flat) {
        setHover(false);
    }
}

void CButtonST::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double-click is a second click: a check box flips twice.
    mousePressEvent(event);
}

void CButtonST::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    if (m_flat) {
        setHover(false);
    }
}

void CButtonST::hideEvent(QHideEvent* event) {
    // Hidden, the pointer can't be over it: it must not come back looking hovered.
    QPushButton::hideEvent(event);
    setHover(false);
}

void CButtonST::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    switch (event->type()) {
        case QEvent::ActivationChange:
            if (m_flat && !isActiveWindow()) {
                setHover(false);
            }
            break;
        case QEvent::EnabledChange:
            if (!isEnabled()) {
                if (hasFocus()) {
                    focusNextChild();
                }
                setHover(false);
            }
            break;
        default:
            break;
    }
}

bool CButtonST::event(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange) {
        OnSysColorChange();
    }
    return QPushButton::event(event);
}

void CButtonST::draw3dRect(QPainter& p, const QRect& r, const QColor& topLeft,
                           const QColor& bottomRight) {
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

void CButtonST::PaintBackground(QPainter& p, QRect& rect) {
    if (!m_flat && (m_focused || m_defaultButton)) {
        draw3dRect(p, rect, Qt::black, Qt::black);
        rect.adjust(1, 1, -1, -1);
    }
    QColor fill = m_colors[CLR_BK_NORMAL];
    if (m_hover || m_pressed) {
        fill = m_colors[CLR_BK_HOVER];
    } else if (m_focused) {
        fill = m_colors[CLR_BK_FOCUS];
    }
    p.fillRect(rect, fill);
}

void CButtonST::PaintBorder(QPainter& p, const QRect& rect) {
    if (m_pressed) {
        if (m_flat) {
            if (m_hoverBorder) {
                draw3dRect(p, rect, shadowColor(), highlightColor());
            }
        } else {
            draw3dRect(p, rect, shadowColor(), shadowColor());
        }
    } else if (!m_flat) {
        draw3dRect(p, rect, highlightColor(), darkShadowColor());
        draw3dRect(p, rect.adjusted(1, 1, -1, -1), light3dColor(), shadowColor());
    } else if (m_hover && m_hoverBorder) {
        draw3dRect(p, rect, highlightColor(), shadowColor());
    }
}

QPoint CButtonST::imagePosition(const QRect& rect, QSize size, bool hasText) const {
    QPoint at(
        hasText ? rect.left() + m_imageMargin.x() : rect.left() + (rect.width() - size.width()) / 2,
        rect.top() + (rect.height() - size.height()) / 2);
    if (m_pressed && !m_checkBox) {
        at += m_pressShift;
    }
    return at;
}

void CButtonST::PaintIcon(QPainter& p, const QRect& rect, bool hasText) {
    const QImage& icon = m_faces[faceIndex(!m_faces[1].icon.isNull())].icon;
    const QPoint at = imagePosition(rect, icon.size(), hasText);
    if (m_disabled) {
        const QPixmap pm =
            style()->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(icon), nullptr);
        p.drawPixmap(at, pm);
    } else {
        p.drawImage(at, icon);
    }
}

void CButtonST::PaintBitmap(QImage& buffer, const QRect& rect, bool hasText) {
    const controls::MaskedFace& face = m_faces[faceIndex(!m_faces[1].bitmap.isNull())].bitmap;
    const QPoint at = imagePosition(rect, face.prepared.size(), hasText);
    if (m_disabled && m_grayWhenDisabled) {
        QPainter p(&buffer);
        QImage shown = face.prepared;
        const QPixmap pm =
            style()->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(shown), nullptr);
        p.drawPixmap(at, pm);
        return;
    }
    controls::drawMaskedFace(buffer, at, face);
}

QRect CButtonST::textRect(const QRect& rect) const {
    QRect area = rect;
    QSize image;
    if (m_hasIcons) {
        image = m_faces[0].icon.size();
    } else if (m_hasBitmaps) {
        image = m_faces[0].bitmap.prepared.size();
    }
    if (image.isValid() && !image.isEmpty()) {
        area.setLeft(rect.left() + m_imageMargin.x() + image.width() + 3);
    }
    if (m_pressed && !m_checkBox) {
        area.translate(m_pressShift);
    }
    return area;
}

void CButtonST::PaintText(QPainter& p, const QRect& rect) {
    const QRect area = textRect(rect);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    p.setFont(font());
    if (m_disabled) {
        p.setPen(highlightColor());
        p.drawText(area.translated(1, 1), flags, text());
        p.setPen(shadowColor());
        p.drawText(area, flags, text());
        return;
    }
    QColor fg = m_colors[CLR_FG_NORMAL];
    if (m_hover || m_pressed) {
        fg = m_colors[CLR_FG_HOVER];
    } else if (m_focused) {
        fg = m_colors[CLR_FG_FOCUS];
    }
    p.setPen(fg);
    p.drawText(area, flags, text());
}

void CButtonST::paintEvent(QPaintEvent*) {
    m_pressed = m_checkBox ? (isDown() || m_checkState == 1) : isDown();
    m_focused = hasFocus();
    m_disabled = !isEnabled();

    // Composed off screen, then shown in one copy.
    QImage buffer(size(), QImage::Format_ARGB32_Premultiplied);
    if (buffer.isNull()) {
        return;
    }
    buffer.fill(Qt::transparent);
    QRect area = rect();
    const bool hasText = !text().isEmpty();
    {
        QPainter p(&buffer);
        if (!m_transparent) {
            PaintBackground(p, area);
        }
        PaintBorder(p, area);
        if (m_hasIcons && !m_faces[0].icon.isNull()) {
            PaintIcon(p, area, hasText);
        }
    }
    if (m_hasBitmaps && !m_faces[0].bitmap.isNull()) {
        PaintBitmap(buffer, area, hasText);
    }
    QPainter p(&buffer);
    if (hasText) {
        PaintText(p, area);
    }
    if (m_focused && (!m_flat || m_flatFocusRect)) {
        QPen pen(palette().color(QPalette::WindowText), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
    p.end();
    QPainter screen(this);
    screen.drawImage(0, 0, buffer);
}
