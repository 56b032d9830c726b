// The text operations on arbitrary bytes: find, split, replace, trim, upper case, left/right/mid
// and textBetween, each checked against what its rule says must hold.
//
// Input: operation byte, flags byte, two signed 16-bit numbers (little-endian), then the texts
// the operation takes, separated by zero bytes. Flags: bit 0 ignore case (find, textBetween: match
// case), bits 2 and 3 move the first and second number to the far ends of the int range.

#include <climits>
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "web/text.h"

using namespace tavolin;
using namespace tavolin::fuzz;

namespace {

int farEnd(int value) {
    return value >= 0 ? INT_MAX - value : INT_MIN - value - 1;
}

Text folded(const Text& text) {
    Text result = text;
    for (char& c : result) c = foldAscii(c);
    return result;
}

void checkFind(const Text& text, const Text& sought, int start, bool ignoreCase) {
    const int found = findText(text, sought, start, ignoreCase);
    const std::size_t base = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    const Text startText = std::to_string(start);

    FUZZ_CHECK(found == -1 || (found >= 1 && static_cast<std::size_t>(found) <= text.size()),
               {"text", text}, {"sought", sought}, {"start", startText});
    if (sought.empty()) {
        FUZZ_CHECK(found == (base < text.size() ? 1 : -1), {"text", text}, {"start", startText});
        return;
    }
    // Characters are counted from the start position: the searched part is a text of its own.
    std::size_t expected = std::string_view::npos;
    if (base < text.size()) {
        const std::string_view searched = std::string_view(text).substr(base);
        const std::size_t inPart = plainFind(searched, sought, 0, ignoreCase);
        if (inPart != std::string_view::npos) expected = base + inPart;
    }
    const int expectedPosition =
        expected == std::string_view::npos ? -1 : static_cast<int>(expected + 1);
    FUZZ_CHECK(found == expectedPosition, {"text", text}, {"sought", sought}, {"start", startText},
               {"found", std::to_string(found)});
    if (found != -1) {
        const auto at = static_cast<std::size_t>(found - 1);
        FUZZ_CHECK(at >= base, {"text", text}, {"sought", sought});
        FUZZ_CHECK(characterStarts(std::string_view(text).substr(base))[at - base], {"text", text},
                   {"sought", sought});
        FUZZ_CHECK(matchesAt(text, at, sought, ignoreCase), {"text", text}, {"sought", sought});
    }
    if (ignoreCase) {
        // Folding only the letters keeps every character boundary.
        FUZZ_CHECK(findText(folded(text), folded(sought), start, false) == found, {"text", text},
                   {"sought", sought});
    }
}

void checkSplit(const Text& text, const Text& separator) {
    const TextList pieces = splitText(text, separator);
    if (text.empty()) {
        FUZZ_CHECK(pieces.empty(), {"separator", separator});
        return;
    }
    if (separator.empty()) {
        FUZZ_CHECK(pieces.size() == 1 && pieces[0] == text, {"text", text});
        return;
    }
    // Re-joined, the pieces give back the text, but for a trailing separator whose empty last
    // piece is not kept.
    const Text joined = joinPieces(pieces, separator);
    FUZZ_CHECK(joined == text || joined + separator == text, {"text", text},
               {"separator", separator}, {"joined", joined});
    FUZZ_CHECK(pieces == plainSplit(text, separator), {"text", text}, {"separator", separator},
               {"joined", joined});
}

void checkReplace(const Text& text, const Text& sought, const Text& replacement, int count,
                  bool matchCase) {
    const Text replaced = replaceText(text, sought, replacement, count, matchCase);
    FUZZ_CHECK(replaced == plainReplace(text, sought, replacement, count, matchCase),
               {"text", text}, {"sought", sought}, {"replacement", replacement},
               {"count", std::to_string(count)}, {"replaced", replaced});
    if (matchCase) {
        FUZZ_CHECK(replaceText(text, sought, sought, count, true) == text, {"text", text},
                   {"sought", sought});
    }
}

void checkTrimAndUpperCase(const Text& text) {
    const Text trimmed = trimText(text);
    const std::size_t at = text.find(trimmed);
    FUZZ_CHECK(at != Text::npos, {"text", text}, {"trimmed", trimmed});
    // Where the trimmed text stands: after the leading blanks, walked by character.
    const std::vector<bool> starts = characterStarts(text);
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t width = characterWidth(text, begin);
        if (!allBlanks(std::string_view(text).substr(begin, width))) break;
        begin += width;
    }
    FUZZ_CHECK(text.compare(begin, trimmed.size(), trimmed) == 0, {"text", text},
               {"trimmed", trimmed});
    FUZZ_CHECK(allBlanks(std::string_view(text).substr(begin + trimmed.size())), {"text", text},
               {"trimmed", trimmed});
    // Its last character is no blank.
    std::size_t last = 0;
    for (std::size_t i = 0; i < trimmed.size(); i += characterWidth(trimmed, i)) last = i;
    FUZZ_CHECK(trimmed.empty() || !allBlanks(std::string_view(trimmed).substr(last)),
               {"text", text}, {"trimmed", trimmed});
    FUZZ_CHECK(trimText(trimmed) == trimmed, {"text", text}, {"trimmed", trimmed});

