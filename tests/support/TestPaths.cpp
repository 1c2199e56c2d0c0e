#include "tests/support/TestPaths.h"

#include <unistd.h>

#include <filesystem>

namespace testsupport {

std::string sourceDir() {
    return TRAWLIX_TEST_SOURCE_DIR;
}
std::string binaryDir() {
    return TRAWLIX_TEST_BINARY_DIR;
}
std::string programDir() {
    return TRAWLIX_TEST_PROGRAM_DIR;
}

std::string scratchDir(const std::string& name) {
    namespace fs = std::filesystem;
    // ctest runs test cases of one fixture in parallel processes: keep them apart.
    const fs::path dir =
        fs::path(binaryDir()) / "test-scratch" / (name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

}  // namespace testsupport
