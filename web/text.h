#pragma once
// The program's text and the operations that cut, search, split, encode and convert it.
//
// Text is GBK bytes (code page 936) in a std::string. Positions are 1-based byte positions and a
// search that finds nothing answers -1. Searches, splits and replacements step by GBK character:
// a byte of 0x80 or above begins a two-byte character, unless it is the last byte of the text.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin {

using Text = std::string;
// The system's 1-based text list; element k of the system is index k - 1 here.
using TextList = std::vector<Text>;
// A counted byte buffer (response bodies, UTF-16 code units of textToWide).
using Bytes = std::vector<unsigned char>;

int findText(const Text& text, const Text& sought, int start = 1, bool ignoreCase = false);
TextList splitText(const Text& text, const Text& separator);
Text leftText(const Text& text, int n);
Text rightText(const Text& text, int n);
Text midText(const Text& text, int start, int n);
Text trimText(const Text& text);
// count < 0: every occurrence.
Text replaceText(const Text& text, const Text& sought, const Text& replacement = {}, int count = -1,
                 bool matchCase = true);
Text upperCaseText(const Text& text);

Text textBetween(const Text& text, const Text& leading, const Text& trailing, bool matchCase);
// Lets pending window events run after every byte (see setEventPump).
Text percentEncode(const Text& text, bool keepUnreserved, bool viaUtf8);
Text localToUtf8(const Text& text);
// Code pages: 936 (GBK), 54936 (GB18030), 65001 (UTF-8). The array holds UTF-16LE code units and a
// terminating zero unit, as the system's conversion produces it.
Bytes textToWide(const Text& text, int codePage);
Text wideToText(const Bytes& wide, int codePage);

// The windows' edge, always in GB18030 (every GBK text has the same bytes there).
// Bytes that do not decode become U+FFFD in the result; the stored text is never changed.
std::u16string textToUtf16(const Text& text);
Text utf16ToText(std::u16string_view utf16);
// For literals written in the UTF-8 source: the same characters as program text.
Text utf8ToText(std::string_view utf8);
// Program text as UTF-8, replacing bytes that do not decode by U+FFFD.
std::string textToUtf8(const Text& text);

// percentEncode's hook to the window system. The shell installs a pump that processes pending
// window events; without one (tests, tools) it does nothing.
using EventPump = void (*)();
void setEventPump(EventPump pump);
void pumpEvents();

}  // namespace tavolin