    const Text upper = upperCaseText(text);
    FUZZ_CHECK(upper.size() == text.size(), {"text", text}, {"upper", upper});
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool raised = starts[i] && c >= 'a' && c <= 'z';
        FUZZ_CHECK(upper[i] == (raised ? static_cast<char>(c - 0x20) : c), {"text", text},
                   {"upper", upper});
    }
}

void checkCuts(const Text& text, int a, int b) {
    const auto size = static_cast<long long>(text.size());
    const Text left = leftText(text, a);
    const Text right = rightText(text, a);
    const Text mid = midText(text, a, b);
    const long long count = a <= 0 ? 0 : (a < size ? a : size);
    FUZZ_CHECK(left == text.substr(0, static_cast<std::size_t>(count)), {"text", text},
               {"left", left});
    FUZZ_CHECK(right == text.substr(static_cast<std::size_t>(size - count)), {"text", text},
               {"right", right});
    if (a < 1 || a > size || b <= 0) {
        FUZZ_CHECK(mid.empty(), {"text", text}, {"mid", mid});
    } else {
        const long long available = size - (a - 1);
        const long long taken = b < available ? b : available;
        FUZZ_CHECK(
            mid == text.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(taken)),
            {"text", text}, {"mid", mid});
    }
}

void checkTextBetween(const Text& text, const Text& leading, const Text& trailing, bool matchCase) {
    const Text between = textBetween(text, leading, trailing, matchCase);
    FUZZ_CHECK(contains(text, between), {"text", text}, {"between", between});

    // "#引号" in a marker stands for a double quote.
    static const Text quoteWord = "#\xD2\xFD\xBA\xC5";
    const Text lead = replaceText(leading, quoteWord, "\"", -1, true);
    const Text trail = replaceText(trailing, quoteWord, "\"", -1, true);
    const int leadAt = findText(text, lead, 1, !matchCase);
    if (leadAt == -1) {
        FUZZ_CHECK(between.empty(), {"text", text}, {"lead", lead}, {"between", between});
        return;
    }
    // The result begins right after the first leading marker and the trailing marker follows it.
    const std::size_t from = static_cast<std::size_t>(leadAt - 1) + lead.size();
    FUZZ_CHECK(text.compare(from, between.size(), between) == 0, {"text", text}, {"lead", lead},
               {"between", between});
    if (!between.empty()) {
        FUZZ_CHECK(matchesAt(text, from + between.size(), trail, !matchCase), {"text", text},
                   {"trail", trail}, {"between", between});
        FUZZ_CHECK(findText(between, trail, 1, !matchCase) == -1, {"text", text}, {"trail", trail},
                   {"between", between});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(data, size);
    const std::uint8_t operation = input.byte();
    const std::uint8_t flags = input.byte();
    int a = input.int16();
    int b = input.int16();
    if (flags & 4) a = farEnd(a);
    if (flags & 8) b = farEnd(b);
    const bool flag = (flags & 1) != 0;

    switch (operation % 6) {
        case 0: {
            const Text text = input.field();
            const Text sought = input.field();
            checkFind(text, sought, a, flag);
            break;
        }
        case 1: {
            const Text text = input.field();
            const Text separator = input.field();
            checkSplit(text, separator);
            break;
        }
        case 2: {
            const Text text = input.field();
            const Text sought = input.field();
            const Text replacement = input.field();
            checkReplace(text, sought, replacement, static_cast<std::int8_t>(a & 0xFF), flag);
            break;
        }
        case 3:
            checkTrimAndUpperCase(input.field());
            break;
        case 4:
            checkCuts(input.field(), a, b);
            break;
        case 5: {
            const Text text = input.field();
            const Text leading = input.field();
            const Text trailing = input.field();
            checkTextBetween(text, leading, trailing, flag);
            break;
        }
    }
    return 0;
}
