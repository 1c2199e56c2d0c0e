#include "controls/CNoFlickerStatic.h"

#include <QImage>
#include <QPainter>

CNoFlickerStatic::CNoFlickerStatic(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setTextFormat(Qt::PlainText);  // a path is never markup
    // A long path must not widen the line's size hint: the line keeps its place.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void CNoFlickerStatic::SetText(const QString& text) {
    setText(text);
}

void CNoFlickerStatic::paintEvent(QPaintEvent*) {
    QImage buffer(size(), QImage::Format_RGB32);
    if (buffer.isNull()) {
        return;
    }
    buffer.fill(Qt::white);
    {
        QPainter p(&buffer);
        // The dialog's own font, not the fonts it gives to other controls.
        p.setFont(parentWidget() ? parentWidget()->font() : font());
        p.setPen(Qt::black);
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
    }
    QPainter screen(this);
    screen.drawImage(0, 0, buffer);
}
