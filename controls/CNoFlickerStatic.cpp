#include "controls/CNoFlickerStatic.h"

#include <QImage>
#include <QPainter>

CNoFlickerStatic::CNoFlickerStatic(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void CNoFlickerStatic::SetText(const QString& text) {
    m_text = text;
    update();
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
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_text);
    }
    QPainter screen(this);
    screen.drawImage(0, 0, buffer);
}
