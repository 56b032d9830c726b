// The workbook writer: each record writer against its exact bytes, the container's layout, the
// shared-string table's CONTINUE records, and whole files read back by xlrd.

#include "export/biff8_writer.h"

#include <gtest/gtest.h>

#include <functional>

#include "export/compound_file.h"
#include "test_support.h"
#include "xls_reader.h"

namespace tavolin::xls {
namespace {

using testing::hexBytes;
using testing::readXls;
using testing::TempFolder;
using testing::toHex;

std::uint32_t read32(const ByteBuffer& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t read16(const ByteBuffer& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

struct Record {
    std::uint16_t id = 0;
    ByteBuffer payload;
};

std::vector<Record> splitRecords(const ByteBuffer& stream) {
    std::vector<Record> records;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const std::uint16_t length = read16(stream, at + 2);
        records.push_back({read16(stream, at),
                           ByteBuffer(stream.begin() + at + 4, stream.begin() + at + 4 + length)});
        at += 4 + length;
    }
    return records;
}

const CellFormat framed{HorizontalAlignment::Centre,
                        true,
                        BorderLine::Thin,
                        BorderLine::Thin,
                        BorderLine::Thin,
                        BorderLine::Thin};

TEST(RecordWriters, WriteTheirExactBytes) {
    struct Case {
        const char* name;
        std::function<void(ByteBuffer&)> write;
        const char* hex;
    };
    const Case cases[] = {
        {"workbook BOF", [](ByteBuffer& out) { record::bof(out, 0x0005); },
         "09 08 10 00 00 06 05 00 BB 0D CC 07 00 00 00 00 06 00 00 00"},
        {"worksheet BOF", [](ByteBuffer& out) { record::bof(out, 0x0010); },
         "09 08 10 00 00 06 10 00 BB 0D CC 07 00 00 00 00 06 00 00 00"},
        {"CODEPAGE is UTF-16", record::codePage, "42 00 02 00 B0 04"},
        {"WINDOW1", record::window1,
         "3D 00 12 00 E0 01 5A 00 CF 3F 4E 2A 38 00 00 00 00 00 01 00 58 02"},
        {"DATEMODE 1900", record::dateMode, "22 00 02 00 00 00"},
        {"FONT Arial 10", [](ByteBuffer& out) { record::font(out, u"Arial", 200); },
         "31 00 15 00 C8 00 00 00 FF 7F 90 01 00 00 00 00 00 00 05 00 41 72 69 61 6C"},
        {"FONT with a Chinese name is UTF-16",
         [](ByteBuffer& out) { record::font(out, u"宋体", 240); },
         "31 00 14 00 F0 00 00 00 FF 7F 90 01 00 00 00 00 00 00 02 01 8B 5B 53 4F"},
        {"style XF 0", [](ByteBuffer& out) { record::styleXf(out, 0); },
         "E0 00 14 00 00 00 00 00 F5 FF 20 00 00 00 00 00 00 00 00 00 00 00 C0 20"},
        {"style XF of font 1", [](ByteBuffer& out) { record::styleXf(out, 1); },
         "E0 00 14 00 01 00 00 00 F5 FF 20 00 00 F4 00 00 00 00 00 00 00 00 C0 20"},
        {"default cell XF", [](ByteBuffer& out) { record::cellXf(out, CellFormat{}, true); },
         "E0 00 14 00 00 00 00 00 01 00 20 00 00 00 00 00 00 00 00 00 00 00 C0 20"},
        {"centred, wrapped, thin borders",
         [](ByteBuffer& out) { record::cellXf(out, framed, false); },
         "E0 00 14 00 00 00 00 00 01 00 2A 00 00 F8 11 11 40 20 40 20 00 00 C0 20"},
        {"right-aligned, medium bottom line",
         [](ByteBuffer& out) {
             CellFormat format;
             format.horizontal = HorizontalAlignment::Right;
             format.bottom = BorderLine::Medium;
             record::cellXf(out, format, false);
         },
         "E0 00 14 00 00 00 00 00 01 00 23 00 00 F8 00 20 00 00 00 20 00 00 C0 20"},
        {"STYLE Normal", record::normalStyle, "93 02 04 00 00 80 00 FF"},
        {"BOUNDSHEET, offset patched later",
         [](ByteBuffer& out) { record::boundSheet(out, u"Sheet1"); },
         "85 00 0E 00 00 00 00 00 00 00 06 00 53 68 65 65 74 31"},
        {"SST of a Latin and a Chinese text",
         [](ByteBuffer& out) {
             const std::u16string strings[] = {u"ab", u"项目"};
             record::sst(out, strings, 3, 8);
         },
         "FC 00 14 00 03 00 00 00 02 00 00 00 02 00 00 61 62 02 00 01 79 98 EE 76"},
        {"EXTSST",
         [](ByteBuffer& out) {
             const record::SstBucket buckets[] = {{0x1234, 12}};
             record::extSst(out, buckets, 8);
         },
         "FF 00 0A 00 08 00 34 12 00 00 0C 00 00 00"},
        {"EOF", record::eof, "0A 00 00 00"},
        {"WSBOOL", record::wsBool, "81 00 02 00 C1 04"},
        {"COLINFO B:F", [](ByteBuffer& out) { record::colInfo(out, 1, 5, 4790); },
         "7D 00 0C 00 01 00 05 00 B6 12 0F 00 02 00 00 00"},
        {"DIMENSIONS A1:F8", [](ByteBuffer& out) { record::dimensions(out, 0, 8, 0, 6); },
         "00 02 0E 00 00 00 00 00 08 00 00 00 00 00 06 00 00 00"},
        {"ROW of 67 pt", [](ByteBuffer& out) { record::row(out, 1, 0, 6, 1340, true); },
         "08 02 10 00 01 00 00 00 06 00 3C 05 00 00 00 00 40 01 0F 00"},
        {"ROW of default height", [](ByteBuffer& out) { record::row(out, 9, 2, 3, 255, false); },
         "08 02 10 00 09 00 02 00 03 00 FF 00 00 00 00 00 00 01 0F 00"},
        {"LABELSST F8",
         [](ByteBuffer& out) {
             record::labelSst(out, {7, 5}, 16, 34);
         },
         "FD 00 0A 00 07 00 05 00 10 00 22 00 00 00"},
        {"BLANK D3",
         [](ByteBuffer& out) {
             record::blank(out, {2, 3}, 16);
         },
         "01 02 06 00 02 00 03 00 10 00"},
        {"WINDOW2", record::window2,
         "3E 02 12 00 B6 06 00 00 00 00 40 00 00 00 00 00 00 00 00 00 00 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteBuffer out;
        c.write(out);
        EXPECT_EQ(toHex(out), toHex(hexBytes(c.hex)));
    }
}

TEST(CellRules, AddressesWidthsAndTheLengthLimit) {
    EXPECT_EQ(cellAddress({0, 0}), "A1");
    EXPECT_EQ(cellAddress({7, 5}), "F8");
    EXPECT_EQ(cellAddress({0, 25}), "Z1");
    EXPECT_EQ(cellAddress({99, 26}), "AA100");
    EXPECT_EQ(cellAddress({65535, 255}), "IV65536");

    // 13 and 18 characters of 7-pixel digits plus 5 pixels of padding, in 1/256 character.
    EXPECT_EQ(columnWidthUnits(13), 3510);
    EXPECT_EQ(columnWidthUnits(18), 4790);
    EXPECT_EQ(columnWidthUnits(8.43), 2340);  // the spreadsheet programs' default width
    EXPECT_EQ(columnWidthUnits(0), 0);

    const std::u16string exact(maxCellTextLength, u'名');
    EXPECT_EQ(storableCellText(exact).size(), maxCellTextLength);
    const std::u16string longer(maxCellTextLength + 5, u'名');
    EXPECT_EQ(storableCellText(longer).size(), maxCellTextLength);
    // A pair that would straddle the limit goes as a whole.
    std::u16string pairAtLimit(maxCellTextLength - 1, u'名');
    pairAtLimit += u"\U00020000\U00020000";
    EXPECT_EQ(storableCellText(pairAtLimit).size(), maxCellTextLength - 1);
    std::u16string pairBeforeLimit(maxCellTextLength - 2, u'名');
    pairBeforeLimit += u"\U00020000x";
    EXPECT_EQ(storableCellText(pairBeforeLimit).size(), maxCellTextLength);

    EXPECT_EQ(extSstBucketSize(0), 8);
    EXPECT_EQ(extSstBucketSize(1100), 9);
}

TEST(CompoundFile, SmallWorkbookIsPaddedPastTheMiniStreamCutoff) {
    const ByteBuffer stream(3195, 0xAB);
    const std::optional<ByteBuffer> file = buildCompoundFile(stream);
    ASSERT_TRUE(file.has_value());
    // Header, 8 stream sectors, 1 FAT sector, 1 directory sector.
    ASSERT_EQ(file->size(), 5632u);
    EXPECT_EQ(toHex(ByteBuffer(file->begin(), file->begin() + 8)), "D0 CF 11 E0 A1 B1 1A E1");
    EXPECT_EQ(read16(*file, 0x18), 0x003E);
    EXPECT_EQ(read16(*file, 0x1A), 0x0003);
    EXPECT_EQ(read16(*file, 0x1C), 0xFFFE);
    EXPECT_EQ(read16(*file, 0x1E), 9);
    EXPECT_EQ(read16(*file, 0x20), 6);
    EXPECT_EQ(read32(*file, 0x2C), 1u);  // FAT sectors
    EXPECT_EQ(read32(*file, 0x30), 9u);  // first directory sector
    EXPECT_EQ(read32(*file, 0x38), 4096u);
    EXPECT_EQ(read32(*file, 0x3C), 0xFFFFFFFEu);
    EXPECT_EQ(read32(*file, 0x44), 0xFFFFFFFEu);
    EXPECT_EQ(read32(*file, 0x4C), 8u);
    EXPECT_EQ(read32(*file, 0x50), 0xFFFFFFFFu);

    const std::size_t fat = 9 * 512;
    for (std::uint32_t i = 0; i < 7; ++i) EXPECT_EQ(read32(*file, fat + 4 * i), i + 1);
    EXPECT_EQ(read32(*file, fat + 4 * 7), 0xFFFFFFFEu);  // end of the stream
    EXPECT_EQ(read32(*file, fat + 4 * 8), 0xFFFFFFFDu);  // the FAT itself
    EXPECT_EQ(read32(*file, fat + 4 * 9), 0xFFFFFFFEu);  // the directory
    for (std::uint32_t i = 10; i < 128; ++i) EXPECT_EQ(read32(*file, fat + 4 * i), 0xFFFFFFFFu);

    const std::size_t directory = 10 * 512;
    EXPECT_EQ(read16(*file, directory + 64), 22);  // "Root Entry" and its NUL, in bytes
    EXPECT_EQ((*file)[directory + 66], 5);
    EXPECT_EQ(read32(*file, directory + 76), 1u);
    EXPECT_EQ(read32(*file, directory + 116), 0xFFFFFFFEu);
    const std::size_t workbook = directory + 128;
    EXPECT_EQ(read16(*file, workbook), u'W');
    EXPECT_EQ(read16(*file, workbook + 64), 18);
    EXPECT_EQ((*file)[workbook + 66], 2);
    EXPECT_EQ(read32(*file, workbook + 116), 0u);
    EXPECT_EQ(read32(*file, workbook + 120), 4096u);  // the padded size is the declared size
    EXPECT_EQ(read32(*file, workbook + 76), 0xFFFFFFFFu);
    EXPECT_EQ(read32(*file, directory + 2 * 128 + 68), 0xFFFFFFFFu);
    // The stream, then zeros up to the declared size.
    EXPECT_EQ((*file)[512 + 3194], 0xAB);
    EXPECT_EQ((*file)[512 + 3195], 0);
}

TEST(CompoundFile, FatGrowsToCoverItself) {
    const ByteBuffer stream(128 * 512, 1);
    const std::optional<ByteBuffer> file = buildCompoundFile(stream);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(read32(*file, 0x2C), 2u);
    EXPECT_EQ(read32(*file, 0x4C), 128u);
    EXPECT_EQ(read32(*file, 0x50), 129u);
    EXPECT_EQ(read32(*file, 0x30), 130u);
    const std::size_t fat = 129 * 512;
    EXPECT_EQ(read32(*file, fat + 4 * 127), 0xFFFFFFFEu);
    EXPECT_EQ(read32(*file, fat + 4 * 128), 0xFFFFFFFDu);
    EXPECT_EQ(read32(*file, fat + 4 * 129), 0xFFFFFFFDu);
    EXPECT_EQ(read32(*file, fat + 4 * 130), 0xFFFFFFFEu);
    EXPECT_EQ(read32(*file, fat + 4 * 131), 0xFFFFFFFFu);
    EXPECT_EQ(file->size(), (1 + 131) * 512u);

    EXPECT_FALSE(buildCompoundFile(ByteBuffer(7 * 1024 * 1024)).has_value());
}

std::vector<Record> sstAndContinues(const ByteBuffer& stream) {
    std::vector<Record> found;
    for (Record& r : splitRecords(stream)) {
        if (r.id == 0x00FC || (r.id == 0x003C && !found.empty())) {
            found.push_back(std::move(r));
        } else if (!found.empty()) {
            break;
        }
    }
    return found;
}

SheetData sheetOfTexts(const std::vector<std::u16string>& texts) {
    SheetData sheet;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        sheet.cells.push_back({{static_cast<std::uint16_t>(i), 0}, texts[i], {}});
    }
    return sheet;
}

TEST(SharedStrings, ContinueRecordsFollowTheSplittingRules) {
    SCOPED_TRACE("32767 Chinese characters: SST, six full CONTINUEs and a last one");
    {
        const std::u16string longest(maxCellTextLength, u'名');
        const std::vector<Record> records =
            sstAndContinues(buildWorkbookStream(sheetOfTexts({longest}), nullptr));
        ASSERT_EQ(records.size(), 8u);
        EXPECT_EQ(records[0].payload.size(), 8u + 3 + 4106 * 2);
        for (std::size_t i = 1; i < 7; ++i) {
            EXPECT_EQ(records[i].payload.size(), 1u + 4111 * 2);
            EXPECT_EQ(records[i].payload[0], 0x01) << "flags byte of the text's next piece";
        }
        EXPECT_EQ(records[7].payload.size(), 1u + (32767 - 4106 - 6 * 4111) * 2);
        EXPECT_EQ(records[7].payload[0], 0x01);
    }
    SCOPED_TRACE("a header that does not fit starts the next text in a CONTINUE, no extra byte");
    {
        const std::vector<Record> records = sstAndContinues(
            buildWorkbookStream(sheetOfTexts({std::u16string(8211, u'a'), u"项目"}), nullptr));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].payload.size(), 8222u);
        EXPECT_EQ(toHex(records[1].payload), "02 00 01 79 98 EE 76");
    }
    SCOPED_TRACE("a Latin text continues with a flags byte of 0");
    {
        const std::vector<Record> records = sstAndContinues(
            buildWorkbookStream(sheetOfTexts({std::u16string(9000, u'x')}), nullptr));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].payload.size(), 8224u);
        EXPECT_EQ(records[1].payload[0], 0x00);
        EXPECT_EQ(records[1].payload.size(), 1u + 9000 - 8213);
    }
    SCOPED_TRACE("a surrogate pair at the edge of the record moves to the CONTINUE whole");
    {
        std::u16string text(4105, u'名');
        text += u"\U0002A6A5end";
        const std::vector<Record> records =
            sstAndContinues(buildWorkbookStream(sheetOfTexts({text}), nullptr));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].payload.size(), 8u + 3 + 4105 * 2);
        EXPECT_EQ(toHex(records[1].payload), "01 69 D8 A5 DE 65 00 6E 00 64 00");
    }
}

