// mergeCookies and textFromMarker on arbitrary cookie texts.
//
// Input: operation byte (even: mergeCookies, odd: textFromMarker), then the texts separated by
// zero bytes: the kept and the received cookie text, or text, marker and terminator.

#include <cstddef>
#include <cstdint>
#include <map>

#include "cookie_checks.h"
#include "fuzz_support.h"
#include "web/cookies.h"
#include "web/text.h"

using namespace tavolin;
using namespace tavolin::fuzz;

namespace {

// The cookie name of an entry (before its first "=", trimmed, letters folded); false for an
// entry without "=".
bool foldedName(const Text& entry, Text& name) {
    const int equals = findText(entry, "=");
    if (equals < 1) return false;
    name = trimText(leftText(entry, equals - 1));
    for (char& c : name) c = foldAscii(c);
    return true;
}

void checkMerge(const Text& keptBefore, const Text& receivedBefore) {
    Text kept = keptBefore;
    Text received = receivedBefore;
    const Text merged = mergeCookies(kept, received);
    const Text context = keptBefore + '\0' + receivedBefore;

    FUZZ_CHECK(merged == kept, {"merged", merged}, {"kept", kept}, {"input", context});
    Text expectedReceived = trimText(receivedBefore);
    if (!expectedReceived.empty() && expectedReceived.back() != ';') expectedReceived += ';';
    FUZZ_CHECK(received == expectedReceived, {"received", received}, {"input", context});
    checkNormalForm(kept, context);

    // The last pair received for a name is what the kept text holds for it, unless it removes
    // the cookie.
    std::map<Text, Text> lastPair;
    for (const Text& piece : splitText(received, ";")) {
        Text name;
        if (foldedName(piece, name) && !name.empty()) lastPair[name] = trimText(piece);
    }
    TextList entries = splitText(kept, ";");
    for (Text& entry : entries) entry = trimText(entry);
    for (const auto& [name, pair] : lastPair) {
        const bool removal =
            pair.back() == '=' ||
            (pair.size() >= 8 && pair.compare(pair.size() - 8, 8, "=deleted") == 0);
        if (removal) continue;
        bool present = false;
        for (const Text& entry : entries) present = present || entry == pair;
        FUZZ_CHECK(present, {"pair", pair}, {"kept", kept}, {"input", context});
    }
}

void checkTextFromMarker(const Text& text, const Text& marker, const Text& terminator) {
    const Text piece = textFromMarker(text, marker, terminator);
    const int at = findText(text, marker, 1, true);
    if (at < 1) {
        FUZZ_CHECK(piece.empty(), {"text", text}, {"marker", marker}, {"piece", piece});
        return;
    }
    // The piece begins at the first marker, and holds no terminator after the marker's end.
    const auto start = static_cast<std::size_t>(at - 1);
    FUZZ_CHECK(text.compare(start, piece.size(), piece) == 0, {"text", text}, {"marker", marker},
               {"piece", piece});
    FUZZ_CHECK(piece.size() >= marker.size() && matchesAt(piece, 0, marker, true), {"text", text},
               {"marker", marker}, {"piece", piece});
    if (terminator.empty()) {
        FUZZ_CHECK(piece.size() == marker.size(), {"text", text}, {"piece", piece});
        return;
    }
    const std::size_t end = start + piece.size();
    if (end < text.size()) {
        FUZZ_CHECK(matchesAt(text, end, terminator, true), {"text", text},
                   {"terminator", terminator}, {"piece", piece});
    }
    const int markerEnd = at + static_cast<int>(marker.size());
    FUZZ_CHECK(findText(text.substr(0, end), terminator, markerEnd, true) == -1, {"text", text},
               {"terminator", terminator}, {"piece", piece});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(data, size);
    const std::uint8_t operation = input.byte();
    const Text first = input.field();
    const Text second = input.field();
    if (operation % 2 == 0) {
        checkMerge(first, second);
    } else {
        const Text third = input.field();
        checkTextFromMarker(first, second, third);
    }
    return 0;
}
