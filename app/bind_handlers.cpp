#include "app/bind_handlers.h"

#include <QComboBox>
#include <QPushButton>

#include "export/save_workbook.h"
#include "shell/shell.h"
#include "site/handlers.h"

namespace tavolin {

void bindHandlers() {
    // Handlers of the timetable site.
    const MainWindowControls& window = mainWindow();
    QObject::connect(window.loadTermsButton, &QPushButton::clicked, [] { loadTermList(); });
    QObject::connect(window.termList, &QComboBox::activated, [] { loadClassLists(); });
    QObject::connect(window.classList, &QComboBox::activated, [] { showClassTimetable(); });
    QObject::connect(addMemberDialog().fillInButton, &QPushButton::clicked, [] { fillInMember(); });
    // Handler of the export.
    QObject::connect(window.saveButton, &QPushButton::clicked, [] { saveWorkbook(); });
}

}  // namespace tavolin