TEST(WorkbookStream, BoundSheetPointsAtTheSheetAndExtSstAtItsStrings) {
    std::vector<std::u16string> texts;
    for (int i = 0; i < 40; ++i) texts.push_back(std::u16string(300 + i, u'甲'));
    const ByteBuffer stream = buildWorkbookStream(sheetOfTexts(texts), nullptr);
    std::size_t at = 0;
    std::uint32_t sheetOffset = 0;
    ByteBuffer extSst;
    for (const Record& r : splitRecords(stream)) {
        if (r.id == 0x0085) sheetOffset = read32(r.payload, 0);
        if (r.id == 0x00FF) extSst = r.payload;
        at += 4 + r.payload.size();
    }
    EXPECT_EQ(at, stream.size());
    ASSERT_LT(sheetOffset + 6u, stream.size());
    EXPECT_EQ(read16(stream, sheetOffset), 0x0809);
    EXPECT_EQ(read16(stream, sheetOffset + 6), 0x0010);

    ASSERT_EQ(extSst.size(), 2u + 5 * 8);  // 40 texts in buckets of 8
    EXPECT_EQ(read16(extSst, 0), 8);
    for (int bucket = 0; bucket < 5; ++bucket) {
        SCOPED_TRACE(bucket);
        const std::uint32_t position = read32(extSst, 2 + 8 * bucket);
        const std::uint16_t inRecord = read16(extSst, 6 + 8 * bucket);
        // The text's header: its length in characters, then UTF-16 flags.
        EXPECT_EQ(read16(stream, position), 300 + 8 * bucket);
        EXPECT_EQ(stream[position + 2], 0x01);
        const std::uint16_t recordId = read16(stream, position - inRecord);
        EXPECT_TRUE(recordId == 0x00FC || recordId == 0x003C);
    }
}

