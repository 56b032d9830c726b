#include "web/request.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string_view>

#include "web/http.h"

namespace tavolin {

namespace {

// --- Process-wide state ------------------------------------------------------------------------

bool libcurlReady = false;

std::mutex routeMutex;
Text routeEntry;  // "host:port:127.0.0.1:loopbackPort", or empty

Text currentRoute() {
    const std::lock_guard lock(routeMutex);
    return routeEntry;
}

// --- Checks on what a caller hands in -----------------------------------------------------------

bool isTokenCharacter(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

bool isToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return isTokenCharacter(static_cast<unsigned char>(c));
    });
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// Anything that would end the header line, or that no server should see inside a value.
bool isSafeHeaderValue(std::string_view value) {
    return std::none_of(value.begin(), value.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return isControl(byte) && byte != '\t';
    });
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
        if (c != prefix[i]) return false;
    }
    return true;
}

bool isAcceptableUrl(const Text& url) {
    if (!startsWithIgnoringCase(url, "http://") && !startsWithIgnoringCase(url, "https://")) {
        return false;
    }
    // Blanks and control characters never reach the request line: the address is sent unchanged,
    // so they would either be refused by the server or split the line.
    if (std::any_of(url.begin(), url.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte == ' ' || isControl(byte);
        })) {
        return false;
    }
    CURLU* parsed = curl_url();
    if (parsed == nullptr) return false;
    const CURLUcode code = curl_url_set(parsed, CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS);
    curl_url_cleanup(parsed);
    return code == CURLUE_OK;
}

bool isBlankOnly(std::string_view value) {
    return value.find_first_not_of(" \t") == std::string_view::npos;
}

// --- One transfer ----------------------------------------------------------------------------

using Clock = std::chrono::steady_clock;

// What the callbacks of one perform share.
//
// The send and receive time-outs bound how long the transfer may go without a byte moving, not
// how long it may take: a slow network that keeps delivering must not have a large page cut off,
// while a server that stops answering must not hold the window for ever. libcurl offers only a
// total limit (which would do the former) or a low-speed limit in whole seconds, so the progress
// callback measures the silence itself. Until a connection is ready the phase is bounded by
// libcurl's connect time-out instead; every new connection (a redirect to another host) goes
// back to that phase.
struct Transfer {
    std::chrono::milliseconds sendLimit{0};
    std::chrono::milliseconds receiveLimit{0};
    bool connected = false;
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastUploaded = -1;

    Bytes body;
    Text headers;
    std::size_t headerBytes = 0;

    void touch() { lastActivity = Clock::now(); }
};

std::size_t receiveBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    transfer.touch();
    // Returning less than was offered fails the transfer.
    if (length > RequestObject::maximumBodyBytes - transfer.body.size()) return 0;
    const std::size_t held = transfer.body.size();
    transfer.body.resize(held + length);
    std::memcpy(transfer.body.data() + held, data, length);
    return length;
}

std::size_t receiveHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    transfer.touch();
    transfer.headerBytes += length;
    if (transfer.headerBytes > RequestObject::maximumHeaderBytes) return 0;

    std::string_view line(data, length);
    if (line.ends_with("\r\n")) {
        line.remove_suffix(2);
    } else if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    // A status line begins a new response (after a redirect or an interim 100 Continue): only
    // the final response's headers and body are the caller's.
    if (line.starts_with("HTTP/")) {
        transfer.headers.clear();
        transfer.body.clear();
        return length;
    }
    if (line.empty()) return length;
    transfer.headers.append(line);
    transfer.headers += "\r\n";
    return length;
}

int watchProgress(void* user, curl_off_t, curl_off_t, curl_off_t uploadTotal, curl_off_t uploaded) {
    auto& transfer = *static_cast<Transfer*>(user);
    if (!transfer.connected) return 0;
    if (uploaded != transfer.lastUploaded) {
        transfer.lastUploaded = uploaded;
        transfer.touch();
        return 0;
    }
    const bool sending = uploadTotal > 0 && uploaded < uploadTotal;
    const auto silence = Clock::now() - transfer.lastActivity;
    // Non-zero aborts the transfer.
    return silence > (sending ? transfer.sendLimit : transfer.receiveLimit) ? 1 : 0;
}

int connectionReady(void* user, char*, char*, int, int) {
    auto& transfer = *static_cast<Transfer*>(user);
    transfer.connected = true;
    transfer.touch();
    return CURL_PREREQFUNC_OK;
}

