#include "web/text.h"

#include <iconv.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace tavolin {

namespace {

bool isLeadByte(unsigned char byte) {
    return byte >= 0x80;
}

char foldCase(char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + 0x20) : byte;
}

// Folding only moves bytes within 0x41..0x7A, so a folded copy keeps every character boundary of
// the original and positions found in it hold for the original too.
std::string foldedCopy(std::string_view text) {
    std::string folded(text);
    for (char& byte : folded) byte = foldCase(byte);
    return folded;
}

// Finds the bytes of a sought text in a text, many times over the same text.
//
// Pages are split at markers that recur every hundred bytes or so, so the search is called very
// often: it keeps no set-up per call (memmem builds a shift table every time). Sixteen places are
// tried at once on the sought text's first and last byte, and only those that pass are compared in
// full. Should a text make that comparing costly (many places passing the filter and failing
// later), the rest of the work goes to memmem, whose cost stays linear.
class ByteSearch {
public:
    explicit ByteSearch(std::string_view sought) : sought_(sought) {}

    // Offset of the first occurrence that begins at or after `from`, or npos.
    std::size_t find(std::string_view text, std::size_t from) {
        const std::size_t size = sought_.size();
        if (size == 0 || from > text.size() || text.size() - from < size) {
            return std::string_view::npos;
        }
        const char* data = text.data();
        if (size == 1) {
            const void* hit = std::memchr(data + from, sought_[0], text.size() - from);
            return hit == nullptr ? std::string_view::npos
                                  : static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        }
        const std::size_t lastStart = text.size() - size;
        std::size_t at = from;
#if defined(__SSE2__)
        if (!preferMemmem_) {
            const __m128i first = _mm_set1_epi8(sought_.front());
            const __m128i last = _mm_set1_epi8(sought_.back());
            for (; at + 16 <= lastStart + 1; at += 16) {
                const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
                const __m128i tails =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + size - 1));
                auto mask = static_cast<unsigned>(_mm_movemask_epi8(
                    _mm_and_si128(_mm_cmpeq_epi8(heads, first), _mm_cmpeq_epi8(tails, last))));
                while (mask != 0) {
                    const std::size_t candidate =
                        at + static_cast<std::size_t>(__builtin_ctz(mask));
                    compared_ += size;
                    if (std::memcmp(data + candidate + 1, sought_.data() + 1, size - 2) == 0) {
                        return candidate;
                    }
                    mask &= mask - 1;
                }
                scanned_ += 16;
                if (compared_ > 8 * scanned_ + 4096) {
                    preferMemmem_ = true;
                    break;
                }
            }
            if (!preferMemmem_) {
                // Fewer than sixteen places are left.
                for (; at <= lastStart; ++at) {
                    if (data[at] == sought_.front() &&
                        std::memcmp(data + at + 1, sought_.data() + 1, size - 1) == 0) {
                        return at;
                    }
                }
                return std::string_view::npos;
            }
        }
#endif
        const void* hit = memmem(data + at, text.size() - at, sought_.data(), size);
        return hit == nullptr ? std::string_view::npos
                              : static_cast<std::size_t>(static_cast<const char*>(hit) - data);
    }

private:
    std::string_view sought_;
    std::size_t scanned_ = 0;
    std::size_t compared_ = 0;
    bool preferMemmem_ = false;
};

// Finds occurrences of a sought text that begin on a character start, in one forward pass.
//
// Candidates come from a byte search, which is much faster than trying the sought text at every
// character. Whether a candidate begins a character is decided without walking every character
// before it: the byte after any byte below 0x80 always begins a character (that byte ends either a
// one-byte character or a two-byte one), so only the run of bytes of 0x80 and above right before a
// candidate needs looking at, and its length's parity tells the answer. The run is never scanned
// back past the last known character start, so the whole pass stays linear in the text.
class CharSearch {
public:
    // `base` is a character start: characters are counted from there.
    CharSearch(std::string_view text, std::string_view sought, std::size_t base)
        : text_(text), sought_(sought), bytes_(sought), from_(base), knownStart_(base) {}

