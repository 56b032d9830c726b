// The program's two windows built by the shell library, shown, and left at the first idle moment.

#include <QApplication>
#include <QTimer>

#include "shell/shell.h"
#ifdef WITH_WEB_ACCESS
#include "web/http.h"
#endif

int main(int argc, char** argv) {
#ifdef WITH_WEB_ACCESS
    tavolin::initialiseWebAccess();
#endif
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    tavolin::createWindows();
    tavolin::showMainWindow();
    // exit(), not quit(): quit() would first close every window, as a user closes them.
    QTimer::singleShot(0, &application, [] { QCoreApplication::exit(0); });
    const int code = QApplication::exec();
    tavolin::destroyWindowsForTest();
    return code;
}
