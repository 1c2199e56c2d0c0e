#include "app/TrawlixApp.h"

#include <QApplication>

#include "app/TrawlixDlg.h"
#include "app/TrawlixTexts.h"

int CTrawlixApp::Run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kTextProgramName));
    // Named as the framework's profile key; the program never stores anything.
    QApplication::setOrganizationName(QString::fromUtf8(kTextProfileKey));
    InitTrawlixResources();
    {
        CTrawlixDlg dlg;
        dlg.DoModal();  // its result is not used
    }
    return 0;
}
