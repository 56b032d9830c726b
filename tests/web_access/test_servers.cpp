#include "test_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace tavolin::testing {

namespace {

constexpr int pollSliceMs = 20;

int listenOnLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("bind/listen");
    }
    port = ntohs(address.sin_port);
    return fd;
}

std::size_t contentLength(const std::string& head) {
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        constexpr std::string_view name = "content-length:";
        if (head.size() - at < name.size()) break;
        bool matches = true;
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(head[at + i])) != name[i]) matches = false;
        }
        if (matches) return std::stoul(head.substr(at + name.size()));
    }
    return 0;
}

}  // namespace

RawServer::RawServer(Handler handler) : handler_(std::move(handler)) {
    listener_ = listenOnLoopback(port_);
    thread_ = std::thread([this] { run(); });
}

RawServer::~RawServer() {
    stopping_ = true;
    thread_.join();
    close(listener_);
}

std::vector<std::string> RawServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

bool RawServer::sendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void RawServer::holdOpen(int socket) const {
    // Long past any time-out of the tests, so that a client that never gives up fails its hang
    // check instead of hanging the test.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    char buffer[512];
    while (!stopping_ && std::chrono::steady_clock::now() < giveUp) {
        pollfd waiting{socket, POLLIN, 0};
        if (poll(&waiting, 1, pollSliceMs) > 0) {
            if (recv(socket, buffer, sizeof buffer, 0) <= 0) return;
        }
    }
}

RawServer::Handler RawServer::answer(std::string response) {
    return [response](RawServer&, int socket, const std::string&) { sendAll(socket, response); };
}

bool RawServer::readRequest(int socket, std::string& request) const {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::size_t headEnd = std::string::npos;
    std::size_t wanted = 0;
    char buffer[4096];
    while (!stopping_ && std::chrono::steady_clock::now() < giveUp) {
        if (headEnd != std::string::npos && request.size() >= wanted) return true;
        pollfd waiting{socket, POLLIN, 0};
        if (poll(&waiting, 1, pollSliceMs) <= 0) continue;
        const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) return false;
        request.append(buffer, static_cast<std::size_t>(got));
        if (headEnd == std::string::npos) {
            headEnd = request.find("\r\n\r\n");
            if (headEnd != std::string::npos)
                wanted = headEnd + 4 + contentLength(request.substr(0, headEnd + 2));
        }
    }
    return false;
}

void RawServer::run() {
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, pollSliceMs) <= 0) continue;
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) continue;
        std::string request;
        if (readRequest(socket, request)) {
            {
                const std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            handler_(*this, socket, request);
        }
        shutdown(socket, SHUT_RDWR);
        close(socket);
    }
}

HttplibServer::~HttplibServer() {
    routes.stop();
    if (thread_.joinable()) thread_.join();
}

void HttplibServer::start() {
    port_ = routes.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("httplib bind");
    thread_ = std::thread([this] { routes.listen_after_bind(); });
    while (!routes.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FullListener::FullListener() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 0) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("full listener");
    }
    port_ = ntohs(address.sin_port);
    // Connect until an attempt hangs: from then on the queue drops every new one.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int client = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        waiting_.push_back(client);
        connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
        pollfd connecting{client, POLLOUT, 0};
        if (poll(&connecting, 1, 100) == 0) return;
    }
    throw std::runtime_error("listener queue never filled");
}

FullListener::~FullListener() {
    for (const int client : waiting_) close(client);
    close(listener_);
}

int closedPort() {
    int port = 0;
    close(listenOnLoopback(port));
    return port;
}

std::string httpResponse(std::string_view status, std::string_view body,
                         std::string_view extraHeaderLines) {
    std::string response = "HTTP/1.1 " + std::string(status) + "\r\n";
    response += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    response += "Connection: close\r\n";
    response += extraHeaderLines;
    response += "\r\n";
    response += body;
    return response;
}

}  // namespace tavolin::testing
