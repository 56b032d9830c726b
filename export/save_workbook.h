#pragma once

namespace tavolin {

// Handler of the main window's "保存" button (按钮3): asks for a file name in the save dialog,
// copies the schedule grid into a new workbook row by row, formats the sheet, saves it as an
// Excel 97-2003 workbook and tells the user whether the file was written.
void saveWorkbook();

}  // namespace tavolin
