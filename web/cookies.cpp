#include "web/cookies.h"

#include <cstddef>
#include <string_view>

namespace tavolin {

namespace {

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// The cookie name of an entry, or nothing for an entry that is not a pair.
bool entryName(const Text& entry, Text& name) {
    const int equals = findText(entry, "=");
    if (equals < 1) return false;
    name = trimText(leftText(entry, equals - 1));
    return true;
}

bool endsWith(const Text& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void endWithSemicolon(Text& text) {
    if (!text.empty() && text.back() != ';') text += ';';
}

}  // namespace

Text mergeCookies(Text& kept, Text& received) {
    kept = trimText(kept);
    received = trimText(received);
    endWithSemicolon(kept);
    endWithSemicolon(received);

    // Cookies are told apart by their whole name: a search for the name as text would take 'A'
    // to be the cookie 'BA', or a value that happens to spell the name, and replace that instead.
    TextList entries = splitText(kept, ";");
    for (const Text& piece : splitText(received, ";")) {
        Text name;
        if (!entryName(piece, name) || name.empty()) continue;
        bool replaced = false;
        for (Text& entry : entries) {
            Text keptName;
            if (entryName(entry, keptName) && equalIgnoringAsciiCase(keptName, name)) {
                entry = piece;
                replaced = true;
                break;
            }
        }
        if (!replaced) entries.push_back(piece);
    }

    kept.clear();
    for (const Text& entry : entries) {
        const Text trimmed = trimText(entry);
        if (trimmed.empty() || trimmed.back() == '=' || endsWith(trimmed, "=deleted")) continue;
        kept += trimmed;
        kept += "; ";
    }
    kept = trimText(kept);
    return kept;
}

Text textFromMarker(const Text& text, const Text& marker, const Text& terminator) {
    const int start = findText(text, marker, 1, true);
    if (start < 1) return {};
    const int markerEnd = start + static_cast<int>(marker.size());
    // An empty terminator stands right at the marker's end.
    const int end = terminator.empty() ? markerEnd : findText(text, terminator, markerEnd, true);
    if (end < 1) return text.substr(static_cast<std::size_t>(start - 1));
    return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start));
}

}  // namespace tavolin
