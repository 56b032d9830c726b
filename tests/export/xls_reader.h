#pragma once
// Reads a written workbook back with an independent reader: /usr/bin/python3 with xlrd.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

namespace tavolin::testing {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
};
// Runs a program (no shell) and collects its standard output; standard error passes through.
ProgramRun runAndCollect(const std::vector<std::string>& argv);

struct XlsContents {
    bool ok = false;
    std::string failure;  // what went wrong when the reader could not read the file
    QJsonObject json;

    QJsonObject cell(int row, int column) const;
    QString text(int row, int column) const { return cell(row, column)["text"].toString(); }
    QString type(int row, int column) const { return cell(row, column)["type"].toString(); }
    int columnWidth(int column) const;
    int rowHeight(int row) const;
    bool rowHeightIsCustom(int row) const;
};

XlsContents readXls(const std::filesystem::path& file);

// The reader's check is skipped, not failed, where python3-xlrd is missing.
bool xlrdAvailable();

// Where the installed LibreOffice or Gnumeric converts the file to CSV (UTF-8): its rows of cells.
// `converter` is empty when neither is installed; `rows` is empty when the conversion failed.
struct CsvConversion {
    std::string converter;
    std::vector<std::vector<QString>> rows;
};
CsvConversion convertWithSpreadsheetProgram(const std::filesystem::path& file,
                                            const std::filesystem::path& workFolder);

}  // namespace tavolin::testing
