// Cutting the three pages: on every page of the sample site, and on hand-made pages that show
// the edges (missing or capitalised markers, another term's page, too few rows or cells) and on
// damaged pages, which must never crash or hang.

#include "site/pages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sample-site/sample_site.h"
#include "site/markers.h"

namespace tavolin {
namespace {

Text replaceFirst(Text text, const Text& sought, const Text& replacement) {
    const auto at = text.find(sought);
    EXPECT_NE(at, Text::npos) << "the page lacks the fragment to change";
    if (at != Text::npos) text.replace(at, sought.size(), replacement);
    return text;
}

Text replaceAll(Text text, const Text& sought, const Text& replacement) {
    for (auto at = text.find(sought); at != Text::npos;
         at = text.find(sought, at + replacement.size()))
        text.replace(at, sought.size(), replacement);
    return text;
}

Text asciiUpper(Text text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

const SampleTerm& firstTerm() {
    return sampleTerms().front();
}
const SampleClass& firstClass() {
    return firstTerm().classes.front();
}
Text firstTimetablePage() {
    return sampleTimetablePage(firstTerm().code, firstClass().name);
}

TEST(TermListPage, SampleSiteTermsInPageOrderWithTheirCodes) {
    const std::vector<TermEntry> terms = cutTermList(sampleTermListPage());
    ASSERT_EQ(terms.size(), sampleTerms().size());
    for (std::size_t i = 0; i < terms.size(); ++i) {
        SCOPED_TRACE(sampleTerms()[i].code);
        EXPECT_EQ(terms[i].displayName, sampleTerms()[i].displayName);
        EXPECT_EQ(terms[i].code, sampleTerms()[i].code);
    }
    // Two terms share a display name and keep their own codes.
    EXPECT_EQ(terms[1].displayName, terms[2].displayName);
    EXPECT_NE(terms[1].code, terms[2].code);
}

TEST(TermListPage, Edges) {
    const Text page = sampleTermListPage();
    const std::size_t n = sampleTerms().size();
    struct Row {
        const char* name;
        Text page;
        std::size_t count;
        Text firstName;
        Text firstCode;
    };
    const SampleTerm& first = sampleTerms().front();
    const Row rows[] = {
        {"empty page", "", 0, "", ""},
        {"no term row marker", sampleNotFoundPage(), 0, "", ""},
        {"markers in capitals", asciiUpper(page), 0, "", ""},
        {"row without its name end", replaceFirst(page, termNameEnd, "</font>"), n, "", first.code},
        {"row without its code start", replaceFirst(page, termCodeStart, "/PKindex.ASP?XMXH="), n,
         first.displayName, ""},
        {"a page ending with a row marker has no row after it", "<html>" + termRowMarker, 0, "",
         ""},
        {"a row without either marker", "<html>" + termRowMarker + "<a>", 1, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<TermEntry> terms = cutTermList(row.page);
        ASSERT_EQ(terms.size(), row.count);
        if (row.count == 0) continue;
        EXPECT_EQ(terms[0].displayName, row.firstName);
        EXPECT_EQ(terms[0].code, row.firstCode);
    }
}

TEST(ClassListPage, EveryTermsClassesAreTheOptionValuesInOrder) {
    for (const SampleTerm& term : sampleTerms()) {
        SCOPED_TRACE(term.code);
        const Text chunk = cutClassChunk(sampleClassListPage(term.code), term.code);
        // The chunk runs from the first option to the last class's label, without "</option>".
        EXPECT_EQ(chunk.rfind(optionValueStart, 0), 0u);
        EXPECT_TRUE(chunk.ends_with(term.classes.back().label));
        const TextList names = cutClassNames(chunk);
        ASSERT_EQ(names.size(), term.classes.size());
        for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], term.classes[i].name);
    }
}

TEST(ClassListPage, Edges) {
    const Text code = firstTerm().code;
    const Text page = sampleClassListPage(code);
    const Text otherCode = sampleTerms()[1].code;
    Text noOptions = page;
    {
        // The selection list emptied: its closing "</option>" goes with the options.
        const auto from = noOptions.find(classListStart) + classListStart.size();
        const auto to = noOptions.find(classListEndHead);
        noOptions.replace(from, to - from + optionSeparator.size(), "");
    }
    struct Row {
        const char* name;
        Text page;
        Text requestedCode;
    };
    const Row rows[] = {
        {"empty page", "", code},
        {"page without markers", sampleNotFoundPage(), code},
        {"page of another term code", sampleClassListPage(otherCode), code},
        {"selection list without options", noOptions, code},
        {"markers in capitals", asciiUpper(page), code},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Text chunk = cutClassChunk(row.page, row.requestedCode);
        EXPECT_EQ(chunk, "");
        EXPECT_TRUE(cutClassNames(chunk).empty());
    }
    // An option whose value is double-quoted has no single-quoted value: it keeps its place with
    // an empty name.
    const TextList names = cutClassNames("<option value=\"x\">x</option>\r\n<option value='y'>y");
    EXPECT_EQ(names, (TextList{"", "y"}));
}

TEST(TimetablePage, EverySampleClassCutsToItsWeek) {
    for (const SampleTerm& term : sampleTerms()) {
        for (const SampleClass& sampleClass : term.classes) {
            SCOPED_TRACE(term.code + " " + textToUtf8(sampleClass.name));
            const ClassTimetable timetable =
                cutClassTimetable(sampleTimetablePage(term.code, sampleClass.name));
            ASSERT_EQ(timetable.reading, PageReading::Complete);
            for (int day = 0; day < dayCount; ++day) {
                for (int block = 0; block < periodBlockCount; ++block) {
                    const Text& cell = timetable.cells[day][block];
                    EXPECT_EQ(isFreeSlot(cell), sampleClass.isFree(day, block));
                    EXPECT_EQ(cell, sampleClass.lessons[day][block] + "</td>");
                }
            }
        }
    }
}

TEST(TimetablePage, ACellWithOnlyASpaceIsALesson) {
    EXPECT_TRUE(isFreeSlot("</td>"));
    EXPECT_FALSE(isFreeSlot(" </td>"));
    EXPECT_FALSE(isFreeSlot("</TD>"));
    EXPECT_FALSE(isFreeSlot("</td>\r\n"));
}

TEST(TimetablePage, Shapes) {
    const Text page = firstTimetablePage();
    const auto cellAt = page.find(periodCellMarker);
    const auto lastRow = page.rfind(dayRowMarker);
    const auto tableEnd = page.find(timetableEnd);
    ASSERT_NE(cellAt, Text::npos);
    ASSERT_NE(lastRow, Text::npos);
    ASSERT_NE(tableEnd, Text::npos);
    // Sunday's row taken out: six day rows.
    const Text sixRows = page.substr(0, lastRow) + page.substr(tableEnd);
    // Monday's first cell taken out: four cells.
    const auto secondCell = page.find(periodCellMarker, cellAt + 1);
    const Text fourCells = page.substr(0, cellAt) + page.substr(secondCell);
    // An eighth row and a sixth cell are ignored.
    const Text eightRows =
        page.substr(0, tableEnd) + page.substr(lastRow, tableEnd - lastRow) + page.substr(tableEnd);
    const Text sixCells = page.substr(0, cellAt) + periodCellMarker + "</td>" + page.substr(cellAt);

    struct Row {
        const char* name;
        Text page;
        PageReading reading;
    };
    const Row rows[] = {
        {"the sample page", page, PageReading::Complete},
        {"empty page: the request failed", "", PageReading::NoPage},
        {"error page without markers", sampleNotFoundPage(), PageReading::UnexpectedShape},
        {"six day rows", sixRows, PageReading::UnexpectedShape},
        {"a row with four cells", fourCells, PageReading::UnexpectedShape},
        {"eight day rows", eightRows, PageReading::Complete},
        {"a row with six cells", sixCells, PageReading::Complete},
        {"cell tags in capitals", replaceAll(page, periodCellMarker, asciiUpper(periodCellMarker)),
         PageReading::UnexpectedShape},
        {"no table end", replaceFirst(page, timetableEnd, "</table>"),
         PageReading::UnexpectedShape},
        {"page cut off inside the table", page.substr(0, tableEnd - 100),
         PageReading::UnexpectedShape},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cutClassTimetable(row.page).reading, row.reading);
    }

