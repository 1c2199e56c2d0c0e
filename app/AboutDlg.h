// The about box (template 100): the icon, the program's name and version, and OK.
#pragma once

#include "platform/qt/Dialog.h"

class CAboutDlg : public platform::CDialogBase {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
