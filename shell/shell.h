#pragma once
// The application shell as the other subsystems and the executables see it: the two windows and
// their controls, the schedule grid, the shared state, message boxes and the clipboard.
//
// Every function here runs on the user-interface thread. Texts are program text (GBK); the
// conversion to what Qt shows happens inside (GB18030 at the edge).

#include <QString>
#include <functional>

#include "web/text.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tavolin {

class ScheduleGrid;

// The main window's controls by role; objectName carries the system's control name.
struct MainWindowControls {
    QWidget* window = nullptr;
    QLabel* termListCaption = nullptr;       // 透明标签1
    QComboBox* termList = nullptr;           // 组合框1
    QPushButton* loadTermsButton = nullptr;  // 按钮4
    QLabel* classListCaption = nullptr;      // 透明标签2
    QComboBox* classList = nullptr;          // 组合框2
    ScheduleGrid* scheduleGrid = nullptr;    // 高级表格1
    QPushButton* saveButton = nullptr;       // 按钮3
    QPushButton* addMemberButton = nullptr;  // 按钮2
    QLabel* creditLabel = nullptr;           // 透明标签3
};

struct AddMemberDialogControls {
    QWidget* dialog = nullptr;
    QLabel* nameCaption = nullptr;         // 透明标签1
    QLineEdit* memberNameBox = nullptr;    // 编辑框1
    QLabel* classListCaption = nullptr;    // 透明标签2
    QComboBox* dialogClassList = nullptr;  // 组合框1
    QPushButton* fillInButton = nullptr;   // 按钮1
};

// Valid between start-up and exit.
MainWindowControls& mainWindow();
AddMemberDialogControls& addMemberDialog();

// Shared state: element k (0-based here) is the code of the term list's item k.
extern TextList termCodes;
void releaseSharedState();

// Schedule grid: 8 rows x 6 columns, row 0 and column 0 are headers.
void setCellText(int row, int column, const Text& text);
Text getCellText(int row, int column);

// Combo boxes: the operations the handlers use.
void removeAllItems(QComboBox* box);
void addItem(QComboBox* box, const Text& text);
int chosenIndex(QComboBox* box);           // -1 when none is chosen
Text itemText(QComboBox* box, int index);  // empty outside the list

Text editBoxText(QLineEdit* box);
void setEditBoxText(QLineEdit* box, const Text& text);

void setClipboardText(const Text& text);

// Message boxes: parentless, task-modal, one OK button.
enum class MessageIcon { None, Information, Warning };
void showMessage(const QString& text, const QString& caption, MessageIcon icon);
// Tests answer messages through this hook instead of a blocking box; nullptr restores the box.
using MessageHook =
    std::function<void(const QString& text, const QString& caption, MessageIcon icon)>;
void setMessageHook(MessageHook hook);

// Handlers of the shell. setUpMainWindow writes the grid headers and creates the add-member
// dialog hidden; it runs once, from createWindows.
void setUpMainWindow();
void showAddMemberDialog();
// Empties the name box and hides the dialog; the dialog is never destroyed.
void hideAddMemberDialog();
// The main window's close ends the program (exit code 0) at once, also inside a nested handler.
void exitOnMainWindowDestroyed();
// Runs the registered clean-up routines in the order of registration, once, then ends the process.
[[noreturn]] void endProgram(int exitCode);
void registerCleanUp(void (*routine)());

// Program text at the windows' edge (GB18030), as QString.
QString textToQString(const Text& text);
Text qStringToText(const QString& text);

// The windows without the message loop, for test programs and tools: a QApplication must exist.
// createWindows builds both windows (running setUpMainWindow), binds the shell's own handler and
// installs the event pump; showMainWindow shows the main window centred. Closing the main window
// of windows made this way, outside runProgram, ends the process with exit code 3 and a message,
// so that a test cannot pass by ending early.
void createWindows();
void showMainWindow();
void destroyWindowsForTest();

// Start-up: prepares the process, creates the windows (setUpMainWindow), lets the executable bind
// its handlers to the controls, shows the main window and runs the message loop. Returns only if
// the windows cannot be created (non-zero); closing the main window ends the process with 0.
int runProgram(int argc, char** argv, const std::function<void()>& bindHandlers);

}  // namespace tavolin