    // Extra rows and cells do not shift the ones used.
    const ClassTimetable normal = cutClassTimetable(page);
    EXPECT_EQ(cutClassTimetable(eightRows).cells, normal.cells);
    const ClassTimetable shifted = cutClassTimetable(sixCells);
    EXPECT_EQ(shifted.cells[0][0], "</td>");
    EXPECT_EQ(shifted.cells[0][1], normal.cells[0][0]);
    EXPECT_EQ(shifted.cells[1], normal.cells[1]);
}

TEST(AppendMemberName, JoinsWithAHyphen) {
    struct Row {
        const char* name;
        Text cell;
        Text member;
        Text expected;
    };
    const Row rows[] = {
        {"empty cell takes the name alone", "", "Li", "Li"},
        {"second member", "Li", "Wang", "Li-Wang"},
        {"the same member twice", "Li", "Li", "Li-Li"},
        {"a name with a hyphen is not escaped", "Li", "Ann-Marie", "Li-Ann-Marie"},
        {"after a shown timetable", "\xCE\xDE", "Li", "\xCE\xDE-Li"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(appendMemberName(row.cell, row.member), row.expected);
    }
}

TEST(Addresses, ThreePagesOnTheSiteAddress) {
    EXPECT_EQ(termListAddress(),
              siteBaseAddress + "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKList.ASP?XMXH=");
    EXPECT_EQ(
        classListAddress("20170A"),
        siteBaseAddress + "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKleft.asp?NwDR=PK&XMXH=20170A&ListPUT=");
    EXPECT_EQ(classTimetableAddress("20170A", "%95N17-1"),
              siteBaseAddress +
                  "/SSJWC/JWGL/SSPK8080GB/SBPKJH/BRKB_BJ.ASP?NwDR=PK&XMXH=20170A&NwZC=%95N17-1");
}

// Damaged pages of every kind: cut off anywhere (inside a two-byte character too), bytes
// changed, zero bytes, markers repeated. Nothing may crash, and a page cut off inside its table
// is never taken for a whole one.
TEST(DamagedPages, NeverCrash) {
    std::mt19937 random(20170);
    const Text pages[] = {sampleTermListPage(), sampleClassListPage(firstTerm().code),
                          firstTimetablePage()};
    for (int round = 0; round < 600; ++round) {
        Text page = pages[round % 3];
        switch (round % 4) {
            case 0:
                page.resize(random() % page.size());
                break;
            case 1:
                for (int i = 0; i < 8; ++i)
                    page[random() % page.size()] = static_cast<char>(random());
                break;
            case 2:
                page.insert(random() % page.size(), 1, '\0');
                break;
            case 3: {
                const auto from = random() % page.size();
                page.insert(random() % page.size(), page.substr(from, random() % 4000));
                break;
            }
        }
        const bool cutInsideTable =
            round % 4 == 0 && round % 3 == 2 && page.find(timetableEnd) == Text::npos;
        EXPECT_LE(cutTermList(page).size(), page.size());
        EXPECT_LE(cutClassNames(cutClassChunk(page, firstTerm().code)).size(), page.size());
        const ClassTimetable timetable = cutClassTimetable(page);
        if (cutInsideTable) {
            EXPECT_NE(timetable.reading, PageReading::Complete);
        }
    }
}

TEST(DamagedPages, TenThousandOptions) {
    const Text code = firstTerm().code;
    Text options;
    for (int i = 0; i < 10000; ++i) {
        if (i > 0) options += optionSeparator + "\r\n\t\t\t\t\t\t\t";
        options += optionValueStart + "C" + std::to_string(i) + optionValueEnd + "C";
    }
    const Text page = "<html>" + classListStart + options + classListEndHead + code +
                      classListEndTail + "</html>";
    const TextList names = cutClassNames(cutClassChunk(page, code));
    ASSERT_EQ(names.size(), 10000u);
    EXPECT_EQ(names.back(), "C9999");
}

}  // namespace
}  // namespace tavolin
