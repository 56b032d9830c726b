// Start-up and the shared state.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "shell/shell.h"
#include "shell/shut_down.h"
#include "web/http.h"

namespace tavolin {

TextList termCodes;

namespace {

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

void releaseSharedState() {
    TextList().swap(termCodes);
    releaseProxySettings();
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
    // The save dialog and the message boxes' buttons come from Qt; they speak the user's language
    // as the platform's own dialogs would (Chinese on a Chinese system).
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }

    markProgramRunning();
    createWindows();
    if (bindHandlers) {
        bindHandlers();
    }
    showMainWindow();
    endProgram(QApplication::exec());
}

}  // namespace tavolin