// The free-period table as the export lays it out: headers, names, empty slots.
std::vector<std::vector<std::u16string>> sampleGrid() {
    return {
        {u"项目", u"第1、2节", u"第3、4节", u"第5、6节", u"第7、8节", u"晚   上"},
        {u"一", u"张三-李四", u"", u"王五", u"", u"赵六-钱七-孙八"},
        {u"二", u"", u"", u"", u"", u""},
        {u"三", u"1-2", u"007", u"=1+1", u"2017-09-01", u"3.14"},
        {u"四", u"周\t九", u"吴\r\n十", u"𠀀𪚥", u"€ß", u"TRUE"},
        {u"五", u"李四", u"李四", u"李四", u"李四", u"李四"},
        {u"六", u"", u"郑十一", u"", u"", u""},
        {u"日", u"王五-赵六", u"", u"", u"冯十二", u""},
    };
}

SheetData formattedSheet(const std::vector<std::vector<std::u16string>>& grid) {
    SheetData sheet;
    for (std::uint16_t r = 0; r < grid.size(); ++r) {
        for (std::uint16_t c = 0; c < grid[r].size(); ++c) {
            sheet.cells.push_back({{r, c}, grid[r][c], framed});
        }
    }
    sheet.columnWidths.push_back({0, columnWidthUnits(13)});
    for (std::uint16_t c = 1; c <= 5; ++c) sheet.columnWidths.push_back({c, columnWidthUnits(18)});
    sheet.rowHeights.push_back({0, 28 * 20});
    for (std::uint16_t r = 1; r <= 7; ++r) sheet.rowHeights.push_back({r, 67 * 20});
    return sheet;
}