int resolveStarts(void*, void*, void* user) {
    static_cast<Transfer*>(user)->connected = false;
    return 0;
}

int socketOpened(void* user, curl_socket_t, curlsocktype) {
    static_cast<Transfer*>(user)->connected = false;
    return CURL_SOCKOPT_OK;
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

// False when the list could not grow; the list stays whole either way.
bool append(Slist& list, const Text& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) return false;
    list.release();
    list.reset(grown);
    return true;
}

// Stops at the first option libcurl refuses; `code` then tells which went wrong.
class Options {
public:
    explicit Options(CURL* easy) : easy_(easy) {}
    template <typename T>
    void set(CURLoption option, T value) {
        if (code_ == CURLE_OK) code_ = curl_easy_setopt(easy_, option, value);
    }
    bool ok() const { return code_ == CURLE_OK; }

private:
    CURL* easy_;
    CURLcode code_ = CURLE_OK;
};

}  // namespace

// --- The object ------------------------------------------------------------------------------

struct RequestObject::Handle {
    struct Cleanup {
        void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
    };
    std::unique_ptr<CURL, Cleanup> easy;
};

std::unique_ptr<RequestObject> RequestObject::create() {
    initialiseWebAccess();
    if (!libcurlReady) return nullptr;
    auto handle = std::make_unique<Handle>();
    handle->easy.reset(curl_easy_init());
    if (!handle->easy) return nullptr;
    return std::unique_ptr<RequestObject>(new RequestObject(std::move(handle)));
}

RequestObject::RequestObject(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
RequestObject::~RequestObject() = default;

bool RequestObject::setTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) {
    if (resolveMs < 1 || connectMs < 1 || sendMs < 1 || receiveMs < 1) return false;
    // libcurl bounds name resolution and connection as one step; the larger limit keeps each of
    // them within its own.
    connectMs_ = std::max(resolveMs, connectMs);
    sendMs_ = sendMs;
    receiveMs_ = receiveMs;
    return true;
}

bool RequestObject::setProxy(int setting, const Text& server) {
    if (setting == proxyDefault || setting == proxyDirect) {
        useProxy_ = false;
        proxyServer_.clear();
        return true;
    }
    if (setting != proxyNamed || server.empty() || !isSafeHeaderValue(server)) return false;
    useProxy_ = true;
    proxyServer_ = server;
    return true;
}

bool RequestObject::setProxyCredentials(const Text& user, const Text& password, std::int32_t) {
    // The flags tell a server's credentials from a proxy's; this object only ever has a proxy's.
    if (user.find('\0') != Text::npos || password.find('\0') != Text::npos) return false;
    useProxyCredentials_ = true;
    proxyUser_ = user;
    proxyPassword_ = password;
    return true;
}

bool RequestObject::open(const Text& method, const Text& url, bool async) {
    if (async || !isToken(method) || !isAcceptableUrl(url)) return false;
    method_ = method;
    url_ = url;
    headerLines_.clear();
    body_.clear();
    responseHeaders_.clear();
    opened_ = true;
    return true;
}

bool RequestObject::setOption(int option, int value) {
    if (option != enableRedirectsOption) return false;
    followRedirects_ = value != 0;
    return true;
}

bool RequestObject::setRequestHeader(const Text& name, const Text& value) {
    if (!opened_ || !isToken(name) || !isSafeHeaderValue(value)) return false;
    if (isBlankOnly(value)) {
        // libcurl takes 'Name:' as "do not send Name"; 'Name;' is its way to send it empty.
        headerLines_.push_back(name + ";");
    } else if (value.front() == ' ' || value.front() == '\t') {
        headerLines_.push_back(name + ":" + value);
    } else {
        headerLines_.push_back(name + ": " + value);
    }
    return true;
}

bool RequestObject::send(const Text& body) {
    return perform(reinterpret_cast<const unsigned char*>(body.data()), body.size());
}

bool RequestObject::send(const Bytes& body) {
    return perform(body.data(), body.size());
}

