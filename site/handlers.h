#pragma once
// The handlers of the timetable site, bound by the executables to their controls, and the one
// request they share.

#include "site/pages.h"

namespace tavolin {

// Fetches and cuts one class's timetable for one term; the class name is sent percent-encoded.
ClassTimetable fetchClassTimetable(const Text& termCode, const Text& className);

// "加载学期" (按钮4) clicked: fills the term list and termCodes from the term-list page.
void loadTermList();
// A term chosen in the term list (组合框1): fills both class lists, clipboard gets the options.
void loadClassLists();
// A class chosen in the main window's class list (组合框2): shows its week in the grid.
void showClassTimetable();
// "填入" (按钮1 of the add-member dialog) clicked: the member's name into every free slot.
void fillInMember();

}  // namespace tavolin
