#include "updater/ui/AutoUpdateMgrApp.h"

#include "updater/ui/AutoUpdateMgrDlg.h"

int CAutoUpdateMgrApp::InitInstance(const std::string& commandLine,
                                    updater::UpdaterSystem& system) {
    if (!commandLine.empty()) {
        m_strCommandLine = commandLine;
    }
    CAutoUpdateMgrDlg dlg(system);
    updater::SetAppMainWindow(&dlg);
    const int code = dlg.RunModal();
    updater::SetAppMainWindow(nullptr);
    return code;
}
