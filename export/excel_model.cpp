#include "export/excel_model.h"

#include <algorithm>
#include <cmath>

#include "export/file_output.h"

namespace tavolin::excel {

namespace {

constexpr double maxColumnWidth = 255;
constexpr double maxRowHeight = 409;

bool parseCell(std::string_view text, std::uint32_t& row, std::uint16_t& column) {
    std::size_t at = 0;
    std::uint32_t letters = 0;
    while (at < text.size() && at < 3) {
        char ch = text[at];
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        if (ch < 'A' || ch > 'Z') break;
        letters = letters * 26 + static_cast<std::uint32_t>(ch - 'A' + 1);
        ++at;
    }
    if (at == 0 || letters > xls::maxColumns) return false;
    std::uint32_t number = 0;
    const std::size_t digitsStart = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - digitsStart < 6) {
        number = number * 10 + static_cast<std::uint32_t>(text[at] - '0');
        ++at;
    }
    if (at == digitsStart || at != text.size() || number == 0 || number > xls::maxRows) {
        return false;
    }
    row = number - 1;
    column = static_cast<std::uint16_t>(letters - 1);
    return true;
}

xls::BorderLine lineOfWeight(int weight) {
    switch (weight) {
        case xlHairline:
            return xls::BorderLine::Hair;
        case xlThin:
            return xls::BorderLine::Thin;
        case xlMedium:
            return xls::BorderLine::Medium;
        case xlThick:
            return xls::BorderLine::Thick;
        default:
            return xls::BorderLine::None;
    }
}

bool alignmentOfValue(int value, xls::HorizontalAlignment& alignment) {
    switch (value) {
        case xlHAlignGeneral:
            alignment = xls::HorizontalAlignment::General;
            return true;
        case xlHAlignLeftValue:
        case xlHAlignLeft:
            alignment = xls::HorizontalAlignment::Left;
            return true;
        case xlHAlignCenterValue:
        case xlHAlignCenter:
            alignment = xls::HorizontalAlignment::Centre;
            return true;
        case xlHAlignRightValue:
        case xlHAlignRight:
            alignment = xls::HorizontalAlignment::Right;
            return true;
        default:
            return false;
    }
}

}  // namespace

bool parseAddress(std::string_view address, CellArea& area) {
    const std::size_t colon = address.find(':');
    CellArea parsed;
    if (!parseCell(address.substr(0, colon), parsed.firstRow, parsed.firstColumn)) return false;
    parsed.lastRow = parsed.firstRow;
    parsed.lastColumn = parsed.firstColumn;
    if (colon != std::string_view::npos &&
        !parseCell(address.substr(colon + 1), parsed.lastRow, parsed.lastColumn)) {
        return false;
    }
    // Either corner may come first, as the application allows.
    area.firstRow = std::min(parsed.firstRow, parsed.lastRow);
    area.lastRow = std::max(parsed.firstRow, parsed.lastRow);
    area.firstColumn = std::min(parsed.firstColumn, parsed.lastColumn);
    area.lastColumn = std::max(parsed.firstColumn, parsed.lastColumn);
    return true;
}

void Range::PasteSpecial(const TextList& cells) {
    if (sheet_ == nullptr) return;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::size_t column = area_.firstColumn + i;
        if (column >= xls::maxColumns) break;
        sheet_->cellAt(area_.firstRow, static_cast<std::uint16_t>(column)).text =
            textToUtf16(cells[i]);
    }
}

void Range::setColumnWidth(double characters) {
    if (sheet_ == nullptr || !(characters >= 0) || characters > maxColumnWidth) return;
    for (std::uint32_t column = area_.firstColumn; column <= area_.lastColumn; ++column) {
        sheet_->columnWidths_[static_cast<std::uint16_t>(column)] = characters;
    }
}

