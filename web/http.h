#pragma once
// One synchronous HTTP request, the response's headers, cookies and redirect address.

#include <cstdint>

#include "web/text.h"

namespace tavolin {

struct HttpRequestArgs {
    Text url;
    Text method;
    Text bodyText;
    Text cookies;
    Text receivedCookies;
    Text headers;
    Text redirectAddress;
    bool forbidRedirect = false;
    int timeoutSeconds = 0;
    Text responseHeaders;
    Bytes bodyBytes;
};

Bytes httpRequest(HttpRequestArgs& args);
Text httpFetchText(HttpRequestArgs& args);

// Proxy settings: shared state that only httpRequest reads. They start empty (0) and nothing in
// the program assigns them; the shell releases them at exit.
extern Text proxyServer;
extern Text proxyUser;
extern Text proxyPassword;
extern std::int32_t proxyCredentialFlags;
void releaseProxySettings();

// libcurl's process-wide initialisation; once, at start-up, before any request.
void initialiseWebAccess();

// Test route: every request for host:port goes to 127.0.0.1:loopbackPort instead, while the URL,
// Host and Referer stay as they are. Only tests and tavolin-demo set it; nothing a user types
// reaches it. port 80 is the port of an address without one.
void setTestRoute(const Text& host, int port, int loopbackPort);
void clearTestRoute();

}  // namespace tavolin
