// Writes the fuzz targets' initial inputs from the sample site: its pages whole for the page
// target, and pieces of them (class names, markers, a timetable row) in the input layout of the
// text, encoding and cookie targets.
//
// Usage: tavolin-fuzz-corpus <folder>; one sub-folder per target is made in it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "sample-site/sample_site.h"
#include "site/markers.h"
#include "web/text.h"

using namespace tavolin;

namespace {

std::filesystem::path outputFolder;
int written = 0;

void write(const std::string& target, const std::string& name, const std::string& bytes) {
    const std::filesystem::path folder = outputFolder / target;
    std::filesystem::create_directories(folder);
    std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
        std::exit(1);
    }
    ++written;
}

// The layout of the text target: operation, flags, two 16-bit numbers, texts split by zero bytes.
std::string textInput(std::uint8_t operation, std::uint8_t flags, int a, int b,
                      std::initializer_list<Text> texts) {
    std::string input;
    input += static_cast<char>(operation);
    input += static_cast<char>(flags);
    for (const int number : {a, b}) {
        input += static_cast<char>(number & 0xFF);
        input += static_cast<char>((number >> 8) & 0xFF);
    }
    bool first = true;
    for (const Text& text : texts) {
        if (!first) input += '\0';
        input += text;
        first = false;
    }
    return input;
}

std::string encodingInput(std::uint8_t operation, std::uint8_t flags, const std::string& bytes) {
    return std::string(1, static_cast<char>(operation)) + static_cast<char>(flags) + bytes;
}

std::string cookieInput(std::uint8_t operation, std::initializer_list<Text> texts) {
    std::string input(1, static_cast<char>(operation));
    bool first = true;
    for (const Text& text : texts) {
        if (!first) input += '\0';
        input += text;
        first = false;
    }
    return input;
}

// One day row of a timetable page: a few hundred bytes with the cell markers in it.
Text firstDayRow(const Text& page) {
    const auto start = page.find(dayRowMarker);
    if (start == Text::npos) return page.substr(0, 2048);
    const auto end = page.find(dayRowMarker, start + dayRowMarker.size());
    return page.substr(start, end == Text::npos ? 2048 : end - start + dayRowMarker.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    outputFolder = argv[1];

    // Pages: the term list, every class list, two timetables of every term, and a missing page.
    write("pages", "term-list.html", sampleTermListPage());
    write("pages", "not-found.html", sampleNotFoundPage());
    Text anyTimetable;
    for (const SampleTerm& term : sampleTerms()) {
        write("pages", "class-list-" + term.code + ".html", sampleClassListPage(term.code));
        for (std::size_t i = 0; i < term.classes.size() && i < 2; ++i) {
            const Text page = sampleTimetablePage(term.code, term.classes[i].name);
            write("pages", "timetable-" + term.code + "-" + std::to_string(i) + ".html", page);
            if (anyTimetable.empty()) anyTimetable = page;
        }
    }

    const SampleTerm& term = sampleTerms().front();
    const Text className = term.classes.front().name;
    const Text row = firstDayRow(anyTimetable);
    const Text classPage = sampleClassListPage(term.code);
    const Text options = classPage.substr(classPage.find(optionValueStart), 600);

    // Text operations (0 find, 1 split, 2 replace, 3 trim, 4 cuts, 5 textBetween).
    write("text", "find-option", textInput(0, 0, 1, 0, {options, optionSeparator}));
    write("text", "find-case", textInput(0, 1, 3, 0, {row, "<TD VALIGN"}));
    write("text", "split-row", textInput(1, 0, 0, 0, {row, periodCellMarker}));
    write("text", "split-options", textInput(1, 0, 0, 0, {options, optionSeparator}));
    write("text", "split-gbk", textInput(1, 0, 0, 0, {className + ";" + className, ";"}));
    write("text", "replace-cells", textInput(2, 1, -1, 0, {row, "</td>", className}));
    write("text", "replace-once", textInput(2, 0, 1, 0, {"aAa\x81\x41", "a", "b"}));
    write("text", "trim", textInput(3, 0, 0, 0, {"  \xA1\xA1" + className + "\t \xA1\xA1"}));
    write("text", "cuts", textInput(4, 0, 3, 5, {className}));
    write("text", "between-cell", textInput(5, 1, 0, 0, {row, periodCellMarker, emptyCellText}));
    write("text", "between-quote",
          textInput(5, 0, 0, 0, {"<a href=\"x\">", "HREF=#\xD2\xFD\xBA\xC5", "#\xD2\xFD\xBA\xC5"}));

    // Encodings (0 percentEncode, 1 GB18030 text, 2 UTF-16 units, 3 wide, 4 UTF-8 input).
    write("encoding", "percent-kept", encodingInput(0, 1, className));
    write("encoding", "percent-all", encodingInput(0, 0, "a b_c~d+e"));
    write("encoding", "percent-utf8", encodingInput(0, 3, className));
    write("encoding", "gb18030-name", encodingInput(1, 0, term.displayName + className));
    write("encoding", "gb18030-row", encodingInput(1, 0, row));
    write("encoding", "gb18030-four-byte", encodingInput(1, 0, "\x95\x32\x82\x36\x81\x30\x81\x30"));
    const std::u16string units = textToUtf16(className + "\x95\x32\x82\x36");
    write("encoding", "utf16-name",
          encodingInput(
              2, 0, std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2)));
    const Bytes wide = textToWide(className, 936);
    write("encoding", "wide-gbk", encodingInput(3, 0, std::string(wide.begin(), wide.end() - 2)));
    write("encoding", "wide-utf8", encodingInput(3, 2, textToUtf8(className)));
    write("encoding", "utf8-name", encodingInput(4, 0, textToUtf8(className)));

    // Cookies (even: merge, odd: textFromMarker).
    write("cookies", "merge-replace", cookieInput(0, {"A=1; B=2;", "A=9; "}));
    write("cookies", "merge-delete", cookieInput(0, {"A=1; B=2;", "B=deleted; C=; "}));
    write("cookies", "merge-gbk",
          cookieInput(0, {"\xA1\xA1"
                          "A=" +
                              className + "; secure",
                          "a=5"}));
    write("cookies", "from-marker", cookieInput(1, {"X=1; BA=3; A=2;", "A=", ";"}));

    std::printf("%d initial inputs written to %s\n", written, argv[1]);
    return 0;
}
