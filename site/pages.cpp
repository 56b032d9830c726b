#include "site/pages.h"

#include "site/markers.h"

namespace tavolin {

namespace {

const Text memberSeparator = "-";

// Every cut on the site's pages searches from the start and matches case.
Text between(const Text& text, const Text& leading, const Text& trailing) {
    return textBetween(text, leading, trailing, true);
}

}  // namespace

Text termListAddress() {
    return siteBaseAddress + termListPath;
}

Text classListAddress(const Text& termCode) {
    return siteBaseAddress + classListPath + termCode + classListSuffix;
}

Text classTimetableAddress(const Text& termCode, const Text& classNameQuery) {
    return siteBaseAddress + classTimetablePath + termCode + classNameKey + classNameQuery;
}

std::vector<TermEntry> cutTermList(const Text& page) {
    const TextList pieces = splitText(page, termRowMarker);
    std::vector<TermEntry> terms;
    // The first piece is the page head before the first term row.
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        terms.push_back({between(pieces[i], termNameStart, termNameEnd),
                         between(pieces[i], termCodeStart, termNameStart)});
    }
    return terms;
}

Text cutClassChunk(const Text& page, const Text& termCode) {
    // The end marker carries the term code, so a page served for another term yields nothing.
    return between(page, classListStart, classListEndHead + termCode + classListEndTail);
}

TextList cutClassNames(const Text& classChunk) {
    TextList names = splitText(classChunk, optionSeparator);
    for (Text& piece : names) piece = between(piece, optionValueStart, optionValueEnd);
    return names;
}

ClassTimetable cutClassTimetable(const Text& page) {
    ClassTimetable timetable;
    const Text table = between(page, timetableStart, timetableEnd);
    const TextList dayRows = splitText(table, dayRowMarker);
    bool complete = dayRows.size() >= dayCount;
    for (std::size_t day = 0; day < dayCount && day < dayRows.size(); ++day) {
        // Piece 0 is the row's heading column.
        const TextList pieces = splitText(dayRows[day], periodCellMarker);
        if (pieces.size() < periodBlockCount + 1) complete = false;
        for (std::size_t block = 0; block < periodBlockCount && block + 1 < pieces.size();
             ++block) {
            timetable.cells[day][block] = pieces[block + 1];
        }
    }
    if (page.empty()) {
        timetable.reading = PageReading::NoPage;
    } else {
        timetable.reading = complete ? PageReading::Complete : PageReading::UnexpectedShape;
    }
    return timetable;
}

bool isFreeSlot(const Text& cell) {
    return cell == emptyCellText;
}

Text appendMemberName(const Text& cellText, const Text& memberName) {
    if (cellText.empty()) return memberName;
    return cellText + memberSeparator + memberName;
}

}  // namespace tavolin