    // Offset of the next occurrence at or after the resume point that begins on a character
    // start, or npos.
    std::size_t next() {
        while (from_ + sought_.size() <= text_.size()) {
            const std::size_t candidate = bytes_.find(text_, from_);
            if (candidate == std::string_view::npos) break;
            if (beginsCharacter(candidate)) {
                knownStart_ = candidate;
                from_ = candidate;
                return candidate;
            }
            // The candidate is the second byte of a character, so the byte after it begins one.
            knownStart_ = candidate + 1;
            from_ = candidate + 1;
        }
        from_ = text_.size();
        return std::string_view::npos;
    }

    // Continue after a match that ends at `offset`; the byte there is taken as a character start.
    void resumeAt(std::size_t offset) {
        from_ = offset;
        knownStart_ = offset;
    }

private:
    bool beginsCharacter(std::size_t candidate) const {
        std::size_t runStart = candidate;
        while (runStart > knownStart_ &&
               isLeadByte(static_cast<unsigned char>(text_[runStart - 1]))) {
            --runStart;
        }
        return (candidate - runStart) % 2 == 0;
    }

    std::string_view text_;
    std::string_view sought_;
    ByteSearch bytes_;
    std::size_t from_;
    std::size_t knownStart_;
};

// Position arithmetic is done in a wider type so that no count or position overflows.
long long lengthOf(const Text& text) {
    return static_cast<long long>(text.size());
}

// --- Conversions -------------------------------------------------------------------------------

const char* codePageName(int codePage, std::string& storage) {
    switch (codePage) {
        case 936:    // GBK: GB18030 is its superset with the same bytes for every GBK text
        case 54936:  // GB18030
            return "GB18030";
        case 65001:
            return "UTF-8";
        case 1200:
            return "UTF-16LE";
        default:
            storage = "CP" + std::to_string(codePage);
            return storage.c_str();
    }
}