class ReadBack : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    }

    testing::XlsContents writeAndRead(const SheetData& sheet,
                                      std::vector<CellPosition>* truncated = nullptr) {
        const WorkbookFile file = buildWorkbookFile(sheet);
        EXPECT_FALSE(file.bytes.empty());
        if (truncated != nullptr) *truncated = file.truncatedCells;
        const std::filesystem::path path = folder_.path() / "book.xls";
        testing::writeFileBytes(path, file.bytes);
        testing::XlsContents contents = readXls(path);
        EXPECT_TRUE(contents.ok) << contents.failure;
        EXPECT_EQ(contents.json["warnings"].toString(), QString());
        return contents;
    }

    TempFolder folder_;
};

TEST_F(ReadBack, FormattedTableCellForCell) {
    const auto grid = sampleGrid();
    const testing::XlsContents book = writeAndRead(formattedSheet(grid));
    EXPECT_EQ(book.json["sheets"].toInt(), 1);
    EXPECT_EQ(book.json["name"].toString(), "Sheet1");
    ASSERT_EQ(book.json["nrows"].toInt(), 8);
    ASSERT_EQ(book.json["ncols"].toInt(), 6);
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 6; ++c) {
            SCOPED_TRACE(
                cellAddress({static_cast<std::uint16_t>(r), static_cast<std::uint16_t>(c)}));
            const QString expected = QString::fromStdU16String(grid[r][c]);
            EXPECT_EQ(book.text(r, c), expected);
            EXPECT_EQ(book.type(r, c), expected.isEmpty() ? "blank" : "text");
            const QJsonObject cell = book.cell(r, c);
            EXPECT_EQ(cell["align"].toInt(), 2);   // centred
            EXPECT_EQ(cell["valign"].toInt(), 2);  // bottom
            EXPECT_EQ(cell["wrap"].toInt(), 1);
            EXPECT_EQ(cell["borders"].toArray(), QJsonArray({1, 1, 1, 1}));  // thin
        }
    }
    EXPECT_EQ(book.columnWidth(0), 3510);
    for (int c = 1; c <= 5; ++c) EXPECT_EQ(book.columnWidth(c), 4790) << c;
    EXPECT_EQ(book.rowHeight(0), 560);
    EXPECT_TRUE(book.rowHeightIsCustom(0));
    for (int r = 1; r <= 7; ++r) {
        EXPECT_EQ(book.rowHeight(r), 1340) << r;
        EXPECT_TRUE(book.rowHeightIsCustom(r)) << r;
    }
}

