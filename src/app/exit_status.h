#pragma once

namespace tarvex::exit_status {

// What the program's exit status says went wrong; the same numbers in --help, the README and
// the service unit, which restarts on 1 and 3 but not on 2 and 4 (a restart cannot mend those).
inline constexpr int kClean = 0;              // done, or stopped by SIGTERM, SIGINT or SIGHUP
inline constexpr int kFileProblem = 1;        // a file could not be read or written
inline constexpr int kInvalidUse = 2;         // the command line is not valid
inline constexpr int kServiceUnavailable = 3; // a service could not start (a port taken, ...)
inline constexpr int kNothingToServe = 4;     // the amplifier list holds no amplifier

} // namespace tarvex::exit_status
