// A static text for lines that change many times a second (the local search's status):
// it paints its own text through an off-screen image in one copy, so it never flickers.
#pragma once

#include <QString>
#include <QWidget>

class CNoFlickerStatic : public QWidget {
    Q_OBJECT

public:
    explicit CNoFlickerStatic(QWidget* parent = nullptr);

    // Stores the text and repaints; only the latest text is drawn at the next paint.
    void SetText(const QString& text);
    QString GetText() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};
