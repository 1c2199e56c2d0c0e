#include "updater/ui/AboutDlg.h"

#include <QPushButton>

#include "updater/ui/DialogLayout.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const QHash<int, QWidget*> controls = updater::BuildDialog(100, this);
    if (auto* ok = qobject_cast<QPushButton*>(controls.value(1))) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }
    setWindowIcon(updater::ProgramIcon());
}
