#pragma once
// Cutting the site's three pages into what the handlers need. Plain functions: no window, no
// request. A fragment that is missing yields empty results, never an error.

#include <array>
#include <vector>

#include "web/text.h"

namespace tavolin {

// Addresses of the three pages.
Text termListAddress();
Text classListAddress(const Text& termCode);
// classNameQuery is the class name already percent-encoded.
Text classTimetableAddress(const Text& termCode, const Text& classNameQuery);

struct TermEntry {
    Text displayName;
    Text code;
};

// One entry per term row, in page order; a row missing a marker keeps its place with an empty
// name or code, so names and codes stay aligned.
std::vector<TermEntry> cutTermList(const Text& page);

// The class options of termCode's class-list page: every option, the last one without its
// "</option>". Empty for a page of another term or one without options.
Text cutClassChunk(const Text& page, const Text& termCode);
// The option values (class names) in page order; a piece without a value gives an empty name.
TextList cutClassNames(const Text& classChunk);

constexpr int dayCount = 7;
constexpr int periodBlockCount = 5;

// What became of a page. A failed request reaches the client as an empty page.
enum class PageReading { Complete, NoPage, UnexpectedShape };

struct ClassTimetable {
    // cells[day][block]: Monday..Sunday x the five period blocks, each exactly as cut, its
    // markup and closing "</td>" included.
    std::array<std::array<Text, periodBlockCount>, dayCount> cells;
    // Complete only when the page held the table with seven day rows of at least five cells
    // each; otherwise cells holds what could be cut and must not be shown.
    PageReading reading = PageReading::NoPage;
};

ClassTimetable cutClassTimetable(const Text& page);

// A cell of a timetable without a lesson: exactly "</td>", white space being a lesson.
bool isFreeSlot(const Text& cell);

// The fill-in rule for one free slot: the name alone into an empty cell, else joined with "-".
Text appendMemberName(const Text& cellText, const Text& memberName);

}  // namespace tavolin
