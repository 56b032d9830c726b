// The header text of a request and of a response on arbitrary bytes: splitHeaderLines and
// readResponseHeaders, and the received cookies folded into an empty cookie text.
//
// Input: the header text itself.

#include <cstddef>
#include <cstdint>

#include "cookie_checks.h"
#include "fuzz_support.h"
#include "web/cookies.h"
#include "web/http_headers.h"
#include "web/text.h"

using namespace tavolin;
using namespace tavolin::fuzz;

namespace {

bool namedAs(const Text& name, std::string_view wanted) {
    return name.size() == wanted.size() && matchesAt(name, 0, wanted, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Text headers(reinterpret_cast<const char*>(data), size);

    const std::vector<HeaderLine> lines = splitHeaderLines(headers);
    FUZZ_CHECK(lines.size() <= splitText(headers, "\r\n").size(), {"headers", headers});
    for (const HeaderLine& line : lines) {
        // Searched by character, as every search of the program's text: a colon or a line break
        // that is the second byte of a two-byte character is no colon or line break there.
        FUZZ_CHECK(findText(line.name, ":") == -1, {"name", line.name}, {"headers", headers});
        FUZZ_CHECK(findText(line.value, "\r\n") == -1, {"value", line.value}, {"headers", headers});
        FUZZ_CHECK(contains(headers, line.name + ":" + line.value), {"name", line.name},
                   {"value", line.value}, {"headers", headers});
    }

    const ResponseHeaderFacts facts = readResponseHeaders(headers);
    const Text& redirect = facts.redirectAddress;
    FUZZ_CHECK(trimText(redirect) == redirect && contains(headers, redirect),
               {"redirect", redirect}, {"headers", headers});
    FUZZ_CHECK(findText(redirect, "\r\n") == -1, {"redirect", redirect}, {"headers", headers});

    // Both readings split the lines alike: the facts follow from the lines.
    Text lastLocation;
    Text cookies;
    for (const HeaderLine& line : lines) {
        if (namedAs(line.name, "location")) {
            lastLocation = trimText(line.value);
        } else if (namedAs(line.name, "set-cookie")) {
            const int semicolon = findText(line.value, ";");
            const Text pair = trimText(
                semicolon > 0 ? line.value.substr(0, static_cast<std::size_t>(semicolon - 1))
                              : line.value);
            if (!pair.empty()) cookies += pair + "; ";
        }
    }
    FUZZ_CHECK(redirect == lastLocation, {"redirect", redirect}, {"headers", headers});
    FUZZ_CHECK(facts.receivedCookies == cookies, {"received", facts.receivedCookies},
               {"headers", headers});

    Text kept;
    Text received = facts.receivedCookies;
    mergeCookies(kept, received);
    checkNormalForm(kept, headers);
    return 0;
}
