#include "xls_reader.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <fstream>
#include <sstream>

extern char** environ;

namespace tavolin::testing {

namespace {

std::filesystem::path sourceDir() {
    const char* dir = std::getenv("TAVOLIN_SOURCE_DIR");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path(TAVOLIN_SOURCE_DIR);
}

std::string findProgram(const std::string& name) {
    for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        const std::string candidate = std::string(folder) + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// Splits CSV text as the spreadsheet programs write it: quoted fields may hold commas, quotes
// doubled, line breaks.
std::vector<std::vector<QString>> parseCsv(const QString& csv) {
    std::vector<std::vector<QString>> rows;
    std::vector<QString> row;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar ch = csv[i];
        any = true;
        if (quoted) {
            if (ch == u'"' && i + 1 < csv.size() && csv[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (ch == u'"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == u'"') {
            quoted = true;
        } else if (ch == u',') {
            row.push_back(field);
            field.clear();
        } else if (ch == u'\n') {
            row.push_back(field);
            field.clear();
            rows.push_back(row);
            row.clear();
            any = false;
        } else if (ch != u'\r') {
            field += ch;
        }
    }
    if (any) {
        row.push_back(field);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

ProgramRun runAndCollect(const std::vector<std::string>& argv) {
    ProgramRun run;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned == 0) {
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) run.out.append(buffer, n);
    }
    ::close(pipeFds[0]);
    if (spawned != 0) return run;
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

QJsonObject XlsContents::cell(int row, int column) const {
    const QJsonArray rows = json["cells"].toArray();
    if (row < 0 || row >= rows.size()) return {};
    const QJsonArray cells = rows.at(row).toArray();
    if (column < 0 || column >= cells.size()) return {};
    return cells.at(column).toObject();
}

int XlsContents::columnWidth(int column) const {
    return json["columnWidths"].toObject()[QString::number(column)].toInt(-1);
}

int XlsContents::rowHeight(int row) const {
    return json["rowHeights"].toObject()[QString::number(row)].toArray()[0].toInt(-1);
}

bool XlsContents::rowHeightIsCustom(int row) const {
    return json["rowHeights"].toObject()[QString::number(row)].toArray()[1].toBool();
}

bool xlrdAvailable() {
    return runAndCollect({"/usr/bin/python3", "-c", "import xlrd"}).exitCode == 0;
}

XlsContents readXls(const std::filesystem::path& file) {
    XlsContents contents;
    const std::string script = (sourceDir() / "tests/export/read_xls.py").string();
    const ProgramRun run = runAndCollect({"/usr/bin/python3", script, file.string()});
    if (run.exitCode != 0) {
        contents.failure =
            "xlrd could not read " + file.string() + " (exit " + std::to_string(run.exitCode) + ")";
        return contents;
    }
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    if (error.error != QJsonParseError::NoError) {
        contents.failure = "reader's answer is no JSON: " + error.errorString().toStdString();
        return contents;
    }
    contents.json = document.object();
    contents.ok = true;
    return contents;
}

CsvConversion convertWithSpreadsheetProgram(const std::filesystem::path& file,
                                            const std::filesystem::path& workFolder) {
    CsvConversion conversion;
    const std::filesystem::path csv = workFolder / "converted.csv";
    std::filesystem::remove(csv);
    if (const std::string soffice = findProgram("soffice"); !soffice.empty()) {
        // A profile of its own keeps the conversion away from any user's settings.
        const std::string profile = "file://" + (workFolder / "soffice-profile").string();
        const std::filesystem::path copy = workFolder / "converted.xls";
        std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing);
        const ProgramRun run =
            runAndCollect({soffice, "-env:UserInstallation=" + profile, "--headless",
                           "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76", "--outdir",
                           workFolder.string(), copy.string()});
        conversion.converter = "LibreOffice";
        if (run.exitCode != 0) return conversion;
    } else if (const std::string ssconvert = findProgram("ssconvert"); !ssconvert.empty()) {
        const ProgramRun run = runAndCollect({ssconvert, file.string(), csv.string()});
        conversion.converter = "Gnumeric";
        if (run.exitCode != 0) return conversion;
    } else {
        return conversion;
    }
    std::ifstream in(csv, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    conversion.rows = parseCsv(QString::fromStdString(text.str()));
    return conversion;
}

}  // namespace tavolin::testing
