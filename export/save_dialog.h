#pragma once
// The main window's save dialog 通用对话框1: a Save dialog for "表格文件（*.xls）" files with the
// default suffix xls and a question before an existing file is replaced. It is the toolkit's own
// (non-native) file dialog, so that it behaves the same everywhere and tests can drive it.

#include <QString>

namespace tavolin {

class SaveFileDialog {
public:
    void setInitialFolder(const QString& folder) { initialFolder_ = folder; }
    void setFileName(const QString& name) { fileName_ = name; }
    // Shows the dialog modally; true when the user confirmed a file name. Like the platform's
    // dialog without "keep the current directory", a confirmed choice makes the chosen folder the
    // process's current directory.
    bool show();
    // The full path chosen; empty after a cancel.
    QString fileName() const { return fileName_; }

private:
    QString initialFolder_;
    QString fileName_;
};

SaveFileDialog& saveDialog();

// The file dialog writes its state (last folder, history, view) into the user's settings when it
// closes. The program keeps nothing between runs, so the user-scope settings go to a temporary
// folder of this run, removed at exit. Called before the first dialog is made; safe to repeat.
void keepSettingsOutOfHome();

}  // namespace tavolin
