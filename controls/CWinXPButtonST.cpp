#include "controls/CWinXPButtonST.h"

#include <QPainter>

void CWinXPButtonST::SetRounded(bool rounded) {
    m_roundCorners = rounded;
    update();
}

void CWinXPButtonST::PaintBorder(QPainter&, const QRect&) {}

void CWinXPButtonST::PaintBackground(QPainter& p, QRect& rect) {
    if (!m_hover && !m_pressed) {
        CButtonST::PaintBackground(p, rect);
        return;
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(m_colors[CLR_BK_HOVER]);
    const QRect outline = rect.adjusted(0, 0, -1, -1);
    if (m_roundCorners) {
        p.drawRoundedRect(outline, 4, 4);  // an 8 x 8 corner ellipse
    } else {
        p.drawRect(outline);
    }
}
