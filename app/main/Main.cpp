#include "app/TrawlixApp.h"

int main(int argc, char** argv) {
    CTrawlixApp app;
    return app.Run(argc, argv);
}
