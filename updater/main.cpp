// Updrift: brings the search program's files up to date, then starts it.
#include <QApplication>
#include <string>

#include "updater/ui/AutoUpdateMgrApp.h"
#include "updater/ui/SystemServices.h"

int main(int argc, char** argv) {
    // Options are never interpreted, not even the toolkit's own.
    int toolkitArgc = 1;
    QApplication qapp(toolkitArgc, argv);
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    updater::SystemServices system;
    CAutoUpdateMgrApp app;
    return app.InitInstance(commandLine, system);
}
