#include "web/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <random>
#include <string>
#include <vector>

namespace tavolin {
namespace {

// GBK bytes used below: 丄 = 81 41 (an ASCII letter as second byte), 啊 = B0 A1,
// the full-width space = A1 A1.
const Text kShang = "\x81\x41";
const Text kFullWidthSpace = "\xA1\xA1";

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char byte : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

struct FindRow {
    const char* name;
    Text text;
    Text sought;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(FindText, Rules) {
    const FindRow rows[] = {
        {"first occurrence", "abcabc", "bc", 1, false, 2},
        {"from a later start", "abcabc", "bc", 3, false, 5},
        {"start 0 counts as 1", "abc", "a", 0, false, 1},
        {"negative start counts as 1", "abc", "a", INT_MIN, false, 1},
        {"start past the end", "abc", "c", 4, false, -1},
        {"start far past the end", "abc", "c", INT_MAX, false, -1},
        {"empty sought", "abc", "", 2, false, 1},
        {"empty sought, nothing to search", "abc", "", 4, false, -1},
        {"empty sought in empty text", "", "", 1, false, -1},
        {"not found", "abc", "d", 1, false, -1},
        {"sought longer than text", "ab", "abc", 1, false, -1},
        {"marker at the end", "xx</td>", "</td>", 1, false, 3},
        {"second byte is the sought letter", kShang, "A", 1, false, -1},
        {"letter after a two-byte character", kShang + "A", "A", 1, false, 3},
        {"match across two characters", "\xB0\xA1\xB0\xA1", "\xA1\xB0", 1, false, -1},
        {"characters counted from the start position", kShang + "A", "A", 2, false, 2},
        {"lead byte standing alone at the end", "a\x81", "\x81", 1, false, 2},
        {"0x80 and 0xFF bytes", "\x80\xFF\xFF", "\xFF", 1, false, 3},
        {"case ignored", "xSet-Cookie:", "set-cookie:", 1, true, 2},
        {"case counts", "xSet-Cookie:", "set-cookie:", 1, false, -1},
        {"ignoring case folds second bytes", "\x81\x61", kShang, 1, true, 1},
        {"only letters fold", "{", "[", 1, true, -1},
        {"folded second byte still no start", "\x81\x61", "a", 1, true, -1},
    };
    for (const FindRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(findText(row.text, row.sought, row.start, row.ignoreCase), row.expected);
    }
}

struct SplitRow {
    const char* name;
    Text text;
    Text separator;
    TextList expected;
};

TEST(SplitText, Rules) {
    const SplitRow rows[] = {
        {"empty piece between separators, none at the end", "a;;b;", ";", {"a", "", "b"}},
        {"separator first", ";a", ";", {"", "a"}},
        {"empty text", "", ";", {}},
        {"no separator", "ab", ";", {"ab"}},
        {"text is the separator", ";", ";", {""}},
        {"empty separator gives the whole text", "a;b", "", {"a;b"}},
        {"empty separator, empty text", "", "", {}},
        {"separator longer than text", "ab", "abc", {"ab"}},
        {"second byte is the separator", "\x81;a;b", ";", {"\x81;a", "b"}},
        {"lead byte last never matches", "a\x81", "\x81", {"a\x81"}},
        {"two-byte separator", "\xB0\xA1x\xB0\xA1y", "\xB0\xA1", {"", "x", "y"}},
        {"markup separator", "<td>1</td><td>2</td>", "<td>", {"", "1</td>", "2</td>"}},
    };
    for (const SplitRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(splitText(row.text, row.separator), row.expected);
    }
}

TEST(CutText, CountsBytesAndNeverOverruns) {
    const Text abc = "abc";
    EXPECT_EQ(midText(abc, 3, 5), "c");
    EXPECT_EQ(midText(abc, 4, 1), "");
    EXPECT_EQ(midText(abc, 0, 2), "");
    EXPECT_EQ(midText(abc, INT_MAX, INT_MAX), "");
    EXPECT_EQ(midText(abc, 2, INT_MAX), "bc");
    EXPECT_EQ(midText(abc, 2, -1), "");
    EXPECT_EQ(leftText(abc, 0), "");
    EXPECT_EQ(leftText(abc, INT_MIN), "");
    EXPECT_EQ(leftText(abc, 2), "ab");
    EXPECT_EQ(leftText(abc, INT_MAX), "abc");
    EXPECT_EQ(rightText(abc, -5), "");
    EXPECT_EQ(rightText(abc, 2), "bc");
    EXPECT_EQ(rightText(abc, INT_MAX), "abc");
    // Byte counts may cut a two-byte character in half.
    EXPECT_EQ(leftText("\xB0\xA1", 1), "\xB0");
}

TEST(TrimText, BlanksAreSpaceAndFullWidthSpaceOnly) {
    const struct {
        const char* name;
        Text text;
        Text expected;
    } rows[] = {
        {"tab and letter stay", " \tA" + kFullWidthSpace, "\tA"},
        {"blanks alone", "  " + kFullWidthSpace + " ", ""},
        {"line breaks stay", "\r\nA\r\n", "\r\nA\r\n"},
        {"inner blanks stay", " a b ", "a b"},
        {"A1 ending a character is no blank", "\xB0\xA1\xA1", "\xB0\xA1\xA1"},
        {"lone A1 after a full-width space", kFullWidthSpace + "\xA1", "\xA1"},
        {"run of full-width spaces at the back", "x" + kFullWidthSpace + " " + kFullWidthSpace,
         "x"},
        {"empty", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(hex(trimText(row.text)), hex(row.expected));
    }
}

TEST(ReplaceText, Rules) {
    const struct {
        const char* name;
        Text text;
        Text sought;
        Text replacement;
        int count;
        bool matchCase;
        Text expected;
    } rows[] = {
        {"ignoring case", "aAa", "a", "b", -1, false, "bbb"},
        {"count 1", "aAa", "a", "b", 1, false, "bAa"},
        {"matching case", "aAa", "a", "b", -1, true, "bAb"},
        {"count 0", "aaa", "a", "b", 0, true, "aaa"},
        {"empty sought", "aaa", "", "b", -1, true, "aaa"},
        {"empty text", "", "a", "b", -1, true, ""},
        {"omitted replacement removes", "a-b-c", "-", "", -1, true, "abc"},
        {"no overlap", "aaa", "aa", "b", -1, true, "ba"},
        {"replacement not searched again", "aa", "a", "aa", -1, true, "aaaa"},
        {"second byte is the sought letter", kShang + "A", "A", "b", -1, true, kShang + "b"},
        {"folding touches second bytes", "\x81\x61", kShang, "x", -1, false, "x"},
        {"lead byte standing alone at the end", "a\x81", "\x81", "z", -1, true, "az"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(replaceText(row.text, row.sought, row.replacement, row.count, row.matchCase),
                  row.expected);
    }
}

TEST(UpperCaseText, RaisesOneByteLettersOnly) {
    EXPECT_EQ(upperCaseText("abc-XYZ z"), "ABC-XYZ Z");
    EXPECT_EQ(upperCaseText("\x81\x61z"), "\x81\x61Z");  // second byte 'a' stays
    EXPECT_EQ(upperCaseText("a\x81"), "A\x81");
}

// Literal reading of the cutting rules, stepping one character at a time, to check the fast
// searches against on every small byte string.
int referenceFind(const Text& text, const Text& sought, int start, bool ignoreCase) {
    const std::size_t base = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (base >= text.size()) return -1;
    if (sought.empty()) return 1;
    const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    for (std::size_t i = base; i + sought.size() <= text.size();
         i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1) {
        bool same = true;
        for (std::size_t k = 0; k < sought.size() && same; ++k) {
            same = ignoreCase ? fold(text[i + k]) == fold(sought[k]) : text[i + k] == sought[k];
        }
        if (same) return static_cast<int>(i + 1);
    }
    return -1;
}

TextList referenceSplit(const Text& text, const Text& separator) {
    TextList pieces;
    if (text.empty()) return pieces;
    if (separator.empty()) return {text};
    std::size_t pieceStart = 0;
    std::size_t i = 0;
    while (i + separator.size() <= text.size()) {
        const bool lead = static_cast<unsigned char>(text[i]) >= 0x80;
        if (lead && i + 1 == text.size()) break;
        if (text.compare(i, separator.size(), separator) == 0) {
            pieces.push_back(text.substr(pieceStart, i - pieceStart));
            i += separator.size();
            pieceStart = i;
        } else {
            i += lead ? 2 : 1;
        }
    }
    if (pieceStart < text.size()) pieces.push_back(text.substr(pieceStart));
    return pieces;
}

Text referenceReplace(const Text& text, const Text& sought, const Text& replacement, int count,
                      bool matchCase) {
    if (text.empty() || sought.empty() || count == 0) return text;
    Text result;
    std::size_t i = 0;
    int replaced = 0;
    while (i < text.size()) {
        if (referenceFind(text.substr(i, sought.size()), sought, 1, !matchCase) == 1 &&
            i + sought.size() <= text.size()) {
            result += replacement;
            i += sought.size();
            if (++replaced == count) break;
        } else {
            const std::size_t width = static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
            result += text.substr(i, width);
            i += width;
        }
    }
    return result + text.substr(std::min(i, text.size()));
}

TEST(TextSearch, AgreesWithCharacterByCharacterReading) {
    // Few distinct bytes, so matches, second-byte matches and lone lead bytes are frequent.
    const char alphabet[] = {'a', 'A', ';', '\x81', '\xA1', '\xFF', '\x80'};
    std::mt19937 random(20240917);
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 1);
    const auto randomText = [&](int maxLength) {
        Text text(static_cast<std::size_t>(random() % (maxLength + 1)), ' ');
        for (char& byte : text) byte = alphabet[pick(random)];
        return text;
    };
    for (int round = 0; round < 30000; ++round) {
        // Every third text is long enough for the searches' sixteen-at-a-time stepping.
        const bool longer = round % 3 == 0;
        const Text text = randomText(longer ? 90 : 14);
        const Text sought = randomText(longer ? 5 : 3);
        const int start = static_cast<int>(random() % 18) - 2;
        const int count = static_cast<int>(random() % 5) - 1;
        const bool flag = random() % 2 == 0;
        SCOPED_TRACE("text " + hex(text) + " / sought " + hex(sought));
        ASSERT_EQ(findText(text, sought, start, flag), referenceFind(text, sought, start, flag));
        ASSERT_EQ(splitText(text, sought), referenceSplit(text, sought));
        ASSERT_EQ(replaceText(text, sought, "<r>", count, flag),
                  referenceReplace(text, sought, "<r>", count, flag));
    }
}

TEST(TextSearch, CostlyNearMatchesStillFound) {
    // Every place passes a first and last byte check and fails only after twenty bytes.
    const Text sought = Text(20, 'a') + "b" + "a";
    const Text text = Text(20000, 'a') + sought + "\x81" + sought + "a";
    EXPECT_EQ(findText(text, sought), 20001);
    EXPECT_EQ(splitText(text, sought), (TextList{Text(20000, 'a'), "\x81" + sought + "a"}));
    EXPECT_EQ(replaceText(text, sought, "-"), Text(20000, 'a') + "-\x81" + sought + "a");
}

TEST(TextBetween, Rules) {
    const Text quoteWord = utf8ToText("#引号");
    ASSERT_EQ(hex(quoteWord), "23 D2 FD BA C5");
    const struct {
        const char* name;
        Text text;
        Text leading;
        Text trailing;
        bool matchCase;
        Text expected;
    } rows[] = {
        {"first leading, next trailing", "a<b>x</b><b>y</b>", "<b>", "</b>", true, "x"},
        {"leading missing", "a<i>x</b>", "<b>", "</b>", true, ""},
        {"trailing missing after leading", "a</b><b>x", "<b>", "</b>", true, ""},
        {"markers touch", "<b></b>", "<b>", "</b>", true, ""},
        {"cookie, case ignored", "set-cookie: A=1; path=/", "Set-Cookie:", ";", false, " A=1"},
        {"cookie, case counts", "set-cookie: A=1; path=/", "Set-Cookie:", ";", true, ""},
        {"quote spelled in words", "value=\"20170A\">", "value=" + quoteWord, quoteWord + ">", true,
         "20170A"},
        {"marker at the very end", "abc<b>", "<b>", "</b>", true, ""},
        {"lead marker longer than text", "ab", "abcdef", "b", true, ""},
        {"trailing inside a character is skipped", "<b>\x81<x<", "<b>", "<", true, "\x81<x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(textBetween(row.text, row.leading, row.trailing, row.matchCase), row.expected);
    }
}

int pumpedBytes = 0;

TEST(PercentEncode, KeptBytesAndHex) {
    const Text className = utf8ToText("计算机1401班");
    ASSERT_EQ(hex(className), "BC C6 CB E3 BB FA 31 34 30 31 B0 E0");
    EXPECT_EQ(percentEncode(className, true, false), "%BC%C6%CB%E3%BB%FA1401%B0%E0");
    EXPECT_EQ(percentEncode("a b_c~d+e", true, false), "a%20b%5Fc%7Ed%2Be");
    EXPECT_EQ(percentEncode("A1", false, false), "%41%31");
    EXPECT_EQ(percentEncode("\x01", true, false), "%01");
    EXPECT_EQ(percentEncode("", true, true), "");
    EXPECT_EQ(percentEncode(utf8ToText("计a"), true, true), "%E8%AE%A1a");

    int kept = 0;
    for (int byte = 1; byte < 256; ++byte) {
        const Text one(1, static_cast<char>(byte));
        if (percentEncode(one, true, false) == one) ++kept;
    }
    EXPECT_EQ(kept, 66);  // , - . / 0-9 A-Z a-z
}

TEST(PercentEncode, LetsEventsRunAfterEveryByte) {
    pumpedBytes = 0;
    setEventPump([] { ++pumpedBytes; });
    percentEncode(utf8ToText("班a "), true, false);
    setEventPump(nullptr);
    EXPECT_EQ(pumpedBytes, 4);
    pumpEvents();  // no pump installed: nothing happens
    EXPECT_EQ(pumpedBytes, 4);
}

TEST(Conversion, GbkToUtf8IsCompleteWhateverTheLocale) {
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(hex(localToUtf8(utf8ToText("计算机"))), "E8 AE A1 E7 AE 97 E6 9C BA");
    EXPECT_EQ(localToUtf8(""), "");
    std::string longUtf8;
    for (int i = 0; i < 2000; ++i) longUtf8 += "星期一第1、2节　";
    EXPECT_EQ(localToUtf8(utf8ToText(longUtf8)), longUtf8);
}

TEST(Conversion, WideArraysCarryUtf16LeAndAZeroUnit) {
    const Bytes wide = textToWide(utf8ToText("班a"), 936);
    EXPECT_EQ(wide, (Bytes{0xED, 0x73, 0x61, 0x00, 0x00, 0x00}));
    EXPECT_EQ(wideToText(wide, 65001),
              "\xE7\x8F\xAD"
              "a");
    EXPECT_EQ(wideToText(wide, 936), utf8ToText("班a"));
    EXPECT_EQ(textToWide("", 936), (Bytes{0, 0}));
    EXPECT_EQ(wideToText({}, 936), "");
    EXPECT_EQ(wideToText({0x41, 0x00, 0x00, 0x00, 0x42, 0x00}, 65001), "A");  // up to the zero
    EXPECT_EQ(textToWide("x", 12345), (Bytes{0, 0}));  // unknown code page: empty
}

TEST(Conversion, WindowEdgeKeepsEveryCharacter) {
    // Outside GBK: a Thai letter and an emoji survive the trip through the program's text.
    const std::u16string typed =
        u"\u0E01\U0001F600"
        u"李";
    const Text stored = utf16ToText(typed);
    EXPECT_EQ(hex(stored), "81 32 CE 39 94 39 FC 36 C0 EE");
    EXPECT_EQ(textToUtf16(stored), typed);
    EXPECT_EQ(textToUtf8(stored), "\u0E01\U0001F600李");
    EXPECT_EQ(utf8ToText("引号"), "\xD2\xFD\xBA\xC5");
}

TEST(Conversion, UndecodableBytesShowAsReplacementCharacter) {
    const Text broken =
        "\x80"
        "a\xFF\x81";
    EXPECT_EQ(textToUtf16(broken),
              u"\uFFFD"
              u"a\uFFFD\uFFFD");
    EXPECT_EQ(textToUtf8(broken),
              "\uFFFD"
              "a\uFFFD\uFFFD");
    EXPECT_EQ(localToUtf8("\xFF"), "\uFFFD");
}

}  // namespace
}  // namespace tavolin
