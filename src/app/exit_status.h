#pragma once

namespace tarvex::exit_status {

// What the program's exit status says went wrong.
inline constexpr int kClean = 0;       // done
inline constexpr int kFileProblem = 1; // a file could not be read or written
inline constexpr int kInvalidUse = 2;  // the command line is not valid

} // namespace tarvex::exit_status
