#pragma once
// The spreadsheet application's object model that the export drives: application, workbooks,
// workbook, sheets, worksheet and ranges, with the members the export calls. Saving as format 56
// writes an Excel 97-2003 workbook with our own writer; no spreadsheet program is involved.
//
// Member names are the spreadsheet application's own; a property P is read with P() and written
// with setP(value). Objects returned by pointer belong to their application.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/biff8_writer.h"
#include "web/text.h"

namespace tavolin::excel {

// SaveAs file format of the Excel 97-2003 workbook.
inline constexpr int xlExcel8 = 56;
// HorizontalAlignment values: the export's 3, and the application's named constants.
inline constexpr int xlHAlignGeneral = 1;
inline constexpr int xlHAlignLeftValue = 2;
inline constexpr int xlHAlignCenterValue = 3;
inline constexpr int xlHAlignRightValue = 4;
inline constexpr int xlHAlignLeft = -4131;
inline constexpr int xlHAlignCenter = -4108;
inline constexpr int xlHAlignRight = -4152;
// Border weights.
inline constexpr int xlHairline = 1;
inline constexpr int xlThin = 2;
inline constexpr int xlMedium = -4138;
inline constexpr int xlThick = 4;

class Worksheet;
class Borders;

struct CellArea {
    std::uint32_t firstRow = 0;
    std::uint16_t firstColumn = 0;
    std::uint32_t lastRow = 0;
    std::uint16_t lastColumn = 0;
};

// A rectangle of cells of one worksheet. A range whose address did not parse does nothing.
class Range {
public:
    Range() = default;
    Range(Worksheet* sheet, CellArea area) : sheet_(sheet), area_(area) {}

    bool isValid() const { return sheet_ != nullptr; }
    CellArea area() const { return area_; }

    // Puts the texts into the cells of the range's first row, one text per cell from the
    // range's first column on, each stored exactly as given: a text is never read as a number,
    // a date or a formula, and TABs and line breaks inside it stay in its cell. An empty text
    // leaves its cell empty.
    void PasteSpecial(const TextList& cells);
    // In characters of the standard font; sets every column of the range.
    void setColumnWidth(double characters);
    // In points; sets every row of the range.
    void setRowHeight(double points);
    Range Columns() const { return *this; }
    void setHorizontalAlignment(int alignment);
    void setWrapText(bool wrap);

    // The four edges of every cell of the range.
    excel::Borders borders() const;

private:
    friend class excel::Borders;
    Worksheet* sheet_ = nullptr;
    CellArea area_;
};

class Borders {
public:
    explicit Borders(Range range) : range_(range) {}
    void setWeight(int weight);

private:
    Range range_;
};

inline Borders Range::borders() const {
    return Borders(*this);
}

class Worksheet {
public:
    // "A1" or "B1:F8"; column letters A to IV, rows 1 to 65536.
    excel::Range Range(std::string_view address);

    // What the writer stores: every cell's text and format, widths and heights.
    xls::SheetData sheetData() const;

private:
    friend class excel::Range;
    friend class excel::Borders;
    struct Cell {
        std::u16string text;
        xls::CellFormat format;
    };
    Cell& cellAt(std::uint32_t row, std::uint16_t column);
    template <typename Change>
    void forEachCell(const CellArea& area, Change change);

    std::map<std::pair<std::uint32_t, std::uint16_t>, Cell> cells_;
    std::map<std::uint16_t, double> columnWidths_;  // characters
    std::map<std::uint32_t, double> rowHeights_;    // points
};

class Sheets {
public:
    // Counted from 1; nullptr where there is no such sheet.
    Worksheet* Item(int index);

private:
    friend class Workbook;
    std::vector<std::unique_ptr<Worksheet>> sheets_;
};

struct SaveOutcome {
    bool ok = false;
    std::string reason;                       // UTF-8, for the user, when not ok
    std::vector<std::string> truncatedCells;  // "B2"... of cells cut at the length limit
};

class Workbook {
public:
    Workbook();
    excel::Sheets& Sheets() { return sheets_; }
    bool AutoUpdateSaveChanges() const { return autoUpdateSaveChanges_; }
    void setAutoUpdateSaveChanges(bool value) { autoUpdateSaveChanges_ = value; }
    // Writes the first worksheet to `path` (the file system's own bytes). The file is replaced
    // whole or not at all.
    SaveOutcome SaveAs(const std::filesystem::path& path, int fileFormat);
    bool Saved() const { return saved_; }
    void setSaved(bool value) { saved_ = value; }

private:
    excel::Sheets sheets_;
    bool autoUpdateSaveChanges_ = false;
    bool saved_ = false;
};

class Workbooks {
public:
    // A new workbook of one empty worksheet; it becomes the active workbook.
    Workbook* Add();
    Workbook* active() { return workbooks_.empty() ? nullptr : workbooks_.back().get(); }
    void closeAll() { workbooks_.clear(); }

private:
    std::vector<std::unique_ptr<Workbook>> workbooks_;
};

class Application {
public:
    bool Visible() const { return visible_; }
    void setVisible(bool value) { visible_ = value; }
    excel::Workbooks& Workbooks() { return workbooks_; }
    Workbook* ActiveWorkbook() { return workbooks_.active(); }
    // Ends the application; its workbooks close, unsaved changes are dropped, when it is
    // released.
    void Quit() { quit_ = true; }
    bool hasQuit() const { return quit_; }

private:
    excel::Workbooks workbooks_;
    bool visible_ = true;
    bool quit_ = false;
};

// Our application object can always be created; the caller still checks, as for any
// application that might be missing.
std::unique_ptr<Application> createApplication();

// The cell area of an address such as "A1" or "B1:F1"; false when it does not parse.
bool parseAddress(std::string_view address, CellArea& area);

}  // namespace tavolin::excel
