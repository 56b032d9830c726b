// The program as tavolin runs it, driven from inside by a test hook chosen by argv[1]:
//   close-at-start     closes the main window once the loop runs
//   close-with-dialog  shows the add-member dialog, then closes the main window
//   close-in-pump      closes the main window while a handler is inside percentEncode's pump
//   show-both          shows both windows with a few cells filled and waits (for screenshots)
// A clean-up routine registered after the shell's own reports, once per run, what the shell left:
// the shared state, the clipboard, the current directory and every network attempt of the run.

#include <curl/curl.h>
#include <dlfcn.h>
#include <netdb.h>
#include <sys/socket.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/bind_handlers.h"
#include "shell/shell.h"

namespace {

std::atomic<int> internetSockets{0};
std::atomic<int> nameLookups{0};
std::atomic<int> curlHandles{0};
int clipboardChanges = 0;
std::string mode;

template <typename Function>
Function nextDefinition(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void closeMainWindow() {
    QWindow* window = tavolin::mainWindow().window->windowHandle();
    // The window system's close, as the close box sends it.
    window->close();
}

void reportAtCleanUp() {
    const QString clipboard = QGuiApplication::clipboard()->text();
    std::printf("clean-up termCodes=%zu clipboard-changes=%d clipboard-empty=%d\n",
                tavolin::termCodes.size(), clipboardChanges, clipboard.isEmpty() ? 1 : 0);
    std::printf("network sockets=%d lookups=%d curl-handles=%d\n", internetSockets.load(),
                nameLookups.load(), curlHandles.load());
    std::printf("cwd=%s\n", std::filesystem::current_path().c_str());
}

void bindTestHooks() {
    tavolin::bindHandlers();
    tavolin::registerCleanUp(&reportAtCleanUp);
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                     [] { ++clipboardChanges; });

    if (mode == "close-at-start") {
        QTimer::singleShot(0, &closeMainWindow);
    } else if (mode == "close-with-dialog") {
        QTimer::singleShot(0, [] {
            tavolin::showAddMemberDialog();
            QTimer::singleShot(0, [] {
                std::printf("dialog-visible=%d\n",
                            tavolin::addMemberDialog().dialog->isVisible() ? 1 : 0);
                closeMainWindow();
            });
        });
    } else if (mode == "show-both") {
        // For looking at the windows (screenshots): both shown, a few cells filled, no end.
        QTimer::singleShot(0, [] {
            tavolin::setCellText(1, 1, tavolin::utf8ToText("张三-李四"));
            tavolin::setCellText(2, 3, tavolin::utf8ToText("计算机科学与技术2017级1班-王五"));
            tavolin::addItem(tavolin::mainWindow().termList,
                             tavolin::utf8ToText("2017-2018学年第一学期"));
            tavolin::showAddMemberDialog();
        });
    } else if (mode == "close-in-pump") {
        QTimer::singleShot(0, [] {
            tavolin::termCodes = {"20170A", "20171A"};
            // The close arrives while the handler below is inside the pump.
            QMetaObject::invokeMethod(qApp, &closeMainWindow, Qt::QueuedConnection);
            const tavolin::Text encoded = tavolin::percentEncode(
                tavolin::utf8ToText("计算机科学与技术2017级1班"), false, true);
            // Reached only if the close did not end the program inside the pump.
            std::printf("handler-went-on\n");
            tavolin::setCellText(1, 1, encoded);
            std::fflush(nullptr);
            std::_Exit(4);
        });
    } else {
        std::fprintf(stderr, "shell_child: unknown mode '%s'\n", mode.c_str());
        std::fflush(nullptr);
        std::_Exit(5);
    }
}

}  // namespace

// Every attempt to reach the network passes one of these: an internet socket, a name lookup, a
// libcurl handle.
extern "C" int socket(int domain, int type, int protocol) {
    if (domain == AF_INET || domain == AF_INET6) {
        ++internetSockets;
    }
    static const auto real = nextDefinition<int (*)(int, int, int)>("socket");
    return real(domain, type, protocol);
}

extern "C" int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints,
                           struct addrinfo** result) {
    ++nameLookups;
    static const auto real = nextDefinition<int (*)(
        const char*, const char*, const struct addrinfo*, struct addrinfo**)>("getaddrinfo");
    return real(node, service, hints, result);
}

extern "C" CURL* curl_easy_init() {
    ++curlHandles;
    static const auto real = nextDefinition<CURL* (*)()>("curl_easy_init");
    return real();
}

int main(int argc, char** argv) {
    mode = argc > 1 ? argv[1] : "";
    return tavolin::runProgram(argc, argv, &bindTestHooks);
}
