// The cutting of the site's three pages on arbitrary pages: whatever is cut out stands in the page
// between the markers it was cut at, and a timetable counts as complete only with its whole
// shape there.
//
// Input: the page itself; every page goes through all three cuttings. The class list is cut for
// the term code the page's own end marker names, for the empty code and for a code of the sample
// site, so that real class-list pages reach their options.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "site/markers.h"
#include "site/pages.h"
#include "web/text.h"

using namespace tavolin;
using namespace tavolin::fuzz;

namespace {

void checkTermList(const Text& page) {
    const std::vector<TermEntry> terms = cutTermList(page);
    std::size_t rows = 0;
    for (std::size_t at = page.find(termRowMarker); at != Text::npos;
         at = page.find(termRowMarker, at + termRowMarker.size())) {
        ++rows;
    }
    FUZZ_CHECK(terms.size() <= rows, {"page", page});
    for (const TermEntry& term : terms) {
        if (!term.displayName.empty()) {
            FUZZ_CHECK(contains(page, termNameStart + term.displayName + termNameEnd),
                       {"name", term.displayName}, {"page", page});
        }
        if (!term.code.empty()) {
            FUZZ_CHECK(contains(page, termCodeStart + term.code + termNameStart),
                       {"code", term.code}, {"page", page});
        }
        FUZZ_CHECK(findText(term.displayName, termRowMarker) == -1 &&
                       findText(term.code, termRowMarker) == -1,
                   {"name", term.displayName}, {"code", term.code}, {"page", page});
    }
}

void checkClassNames(const Text& chunk, const Text& page) {
    const TextList names = cutClassNames(chunk);
    FUZZ_CHECK(names.size() == splitText(chunk, optionSeparator).size(), {"chunk", chunk},
               {"page", page});
    for (const Text& name : names) {
        if (name.empty()) continue;
        FUZZ_CHECK(contains(chunk, optionValueStart + name + optionValueEnd), {"name", name},
                   {"chunk", chunk}, {"page", page});
        FUZZ_CHECK(findText(name, optionSeparator) == -1, {"name", name}, {"page", page});
    }
}

void checkClassList(const Text& page, const Text& termCode) {
    const Text chunk = cutClassChunk(page, termCode);
    const Text endMarker = classListEndHead + termCode + classListEndTail;
    if (!chunk.empty()) {
        FUZZ_CHECK(contains(page, classListStart + chunk + endMarker), {"code", termCode},
                   {"chunk", chunk}, {"page", page});
        FUZZ_CHECK(findText(chunk, endMarker) == -1, {"code", termCode}, {"chunk", chunk},
                   {"page", page});
    }
    checkClassNames(chunk, page);
}

void checkTimetable(const Text& page) {
    const ClassTimetable timetable = cutClassTimetable(page);
    if (page.empty()) {
        FUZZ_CHECK(timetable.reading == PageReading::NoPage, {"page", page});
        return;
    }
    FUZZ_CHECK(timetable.reading != PageReading::NoPage, {"page", page});

    for (std::size_t day = 0; day < dayCount; ++day) {
        Text row;
        for (const Text& cell : timetable.cells[day]) {
            FUZZ_CHECK(contains(page, cell), {"cell", cell}, {"page", page});
            FUZZ_CHECK(isFreeSlot(cell) == (cell == "</td>"), {"cell", cell});
            row += periodCellMarker + cell;
        }
        if (timetable.reading != PageReading::Complete) continue;
        // A complete day: five cells that stand one after another in the page, each opened by
        // the cell marker, and none holding a marker of the table's shape.
        FUZZ_CHECK(contains(page, timetableStart), {"page", page});
        FUZZ_CHECK(contains(page, row), {"row", row}, {"page", page});
        for (const Text& cell : timetable.cells[day]) {
            FUZZ_CHECK(findText(cell, periodCellMarker) == -1 &&
                           findText(cell, dayRowMarker) == -1 && findText(cell, timetableEnd) == -1,
                       {"cell", cell}, {"page", page});
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Text page(reinterpret_cast<const char*>(data), size);
    checkTermList(page);
    checkClassList(page, textBetween(page, classListEndHead, "\"", true));
    checkClassList(page, "");
    checkClassList(page, "20170A");
    checkClassNames(page, page);
    checkTimetable(page);
    return 0;
}
