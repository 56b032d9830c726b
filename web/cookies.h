#pragma once
// The cookie text that a caller keeps between requests, and how one response's cookies fold into
// it.
//
// A cookie text is entries separated by ";", normally name=value pairs. Its normal form is the
// trimmed entries joined by "; " with a ";" after the last one ('A=1; B=2;'), or the empty text.

#include "web/text.h"

namespace tavolin {

// Folds `received` (the pairs of one response, 'A=1; B=2; ') into `kept` and leaves `kept` in
// normal form. A received pair replaces the kept entry of the same name (whole name, trimmed,
// ASCII case ignored) in its place, or is appended; a pair with an empty value or a value of
// "deleted" removes the cookie; entries without "=" survive; empty entries are dropped.
// `received` is left trimmed, ending in ";" when not empty. Returns a copy of the merged text.
Text mergeCookies(Text& kept, Text& received);

// The piece of `text` from the first occurrence of `marker` up to, not including, the first
// `terminator` at or after the marker's end (to the end of the text when none follows); empty when
// the marker does not occur. Both searches ignore ASCII case and step by GBK character.
Text textFromMarker(const Text& text, const Text& marker, const Text& terminator);

}  // namespace tavolin
