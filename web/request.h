#pragma once
// The request object: one synchronous HTTP exchange driven step by step (time-outs, proxy, open,
// options, request headers, send, then the response body and headers), on one libcurl easy handle.
//
// Every step answers whether it worked. A step that fails leaves the object as it was, and a
// failed send leaves an empty response body and empty response headers, so a caller that ignores
// the answers simply gets empty results.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "web/text.h"

namespace tavolin {

class RequestObject {
public:
    // Option index: whether redirects are followed (value 0: not followed).
    static constexpr int enableRedirectsOption = 6;
    // Proxy settings of setProxy: 0 and 1 go direct; 2 goes through the named server.
    static constexpr int proxyDefault = 0;
    static constexpr int proxyDirect = 1;
    static constexpr int proxyNamed = 2;

    // The object's own time-outs, in force until setTimeouts; name resolution counts as part of
    // the connection.
    static constexpr int defaultConnectMilliseconds = 60000;
    static constexpr int defaultSendMilliseconds = 30000;
    static constexpr int defaultReceiveMilliseconds = 30000;

    // Redirects followed in a row before the request fails.
    static constexpr long maximumRedirects = 10;
    // A larger response body fails the request rather than filling memory.
    static constexpr std::size_t maximumBodyBytes = 64u * 1024u * 1024u;
    // The same for all response header lines of one send, redirects included.
    static constexpr std::size_t maximumHeaderBytes = 1024u * 1024u;

    // Null when no easy handle can be had.
    static std::unique_ptr<RequestObject> create();
    ~RequestObject();
    RequestObject(const RequestObject&) = delete;
    RequestObject& operator=(const RequestObject&) = delete;

    // Milliseconds, each at least 1. Resolution and connection are bounded together by the larger
    // of the two; sending and receiving each fail once no byte has moved for their time.
    bool setTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs);
    bool setProxy(int setting, const Text& server);
    bool setProxyCredentials(const Text& user, const Text& password, std::int32_t flags);
    // Only synchronous requests exist: `async` true fails. The method must be an HTTP token and
    // the URL an http or https address without blanks or control characters.
    bool open(const Text& method, const Text& url, bool async);
    bool setOption(int option, int value);
    // Adds a header. The name must be an HTTP token; the value may hold no CR, LF or zero byte.
    // An empty (or all-blank) value is sent as an empty header, not dropped.
    bool setRequestHeader(const Text& name, const Text& value);
    // Performs the request; true when a whole response arrived (whatever its status).
    bool send(const Text& body);
    bool send(const Bytes& body);

    // The final response's body; empty unless the last send worked.
    const Bytes& responseBody() const { return body_; }
    // The final response's header lines (no status line), each followed by CR LF; empty unless
    // the last send worked.
    const Text& allResponseHeaders() const { return responseHeaders_; }

private:
    struct Handle;
    explicit RequestObject(std::unique_ptr<Handle> handle);
    bool perform(const unsigned char* body, std::size_t size);

    std::unique_ptr<Handle> handle_;
    int connectMs_ = defaultConnectMilliseconds;
    int sendMs_ = defaultSendMilliseconds;
    int receiveMs_ = defaultReceiveMilliseconds;
    bool useProxy_ = false;
    Text proxyServer_;
    bool useProxyCredentials_ = false;
    Text proxyUser_;
    Text proxyPassword_;
    bool opened_ = false;
    Text method_;
    Text url_;
    bool followRedirects_ = true;
    std::vector<Text> headerLines_;
    Bytes body_;
    Text responseHeaders_;
};

}  // namespace tavolin
