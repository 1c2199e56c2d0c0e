// The application object: sets up the application and runs the main dialog modally;
// the program ends when the dialog ends.
#pragma once

class CTrawlixApp {
public:
    // Returns the process exit code (0).
    int Run(int argc, char** argv);
};
