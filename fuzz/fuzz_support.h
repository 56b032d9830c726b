#pragma once
// What every fuzz target shares: how an input is read, how a broken property is reported, and a
// plain character-by-character reading of the program's text to check the fast searches against.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "web/text.h"

namespace tavolin::fuzz {

// Prints the property and the texts involved, then aborts so that libFuzzer keeps the input.
[[noreturn]] inline void propertyFailed(const char* file, int line, const char* property,
                                        const std::vector<std::pair<const char*, Text>>& shown) {
    std::fprintf(stderr, "\n*** property broken at %s:%d: %s\n", file, line, property);
    for (const auto& [label, text] : shown) {
        std::fprintf(stderr, "    %s (%zu bytes):", label, text.size());
        const std::size_t limit = text.size() < 200 ? text.size() : 200;
        for (std::size_t i = 0; i < limit; ++i) {
            std::fprintf(stderr, " %02X", static_cast<unsigned char>(text[i]));
        }
        std::fprintf(stderr, "%s\n", limit < text.size() ? " ..." : "");
    }
    std::abort();
}

// FUZZ_CHECK(condition, {{"label", text}, ...}): the texts are printed in hex when it fails.
#define FUZZ_CHECK(condition, ...)                                                          \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            ::tavolin::fuzz::propertyFailed(__FILE__, __LINE__, #condition, {__VA_ARGS__}); \
        }                                                                                   \
    } while (0)

// The input read front to back: a few fixed header bytes, then texts separated by zero bytes (the
// program's text holds none, so a zero byte is free to mark where one argument ends).
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (at_ >= bytes_.size()) return 0;
        return static_cast<std::uint8_t>(bytes_[at_++]);
    }

    // A signed 16-bit count or position: small values and negatives are both reached.
    int int16() {
        const std::uint16_t low = byte();
        const std::uint16_t high = byte();
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
    }

    // The next text up to a zero byte (or to the end of the input).
    Text field() {
        if (at_ >= bytes_.size()) return {};
        const std::size_t end = bytes_.find('\0', at_);
        const std::size_t stop = end == std::string_view::npos ? bytes_.size() : end;
        Text text(bytes_.substr(at_, stop - at_));
        at_ = end == std::string_view::npos ? bytes_.size() : end + 1;
        return text;
    }

    // Everything not read yet, zero bytes included.
    Text rest() {
        Text text(at_ < bytes_.size() ? bytes_.substr(at_) : std::string_view{});
        at_ = bytes_.size();
        return text;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

// --- The text read one character at a time ----------------------------------------------------
//
// A byte of 0x80 or above begins a two-byte character, unless it is the last byte. These readings
// are slow on purpose: each does exactly what the rule says and nothing more.

inline std::size_t characterWidth(std::string_view text, std::size_t at) {
    return (static_cast<unsigned char>(text[at]) >= 0x80 && at + 1 < text.size()) ? 2 : 1;
}

inline std::vector<bool> characterStarts(std::string_view text) {
    std::vector<bool> starts(text.size(), false);
    std::size_t i = 0;
    while (i < text.size()) {
        starts[i] = true;
        i += (static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size()) ? 2 : 1;
    }
    return starts;
}

inline char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
}

inline bool matchesAt(std::string_view text, std::size_t at, std::string_view sought,
                      bool ignoreCase) {
    if (at > text.size() || text.size() - at < sought.size()) return false;
    for (std::size_t k = 0; k < sought.size(); ++k) {
        const char a = text[at + k];
        const char b = sought[k];
        if (ignoreCase ? foldAscii(a) != foldAscii(b) : a != b) return false;
    }
    return true;
}

// Offset of the first character start at or after `from` where `sought` (not empty) follows, or
// npos.
inline std::size_t plainFind(std::string_view text, std::string_view sought, std::size_t from,
                             bool ignoreCase) {
    const std::vector<bool> starts = characterStarts(text);
    for (std::size_t i = from; i < text.size(); ++i) {
        if (starts[i] && matchesAt(text, i, sought, ignoreCase)) return i;
    }
    return std::string_view::npos;
}

// The text cut at every occurrence of a non-empty separator, scanning by character; the scan
// stops at a lead byte that is the last byte, and an empty last piece is not kept.
inline TextList plainSplit(std::string_view text, std::string_view separator) {
    TextList pieces;
    std::size_t pieceStart = 0;
    std::size_t i = 0;
    while (i < text.size() && text.size() - i >= separator.size()) {
        const bool lead = static_cast<unsigned char>(text[i]) >= 0x80;
        if (lead && i + 1 == text.size()) break;
        if (matchesAt(text, i, separator, false)) {
            pieces.emplace_back(text.substr(pieceStart, i - pieceStart));
            i += separator.size();
            pieceStart = i;
        } else {
            i += lead ? 2 : 1;
        }
    }
    if (pieceStart < text.size()) pieces.emplace_back(text.substr(pieceStart));
    return pieces;
}

inline Text plainReplace(std::string_view text, std::string_view sought,
                         std::string_view replacement, int count, bool matchCase) {
    if (text.empty() || sought.empty() || count == 0) return Text(text);
    Text result;
    int replaced = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if ((count < 0 || replaced < count) && matchesAt(text, i, sought, !matchCase)) {
            result += replacement;
            i += sought.size();
            ++replaced;
            continue;
        }
        const std::size_t width =
            (static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size()) ? 2 : 1;
        result += text.substr(i, width);
        i += width;
    }
    return result;
}

inline Text joinPieces(const TextList& pieces, std::string_view separator) {
    Text joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) joined += separator;
        joined += pieces[i];
    }
    return joined;
}

inline bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The whole text walked by character: is every character a blank (space or A1 A1)?
inline bool allBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0x20) {
            ++i;
        } else if (byte == 0xA1 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) == 0xA1) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace tavolin::fuzz
