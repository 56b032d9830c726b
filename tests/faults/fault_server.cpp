#include "fault_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace tavolin::testing {

namespace {

bool sendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

}  // namespace

FaultServer::FaultServer() {
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0) return;
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

FaultServer::~FaultServer() {
    stopping_ = true;
    // The byte is never read, so the pipe stays readable for every thread that waits on it.
    if (wakePipe_[1] >= 0) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakePipe_[1], &wake, 1);
    }
    if (acceptThread_.joinable()) acceptThread_.join();
    for (std::thread& worker : workers_) worker.join();
    for (int fd : {listener_, wakePipe_[0], wakePipe_[1]})
        if (fd >= 0) ::close(fd);
}

void FaultServer::setReply(FaultReply reply) {
    const std::lock_guard lock(mutex_);
    reply_ = std::move(reply);
}

std::vector<std::string> FaultServer::receivedTargets() const {
    const std::lock_guard lock(mutex_);
    return targets_;
}

void FaultServer::clearCounts() {
    const std::lock_guard lock(mutex_);
    targets_.clear();
    connections_ = 0;
}

void FaultServer::acceptLoop() {
    for (;;) {
        pollfd waits[2] = {{listener_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (stopping_ || waits[1].revents != 0) return;
        const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) continue;
        ++connections_;
        // Only this thread adds workers, and the destructor joins them after this thread ends.
        workers_.emplace_back([this, socket] {
            serve(socket);
            ::close(socket);
        });
    }
}

void FaultServer::serve(int socket) {
    FaultReply reply;
    {
        const std::lock_guard lock(mutex_);
        reply = reply_;
    }
    if (reply.kind == FaultReply::Kind::CloseAtOnce) return;

    // A client that stops reading must not hold this thread for ever.
    const timeval sendLimit{10, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);

    std::string target;
    if (!readRequest(socket, target)) return;
    {
        const std::lock_guard lock(mutex_);
        targets_.push_back(target);
    }

    switch (reply.kind) {
        case FaultReply::Kind::Stall:
            holdOpen(socket);
            return;
        case FaultReply::Kind::RedirectToSelf:
            sendAll(socket, httpResponse("302 Found", "", 0, "Location: " + target + "\r\n"));
            break;
        case FaultReply::Kind::Send: {
            if (!sendAll(socket, reply.bytes)) return;
            const std::string filler(64 * 1024, ' ');
            for (std::size_t left = reply.fillerBytes; left > 0 && !stopping_;) {
                const std::size_t block = std::min(left, filler.size());
                if (!sendAll(socket, std::string_view(filler).substr(0, block))) return;
                left -= block;
            }
            break;
        }
        case FaultReply::Kind::CloseAtOnce:
            break;
    }
    // The reply ends where the connection does: say so, then let the client read it all.
    ::shutdown(socket, SHUT_WR);
    holdOpen(socket);
}

bool FaultServer::readRequest(int socket, std::string& target) {
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (request.find("\r\n\r\n") == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || stopping_) return false;
        pollfd waits[2] = {{socket, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(waits, 2, static_cast<int>(left.count())) <= 0 || waits[1].revents != 0) {
            return false;
        }
        char block[4096];
        const ssize_t got = ::recv(socket, block, sizeof block, 0);
        if (got <= 0) return false;
        request.append(block, static_cast<std::size_t>(got));
    }
    // "GET <target> HTTP/1.1"
    const auto start = request.find(' ');
    const auto end = request.find(' ', start + 1);
    if (start == std::string::npos || end == std::string::npos) return false;
    target = request.substr(start + 1, end - start - 1);
    return true;
}

void FaultServer::holdOpen(int socket) const {
    for (;;) {
        pollfd waits[2] = {{socket, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (waits[1].revents != 0) return;
        char block[4096];
        // Whatever the client still sends is dropped; nothing (0) or an error means it hung up.
        if (::recv(socket, block, sizeof block, 0) <= 0) return;
    }
}

std::string httpResponse(std::string_view status, std::string_view body, std::size_t declaredLength,
                         std::string_view extraHeaderLines) {
    std::string response = "HTTP/1.1 " + std::string(status) + "\r\n";
    response += extraHeaderLines;
    if (declaredLength != noLength) {
        response += "Content-Length: " + std::to_string(declaredLength) + "\r\n";
    }
    response += "Connection: close\r\n\r\n";
    response += body;
    return response;
}

std::string httpResponse(std::string_view status, std::string_view body) {
    return httpResponse(status, body, body.size());
}

}  // namespace tavolin::testing
