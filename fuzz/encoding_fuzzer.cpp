// percentEncode with both options and the GBK / GB18030 / UTF-8 / UTF-16 conversions on
// arbitrary bytes: encodings decode back, valid text survives a round trip, and whatever comes
// out of a conversion is valid in its target encoding.
//
// Input: operation byte, flags byte, then the bytes to work on. Flags: percentEncode bit 0 keep
// the unreserved bytes, bit 1 via UTF-8; the wide conversions take the code page from the flags.
// Validity is judged by iconv converting strictly in one go, apart from the code under test.

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <unordered_map>

#include "fuzz_support.h"
#include "web/text.h"

using namespace tavolin;
using namespace tavolin::fuzz;

namespace {

// True when all of `input` converts without a single invalid or incomplete sequence.
bool convertsStrictly(const std::string& input, const char* from, const char* to,
                      std::string* output = nullptr) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) std::abort();
    std::string buffer(input.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    bool ok = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
              inLeft == 0 &&
              iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (ok && output) output->assign(buffer.data(), buffer.size() - outLeft);
    return ok;
}

Text upToZero(const Text& text) {
    return text.substr(0, text.find('\0'));
}

bool validUtf16(std::u16string_view units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) {
                return false;
            }
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

Text unitsAsBytes(std::u16string_view units) {
    return Text(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

// Whether GB18030, as iconv has it, holds the code point of these units. A few private-use code
// points have no GB18030 bytes there since the standard moved their characters elsewhere.
bool inGb18030(std::u16string_view codePoint) {
    static std::unordered_map<std::u16string, bool> known;
    const std::u16string key(codePoint);
    const auto found = known.find(key);
    if (found != known.end()) return found->second;
    const bool held = convertsStrictly(unitsAsBytes(codePoint), "UTF-16LE", "GB18030");
    known.emplace(key, held);
    return held;
}

// The units as they come back from GB18030: every surrogate that is not half of a pair, and every
// code point GB18030 does not hold, replaced by U+FFFD.
std::u16string afterGb18030(std::u16string_view units) {
    std::u16string result;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        std::size_t width = 1;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            width = 2;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            result += u'\uFFFD';
            continue;
        }
        const std::u16string_view codePoint = units.substr(i, width);
        if (inGb18030(codePoint)) {
            result += codePoint;
        } else {
            result += u'\uFFFD';
        }
        i += width - 1;
    }
    return result;
}

std::u16string unitsOf(const Text& bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return units;
}

bool keptUnencoded(unsigned char byte) {
    return (byte >= 0x2C && byte <= 0x39) || (byte >= 0x41 && byte <= 0x5A) ||
           (byte >= 0x61 && byte <= 0x7A);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower-case digits are not what the encoder writes
}

void checkPercentEncode(const Text& text, bool keepUnreserved, bool viaUtf8) {
    const Text encoded = percentEncode(text, keepUnreserved, viaUtf8);
    const Text bytes = viaUtf8 ? localToUtf8(text) : text;
    Text decoded;
    for (std::size_t i = 0; i < encoded.size();) {
        const auto byte = static_cast<unsigned char>(encoded[i]);
        if (byte == '%') {
            FUZZ_CHECK(i + 2 < encoded.size(), {"text", text}, {"encoded", encoded});
            const int high = hexValue(encoded[i + 1]);
            const int low = hexValue(encoded[i + 2]);
            FUZZ_CHECK(high >= 0 && low >= 0, {"text", text}, {"encoded", encoded});
            const auto value = static_cast<unsigned char>(high * 16 + low);
            // Only one spelling per byte: a byte that may stand as itself always does.
            FUZZ_CHECK(!(keepUnreserved && keptUnencoded(value)), {"text", text},
                       {"encoded", encoded});
            decoded += static_cast<char>(value);
            i += 3;
        } else {
            FUZZ_CHECK(keepUnreserved && keptUnencoded(byte), {"text", text}, {"encoded", encoded});
            decoded += static_cast<char>(byte);
            ++i;
        }
    }
    FUZZ_CHECK(decoded == bytes, {"text", text}, {"encoded", encoded}, {"decoded", decoded});
    if (viaUtf8) {
        FUZZ_CHECK(bytes == textToUtf8(upToZero(text)), {"text", text}, {"utf8", bytes});
        FUZZ_CHECK(convertsStrictly(bytes, "UTF-8", "UTF-16LE"), {"text", text}, {"utf8", bytes});
    }
}

