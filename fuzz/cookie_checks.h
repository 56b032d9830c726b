#pragma once
// The cookie text's normal form, checked by the cookie and the response-header targets.

#include "fuzz_support.h"
#include "web/cookies.h"
#include "web/text.h"

namespace tavolin::fuzz {

// The empty text, or trimmed entries joined by "; " with a ";" after the last: no entry empty,
// none with a blank at either end, none ending in "=" or "=deleted" (those are removals).
inline void checkNormalForm(const Text& kept, const Text& context) {
    if (kept.empty()) return;
    FUZZ_CHECK(kept.back() == ';', {"kept", kept}, {"input", context});
    FUZZ_CHECK(trimText(kept) == kept, {"kept", kept}, {"input", context});
    const TextList pieces = splitText(kept, ";");
    FUZZ_CHECK(joinPieces(pieces, ";") + ";" == kept, {"kept", kept}, {"input", context});
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Text entry = pieces[i];
        if (i > 0) {
            FUZZ_CHECK(!entry.empty() && entry[0] == ' ', {"kept", kept}, {"input", context});
            entry.erase(0, 1);
        }
        const bool removal =
            entry.size() >= 8 && entry.compare(entry.size() - 8, 8, "=deleted") == 0;
        FUZZ_CHECK(!entry.empty() && trimText(entry) == entry && entry.back() != '=' && !removal,
                   {"entry", entry}, {"kept", kept}, {"input", context});
    }
    // A text in normal form stays as it is when nothing is received.
    Text again = kept;
    Text nothing;
    mergeCookies(again, nothing);
    FUZZ_CHECK(again == kept, {"kept", kept}, {"merged again", again}, {"input", context});
}

}  // namespace tavolin::fuzz
