#pragma once
// A loopback server that misbehaves on purpose: every connection gets the reply set last, which
// may be to say nothing at all, to hang up, to answer bytes that are not HTTP, to redirect to
// itself or to send a page bigger than the client takes. Connections are served side by side, so
// a stalled one holds up nothing but its own client.

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tavolin::testing {

struct FaultReply {
    enum class Kind {
        // Reads the request and answers nothing until the client hangs up or the server stops.
        Stall,
        // Closes the connection as soon as it is accepted, before reading anything.
        CloseAtOnce,
        // Reads the request, writes `bytes` and then `fillerBytes` spaces, and closes.
        Send,
        // Reads the request and redirects it to its own target, for ever.
        RedirectToSelf,
    };
    Kind kind = Kind::Send;
    std::string bytes;
    std::size_t fillerBytes = 0;
};

class FaultServer {
public:
    FaultServer();
    ~FaultServer();
    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    // 0 when no port could be bound.
    int port() const { return port_; }

    void setReply(FaultReply reply);
    // The request targets read so far, oldest first, and the connections accepted.
    std::vector<std::string> receivedTargets() const;
    int connections() const { return connections_; }
    void clearCounts();

private:
    void acceptLoop();
    void serve(int socket);
    bool readRequest(int socket, std::string& target);
    // Waits until the peer hangs up or the server stops.
    void holdOpen(int socket) const;

    int listener_ = -1;
    int port_ = 0;
    int wakePipe_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    FaultReply reply_;
    std::vector<std::string> targets_;
    std::vector<std::thread> workers_;
    std::thread acceptThread_;
};

// 'HTTP/1.1 <status>', the extra header lines (each ending in CR LF), Connection: close, and the
// body; with Content-Length declaring `declaredLength`, or none at all when it is `noLength`
// (the body then ends where the connection does).
constexpr std::size_t noLength = static_cast<std::size_t>(-1);
std::string httpResponse(std::string_view status, std::string_view body, std::size_t declaredLength,
                         std::string_view extraHeaderLines = {});
// The same with the body's own length declared.
std::string httpResponse(std::string_view status, std::string_view body);

}  // namespace tavolin::testing
