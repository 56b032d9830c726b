#include "web/http_headers.h"

#include <cstdint>
#include <limits>
#include <string_view>

namespace tavolin {

namespace {

bool isHeaderNamed(const Text& name, std::string_view wanted) {
    if (name.size() != wanted.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; };
        if (fold(name[i]) != fold(wanted[i])) return false;
    }
    return true;
}

// Name and value of a line split at its first colon; false for a line without one.
bool splitAtColon(const Text& line, HeaderLine& header) {
    const int colon = findText(line, ":");
    if (colon < 1) return false;
    header.name = leftText(line, colon - 1);
    header.value = line.substr(static_cast<std::size_t>(colon));
    return true;
}

}  // namespace

Text defaultHeaderBlock(const Text& url) {
    return "Referer: " + url +
           "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
           "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)\r\n"
           "Content-Type: application/x-www-form-urlencoded";
}

std::vector<HeaderLine> splitHeaderLines(const Text& headers) {
    std::vector<HeaderLine> lines;
    for (const Text& piece : splitText(headers, "\r\n")) {
        HeaderLine header;
        if (splitAtColon(piece, header)) lines.push_back(std::move(header));
    }
    return lines;
}

ResponseHeaderFacts readResponseHeaders(const Text& responseHeaders) {
    ResponseHeaderFacts facts;
    for (const Text& piece : splitText(responseHeaders, "\r\n")) {
        HeaderLine header;
        if (!splitAtColon(piece, header)) continue;
        if (isHeaderNamed(header.name, "Location")) {
            facts.redirectAddress = trimText(header.value);
        } else if (isHeaderNamed(header.name, "Set-Cookie")) {
            // The attributes after the first ";" (path, expiry, flags) are not the cookie's.
            const int semicolon = findText(header.value, ";");
            const Text pair =
                trimText(semicolon > 0 ? leftText(header.value, semicolon - 1) : header.value);
            if (!pair.empty()) facts.receivedCookies += pair + "; ";
        }
    }
    return facts;
}

std::optional<int> requestTimeoutMilliseconds(int timeoutSeconds) {
    if (timeoutSeconds == -1) return std::nullopt;
    if (timeoutSeconds < 1) return 15000;
    constexpr int largest = std::numeric_limits<std::int32_t>::max();
    if (timeoutSeconds > largest / 1000) return largest;
    return timeoutSeconds * 1000;
}

}  // namespace tavolin
