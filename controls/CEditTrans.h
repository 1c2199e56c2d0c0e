// The search term box: an edit box with its own text and background colours whose single
// line of text sits vertically centred (the bands above and below it are painted in the
// system window colour), and which asks for Korean input when it gets the focus.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QRect>
#include <functional>
#include <optional>

class CEditTrans : public QLineEdit {
    Q_OBJECT

public:
    explicit CEditTrans(QWidget* parent = nullptr);

    void SetTextColor(const QColor& color);
    // No colour: no fill at all, the parent shows through under the text.
    void SetBackColor(std::optional<QColor> color);
    QColor GetTextColor() const { return m_textColor; }
    std::optional<QColor> GetBackColor() const { return m_backColor; }

    // The parts above and below the centred line, in the box's own coordinates.
    QRect BandTop() const { return m_bandTop; }
    QRect BandBottom() const { return m_bandBottom; }

    // The window layer's switch of an edit box to native (Hangul) input, run when the box
    // gets the focus. None by default.
    using NativeInputSwitch = std::function<void(QWidget&)>;
    static void SetNativeInputSwitch(NativeInputSwitch fn);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColors();
    void computeBands();
    void invalidateParentUnder();

    QColor m_textColor{0, 0, 0};
    std::optional<QColor> m_backColor{QColor(255, 255, 255)};
    QRect m_bandTop;
    QRect m_bandBottom;
};
