#include "controls/CEditTrans.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace {

CEditTrans::NativeInputSwitch& nativeInputSwitch() {
    static CEditTrans::NativeInputSwitch fn;
    return fn;
}

}  // namespace

CEditTrans::CEditTrans(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    applyColors();
    connect(this, &QLineEdit::textChanged, this, [this] { invalidateParentUnder(); });
}

void CEditTrans::SetNativeInputSwitch(NativeInputSwitch fn) {
    nativeInputSwitch() = std::move(fn);
}

void CEditTrans::SetTextColor(const QColor& color) {
    m_textColor = color;
    applyColors();
}

void CEditTrans::SetBackColor(std::optional<QColor> color) {
    m_backColor = color;
    applyColors();
}

void CEditTrans::applyColors() {
    QPalette pal = palette();
    pal.setColor(QPalette::Text, m_textColor);
    pal.setColor(QPalette::Base, m_backColor ? *m_backColor : QColor(Qt::transparent));
    setPalette(pal);
    setAutoFillBackground(false);
    update();
}

void CEditTrans::computeBands() {
    // The text line is as high as "Ky" in the box's font; what is left is split above and
    // below it (the odd pixel goes below).
    const int lineHeight = fontMetrics().boundingRect(QStringLiteral("Ky")).height();
    const int client = height();
    const int margin = std::max(0, (client - lineHeight) / 2);
    m_bandTop = QRect(0, 0, width(), margin);
    m_bandBottom =
        QRect(0, margin + lineHeight, width(), std::max(0, client - margin - lineHeight));
    setTextMargins(0, margin, 0, m_bandBottom.height());
}

void CEditTrans::invalidateParentUnder() {
    if (QWidget* parent = parentWidget()) {
        parent->update(geometry());
    }
}

void CEditTrans::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (nativeInputSwitch()) {
        nativeInputSwitch()(*this);
    }
}

void CEditTrans::focusOutEvent(QFocusEvent* event) {
    invalidateParentUnder();
    QLineEdit::focusOutEvent(event);
}

void CEditTrans::mousePressEvent(QMouseEvent* event) {
    invalidateParentUnder();
    QLineEdit::mousePressEvent(event);
}

void CEditTrans::resizeEvent(QResizeEvent* event) {
    computeBands();
    QLineEdit::resizeEvent(event);
}

void CEditTrans::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        computeBands();
    }
}

void CEditTrans::paintEvent(QPaintEvent* event) {
    if (m_bandTop.isNull() && m_bandBottom.isNull()) {
        computeBands();
    }
    QLineEdit::paintEvent(event);
    QPainter p(this);
    const QColor window = QApplication::palette().color(QPalette::Base);
    p.fillRect(m_bandTop, window);
    p.fillRect(m_bandBottom, window);
}
