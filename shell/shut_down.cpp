// Shut-down: the clean-up routines and the end of the process. Kept apart from start-up so that
// the windows need nothing of the web layer's request machinery.

#include "shell/shut_down.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "shell/shell.h"

#if defined(__SANITIZE_ADDRESS__)
#define TAVOLIN_LEAK_CHECK_AT_EXIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVOLIN_LEAK_CHECK_AT_EXIT 1
#endif
#endif
#ifdef TAVOLIN_LEAK_CHECK_AT_EXIT
#include <sanitizer/lsan_interface.h>
#endif

namespace tavolin {
namespace {

std::vector<void (*)()> cleanUpRoutines;
bool programRunning = false;

}  // namespace

void markProgramRunning() {
    programRunning = true;
}

void registerCleanUp(void (*routine)()) {
    cleanUpRoutines.push_back(routine);
}

void runCleanUps() {
    std::vector<void (*)()> routines;
    routines.swap(cleanUpRoutines);
    for (void (*routine)() : routines) {
        routine();
    }
}

void endProgram(int exitCode) {
    runCleanUps();
    std::fflush(nullptr);
#ifdef TAVOLIN_LEAK_CHECK_AT_EXIT
    // The windows live until the process ends and are reclaimed with it; what is still reachable
    // is not a leak, and everything else is reported here as at a normal exit.
    __lsan_do_leak_check();
#endif
    // Ending here, without unwinding, is what lets a close inside a nested handler (the event pump
    // of percentEncode) end the program at once: nothing returns into a handler whose windows are
    // going away, and no static destructor runs while the application object still lives.
    std::_Exit(exitCode);
}

void exitOnMainWindowDestroyed() {
    if (!programRunning) {
        std::fputs("tavolin: the main window was closed outside runProgram; a test closed it.\n",
                   stderr);
        std::fflush(nullptr);
        std::_Exit(3);
    }
    endProgram(0);
}

}  // namespace tavolin