class Iconv {
public:
    Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(handle_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

const char* const utf16Name = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// Converts the whole input, growing the output as needed. An input unit that does not decode, or
// a character the target cannot hold, becomes U+FFFD in the target's encoding ("?" where even that
// is missing) and the conversion goes on after `invalidStep` input bytes.
bool convert(std::string_view input, const char* from, const char* to, std::size_t invalidStep,
             std::string& output) {
    output.clear();
    Iconv converter(to, from);
    if (!converter.ok()) return false;

    std::string replacement = "?";
    {
        Iconv toTarget(to, "UTF-8");
        if (toTarget.ok()) {
            char in[] = "\xEF\xBF\xBD";
            char out[16];
            char* inPtr = in;
            std::size_t inLeft = 3;
            char* outPtr = out;
            std::size_t outLeft = sizeof out;
            if (iconv(toTarget.get(), &inPtr, &inLeft, &outPtr, &outLeft) !=
                    static_cast<std::size_t>(-1) &&
                inLeft == 0) {
                replacement.assign(out, static_cast<std::size_t>(outPtr - out));
            }
        }
    }

    char* inPtr = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t used = 0;
    output.resize(input.size() * 2 + 16);
    for (;;) {
        char* outPtr = output.data() + used;
        std::size_t outLeft = output.size() - used;
        const std::size_t result = inLeft == 0
                                       ? iconv(converter.get(), nullptr, nullptr, &outPtr, &outLeft)
                                       : iconv(converter.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        used = output.size() - outLeft;
        if (result != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) {
            output.resize(output.size() * 2);
        } else if (errno == EILSEQ || errno == EINVAL) {
            output.resize(used);
            output += replacement;
            used = output.size();
            output.resize(used + inLeft * 2 + 16);
            const std::size_t step = std::min(invalidStep, inLeft);
            inPtr += step;
            inLeft -= step;
        } else {
            output.resize(used);
            return false;
        }
    }
    output.resize(used);
    return true;
}

std::u16string fromUtf16Bytes(const std::string& bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    return units;
}

}  // namespace

// --- Searching, splitting, cutting -----------------------------------------------------------

int findText(const Text& text, const Text& sought, int start, bool ignoreCase) {
    const std::size_t base = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (base >= text.size()) return -1;
    if (sought.empty()) return 1;
    if (sought.size() > text.size() - base) return -1;

    std::size_t found;
    if (ignoreCase) {
        const std::string foldedText = foldedCopy(text);
        const std::string foldedSought = foldedCopy(sought);
        found = CharSearch(foldedText, foldedSought, base).next();
    } else {
        found = CharSearch(text, sought, base).next();
    }
    return found == std::string_view::npos ? -1 : static_cast<int>(found + 1);
}

TextList splitText(const Text& text, const Text& separator) {
    TextList pieces;
    if (text.empty()) return pieces;
    // An empty separator never ends a piece: the whole text is the one piece.
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }

    CharSearch search(text, separator, 0);
    std::size_t pieceStart = 0;
    for (;;) {
        const std::size_t found = search.next();
        if (found == std::string_view::npos) break;
        // A lead byte that is the last byte ends the scan without matching.
        if (found + 1 == text.size() && isLeadByte(static_cast<unsigned char>(text[found]))) break;
        pieces.emplace_back(text, pieceStart, found - pieceStart);
        pieceStart = found + separator.size();
        search.resumeAt(pieceStart);
    }
    if (pieceStart < text.size()) pieces.emplace_back(text, pieceStart);
    return pieces;
}

Text leftText(const Text& text, int n) {
    if (n <= 0) return {};
    return text.substr(0, std::min(static_cast<std::size_t>(n), text.size()));
}

Text rightText(const Text& text, int n) {
    if (n <= 0) return {};
    const std::size_t count = std::min(static_cast<std::size_t>(n), text.size());
    return text.substr(text.size() - count);
}

Text midText(const Text& text, int start, int n) {
    if (start < 1 || static_cast<long long>(start) > lengthOf(text) || n <= 0) return {};
    return text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n));
}

Text trimText(const Text& text) {
    // Blanks are characters: an A1 byte that ends a two-byte character is not half of a
    // full-width space, so the text is walked by character from the front in both directions.
    const auto blankAt = [&text](std::size_t i, std::size_t& width) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == 0x20) {
            width = 1;
            return true;
        }
        if (isLeadByte(byte) && i + 1 < text.size()) {
            width = 2;
            return byte == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1;
        }
        width = 1;
        return false;
    };

    std::size_t i = 0;
    std::size_t width = 0;
    while (i < text.size() && blankAt(i, width)) i += width;
    const std::size_t begin = i;
    std::size_t end = begin;
    while (i < text.size()) {
        const bool blank = blankAt(i, width);
        i += width;
        if (!blank) end = i;
    }
    return text.substr(begin, end - begin);
}

Text replaceText(const Text& text, const Text& sought, const Text& replacement, int count,
                 bool matchCase) {
    if (text.empty() || sought.empty() || count == 0) return text;

    std::string foldedText;
    std::string foldedSought;
    std::string_view haystack = text;
    std::string_view needle = sought;
    if (!matchCase) {
        foldedText = foldedCopy(text);
        foldedSought = foldedCopy(sought);
        haystack = foldedText;
        needle = foldedSought;
    }

    Text result;
    CharSearch search(haystack, needle, 0);
    std::size_t copied = 0;
    int replaced = 0;
    while (count < 0 || replaced < count) {
        const std::size_t found = search.next();
        if (found == std::string_view::npos) break;
        result.append(text, copied, found - copied);
        result += replacement;
        copied = found + sought.size();
        search.resumeAt(copied);
        ++replaced;
    }
    result.append(text, copied);
    return result;
}

