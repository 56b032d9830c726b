#include "export/biff8_writer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

namespace tavolin::xls {

namespace {

namespace id {
constexpr std::uint16_t eof = 0x000A;
constexpr std::uint16_t dateMode = 0x0022;
constexpr std::uint16_t font = 0x0031;
constexpr std::uint16_t continueRecord = 0x003C;
constexpr std::uint16_t window1 = 0x003D;
constexpr std::uint16_t codePage = 0x0042;
constexpr std::uint16_t colInfo = 0x007D;
constexpr std::uint16_t wsBool = 0x0081;
constexpr std::uint16_t boundSheet = 0x0085;
constexpr std::uint16_t xf = 0x00E0;
constexpr std::uint16_t sst = 0x00FC;
constexpr std::uint16_t labelSst = 0x00FD;
constexpr std::uint16_t extSst = 0x00FF;
constexpr std::uint16_t dimensions = 0x0200;
constexpr std::uint16_t blank = 0x0201;
constexpr std::uint16_t row = 0x0208;
constexpr std::uint16_t window2 = 0x023E;
constexpr std::uint16_t style = 0x0293;
constexpr std::uint16_t bof = 0x0809;
}  // namespace id

constexpr std::uint16_t defaultCellXf = 15;
constexpr std::uint16_t firstFormattedXf = 16;
constexpr std::uint16_t automaticColour = 0x40;
constexpr std::uint16_t rowsPerBlock = 32;

void put8(ByteBuffer& out, std::uint8_t value) {
    out.push_back(value);
}

void put16(ByteBuffer& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(ByteBuffer& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void patch16(ByteBuffer& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void patch32(ByteBuffer& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Starts a record and answers where its payload begins; endRecord fills in the length.
std::size_t beginRecord(ByteBuffer& out, std::uint16_t recordId) {
    put16(out, recordId);
    put16(out, 0);
    return out.size();
}

void endRecord(ByteBuffer& out, std::size_t payloadStart) {
    patch16(out, payloadStart - 2, static_cast<std::uint16_t>(out.size() - payloadStart));
}

bool fitsInOneByte(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit <= 0xFF; });
}

void putCharacters(ByteBuffer& out, std::u16string_view text, bool compressed) {
    for (char16_t unit : text) {
        if (compressed) {
            put8(out, static_cast<std::uint8_t>(unit));
        } else {
            put16(out, static_cast<std::uint16_t>(unit));
        }
    }
}

// Sheet and font names: 8-bit character count, flags, characters.
void putShortString(ByteBuffer& out, std::u16string_view text) {
    const bool compressed = fitsInOneByte(text);
    put8(out, static_cast<std::uint8_t>(text.size()));
    put8(out, compressed ? 0x00 : 0x01);
    putCharacters(out, text, compressed);
}

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Length of the character (one unit, or a surrogate pair) that starts at `at`.
std::size_t characterLength(std::u16string_view text, std::size_t at) {
    return at + 1 < text.size() && isHighSurrogate(text[at]) && isLowSurrogate(text[at + 1]) ? 2
                                                                                             : 1;
}

// Writes the shared-string table's strings, opening a CONTINUE record whenever the current record
// is full. A string's header always shares its record with its first character, and a string
// whose characters go on in a CONTINUE gets a fresh flags byte there (readers rely on both).
// A surrogate pair is never split between records, since readers decode each piece separately.
class SstStream {
public:
    SstStream(ByteBuffer& out) : out_(out) { payloadStart_ = beginRecord(out_, id::sst); }

    std::size_t room() const { return maxRecordPayload - (out_.size() - payloadStart_); }

    void put32(std::uint32_t value) { xls::put32(out_, value); }

    record::SstBucket putString(std::u16string_view text) {
        const bool compressed = fitsInOneByte(text);
        const std::size_t unitSize = compressed ? 1 : 2;
        const std::size_t firstCharacter = text.empty() ? 0 : characterLength(text, 0) * unitSize;
        if (room() < 3 + firstCharacter) continueRecord();
        const record::SstBucket where{static_cast<std::uint32_t>(out_.size()),
                                      static_cast<std::uint16_t>(out_.size() - payloadStart_ + 4)};
        put16(out_, static_cast<std::uint16_t>(text.size()));
        put8(out_, compressed ? 0x00 : 0x01);
        std::size_t done = 0;
        while (done < text.size()) {
            std::size_t take = std::min(room() / unitSize, text.size() - done);
            if (take < text.size() - done && take > 0 && isHighSurrogate(text[done + take - 1])) {
                --take;
            }
            if (take == 0) {
                continueRecord();
                put8(out_, compressed ? 0x00 : 0x01);
                continue;
            }
            putCharacters(out_, text.substr(done, take), compressed);
            done += take;
        }
        return where;
    }

    void finish() { endRecord(out_, payloadStart_); }

private:
    void continueRecord() {
        endRecord(out_, payloadStart_);
        payloadStart_ = beginRecord(out_, id::continueRecord);
    }

    ByteBuffer& out_;
    std::size_t payloadStart_ = 0;
};

std::uint32_t borderBits(const CellFormat& format) {
    const auto line = [](BorderLine value) { return static_cast<std::uint32_t>(value); };
    std::uint32_t bits = line(format.left) | line(format.right) << 4 | line(format.top) << 8 |
                         line(format.bottom) << 12;
    if (format.left != BorderLine::None) bits |= std::uint32_t{automaticColour} << 16;
    if (format.right != BorderLine::None) bits |= std::uint32_t{automaticColour} << 23;
    return bits;
}

std::uint32_t borderColourBits(const CellFormat& format) {
    std::uint32_t bits = 0;
    if (format.top != BorderLine::None) bits |= automaticColour;
    if (format.bottom != BorderLine::None) bits |= std::uint32_t{automaticColour} << 7;
    return bits;
}

}  // namespace

namespace record {

void bof(ByteBuffer& out, std::uint16_t substreamType) {
    const std::size_t start = beginRecord(out, id::bof);
    put16(out, 0x0600);
    put16(out, substreamType);
    put16(out, 0x0DBB);
    put16(out, 0x07CC);
    put32(out, 0);
    put32(out, 6);
    endRecord(out, start);
}

void codePage(ByteBuffer& out) {
    const std::size_t start = beginRecord(out, id::codePage);
    put16(out, 1200);  // UTF-16
    endRecord(out, start);
}

void window1(ByteBuffer& out) {
    const std::size_t start = beginRecord(out, id::window1);
    put16(out, 0x01E0);
    put16(out, 0x005A);
    put16(out, 0x3FCF);
    put16(out, 0x2A4E);
    put16(out, 0x0038);
    put16(out, 0);
    put16(out, 0);
    put16(out, 1);
    put16(out, 0x0258);
    endRecord(out, start);
}

void dateMode(ByteBuffer& out) {
    const std::size_t start = beginRecord(out, id::dateMode);
    put16(out, 0);
    endRecord(out, start);
}

void font(ByteBuffer& out, std::u16string_view name, std::uint16_t heightTwips) {
    const std::size_t start = beginRecord(out, id::font);
    put16(out, heightTwips);
    put16(out, 0);       // not italic, not struck out
    put16(out, 0x7FFF);  // automatic colour
    put16(out, 400);     // normal weight
    put16(out, 0);       // no escapement
    put8(out, 0);        // no underline
    put8(out, 0);        // family
    put8(out, 0);        // character set
    put8(out, 0);
    putShortString(out, name);
    endRecord(out, start);
}

void styleXf(ByteBuffer& out, std::uint16_t fontIndex) {
    const std::size_t start = beginRecord(out, id::xf);
    put16(out, fontIndex);
    put16(out, 0);
    put16(out, 0xFFF5);  // locked, style XF, no parent
    put8(out, 0x20);     // general, bottom
    put8(out, 0);
    put8(out, 0);
    put8(out, fontIndex == 0 ? 0x00 : 0xF4);
    put32(out, 0);
    put32(out, 0);
    put16(out, 0x20C0);
    endRecord(out, start);
}

void cellXf(ByteBuffer& out, const CellFormat& format, bool isDefault) {
    const std::size_t start = beginRecord(out, id::xf);
    put16(out, 0);       // font 0
    put16(out, 0);       // General number format: texts stay texts
    put16(out, 0x0001);  // locked, parent style XF 0
    put8(out, static_cast<std::uint8_t>(static_cast<std::uint8_t>(format.horizontal) |
                                        (format.wrap ? 0x08 : 0x00) | 0x20));
    put8(out, 0);
    put8(out, 0);
    // Every attribute of a formatted XF is its own, not inherited from the style.
    put8(out, isDefault ? 0x00 : 0xF8);
    put32(out, borderBits(format));
    put32(out, borderColourBits(format));
    put16(out, 0x20C0);
    endRecord(out, start);
}

void normalStyle(ByteBuffer& out) {
    const std::size_t start = beginRecord(out, id::style);
    put16(out, 0x8000);  // built-in style of style XF 0
    put8(out, 0);        // "Normal"
    put8(out, 0xFF);
    endRecord(out, start);
}

std::size_t boundSheet(ByteBuffer& out, std::u16string_view name) {
    const std::size_t start = beginRecord(out, id::boundSheet);
    put32(out, 0);
    put8(out, 0);  // visible
    put8(out, 0);  // worksheet
    putShortString(out, name);
    endRecord(out, start);
    return start;
}

std::vector<SstBucket> sst(ByteBuffer& out, std::span<const std::u16string> strings,
                           std::uint32_t totalReferences, std::size_t bucketSize) {
    std::vector<SstBucket> buckets;
    SstStream stream(out);
    stream.put32(totalReferences);
    stream.put32(static_cast<std::uint32_t>(strings.size()));
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const SstBucket where = stream.putString(strings[i]);
        if (i % bucketSize == 0) buckets.push_back(where);
    }
    stream.finish();
    return buckets;
}

void extSst(ByteBuffer& out, std::span<const SstBucket> buckets, std::uint16_t bucketSize) {
    const std::size_t start = beginRecord(out, id::extSst);
    put16(out, bucketSize);
    for (const SstBucket& bucket : buckets) {
        put32(out, bucket.streamPosition);
        put16(out, bucket.recordOffset);
        put16(out, 0);
    }
    endRecord(out, start);
}

void eof(ByteBuffer& out) {
    endRecord(out, beginRecord(out, id::eof));
}

void wsBool(ByteBuffer& out) {
    const std::size_t start = beginRecord(out, id::wsBool);
    put16(out, 0x04C1);
    endRecord(out, start);
}

void colInfo(ByteBuffer& out, std::uint16_t firstColumn, std::uint16_t lastColumn,
             std::uint16_t width) {
    const std::size_t start = beginRecord(out, id::colInfo);
    put16(out, firstColumn);
    put16(out, lastColumn);
    put16(out, width);
    put16(out, defaultCellXf);
    put16(out, 0x0002);  // width set by the user
    put16(out, 0);
    endRecord(out, start);
}

void dimensions(ByteBuffer& out, std::uint32_t firstRow, std::uint32_t rowLimit,
                std::uint16_t firstColumn, std::uint16_t columnLimit) {
    const std::size_t start = beginRecord(out, id::dimensions);
    put32(out, firstRow);
    put32(out, rowLimit);
    put16(out, firstColumn);
    put16(out, columnLimit);
    put16(out, 0);
    endRecord(out, start);
}

void row(ByteBuffer& out, std::uint16_t row, std::uint16_t firstColumn, std::uint16_t columnLimit,
         std::uint16_t heightTwips, bool customHeight) {
    const std::size_t start = beginRecord(out, id::row);
    put16(out, row);
    put16(out, firstColumn);
    put16(out, columnLimit);
    put16(out, heightTwips);
    put16(out, 0);
    put16(out, 0);
    // 0x100 must always be set; 0x40 keeps the height instead of fitting it to the contents.
    put16(out, customHeight ? 0x0140 : 0x0100);
    put16(out, defaultCellXf);
    endRecord(out, start);
}

void labelSst(ByteBuffer& out, CellPosition cell, std::uint16_t xf, std::uint32_t stringIndex) {
    const std::size_t start = beginRecord(out, id::labelSst);
    put16(out, cell.row);
    put16(out, cell.column);
    put16(out, xf);
    put32(out, stringIndex);
    endRecord(out, start);
}

void blank(ByteBuffer& out, CellPosition cell, std::uint16_t xf) {
    const std::size_t start = beginRecord(out, id::blank);
    put16(out, cell.row);
    put16(out, cell.column);
    put16(out, xf);
    endRecord(out, start);
}

void window2(ByteBuffer& out) {
    const std::size_t start = beginRecord(out, id::window2);
    put16(out, 0x06B6);
    put16(out, 0);
    put16(out, 0);
    put16(out, automaticColour);
    put16(out, 0);
    put16(out, 0);
    put16(out, 0);
    put32(out, 0);
    endRecord(out, start);
}

}  // namespace record

std::u16string_view storableCellText(std::u16string_view text) {
    if (text.size() <= maxCellTextLength) return text;
    std::size_t length = maxCellTextLength;
    if (isHighSurrogate(text[length - 1]) && isLowSurrogate(text[length])) --length;
    return text.substr(0, length);
}

std::string cellAddress(CellPosition position) {
    std::string letters;
    for (int column = position.column + 1; column > 0; column = (column - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    }
    return letters + std::to_string(position.row + 1);
}

std::uint16_t columnWidthUnits(double characters) {
    if (!(characters > 0)) return 0;
    // Digits 7 pixels wide, 5 pixels of padding, rounded down to whole 1/256 the way the
    // spreadsheet programs store a width typed in characters.
    const double units = std::floor((characters * 7 + 5) / 7 * 256);
    return static_cast<std::uint16_t>(std::min(units, 65535.0));
}

std::uint16_t extSstBucketSize(std::size_t count) {
    return static_cast<std::uint16_t>(std::max<std::size_t>(8, count / 128 + 1));
}

ByteBuffer buildWorkbookStream(const SheetData& sheet, std::vector<CellPosition>* truncated) {
    std::vector<const SheetCell*> cells;
    cells.reserve(sheet.cells.size());
    for (const SheetCell& cell : sheet.cells) {
        if (cell.position.column >= maxColumns) continue;
        if (cell.text.empty() && cell.format == CellFormat{}) continue;
        cells.push_back(&cell);
    }
    std::sort(cells.begin(), cells.end(),
              [](const SheetCell* a, const SheetCell* b) { return a->position < b->position; });

    std::vector<CellFormat> formats;
    std::vector<std::uint16_t> cellXfs(cells.size(), defaultCellXf);
    std::vector<std::u16string> strings;
    std::unordered_map<std::u16string, std::uint32_t> stringIndex;
    std::vector<std::uint32_t> cellStrings(cells.size(), 0);
    std::uint32_t references = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const SheetCell& cell = *cells[i];
        if (!(cell.format == CellFormat{})) {
            auto known = std::find(formats.begin(), formats.end(), cell.format);
            if (known == formats.end()) known = formats.insert(formats.end(), cell.format);
            cellXfs[i] = static_cast<std::uint16_t>(firstFormattedXf + (known - formats.begin()));
        }
        if (cell.text.empty()) continue;
        const std::u16string_view stored = storableCellText(cell.text);
        if (stored.size() < cell.text.size() && truncated != nullptr) {
            truncated->push_back(cell.position);
        }
        auto [entry, added] = stringIndex.try_emplace(std::u16string(stored),
                                                      static_cast<std::uint32_t>(strings.size()));
        if (added) strings.emplace_back(stored);
        cellStrings[i] = entry->second;
        ++references;
    }

    ByteBuffer out;
    out.reserve(8192);
    record::bof(out, 0x0005);
    record::codePage(out);
    record::window1(out);
    record::dateMode(out);
    // Column widths are measured in digits of the first font; Arial 10 has 7-pixel digits.
    // The fifth font is never referenced: font index 4 does not exist in BIFF8.
    for (int i = 0; i < 5; ++i) record::font(out, u"Arial", 200);
    for (std::uint16_t i = 0; i < 15; ++i) {
        record::styleXf(out, i == 0 ? 0 : (i <= 2 ? 1 : (i <= 4 ? 2 : 0)));
    }
    record::cellXf(out, CellFormat{}, true);
    for (const CellFormat& format : formats) record::cellXf(out, format, false);
    record::normalStyle(out);
    const std::u16string_view sheetName = std::u16string_view(sheet.name).substr(0, 31);
    const std::size_t sheetOffsetAt = record::boundSheet(out, sheetName);
    const std::uint16_t bucketSize = extSstBucketSize(strings.size());
    const std::vector<record::SstBucket> buckets =
        record::sst(out, strings, references, bucketSize);
    record::extSst(out, buckets, bucketSize);
    record::eof(out);

    patch32(out, sheetOffsetAt, static_cast<std::uint32_t>(out.size()));
    record::bof(out, 0x0010);
    record::wsBool(out);

    std::map<std::uint16_t, std::uint16_t> widths;
    for (const ColumnWidth& width : sheet.columnWidths) {
        if (width.column < maxColumns) widths[width.column] = width.width;
    }
    for (auto run = widths.begin(); run != widths.end();) {
        auto last = run;
        for (auto next = std::next(last);
             next != widths.end() && next->first == last->first + 1 && next->second == run->second;
             ++next) {
            last = next;
        }
        record::colInfo(out, run->first, last->first, run->second);
        run = std::next(last);
    }

    std::map<std::uint16_t, std::uint16_t> heights;
    for (const RowHeight& height : sheet.rowHeights) heights[height.row] = height.height;
    struct RowSpan {
        std::uint16_t firstColumn = 0;
        std::uint16_t columnLimit = 0;
    };
    std::map<std::uint16_t, RowSpan> rows;
    for (const auto& [row, height] : heights) rows[row];
    for (const SheetCell* cell : cells) {
        auto [entry, added] = rows.try_emplace(cell->position.row);
        RowSpan& span = entry->second;
        if (added || span.columnLimit == 0) span.firstColumn = cell->position.column;
        span.columnLimit =
            static_cast<std::uint16_t>(std::max<int>(span.columnLimit, cell->position.column + 1));
    }
    if (cells.empty()) {
        record::dimensions(out, 0, 0, 0, 0);
    } else {
        std::uint16_t firstColumn = maxColumns;
        std::uint16_t columnLimit = 0;
        for (const SheetCell* cell : cells) {
            firstColumn = std::min(firstColumn, cell->position.column);
            columnLimit = std::max<std::uint16_t>(columnLimit, cell->position.column + 1);
        }
        record::dimensions(out, cells.front()->position.row, cells.back()->position.row + 1u,
                           firstColumn, columnLimit);
    }

    // Blocks of up to 32 rows: their ROW records, then their cells, as the spreadsheet programs
    // write them.
    std::size_t nextCell = 0;
    for (auto block = rows.begin(); block != rows.end();) {
        auto blockEnd = block;
        for (int n = 0; n < rowsPerBlock && blockEnd != rows.end(); ++n) ++blockEnd;
        for (auto it = block; it != blockEnd; ++it) {
            const auto height = heights.find(it->first);
            const bool custom = height != heights.end();
            record::row(out, it->first, it->second.firstColumn, it->second.columnLimit,
                        custom ? height->second : 0x00FF, custom);
        }
        const std::uint16_t lastRow = std::prev(blockEnd)->first;
        for (; nextCell < cells.size() && cells[nextCell]->position.row <= lastRow; ++nextCell) {
            const SheetCell& cell = *cells[nextCell];
            if (cell.text.empty()) {
                record::blank(out, cell.position, cellXfs[nextCell]);
            } else {
                record::labelSst(out, cell.position, cellXfs[nextCell], cellStrings[nextCell]);
            }
        }
        block = blockEnd;
    }
    record::window2(out);
    record::eof(out);
    return out;
}

WorkbookFile buildWorkbookFile(const SheetData& sheet) {
    WorkbookFile file;
    const ByteBuffer stream = buildWorkbookStream(sheet, &file.truncatedCells);
    if (std::optional<ByteBuffer> bytes = buildCompoundFile(stream)) file.bytes = std::move(*bytes);
    return file;
}

}  // namespace tavolin::xls
