#pragma once
// An Excel 97-2003 (BIFF8) workbook of one worksheet of text cells, written record by record.
// No Qt, no spreadsheet library. All integers are little-endian.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/compound_file.h"

namespace tavolin::xls {

// The longest text a cell can hold, in UTF-16 code units.
inline constexpr std::size_t maxCellTextLength = 32767;
// The largest record payload; longer data goes on in CONTINUE records.
inline constexpr std::size_t maxRecordPayload = 8224;
inline constexpr std::uint16_t maxColumns = 256;
inline constexpr std::uint32_t maxRows = 65536;

// Line styles as BIFF8 stores them in the XF record.
enum class BorderLine : std::uint8_t { None = 0, Thin = 1, Medium = 2, Thick = 5, Hair = 7 };
enum class HorizontalAlignment : std::uint8_t { General = 0, Left = 1, Centre = 2, Right = 3 };

struct CellFormat {
    HorizontalAlignment horizontal = HorizontalAlignment::General;
    bool wrap = false;
    BorderLine left = BorderLine::None;
    BorderLine right = BorderLine::None;
    BorderLine top = BorderLine::None;
    BorderLine bottom = BorderLine::None;
    bool operator==(const CellFormat&) const = default;
};

struct CellPosition {
    std::uint16_t row = 0;
    std::uint16_t column = 0;
    bool operator==(const CellPosition&) const = default;
    auto operator<=>(const CellPosition&) const = default;
};

// A cell with an empty text and a format other than the default is stored as a formatted blank,
// so that its borders, alignment and wrap show; an empty unformatted cell is not stored.
struct SheetCell {
    CellPosition position;
    std::u16string text;
    CellFormat format;
};

struct ColumnWidth {
    std::uint16_t column = 0;
    std::uint16_t width = 0;  // in 1/256 of the width of a digit of the workbook's first font
};

struct RowHeight {
    std::uint16_t row = 0;
    std::uint16_t height = 0;  // in twips (1/20 pt)
};

struct SheetData {
    std::u16string name = u"Sheet1";
    std::vector<SheetCell> cells;  // any order; each position at most once
    std::vector<ColumnWidth> columnWidths;
    std::vector<RowHeight> rowHeights;
};

struct WorkbookFile {
    ByteBuffer bytes;  // empty when the workbook is too large for the container
    std::vector<CellPosition> truncatedCells;  // in row, then column order
};

// The whole .xls file. Cell texts longer than maxCellTextLength are cut there.
WorkbookFile buildWorkbookFile(const SheetData& sheet);
// The "Workbook" stream alone, without padding.
ByteBuffer buildWorkbookStream(const SheetData& sheet, std::vector<CellPosition>* truncated);

// The text as a cell stores it: at most maxCellTextLength units, never ending in half of a
// surrogate pair.
std::u16string_view storableCellText(std::u16string_view text);
// "A1" style address of a cell, counted from 0.
std::string cellAddress(CellPosition position);

// Width in 1/256 character for a column width given in characters of the standard font, the
// way a user sets it: the stored width also holds the cell padding of 5 pixels, for a font whose
// digits are 7 pixels wide.
std::uint16_t columnWidthUnits(double characters);

// Record writers: each appends one whole record, header and payload, to `out`.
namespace record {
void bof(ByteBuffer& out, std::uint16_t substreamType);  // 0x0005 globals, 0x0010 worksheet
void codePage(ByteBuffer& out);
void window1(ByteBuffer& out);
void dateMode(ByteBuffer& out);
void font(ByteBuffer& out, std::u16string_view name, std::uint16_t heightTwips);
void styleXf(ByteBuffer& out, std::uint16_t fontIndex);
void cellXf(ByteBuffer& out, const CellFormat& format, bool isDefault);
void normalStyle(ByteBuffer& out);
// Answers the position of the four offset bytes, to be patched once the sheet's BOF is placed.
std::size_t boundSheet(ByteBuffer& out, std::u16string_view name);
// Answers, for every `bucketSize`-th string, its stream position and its offset in its record.
struct SstBucket {
    std::uint32_t streamPosition = 0;
    std::uint16_t recordOffset = 0;
};
std::vector<SstBucket> sst(ByteBuffer& out, std::span<const std::u16string> strings,
                           std::uint32_t totalReferences, std::size_t bucketSize);
void extSst(ByteBuffer& out, std::span<const SstBucket> buckets, std::uint16_t bucketSize);
void eof(ByteBuffer& out);
void wsBool(ByteBuffer& out);
void colInfo(ByteBuffer& out, std::uint16_t firstColumn, std::uint16_t lastColumn,
             std::uint16_t width);
void dimensions(ByteBuffer& out, std::uint32_t firstRow, std::uint32_t rowLimit,
                std::uint16_t firstColumn, std::uint16_t columnLimit);
void row(ByteBuffer& out, std::uint16_t row, std::uint16_t firstColumn, std::uint16_t columnLimit,
         std::uint16_t heightTwips, bool customHeight);
void labelSst(ByteBuffer& out, CellPosition cell, std::uint16_t xf, std::uint32_t stringIndex);
void blank(ByteBuffer& out, CellPosition cell, std::uint16_t xf);
void window2(ByteBuffer& out);
}  // namespace record

// Strings per EXTSST bucket for a table of `count` strings (at most 128 buckets, at least 8 each).
std::uint16_t extSstBucketSize(std::size_t count);

}  // namespace tavolin::xls