Text upperCaseText(const Text& text) {
    Text result = text;
    for (std::size_t i = 0; i < result.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(result[i]);
        if (isLeadByte(byte)) {
            ++i;  // both bytes of a two-byte character stay
        } else if (byte >= 'a' && byte <= 'z') {
            result[i] = static_cast<char>(byte - 0x20);
        }
    }
    return result;
}

// --- Extraction and encoding -----------------------------------------------------------------

Text textBetween(const Text& text, const Text& leading, const Text& trailing, bool matchCase) {
    // "#引号" lets a marker literal spell a double quote in words.
    static const Text quoteWord = "#\xD2\xFD\xBA\xC5";  // #引号
    const Text lead = replaceText(leading, quoteWord, "\"", -1, true);
    const Text trail = replaceText(trailing, quoteWord, "\"", -1, true);

    const int leadAt = findText(text, lead, 1, !matchCase);
    if (leadAt == -1) return {};
    const Text rest =
        rightText(text, static_cast<int>(lengthOf(text) - leadAt - lengthOf(lead) + 1));
    const int trailAt = findText(rest, trail, 1, !matchCase);
    if (trailAt == -1) return {};
    return leftText(rest, trailAt - 1);
}

namespace {
std::atomic<EventPump> eventPump{nullptr};
}  // namespace

void setEventPump(EventPump pump) {
    eventPump.store(pump);
}

void pumpEvents() {
    if (EventPump pump = eventPump.load()) pump();
}

Text percentEncode(const Text& text, bool keepUnreserved, bool viaUtf8) {
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    const Text bytes = viaUtf8 ? localToUtf8(text) : text;
    Text result;
    result.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        const bool kept = (byte >= 0x2C && byte <= 0x39) || (byte >= 0x41 && byte <= 0x5A) ||
                          (byte >= 0x61 && byte <= 0x7A);
        if (keepUnreserved && kept) {
            result += ch;
        } else {
            result += '%';
            result += hexDigits[byte >> 4];
            result += hexDigits[byte & 0x0F];
        }
        // Window events run here: a click may be handled in the middle of an encoding.
        pumpEvents();
    }
    return result;
}

Text localToUtf8(const Text& text) {
    return wideToText(textToWide(text, 936), 65001);
}

Bytes textToWide(const Text& text, int codePage) {
    // The text ends at its first zero byte, as a zero-terminated string does.
    const std::string_view source(text.c_str());
    std::string storage;
    std::string units;
    convert(source, codePageName(codePage, storage), "UTF-16LE", 1, units);
    Bytes wide(units.begin(), units.end());
    wide.push_back(0);
    wide.push_back(0);
    return wide;
}

Text wideToText(const Bytes& wide, int codePage) {
    std::size_t units = 0;
    while (units * 2 + 1 < wide.size() && (wide[units * 2] != 0 || wide[units * 2 + 1] != 0)) {
        ++units;
    }
    const std::string_view source(reinterpret_cast<const char*>(wide.data()), units * 2);
    std::string storage;
    Text text;
    convert(source, "UTF-16LE", codePageName(codePage, storage), 2, text);
    return text;
}

std::u16string textToUtf16(const Text& text) {
    std::string units;
    convert(text, "GB18030", utf16Name, 1, units);
    return fromUtf16Bytes(units);
}

Text utf16ToText(std::u16string_view utf16) {
    const std::string_view source(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
    Text text;
    convert(source, utf16Name, "GB18030", 2, text);
    return text;
}

Text utf8ToText(std::string_view utf8) {
    Text text;
    convert(utf8, "UTF-8", "GB18030", 1, text);
    return text;
}

std::string textToUtf8(const Text& text) {
    std::string utf8;
    convert(text, "GB18030", "UTF-8", 1, utf8);
    return utf8;
}

}  // namespace tavolin
