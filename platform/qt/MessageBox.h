// Message boxes titled with the program's name. Every box goes through one handler
// that a test can replace in-process, so no test shows a box.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace platform {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

enum class MessageBoxButtons { Ok, OkCancel };

struct MessageBoxRequest {
    QWidget* parent;
    QString text;
    QString title;
    MessageBoxButtons buttons;
};

// Shows the box modally and returns IDOK or IDCANCEL.
int MessageBox(QWidget* parent, const QString& text, const QString& title,
               MessageBoxButtons buttons = MessageBoxButtons::Ok);

// Replaces the handler (an empty function restores the real boxes).
void setMessageBoxHandler(std::function<int(const MessageBoxRequest&)> handler);

}  // namespace platform