void Range::setRowHeight(double points) {
    if (sheet_ == nullptr || !(points >= 0) || points > maxRowHeight) return;
    for (std::uint32_t row = area_.firstRow; row <= area_.lastRow; ++row) {
        sheet_->rowHeights_[row] = points;
    }
}

void Range::setHorizontalAlignment(int value) {
    xls::HorizontalAlignment alignment{};
    if (sheet_ == nullptr || !alignmentOfValue(value, alignment)) return;
    sheet_->forEachCell(area_, [&](Worksheet::Cell& cell) { cell.format.horizontal = alignment; });
}

void Range::setWrapText(bool wrap) {
    if (sheet_ == nullptr) return;
    sheet_->forEachCell(area_, [&](Worksheet::Cell& cell) { cell.format.wrap = wrap; });
}

void Borders::setWeight(int weight) {
    const xls::BorderLine line = lineOfWeight(weight);
    if (range_.sheet_ == nullptr || line == xls::BorderLine::None) return;
    range_.sheet_->forEachCell(range_.area_, [&](Worksheet::Cell& cell) {
        cell.format.left = cell.format.right = cell.format.top = cell.format.bottom = line;
    });
}

excel::Range Worksheet::Range(std::string_view address) {
    CellArea area;
    if (!parseAddress(address, area)) return {};
    return excel::Range(this, area);
}

Worksheet::Cell& Worksheet::cellAt(std::uint32_t row, std::uint16_t column) {
    return cells_[{row, column}];
}

template <typename Change>
void Worksheet::forEachCell(const CellArea& area, Change change) {
    for (std::uint32_t row = area.firstRow; row <= area.lastRow; ++row) {
        for (std::uint32_t column = area.firstColumn; column <= area.lastColumn; ++column) {
            change(cellAt(row, static_cast<std::uint16_t>(column)));
        }
    }
}

xls::SheetData Worksheet::sheetData() const {
    xls::SheetData data;
    data.cells.reserve(cells_.size());
    for (const auto& [position, cell] : cells_) {
        data.cells.push_back({{static_cast<std::uint16_t>(position.first), position.second},
                              cell.text,
                              cell.format});
    }
    for (const auto& [column, characters] : columnWidths_) {
        data.columnWidths.push_back({column, xls::columnWidthUnits(characters)});
    }
    for (const auto& [row, points] : rowHeights_) {
        data.rowHeights.push_back({static_cast<std::uint16_t>(row),
                                   static_cast<std::uint16_t>(std::lround(points * 20))});
    }
    return data;
}

Worksheet* Sheets::Item(int index) {
    if (index < 1 || static_cast<std::size_t>(index) > sheets_.size()) return nullptr;
    return sheets_[static_cast<std::size_t>(index) - 1].get();
}

Workbook::Workbook() {
    sheets_.sheets_.push_back(std::make_unique<Worksheet>());
}

SaveOutcome Workbook::SaveAs(const std::filesystem::path& path, int fileFormat) {
    SaveOutcome outcome;
    if (fileFormat != xlExcel8) {
        outcome.reason = "不支持的文件格式";
        return outcome;
    }
    const xls::WorkbookFile file = xls::buildWorkbookFile(sheets_.Item(1)->sheetData());
    if (file.bytes.empty()) {
        outcome.reason = "工作簿过大，无法保存";
        return outcome;
    }
    const FileWriteResult written = writeFileWhole(path, file.bytes);
    if (!written.ok) {
        outcome.reason = written.reason;
        return outcome;
    }
    for (const xls::CellPosition& cell : file.truncatedCells) {
        outcome.truncatedCells.push_back(xls::cellAddress(cell));
    }
    outcome.ok = true;
    saved_ = true;
    return outcome;
}

Workbook* Workbooks::Add() {
    workbooks_.push_back(std::make_unique<Workbook>());
    return workbooks_.back().get();
}

std::unique_ptr<Application> createApplication() {
    return std::make_unique<Application>();
}

}  // namespace tavolin::excel