TEST_F(ReadBack, LongAndManyTextsAcrossContinueRecords) {
    SheetData sheet;
    // Every slot of the table holds 300 names; no two slots hold the same text.
    for (std::uint16_t r = 1; r <= 7; ++r) {
        for (std::uint16_t c = 1; c <= 5; ++c) {
            std::u16string names;
            for (int n = 0; n < 300; ++n) {
                if (n > 0) names += u'-';
                names += u"成员" +
                         std::u16string(1, static_cast<char16_t>(u'甲' + (r * 5 + c + n) % 500));
            }
            sheet.cells.push_back({{r, c}, names, framed});
        }
    }
    std::u16string longest;
    while (longest.size() < maxCellTextLength) longest += u"名𪚥x";
    longest.resize(maxCellTextLength);  // exactly the limit, ending after a whole pair
    sheet.cells.push_back({{8, 0}, longest, {}});
    sheet.cells.push_back({{8, 1}, std::u16string(40000, u'长'), {}});
    std::u16string pairAtLimit(maxCellTextLength - 1, u'a');
    pairAtLimit += u"\U00020000";
    sheet.cells.push_back({{8, 2}, pairAtLimit, {}});
    sheet.cells.push_back({{9, 0}, std::u16string(20000, u'x') + u"末", {}});

    std::vector<CellPosition> truncated;
    const testing::XlsContents book = writeAndRead(sheet, &truncated);
    for (const SheetCell& cell : sheet.cells) {
        SCOPED_TRACE(cellAddress(cell.position));
        EXPECT_EQ(book.text(cell.position.row, cell.position.column),
                  QString::fromStdU16String(std::u16string(storableCellText(cell.text))));
    }
    EXPECT_EQ(book.text(8, 1).size(), 32767);
    EXPECT_EQ(book.text(8, 2), QString(32767 - 1, u'a'));
    EXPECT_EQ(truncated, (std::vector<CellPosition>{{8, 1}, {8, 2}}));
}

