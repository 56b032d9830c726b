#include "export/save_workbook.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <string>

#include "export/excel_model.h"
#include "export/save_dialog.h"
#include "shell/shell.h"

namespace tavolin {

namespace {

constexpr int gridRows = 8;
constexpr int gridColumns = 6;

TextList gridRow(int row) {
    TextList cells;
    for (int column = 0; column < gridColumns; ++column) cells.push_back(getCellText(row, column));
    return cells;
}

Text rowLine(const TextList& cells) {
    Text line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += '\t';
        line += cells[i];
    }
    return line;
}

void showSaveFailure(const QString& path, const QString& reason) {
    showMessage(u"保存失败："_qs + QDir::toNativeSeparators(path) + u"\n"_qs + reason, u"信息："_qs,
                MessageIcon::Warning);
}

}  // namespace

void saveWorkbook() {
    SaveFileDialog& dialog = saveDialog();
    dialog.setInitialFolder(QDir::currentPath());
    dialog.setFileName(QString());
    QString path;
    if (dialog.show()) path = dialog.fileName();
    if (path.isEmpty()) return;

    std::unique_ptr<excel::Application> application = excel::createApplication();
    if (application == nullptr) {
        showMessage(u"你的计算机上没有 EXCEL 程序"_qs, u"信息："_qs, MessageIcon::None);
        return;
    }

    application->setVisible(false);
    application->Workbooks().Add();
    excel::Workbook* workbook = application->ActiveWorkbook();
    if (workbook != nullptr) workbook->setAutoUpdateSaveChanges(true);
    excel::Worksheet* worksheet = workbook != nullptr ? workbook->Sheets().Item(1) : nullptr;
    if (worksheet == nullptr) {
        showSaveFailure(path, u"无法创建工作簿"_qs);
        return;
    }

    // The clipboard receives each row line as before, but the sheet takes the row's cells as the
    // grid holds them: splitting the line again would move cells at a TAB or line break inside a
    // text, and a pasted text could turn into a number, a date or a formula.
    for (int n = 1; n <= gridRows; ++n) {
        const TextList cells = gridRow(n - 1);
        setClipboardText(rowLine(cells));
        worksheet->Range("A" + std::to_string(n)).PasteSpecial(cells);
    }

    worksheet->Range("A1").setColumnWidth(13);
    worksheet->Range("B1:F1").setColumnWidth(18);
    worksheet->Range("A1").setRowHeight(28);
    worksheet->Range("A2:A8").setRowHeight(67);
    worksheet->Range("A1:F8").Columns().setHorizontalAlignment(excel::xlHAlignCenterValue);
    worksheet->Range("A1:F8").borders().setWeight(excel::xlThin);
    worksheet->Range("A1:F8").setWrapText(true);

    // The dialog's path is the file system's own name of the file, whatever characters it holds.
    const std::filesystem::path target(QFile::encodeName(path).toStdString());
    const excel::SaveOutcome outcome = workbook->SaveAs(target, excel::xlExcel8);
    workbook->setSaved(true);
    application->Quit();
    application.reset();

    if (!outcome.ok) {
        showSaveFailure(path, QString::fromStdString(outcome.reason));
        return;
    }
    QString message = u"保存完毕"_qs;
    if (!outcome.truncatedCells.empty()) {
        QStringList cells;
        for (const std::string& cell : outcome.truncatedCells)
            cells << QString::fromStdString(cell);
        message += u"\n（以下单元格过长，已截断："_qs + cells.join(u"、"_qs) + u"）"_qs;
    }
    showMessage(message, u"成功"_qs, MessageIcon::Information);
}

}  // namespace tavolin