void checkGb18030Text(const Text& text) {
    const std::u16string units = textToUtf16(text);
    FUZZ_CHECK(validUtf16(units), {"text", text}, {"utf16", unitsAsBytes(units)});
    const std::string utf8 = textToUtf8(text);
    FUZZ_CHECK(convertsStrictly(utf8, "UTF-8", "UTF-16LE"), {"text", text}, {"utf8", utf8});
    FUZZ_CHECK(localToUtf8(text) == textToUtf8(upToZero(text)), {"text", text});

    std::string expectedUnits;
    if (!convertsStrictly(text, "GB18030", "UTF-16LE", &expectedUnits)) return;
    // Valid text: converted exactly as in one go, and back again unchanged.
    FUZZ_CHECK(unitsAsBytes(units) == expectedUnits, {"text", text},
               {"utf16", unitsAsBytes(units)});
    FUZZ_CHECK(utf16ToText(units) == text, {"text", text}, {"utf16", unitsAsBytes(units)});
    FUZZ_CHECK(utf8ToText(utf8) == text, {"text", text}, {"utf8", utf8});
    const Text beforeZero = upToZero(text);
    for (const int codePage : {936, 54936}) {
        const Bytes wide = textToWide(beforeZero, codePage);
        FUZZ_CHECK(wideToText(wide, codePage) == beforeZero, {"text", text});
    }
}

void checkUtf16Units(const Text& bytes) {
    const std::u16string units = unitsOf(bytes);
    const Text text = utf16ToText(units);
    FUZZ_CHECK(convertsStrictly(text, "GB18030", "UTF-16LE"), {"utf16", bytes}, {"text", text});
    // Only lone surrogates and code points GB18030 lacks are lost, each to U+FFFD.
    const std::u16string back = textToUtf16(text);
    FUZZ_CHECK(back == afterGb18030(units), {"utf16", bytes}, {"text", text},
               {"back", unitsAsBytes(back)});
}

constexpr int codePages[] = {936, 54936, 65001, 1200, 0, 1252, 437, -1, 20127, 2147483647};

void checkWide(const Text& bytes, int codePage) {
    const Text text = upToZero(bytes);
    const Bytes wide = textToWide(bytes, codePage);
    FUZZ_CHECK(wide.size() >= 2 && wide.size() % 2 == 0 && wide[wide.size() - 1] == 0 &&
                   wide[wide.size() - 2] == 0,
               {"text", text});
    const Text back = wideToText(wide, codePage);
    const char* name = codePage == 65001 ? "UTF-8" : "GB18030";
    if ((codePage == 936 || codePage == 54936 || codePage == 65001) &&
        convertsStrictly(text, name, "UTF-16LE")) {
        FUZZ_CHECK(back == text, {"text", text}, {"back", back});
    }

    // The same bytes taken as UTF-16 units, up to the first zero unit, into GB18030 and back.
    const std::u16string units = unitsOf(bytes);
    const std::u16string beforeZero = units.substr(0, units.find(u'\0'));
    const Bytes asWide(bytes.begin(), bytes.end());
    const Text narrow = wideToText(asWide, codePage);
    if (codePage == 936 || codePage == 54936) {
        FUZZ_CHECK(narrow.find('\0') == Text::npos, {"wide", bytes}, {"narrow", narrow});
        const Bytes again = textToWide(narrow, codePage);
        const Text expected = unitsAsBytes(afterGb18030(beforeZero)) + '\0' + '\0';
        FUZZ_CHECK(Text(again.begin(), again.end()) == expected, {"wide", bytes},
                   {"narrow", narrow});
    }
}

void checkUtf8Input(const Text& bytes) {
    const Text text = utf8ToText(bytes);
    FUZZ_CHECK(convertsStrictly(text, "GB18030", "UTF-16LE"), {"utf8", bytes}, {"text", text});
    if (convertsStrictly(bytes, "UTF-8", "UTF-16LE")) {
        FUZZ_CHECK(textToUtf8(text) == bytes, {"utf8", bytes}, {"text", text});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(data, size);
    const std::uint8_t operation = input.byte();
    const std::uint8_t flags = input.byte();
    const Text bytes = input.rest();
    switch (operation % 5) {
        case 0:
            checkPercentEncode(bytes, (flags & 1) != 0, (flags & 2) != 0);
            break;
        case 1:
            checkGb18030Text(bytes);
            break;
        case 2:
            checkUtf16Units(bytes);
            break;
        case 3:
            checkWide(bytes, codePages[flags % std::size(codePages)]);
            break;
        case 4:
            checkUtf8Input(bytes);
            break;
    }
    return 0;
}
