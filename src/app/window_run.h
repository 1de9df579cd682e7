#pragma once

namespace tarvex {

struct RunOptions;

// Runs the amplifiers with the main window until it closes, under the QApplication the caller
// made; returns the exit status.
int runWindow(const RunOptions& options);

} // namespace tarvex
