// Start-up, the shared state and shut-down.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "shell/shell.h"
#include "web/http.h"

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

TextList termCodes;

namespace {

std::vector<void (*)()> cleanUpRoutines;
bool programRunning = false;
QtMessageHandler previousMessageHandler = nullptr;

constexpr const char* noDisplayMessage =
    "Tavolin 无法创建窗口：没有可用的图形显示（DISPLAY 与 WAYLAND_DISPLAY 均未设置）。\n"
    "Tavolin cannot create its windows: no graphical display is available "
    "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n";
constexpr const char* displayFailedMessage =
    "Tavolin 无法创建窗口：图形显示无法使用。\n"
    "Tavolin cannot create its windows: the graphical display cannot be used.\n";

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// A platform named in QT_QPA_PLATFORM is left to Qt; the desktop platforms need a display.
bool displayNamed() {
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

void runCleanUps() {
    std::vector<void (*)()> routines;
    routines.swap(cleanUpRoutines);
    for (void (*routine)() : routines) {
        routine();
    }
}

// Qt ends the process with abort() when no platform plugin can be started (an unreachable
// display); during start-up that becomes a clear message and exit code 1 instead of a crash.
void startUpMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs(displayFailedMessage, stderr);
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        runCleanUps();
        std::fflush(nullptr);
        std::_Exit(1);
    }
    if (previousMessageHandler != nullptr) {
        previousMessageHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

void makeExecutableFolderCurrent() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        std::filesystem::current_path(executable.parent_path(), error);
    }
}

}  // namespace

void registerCleanUp(void (*routine)()) {
    cleanUpRoutines.push_back(routine);
}

void releaseSharedState() {
    TextList().swap(termCodes);
    releaseProxySettings();
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

int runProgram(int argc, char** argv, const std::function<void()>& bindHandlers) {
    initialiseWebAccess();
    makeExecutableFolderCurrent();
    termCodes.clear();
    registerCleanUp(&releaseSharedState);

    if (!displayNamed()) {
        std::fputs(noDisplayMessage, stderr);
        runCleanUps();
        return 1;
    }
    previousMessageHandler = qInstallMessageHandler(&startUpMessageHandler);
    QApplication application(argc, argv);
    qInstallMessageHandler(previousMessageHandler);
    // The main window's close ends the program; the dialog never does.
    QApplication::setQuitOnLastWindowClosed(false);

    programRunning = true;
    createWindows();
    if (bindHandlers) {
        bindHandlers();
    }
    showMainWindow();
    endProgram(QApplication::exec());
}

}  // namespace tavolin
