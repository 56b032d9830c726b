#pragma once
// Between start-up and shut-down inside the shell.

namespace tavolin {

// From now on a close of the main window ends the program (set by runProgram).
void markProgramRunning();
// Runs the registered clean-up routines in the order of registration, each once.
void runCleanUps();

}  // namespace tavolin
