// A static text for lines that change many times a second (the local search's status):
// it paints its own text through an off-screen image in one copy, so it never flickers.
// A QLabel underneath, so the dialog's text operations (set and read by id) reach it.
#pragma once

#include <QLabel>
#include <QString>

class CNoFlickerStatic : public QLabel {
    Q_OBJECT

public:
    explicit CNoFlickerStatic(QWidget* parent = nullptr);

    // Stores the text and repaints; only the latest text is drawn at the next paint.
    void SetText(const QString& text);
    QString GetText() const { return text(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