bool RequestObject::perform(const unsigned char* body, std::size_t size) {
    body_.clear();
    responseHeaders_.clear();
    if (!opened_) return false;

    Slist headers;
    bool expectGiven = false;
    for (const Text& line : headerLines_) {
        if (!append(headers, line)) return false;
        expectGiven = expectGiven || startsWithIgnoringCase(line, "expect:") ||
                      startsWithIgnoringCase(line, "expect;");
    }
    // libcurl would otherwise hold back a larger body for a "100 Continue" that many servers
    // never send.
    if (!expectGiven && !append(headers, "Expect:")) return false;

    Slist route;
    const Text routeLine = currentRoute();
    if (!routeLine.empty() && !append(route, routeLine)) return false;

    CURL* easy = handle_->easy.get();
    curl_easy_reset(easy);
    Transfer transfer;
    transfer.sendLimit = std::chrono::milliseconds(sendMs_);
    transfer.receiveLimit = std::chrono::milliseconds(receiveMs_);

    Options options(easy);
    options.set(CURLOPT_URL, url_.c_str());
    options.set(CURLOPT_PATH_AS_IS, 1L);
    options.set(CURLOPT_PROTOCOLS_STR, "http,https");
    options.set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    options.set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    options.set(CURLOPT_NOSIGNAL, 1L);
    options.set(CURLOPT_FOLLOWLOCATION, followRedirects_ ? 1L : 0L);
    options.set(CURLOPT_MAXREDIRS, maximumRedirects);

    options.set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectMs_));
    options.set(CURLOPT_NOPROGRESS, 0L);
    options.set(CURLOPT_XFERINFOFUNCTION, &watchProgress);
    options.set(CURLOPT_XFERINFODATA, &transfer);
    options.set(CURLOPT_PREREQFUNCTION, &connectionReady);
    options.set(CURLOPT_PREREQDATA, &transfer);
    options.set(CURLOPT_RESOLVER_START_FUNCTION, &resolveStarts);
    options.set(CURLOPT_RESOLVER_START_DATA, &transfer);
    options.set(CURLOPT_SOCKOPTFUNCTION, &socketOpened);
    options.set(CURLOPT_SOCKOPTDATA, &transfer);

    options.set(CURLOPT_WRITEFUNCTION, &receiveBody);
    options.set(CURLOPT_WRITEDATA, &transfer);
    options.set(CURLOPT_HEADERFUNCTION, &receiveHeader);
    options.set(CURLOPT_HEADERDATA, &transfer);
    options.set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maximumBodyBytes));

    // The environment's proxy variables are never used: an empty proxy and a no-proxy list of
    // "*" override them, and a named proxy takes no exceptions from the environment either.
    options.set(CURLOPT_PROXY, useProxy_ ? proxyServer_.c_str() : "");
    options.set(CURLOPT_NOPROXY, useProxy_ ? "" : "*");
    if (useProxy_ && useProxyCredentials_) {
        options.set(CURLOPT_PROXYUSERNAME, proxyUser_.c_str());
        options.set(CURLOPT_PROXYPASSWORD, proxyPassword_.c_str());
        options.set(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
    }
    options.set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

    options.set(CURLOPT_HTTPHEADER, headers.get());
    if (route) options.set(CURLOPT_CONNECT_TO, route.get());

    if (method_ == "HEAD") {
        options.set(CURLOPT_NOBODY, 1L);
    } else if (method_ == "GET" && size == 0) {
        options.set(CURLOPT_HTTPGET, 1L);
    } else {
        static const char noBody[] = "";
        options.set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(size));
        options.set(CURLOPT_POSTFIELDS, size == 0 ? noBody : reinterpret_cast<const char*>(body));
        if (method_ != "POST") options.set(CURLOPT_CUSTOMREQUEST, method_.c_str());
    }
    if (!options.ok()) return false;

    const CURLcode result = curl_easy_perform(easy);
    // The handle points at this call's header lists, route and transfer; none may outlive it.
    curl_easy_reset(easy);
    if (result != CURLE_OK) return false;
    body_ = std::move(transfer.body);
    responseHeaders_ = std::move(transfer.headers);
    return true;
}

// --- Declared with the request operations ------------------------------------------------------

void initialiseWebAccess() {
    static std::once_flag once;
    std::call_once(once, [] { libcurlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
}

void setTestRoute(const Text& host, int port, int loopbackPort) {
    if (!isToken(host) || port < 1 || port > 65535 || loopbackPort < 1 || loopbackPort > 65535) {
        return;
    }
    const std::lock_guard lock(routeMutex);
    routeEntry = host + ":" + std::to_string(port) + ":127.0.0.1:" + std::to_string(loopbackPort);
}

void clearTestRoute() {
    const std::lock_guard lock(routeMutex);
    routeEntry.clear();
}

}  // namespace tavolin
