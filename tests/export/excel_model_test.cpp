// The object model the export drives: addresses, paste, formatting and SaveAs, without windows.

#include "export/excel_model.h"

#include <gtest/gtest.h>

#include <map>

#include "test_support.h"
#include "xls_reader.h"

namespace tavolin::excel {
namespace {

TEST(ExcelModel, AddressesParseAsTheApplicationReadsThem) {
    struct Case {
        const char* address;
        bool valid;
        CellArea area;
    };
    const Case cases[] = {
        {"A1", true, {0, 0, 0, 0}},
        {"B1:F1", true, {0, 1, 0, 5}},
        {"A2:A8", true, {1, 0, 7, 0}},
        {"A1:F8", true, {0, 0, 7, 5}},
        {"F8:A1", true, {0, 0, 7, 5}},
        {"b3", true, {2, 1, 2, 1}},
        {"IV65536", true, {65535, 255, 65535, 255}},
        {"", false, {}},
        {"A0", false, {}},
        {"IW1", false, {}},
        {"A65537", false, {}},
        {"1A", false, {}},
        {"A1:", false, {}},
        {"A1:B", false, {}},
        {"A1 ", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        CellArea area;
        ASSERT_EQ(parseAddress(c.address, area), c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(area.firstRow, c.area.firstRow);
        EXPECT_EQ(area.firstColumn, c.area.firstColumn);
        EXPECT_EQ(area.lastRow, c.area.lastRow);
        EXPECT_EQ(area.lastColumn, c.area.lastColumn);
    }
}

TEST(ExcelModel, PasteAndFormattingReachTheSheet) {
    std::unique_ptr<Application> application = createApplication();
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(application->ActiveWorkbook(), nullptr);
    application->Workbooks().Add();
    Workbook* workbook = application->ActiveWorkbook();
    ASSERT_NE(workbook, nullptr);
    EXPECT_EQ(workbook->Sheets().Item(2), nullptr);
    Worksheet* sheet = workbook->Sheets().Item(1);
    ASSERT_NE(sheet, nullptr);

    // A TAB or line break inside a text and number-like texts stay in their own cells.
    sheet->Range("A2").PasteSpecial({utf8ToText("一"), "a\tb", "c\r\nd", "007", "", "=1+1"});
    sheet->Range("Z9").PasteSpecial({"x"});
    sheet->Range("not an address").PasteSpecial({"lost"});
    sheet->Range("A1").setColumnWidth(13);
    sheet->Range("B1:F1").setColumnWidth(18);
    sheet->Range("A1").setRowHeight(28);
    sheet->Range("A2:A8").setRowHeight(67);
    sheet->Range("A1:F8").Columns().setHorizontalAlignment(xlHAlignCenterValue);
    sheet->Range("A1:F8").borders().setWeight(xlThin);
    sheet->Range("A1:F8").setWrapText(true);

    const xls::SheetData data = sheet->sheetData();
    ASSERT_EQ(data.cells.size(), 6u * 8 + 1);
    const xls::CellFormat framed{xls::HorizontalAlignment::Centre,
                                 true,
                                 xls::BorderLine::Thin,
                                 xls::BorderLine::Thin,
                                 xls::BorderLine::Thin,
                                 xls::BorderLine::Thin};
    std::map<std::string, std::u16string> texts;
    for (const xls::SheetCell& cell : data.cells) {
        SCOPED_TRACE(xls::cellAddress(cell.position));
        const bool inTable = cell.position.row < 8 && cell.position.column < 6;
        EXPECT_EQ(cell.format == framed, inTable);
        if (!cell.text.empty()) texts[xls::cellAddress(cell.position)] = cell.text;
    }
    const std::map<std::string, std::u16string> expected = {{"A2", u"一"},     {"B2", u"a\tb"},
                                                            {"C2", u"c\r\nd"}, {"D2", u"007"},
                                                            {"F2", u"=1+1"},   {"Z9", u"x"}};
    EXPECT_TRUE(texts == expected);
    ASSERT_EQ(data.columnWidths.size(), 6u);
    EXPECT_EQ(data.columnWidths[0].width, 3510);
    for (std::size_t c = 1; c < 6; ++c) EXPECT_EQ(data.columnWidths[c].width, 4790);
    ASSERT_EQ(data.rowHeights.size(), 8u);
    EXPECT_EQ(data.rowHeights[0].height, 560);
    for (std::size_t r = 1; r < 8; ++r) EXPECT_EQ(data.rowHeights[r].height, 1340);
}

TEST(ExcelModel, SaveAsWritesFormat56AndReportsWhatWentWrong) {
    testing::TempFolder folder;
    std::unique_ptr<Application> application = createApplication();
    Workbook* workbook = application->Workbooks().Add();
    Worksheet* sheet = workbook->Sheets().Item(1);
    sheet->Range("B2").PasteSpecial({Text(40000, 'x'), "ok"});

    const SaveOutcome wrongFormat = workbook->SaveAs(folder.path() / "a.xls", 51);
    EXPECT_FALSE(wrongFormat.ok);
    EXPECT_EQ(wrongFormat.reason, "不支持的文件格式");
    const SaveOutcome onFolder = workbook->SaveAs(folder.path(), xlExcel8);
    EXPECT_FALSE(onFolder.ok);
    EXPECT_EQ(onFolder.reason, "该路径是一个文件夹");
    EXPECT_FALSE(workbook->Saved());
    EXPECT_TRUE(testing::folderEntries(folder.path()).empty());

    const SaveOutcome saved = workbook->SaveAs(folder.path() / "a.xls", xlExcel8);
    ASSERT_TRUE(saved.ok) << saved.reason;
    EXPECT_TRUE(workbook->Saved());
    EXPECT_EQ(saved.truncatedCells, std::vector<std::string>{"B2"});
    if (!testing::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    const testing::XlsContents book = testing::readXls(folder.path() / "a.xls");
    ASSERT_TRUE(book.ok) << book.failure;
    EXPECT_EQ(book.text(1, 1), QString(32767, u'x'));
    EXPECT_EQ(book.text(1, 2), "ok");
}

}  // namespace
}  // namespace tavolin::excel
