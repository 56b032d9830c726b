#include "export/save_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "shell/shell.h"

namespace tavolin {

namespace {

std::string& settingsFolder() {
    static std::string folder;
    return folder;
}

void removeSettingsFolder() {
    std::string& folder = settingsFolder();
    if (folder.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    folder.clear();
}

}  // namespace

void keepSettingsOutOfHome() {
    if (!settingsFolder().empty()) return;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tavolin-settings-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        // No temporary folder: settings may not be written at all rather than into the home.
        pattern = "/nonexistent/tavolin-settings";
    } else {
        settingsFolder() = pattern;
        // The program ends through the shell's clean-up routines (no static destructors run);
        // test programs and tools end normally.
        registerCleanUp(&removeSettingsFolder);
        std::atexit(&removeSettingsFolder);
    }
    const QString path = QString::fromLocal8Bit(pattern);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

bool SaveFileDialog::show() {
    keepSettingsOutOfHome();
    QWidget* owner = mainWindow().window;
    QFileDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("通用对话框1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The description alone shows, as the platform's dialog shows it; the pattern filters.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(QStringLiteral("表格文件（*.xls）(*.xls)"));
    dialog.setDefaultSuffix(QStringLiteral("xls"));
    dialog.setDirectory(initialFolder_);
    dialog.selectFile(fileName_);
    const bool confirmed = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    fileName_ = confirmed ? dialog.selectedFiles().constFirst() : QString();
    if (confirmed) QDir::setCurrent(QFileInfo(fileName_).absolutePath());
    return confirmed;
}

SaveFileDialog& saveDialog() {
    static SaveFileDialog dialog;
    return dialog;
}

}  // namespace tavolin
