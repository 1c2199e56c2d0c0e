// The search program that the updater ends, updates and starts, named once here.
#pragma once

namespace updater {

// Its file name in the program directory (no extension on Linux) and the name it runs
// under; also the name the updater looks for before starting it again.
inline constexpr char kProgramName[] = "Trawlix";

// Exit code of the updater after it has started (or found) the search program.
inline constexpr int kQuitExitCode = 18;

}  // namespace updater
