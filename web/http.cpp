#include "web/http.h"

#include <algorithm>
#include <memory>

#include "web/cookies.h"
#include "web/http_headers.h"
#include "web/request.h"

namespace tavolin {

Text proxyServer;
Text proxyUser;
Text proxyPassword;
std::int32_t proxyCredentialFlags = 0;

void releaseProxySettings() {
    Text().swap(proxyServer);
    Text().swap(proxyUser);
    Text().swap(proxyPassword);
    proxyCredentialFlags = 0;
}

Bytes httpRequest(HttpRequestArgs& args) {
    const std::unique_ptr<RequestObject> request = RequestObject::create();
    if (!request) return {};

    // Every failed step below is absorbed: its result is empty and the request goes on, so a
    // request that cannot be made ends as an empty body and empty response fields.
    args.method = upperCaseText(args.method);
    if (args.method.empty()) args.method = "GET";

    if (const auto milliseconds = requestTimeoutMilliseconds(args.timeoutSeconds)) {
        request->setTimeouts(*milliseconds, *milliseconds, *milliseconds, *milliseconds);
    }

    if (!proxyServer.empty()) {
        request->setProxy(RequestObject::proxyNamed, proxyServer);
        if (!proxyUser.empty()) {
            request->setProxyCredentials(proxyUser, proxyPassword, proxyCredentialFlags);
        }
    }

    request->open(args.method, args.url, false);
    if (args.forbidRedirect) request->setOption(RequestObject::enableRedirectsOption, 0);

    if (args.headers.empty()) args.headers = defaultHeaderBlock(args.url);
    // The cookie goes out before the caller's header lines.
    if (!args.cookies.empty()) request->setRequestHeader("Cookie", args.cookies);
    for (const HeaderLine& header : splitHeaderLines(args.headers)) {
        request->setRequestHeader(header.name, header.value);
    }

    if (!args.bodyBytes.empty()) {
        request->send(args.bodyBytes);
    } else {
        request->send(args.bodyText);
    }

    Bytes body = request->responseBody();
    args.responseHeaders = request->allResponseHeaders();

    ResponseHeaderFacts facts = readResponseHeaders(args.responseHeaders);
    args.redirectAddress = std::move(facts.redirectAddress);
    args.receivedCookies = std::move(facts.receivedCookies);
    mergeCookies(args.cookies, args.receivedCookies);
    return body;
}

Text httpFetchText(HttpRequestArgs& args) {
    const Bytes body = httpRequest(args);
    // The program's text holds no zero byte: a body is taken up to its first one.
    const auto end = std::find(body.begin(), body.end(), static_cast<unsigned char>(0));
    return Text(body.begin(), end);
}

}  // namespace tavolin
