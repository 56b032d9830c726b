#pragma once
// Loopback servers started inside a test: a raw-socket one for exact bytes, cpp-httplib for the
// rest, and a port on which nobody listens.

#include <httplib.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tavolin::testing {

// Answers one request per connection, one connection at a time, and keeps the bytes of every
// request exactly as they arrived.
class RawServer {
public:
    // Writes the answer to the socket; the connection is closed when it returns.
    using Handler = std::function<void(RawServer& server, int socket, const std::string& request)>;

    explicit RawServer(Handler handler);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int port() const { return port_; }
    std::vector<std::string> requests() const;

    // For handlers: writes all bytes (false once the peer has gone), and waits until the peer
    // closes or the server stops (at most 8 seconds), answering nothing.
    static bool sendAll(int socket, std::string_view bytes);
    void holdOpen(int socket) const;

    // A handler that answers every request with these bytes.
    static Handler answer(std::string response);

private:
    void run();
    bool readRequest(int socket, std::string& request) const;

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A cpp-httplib server on a free loopback port, listening from construction to destruction.
// Routes are added through `routes` before `start`.
class HttplibServer {
public:
    HttplibServer() = default;
    ~HttplibServer();
    httplib::Server routes;
    void start();
    int port() const { return port_; }

private:
    int port_ = 0;
    std::thread thread_;
};

// A listener whose queue of waiting connections is full: a further connection attempt gets no
// answer at all, as behind a firewall that drops packets.
class FullListener {
public:
    FullListener();
    ~FullListener();
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;
    int port() const { return port_; }

private:
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> waiting_;
};

// A loopback port that was free a moment ago and on which nobody listens.
int closedPort();

// 'HTTP/1.1 <status>' with Content-Length, Connection: close, the extra header lines and the body.
std::string httpResponse(std::string_view status, std::string_view body,
                         std::string_view extraHeaderLines = {});

}  // namespace tavolin::testing
