#include "app/AboutDlg.h"

CAboutDlg::CAboutDlg(QWidget* parent) : platform::CDialogBase(100, parent) {}
