#include "site/handlers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QString>

#include "shell/shell.h"
#include "site/markers.h"
#include "web/http.h"

namespace tavolin {

namespace {

const Text noLessonText = "\xCE\xDE";  // 无

const QString messageCaption = QString::fromUtf8("信息：");

Text fetchPage(const Text& address) {
    HttpRequestArgs args;
    args.url = address;
    args.method = "GET";
    return httpFetchText(args);
}

void tellUser(const char* utf8Text, MessageIcon icon) {
    showMessage(QString::fromUtf8(utf8Text), messageCaption, icon);
}

// A failed request hands over an empty page; anything else that could not be cut came back in a
// shape the client does not know.
void tellPageFailure(PageReading reading) {
    if (reading == PageReading::NoPage) {
        tellUser("无法连接教务网站，请检查网络后重试", MessageIcon::Warning);
    } else {
        tellUser("无法读取课表：网页格式与预期不符", MessageIcon::Warning);
    }
}

// The code of the term chosen in the main window's term list; false when none is chosen.
bool chosenTermCode(Text& termCode) {
    const int chosen = chosenIndex(mainWindow().termList);
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= termCodes.size()) return false;
    termCode = termCodes[chosen];
    return true;
}

// A connection that closes inside the last term row leaves a page that looks whole; its last row
// then lacks the end of its display name, which every row of a whole page has.
bool lastTermRowCut(const Text& page) {
    const TextList rows = splitText(page, termRowMarker);
    return rows.size() > 1 && findText(rows.back(), termNameEnd) < 0;
}

Text chosenItemText(QComboBox* box) {
    return itemText(box, chosenIndex(box));
}

}  // namespace

ClassTimetable fetchClassTimetable(const Text& termCode, const Text& className) {
    const Text address = classTimetableAddress(termCode, percentEncode(className, true, false));
    return cutClassTimetable(fetchPage(address));
}

void loadTermList() {
    const Text page = fetchPage(termListAddress());
    const std::vector<TermEntry> terms = cutTermList(page);
    if (terms.empty() || lastTermRowCut(page)) {
        // The terms loaded before stay, still aligned with termCodes, so the user can go on
        // with the chosen term while the site is unreachable.
        tellPageFailure(page.empty() ? PageReading::NoPage : PageReading::UnexpectedShape);
        return;
    }
    termCodes.clear();
    removeAllItems(mainWindow().termList);
    for (const TermEntry& term : terms) {
        addItem(mainWindow().termList, term.displayName);
        termCodes.push_back(term.code);
    }
}

void loadClassLists() {
    const int chosen = chosenIndex(mainWindow().termList);
    if (chosen < 0) return;
    const Text termCode =
        static_cast<std::size_t>(chosen) < termCodes.size() ? termCodes[chosen] : Text();
    // The classes of the term chosen before do not belong to this one, whatever the page holds.
    removeAllItems(mainWindow().classList);
    removeAllItems(addMemberDialog().dialogClassList);

    const Text page = fetchPage(classListAddress(termCode));
    const Text classChunk = cutClassChunk(page, termCode);
    setClipboardText(classChunk);
    for (const Text& className : cutClassNames(classChunk)) {
        addItem(mainWindow().classList, className);
        addItem(addMemberDialog().dialogClassList, className);
    }
    if (classChunk.empty()) {
        tellPageFailure(page.empty() ? PageReading::NoPage : PageReading::UnexpectedShape);
    }
}

void showClassTimetable() {
    // Everything is read before the class name is encoded: encoding lets other handlers run.
    Text termCode;
    const bool termChosen = chosenTermCode(termCode);
    const Text className = chosenItemText(mainWindow().classList);
    if (!termChosen) {
        tellUser("请先选择学期", MessageIcon::Information);
        return;
    }
    const ClassTimetable timetable = fetchClassTimetable(termCode, className);
    if (timetable.reading != PageReading::Complete) {
        tellPageFailure(timetable.reading);
        return;
    }
    for (int day = 0; day < dayCount; ++day) {
        for (int block = 0; block < periodBlockCount; ++block) {
            const Text& cell = timetable.cells[day][block];
            setCellText(day + 1, block + 1, isFreeSlot(cell) ? noLessonText : cell);
        }
    }
}

void fillInMember() {
    // Everything is read before the class name is encoded: encoding lets other handlers run.
    const Text className = chosenItemText(addMemberDialog().dialogClassList);
    Text termCode;
    const bool termChosen = chosenTermCode(termCode);
    const Text memberName = editBoxText(addMemberDialog().memberNameBox);
    if (!termChosen) {
        tellUser("请先选择学期", MessageIcon::Information);
        return;
    }
    if (trimText(memberName).empty()) {
        tellUser("请输入姓名", MessageIcon::Information);
        return;
    }
    const ClassTimetable timetable = fetchClassTimetable(termCode, className);
    if (timetable.reading != PageReading::Complete) {
        tellPageFailure(timetable.reading);
        return;
    }
    // Each cell is read and written in one step, so names that a handler run during the
    // request wrote are kept.
    for (int day = 0; day < dayCount; ++day) {
        for (int block = 0; block < periodBlockCount; ++block) {
            if (!isFreeSlot(timetable.cells[day][block])) continue;
            setCellText(day + 1, block + 1,
                        appendMemberName(getCellText(day + 1, block + 1), memberName));
        }
    }
}

}  // namespace tavolin
