// The yardstick: one window with one Chinese label (so the CJK font is loaded as well), shown and
// left at the first idle moment, exactly as the windows program leaves.

#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("学期列表"));
    label.show();
    // exit(), not quit(): quit() would first close every window, as a user closes them.
    QTimer::singleShot(0, &application, [] { QCoreApplication::exit(0); });
    return QApplication::exec();
}
