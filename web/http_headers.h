#pragma once
// The plain text steps of an HTTP request: the request's header lines, the default header block,
// the time-out rule, and what the response's header text tells (redirect address, cookies).

#include <optional>
#include <vector>

#include "web/text.h"

namespace tavolin {

// The header block sent when the caller gives none: five headers, Referer being the request's
// own URL. No line break at its end.
Text defaultHeaderBlock(const Text& url);

struct HeaderLine {
    Text name;
    Text value;
};

// Splits request-header lines at CR LF. A piece with a colon gives the text before its first colon
// as the name and everything after it, unchanged, as the value; pieces without a colon (empty
// pieces among them) are skipped. A bare LF separates nothing.
std::vector<HeaderLine> splitHeaderLines(const Text& headers);

// What a response's header text tells the caller.
struct ResponseHeaderFacts {
    // The trimmed value of the last Location header; empty when there is none.
    Text redirectAddress;
    // The name=value pair of each Set-Cookie header, in order, each followed by "; ".
    Text receivedCookies;
};

// Reads the response headers (lines separated by CR LF). A line counts by its header name, the
// text before its first colon, compared ignoring ASCII case: 'Content-Location' is no Location.
// A Set-Cookie pair runs from the colon to the first ";", or to the end of the line without one;
// a line with an empty pair adds nothing.
ResponseHeaderFacts readResponseHeaders(const Text& responseHeaders);

// Milliseconds for all four phases of a request given `timeoutSeconds`: nothing for -1 (the
// request object's own defaults stay), that many seconds for 1 and above (clamped to the largest
// count a signed 32-bit integer holds), else 15000.
std::optional<int> requestTimeoutMilliseconds(int timeoutSeconds);

}  // namespace tavolin
