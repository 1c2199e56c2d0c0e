// A list view in report view: columns with headers and widths, rows with texts per
// column and one integer of item data per row. A double-click reports the row it hit,
// or -1 below the last row.
#pragma once

#include <QTableWidget>
#include <cstdint>

namespace platform {

// The extended style bits the dialog sets.
inline constexpr uint32_t LVS_EX_GRIDLINES = 0x01;
inline constexpr uint32_t LVS_EX_FULLROWSELECT = 0x20;

class CListView : public QTableWidget {
    Q_OBJECT
public:
    explicit CListView(QWidget* parent = nullptr);

    void InsertColumn(int index, const QString& header, int widthPx,
                      Qt::Alignment align = Qt::AlignLeft);
    void SetExtendedStyle(uint32_t styles);
    void DeleteAllItems();
    int GetItemCount() const;
    // Inserts an empty row; returns its index.
    int InsertItem(int index, const QString& text0);
    void SetItemData(int row, int64_t data);
    int64_t GetItemData(int row) const;
    void SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    // The row under a point of the viewport, or -1.
    int HitTest(const QPoint& viewportPos) const;

signals:
    // A double-click, with the row it hit (-1 for none).
    void rowDoubleClicked(int row);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QTableWidgetItem* cell(int row, int column);
};

}  // namespace platform
