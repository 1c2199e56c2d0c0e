// The image button with the hover look of the search and inquiry buttons: no 3-D frame,
// and while hovered or pressed a fill in the hover colour with a thin black outline.
#pragma once

#include "controls/CButtonST.h"

class CWinXPButtonST : public CButtonST {
    Q_OBJECT

public:
    using CButtonST::CButtonST;

    // Round the outline's corners (8 x 8 pixels).
    void SetRounded(bool rounded);
    bool IsRounded() const { return m_roundCorners; }

protected:
    void PaintBackground(QPainter& p, QRect& rect) override;
    void PaintBorder(QPainter& p, const QRect& rect) override;

private:
    bool m_roundCorners = false;
};
