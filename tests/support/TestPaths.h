// Where a test finds the source tree (fixtures), the build tree (scratch space,
// artefacts) and the program directory (the built programs).
#pragma once

#include <string>

namespace testsupport {

std::string sourceDir();
std::string binaryDir();
std::string programDir();

// A fresh, empty folder under the build tree for one test process.
std::string scratchDir(const std::string& name);

}  // namespace testsupport
