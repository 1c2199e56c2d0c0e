#include "platform/qt/MessageBox.h"

#include <QMessageBox>

namespace platform {

namespace {

std::function<int(const MessageBoxRequest&)>& handler() {
    static std::function<int(const MessageBoxRequest&)> h;
    return h;
}

int showReal(const MessageBoxRequest& r) {
    QMessageBox box(r.parent);
    box.setWindowTitle(r.title);
    box.setText(r.text);
    box.setIcon(QMessageBox::NoIcon);
    if (r.buttons == MessageBoxButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

}  // namespace

int MessageBox(QWidget* parent, const QString& text, const QString& title,
               MessageBoxButtons buttons) {
    const MessageBoxRequest r{parent, text, title, buttons};
    // Boxes are shown on the window thread only, so the handler needs no lock.
    return handler() ? handler()(r) : showReal(r);
}

void setMessageBoxHandler(std::function<int(const MessageBoxRequest&)> h) {
    handler() = std::move(h);
}

}  // namespace platform
