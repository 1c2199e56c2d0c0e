#include "platform/qt/ListView.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace platform {

CListView::CListView(QWidget* parent) : QTableWidget(parent) {
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void CListView::InsertColumn(int index, const QString& header, int widthPx, Qt::Alignment align) {
    insertColumn(index);
    auto* h = new QTableWidgetItem(header);
    h->setTextAlignment(align | Qt::AlignVCenter);
    setHorizontalHeaderItem(index, h);
    setColumnWidth(index, widthPx);
}

void CListView::SetExtendedStyle(uint32_t styles) {
    setShowGrid((styles & LVS_EX_GRIDLINES) != 0);
    setSelectionBehavior((styles & LVS_EX_FULLROWSELECT) ? QAbstractItemView::SelectRows
                                                         : QAbstractItemView::SelectItems);
}

void CListView::DeleteAllItems() {
    setRowCount(0);
}

int CListView::GetItemCount() const {
    return rowCount();
}

int CListView::InsertItem(int index, const QString& text0) {
    if (index < 0 || index > rowCount()) {
        index = rowCount();
    }
    insertRow(index);
    cell(index, 0)->setText(text0);
    return index;
}

QTableWidgetItem* CListView::cell(int row, int column) {
    QTableWidgetItem* it = item(row, column);
    if (!it) {
        it = new QTableWidgetItem;
        setItem(row, column, it);
    }
    return it;
}

void CListView::SetItemData(int row, int64_t data) {
    if (row >= 0 && row < rowCount()) {
        cell(row, 0)->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(data));
    }
}

int64_t CListView::GetItemData(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it ? it->data(Qt::UserRole).toLongLong() : 0;
}

void CListView::SetItemText(int row, int column, const QString& text) {
    if (row >= 0 && row < rowCount() && column >= 0 && column < columnCount()) {
        cell(row, column)->setText(text);
    }
}

QString CListView::GetItemText(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

int CListView::HitTest(const QPoint& viewportPos) const {
    return rowAt(viewportPos.y());
}

void CListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit rowDoubleClicked(HitTest(event->position().toPoint()));
    }
}

}  // namespace platform