TEST_F(ReadBack, EmptySheetAndUnformattedCellsStillOpen) {
    const testing::XlsContents empty = writeAndRead(SheetData{});
    EXPECT_EQ(empty.json["nrows"].toInt(), 0);

    SheetData sparse;
    sparse.cells.push_back({{40, 3}, u"远处", {}});
    sparse.cells.push_back({{2, 1}, u"", {}});  // empty and unformatted: not stored
    sparse.rowHeights.push_back({60, 400});
    const testing::XlsContents book = writeAndRead(sparse);
    EXPECT_EQ(book.json["nrows"].toInt(), 41);
    EXPECT_EQ(book.text(40, 3), "远处");
    EXPECT_EQ(book.type(2, 1), "empty");
    EXPECT_EQ(book.rowHeight(60), 400);
}

TEST_F(ReadBack, SpreadsheetProgramShowsTheSameCells) {
    const auto grid = sampleGrid();
    const std::filesystem::path path = folder_.path() / "表格.xls";
    testing::writeFileBytes(path, buildWorkbookFile(formattedSheet(grid)).bytes);
    const testing::CsvConversion csv = testing::convertWithSpreadsheetProgram(path, folder_.path());
    if (csv.converter.empty()) GTEST_SKIP() << "neither LibreOffice nor Gnumeric is installed";
    SCOPED_TRACE(csv.converter);
    ASSERT_EQ(csv.rows.size(), 8u);
    for (std::size_t r = 0; r < 8; ++r) {
        ASSERT_EQ(csv.rows[r].size(), 6u) << r;
        for (std::size_t c = 0; c < 6; ++c) {
            // The cells hold CR LF line breaks; LibreOffice's CSV output writes them as LF,
            // Gnumeric's as they are, so only the line breaks' spelling is left out.
            QString expected = QString::fromStdU16String(grid[r][c]);
            expected.replace(u"\r\n"_qs, u"\n"_qs);
            QString shown = csv.rows[r][c];
            shown.replace(u"\r\n"_qs, u"\n"_qs);
            EXPECT_EQ(shown, expected) << r << "," << c;
        }
    }
}

}  // namespace
}  // namespace tavolin::xls
