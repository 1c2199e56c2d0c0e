// The updater as a program: runs its main dialog modally and ends with the dialog.
#pragma once

#include <string>

#include "updater/core/UpdaterSystem.h"

class CAutoUpdateMgrApp {
public:
    CAutoUpdateMgrApp() = default;

    // Runs the whole program; returns its exit code (18 once the search program was
    // started, 0 when the dialog was closed first). The command line is kept, never read.
    int InitInstance(const std::string& commandLine, updater::UpdaterSystem& system);

private:
    std::string m_strCommandLine;
};
