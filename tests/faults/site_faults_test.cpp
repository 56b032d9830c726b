// A faulty site, met through the real handlers on the real windows (offscreen platform): every
// fault of the fault server against every handler that asks the site for a page. A table is built
// first through the sample site; then one handler runs against the fault, and afterwards the
// table, the lists and the clipboard must be as the handlers' rules leave them after a failed
// page, one clear message must have been shown, and the window must still work against the
// sample site. Very long term and class lists are served as well.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/bind_handlers.h"
#include "fault_server.h"
#include "sample-site/sample_site.h"
#include "shell/shell.h"
#include "site/handlers.h"
#include "site/markers.h"
#include "web/http.h"
#include "web/request.h"

namespace tavolin {
namespace {

using testing::FaultReply;
using testing::FaultServer;
using testing::httpResponse;
using testing::noLength;

// The whole grid, headers included.
using Grid = std::array<std::array<Text, 6>, 8>;

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

const char* const connectFailed = "无法连接教务网站，请检查网络后重试";
const char* const shapeFailed = "无法读取课表：网页格式与预期不符";
const char* const caption = "信息：";

// The term the tests work in (listed third) and the classes they use from it.
constexpr int termIndex = 2;
constexpr int firstMemberClass = 1;
constexpr int faultClass = 2;
constexpr int laterMemberClass = 3;

// A handler waits at most 15 s for a silent site; anything far beyond that is a hang.
constexpr qint64 hangLimitMs = 40000;

const SampleTerm& workTerm() {
    return sampleTerms()[termIndex];
}

// The page a good site would have sent for each of the handlers' requests here.
Text goodTermListPage() {
    return sampleTermListPage();
}
Text goodClassListPage() {
    return sampleClassListPage(workTerm().code);
}
Text goodTimetablePage() {
    return sampleTimetablePage(workTerm().code, workTerm().classes[faultClass].name);
}

// The page cut right after the lead byte of the last two-byte character before `marker`'s last
// occurrence, so that what the handler needs is cut off in the middle of a character.
Text cutInsideLastCharacterBefore(const Text& page, const Text& marker) {
    const std::size_t limit = page.rfind(marker);
    std::size_t lead = Text::npos;
    for (std::size_t i = 0; i + 2 <= limit;) {
        if (static_cast<unsigned char>(page[i]) >= 0x81) {
            lead = i;
            i += 2;
        } else {
            ++i;
        }
    }
    return lead == Text::npos ? Text() : page.substr(0, lead + 1);
}

// Bytes no reader could take for anything: high bytes, zero bytes, stray CR LF, no HTTP anywhere.
std::string garbage(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 0x2545F491u;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    bytes[0] = '\xFE';  // neither 'H' nor the zero byte at which a page would end
    bytes[1] = '\xFF';
    return bytes;
}

enum class HandlerKind { LoadTermList, LoadClassLists, ShowClassTimetable, FillInMember };
constexpr int handlerCount = 4;

struct HandlerRow {
    HandlerKind kind;
    const char* name;
    Text (*goodPage)();
    // The marker whose loss makes the page unusable, and the path of the page's address.
    const Text* dataEnd;
    const Text* path;
};

const HandlerRow handlerRows[handlerCount] = {
    {HandlerKind::LoadTermList, "LoadTermList", goodTermListPage, &termNameEnd, &termListPath},
    {HandlerKind::LoadClassLists, "LoadClassLists", goodClassListPage, &classListEndHead,
     &classListPath},
    {HandlerKind::ShowClassTimetable, "ShowClassTimetable", goodTimetablePage, &timetableEnd,
     &classTimetablePath},
    {HandlerKind::FillInMember, "FillInMember", goodTimetablePage, &timetableEnd,
     &classTimetablePath},
};

struct FaultRow {
    const char* name;
    std::function<FaultReply(const Text& goodPage, const Text& dataEnd)> reply;
    // The message each handler must show, in handlerRows' order; nullptr: the pair is not run
    // (a stall costs the whole time-out, so only the first handler a user meets and the one
    // used most wait for it).
    std::array<const char*, handlerCount> messages;
};

constexpr std::size_t cap = RequestObject::maximumBodyBytes;

FaultReply send(std::string bytes, std::size_t fillerBytes = 0) {
    return {FaultReply::Kind::Send, std::move(bytes), fillerBytes};
}

FaultReply only(FaultReply::Kind kind) {
    return {kind, {}, 0};
}

const std::vector<FaultRow>& faultRows() {
    static const std::vector<FaultRow> rows = {
        {"Stalled",
         [](const Text&, const Text&) { return only(FaultReply::Kind::Stall); },
         {connectFailed, nullptr, nullptr, connectFailed}},
        {"ClosedAtOnce",
         [](const Text&, const Text&) { return only(FaultReply::Kind::CloseAtOnce); },
         {connectFailed, connectFailed, connectFailed, connectFailed}},
        {"GarbageInsteadOfAResponse",
         [](const Text&, const Text&) { return send(garbage(3000)); },
         {connectFailed, connectFailed, connectFailed, connectFailed}},
        {"GarbageBody",
         [](const Text&, const Text&) { return send(httpResponse("200 OK", garbage(3000))); },
         {shapeFailed, shapeFailed, shapeFailed, shapeFailed}},
        // The good page padded past the cap: taken whole, it would have worked.
        {"BodyOverTheCapLengthDeclared",
         [](const Text& page, const Text&) {
             return send(httpResponse("200 OK", page, cap + 1), cap + 1 - page.size());
         },
         {connectFailed, connectFailed, connectFailed, connectFailed}},
        {"BodyOverTheCapUntilClose",
         [](const Text& page, const Text&) {
             return send(httpResponse("200 OK", page, noLength), cap + 1 - page.size());
         },
         {connectFailed, connectFailed, connectFailed, connectFailed}},
        {"RedirectLoop",
         [](const Text&, const Text&) { return only(FaultReply::Kind::RedirectToSelf); },
         {connectFailed, connectFailed, connectFailed, connectFailed}},
        {"ServerError500",
         [](const Text&, const Text&) {
             return send(httpResponse(
                 "500 Internal Server Error",
                 utf8ToText("<html><head><title>500 - 内部服务器错误。</title></head>\r\n"
                            "<body><h2>服务器错误</h2></body></html>\r\n")));
         },
         {shapeFailed, shapeFailed, shapeFailed, shapeFailed}},
        // The connection ends inside a character while more was announced: a failed transfer.
        {"CutInsideACharacterLengthDeclared",
         [](const Text& page, const Text& dataEnd) {
             return send(
                 httpResponse("200 OK", cutInsideLastCharacterBefore(page, dataEnd), page.size()));
         },
         {connectFailed, connectFailed, connectFailed, connectFailed}},
        // Nothing announced: the transfer looks complete, the page is not. A term list that ends
        // inside its last row is as incomplete as a class list without its end: the terms loaded
        // before must stay rather than give way to the rows before the cut and a blank one.
        {"CutInsideACharacterUntilClose",
         [](const Text& page, const Text& dataEnd) {
             return send(
                 httpResponse("200 OK", cutInsideLastCharacterBefore(page, dataEnd), noLength));
         },
         {shapeFailed, shapeFailed, shapeFailed, shapeFailed}},
    };
    return rows;
}

// Windows, handlers and both servers as the tests share them.
class SiteFaultWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        site = std::make_unique<SampleSite>();
        faultServer = std::make_unique<FaultServer>();
    }
    static void TearDownTestSuite() {
        faultServer.reset();
        site.reset();
    }

    void SetUp() override {
        ASSERT_NE(site->port(), 0);
        ASSERT_NE(faultServer->port(), 0);
        routeTo(site->port());
        termCodes.clear();
        createWindows();
        bindHandlers();
        showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow().window));
        QTest::mouseClick(mainWindow().addMemberButton, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(addMemberDialog().dialog));
        setMessageHook([this](const QString& text, const QString& caption, MessageIcon icon) {
            messages.push_back({text.toStdString(), caption.toStdString(), icon});
        });
    }

    void TearDown() override {
        setMessageHook(nullptr);
        destroyWindowsForTest();
        clearTestRoute();
        termCodes.clear();
    }

    static void routeTo(int port) { setTestRoute(siteHost(), sitePort(), port); }

    // Every following request meets `reply`.
    static void routeToFault(FaultReply reply) {
        faultServer->setReply(std::move(reply));
        faultServer->clearCounts();
        routeTo(faultServer->port());
    }

    static void choose(QComboBox* box, int index) {
        box->showPopup();
        QAbstractItemView* list = box->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
        list->scrollTo(list->model()->index(index, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(index, 0)).center());
        ASSERT_EQ(chosenIndex(box), index);
    }

    static void clickLoadTerms() {
        QTest::mouseClick(mainWindow().loadTermsButton, Qt::LeftButton);
    }

    // ASCII through the keyboard, everything else as an input method commits it.
    static void typeName(const char* utf8) {
        QLineEdit* box = addMemberDialog().memberNameBox;
        box->clear();
        for (const QChar c : QString::fromUtf8(utf8)) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(box, c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(box, &commit);
            }
        }
        ASSERT_EQ(box->text(), QString::fromUtf8(utf8));
    }

    static void fillIn(const char* name, int classIndex) {
        typeName(name);
        choose(addMemberDialog().dialogClassList, classIndex);
        QTest::mouseClick(addMemberDialog().fillInButton, Qt::LeftButton);
    }

    static Grid grid() {
        Grid cells;
        for (int row = 0; row < 8; ++row)
            for (int column = 0; column < 6; ++column)
                cells[row][column] = getCellText(row, column);
        return cells;
    }

    // `before` with the member's name filled into every free slot of the class.
    static Grid withMember(Grid before, const SampleClass& sampleClass, const char* name) {
        for (int day = 0; day < 7; ++day)
            for (int block = 0; block < 5; ++block)
                if (sampleClass.isFree(day, block)) {
                    Text& cell = before[day + 1][block + 1];
                    cell = cell.empty() ? utf8ToText(name) : cell + "-" + utf8ToText(name);
                }
        return before;
    }

    static void expectGrid(const Grid& actual, const Grid& expected) {
        for (int row = 0; row < 8; ++row) {
            for (int column = 0; column < 6; ++column) {
                SCOPED_TRACE("row " + std::to_string(row) + ", column " + std::to_string(column));
                EXPECT_EQ(textToUtf8(actual[row][column]), textToUtf8(expected[row][column]));
            }
        }
    }

    static std::vector<Text> items(QComboBox* box) {
        std::vector<Text> texts;
        for (int i = 0; i < box->count(); ++i) texts.push_back(itemText(box, i));
        return texts;
    }

    void expectOnlyMessage(const char* text) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, text);
        EXPECT_EQ(messages[0].caption, caption);
        EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
        messages.clear();
    }

    // A table of one member built through the sample site, and two cells typed by hand (a lesson
    // slot and a free one), so that a later change to any cell shows.
    void buildTable() {
        clickLoadTerms();
        choose(mainWindow().termList, termIndex);
        fillIn("李明", firstMemberClass);
        setCellText(1, 1, utf8ToText("手写内容"));
        setCellText(7, 5, utf8ToText("周日晚上-张三"));
        ASSERT_TRUE(messages.empty());
    }

    // The window still works: the sample site's terms and classes load and a member is filled in.
    void expectUsableAfterwards(const Grid& before) {
        routeTo(site->port());
        clickLoadTerms();
        choose(mainWindow().termList, termIndex);
        ASSERT_EQ(mainWindow().classList->count(), static_cast<int>(workTerm().classes.size()));
        fillIn("Zhao", laterMemberClass);
        EXPECT_TRUE(messages.empty());
        expectGrid(grid(), withMember(before, workTerm().classes[laterMemberClass], "Zhao"));
    }

    static inline std::unique_ptr<SampleSite> site;
    static inline std::unique_ptr<FaultServer> faultServer;
    std::vector<Message> messages;
};

// What the lists and the clipboard hold.
struct ListState {
    std::vector<Text> terms;
    TextList codes;
    int chosenTerm;
    std::vector<Text> classes;
    std::vector<Text> dialogClasses;
    QString clipboard;
};

class SiteFaults : public SiteFaultWindows,
                   public ::testing::WithParamInterface<std::tuple<int, int>> {
protected:
    static ListState lists() {
        return {items(mainWindow().termList),
                termCodes,
                chosenIndex(mainWindow().termList),
                items(mainWindow().classList),
                items(addMemberDialog().dialogClassList),
                QApplication::clipboard()->text()};
    }

    static void runHandler(HandlerKind kind) {
        switch (kind) {
            case HandlerKind::LoadTermList:
                clickLoadTerms();
                break;
            case HandlerKind::LoadClassLists:
                choose(mainWindow().termList, termIndex);
                break;
            case HandlerKind::ShowClassTimetable:
                choose(mainWindow().classList, faultClass);
                break;
            case HandlerKind::FillInMember:
                fillIn("王芳", faultClass);
                break;
        }
    }
};

TEST_P(SiteFaults, NothingChangesButTheMessage) {
    const FaultRow& fault = faultRows()[std::get<0>(GetParam())];
    const HandlerRow& handler = handlerRows[std::get<1>(GetParam())];
    const char* const message = fault.messages[std::get<1>(GetParam())];

    buildTable();
    const Grid before = grid();
    const ListState listsBefore = lists();
    ASSERT_EQ(listsBefore.classes.size(), workTerm().classes.size());

    const FaultReply reply = fault.reply(handler.goodPage(), *handler.dataEnd);
    routeToFault(reply);
    QElapsedTimer clock;
    clock.start();
    runHandler(handler.kind);
    EXPECT_LT(clock.elapsed(), hangLimitMs) << "the handler hung";

    expectOnlyMessage(message);
    expectGrid(grid(), before);
    const ListState after = lists();
    EXPECT_EQ(after.terms, listsBefore.terms);
    EXPECT_EQ(after.codes, listsBefore.codes);
    EXPECT_EQ(after.chosenTerm, termIndex);
    if (handler.kind == HandlerKind::LoadClassLists) {
        // The classes of the term chosen before are gone, and the clipboard holds no options.
        EXPECT_TRUE(after.classes.empty());
        EXPECT_TRUE(after.dialogClasses.empty());
        EXPECT_EQ(after.clipboard, QString());
    } else {
        EXPECT_EQ(after.classes, listsBefore.classes);
        EXPECT_EQ(after.dialogClasses, listsBefore.dialogClasses);
        EXPECT_EQ(after.clipboard, listsBefore.clipboard);
    }

    // The fault met the request the handler meant to make, and a loop of redirects is cut short.
    EXPECT_GE(faultServer->connections(), 1);
    const std::vector<std::string> targets = faultServer->receivedTargets();
    if (reply.kind != FaultReply::Kind::CloseAtOnce) {
        ASSERT_FALSE(targets.empty());
        for (const std::string& target : targets) EXPECT_TRUE(target.starts_with(*handler.path));
    }
    if (reply.kind == FaultReply::Kind::RedirectToSelf) {
        EXPECT_GT(targets.size(), 1u);
        EXPECT_LE(targets.size(), 1u + static_cast<std::size_t>(RequestObject::maximumRedirects));
    }

    expectUsableAfterwards(before);
}

std::vector<std::tuple<int, int>> faultPairs() {
    std::vector<std::tuple<int, int>> pairs;
    for (int fault = 0; fault < static_cast<int>(faultRows().size()); ++fault)
        for (int handler = 0; handler < handlerCount; ++handler)
            if (faultRows()[fault].messages[handler] != nullptr) pairs.emplace_back(fault, handler);
    return pairs;
}

INSTANTIATE_TEST_SUITE_P(FaultsTimesHandlers, SiteFaults, ::testing::ValuesIn(faultPairs()),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
                             return std::string(faultRows()[std::get<0>(info.param)].name) + "_" +
                                    handlerRows[std::get<1>(info.param)].name;
                         });

// --- Very long lists ---------------------------------------------------------------------------

Text termListPageOf(const std::vector<TermEntry>& terms) {
    Text page = "<html><body><table>";
    for (const TermEntry& term : terms)
        page += termRowMarker + termCodeStart + term.code + termNameStart + term.displayName +
                termNameEnd + "\r\n\t\t\t</tr>";
    return page + "\r\n</table></body></html>\r\n";
}

Text classListPageOf(const Text& termCode, const std::vector<Text>& classNames) {
    Text options;
    for (const Text& name : classNames) {
        if (!options.empty()) options += "</option>\r\n\t\t\t\t\t\t\t";
        options += "<option value='" + name + "'>" + name;
    }
    return "<html>" + classListStart + options + classListEndHead + termCode + classListEndTail +
           "</html>";
}

TEST_F(SiteFaultWindows, FiveThousandTermsAreListedAndTheLastOneWorks) {
    buildTable();
    const Grid before = grid();
    const std::vector<Text> classesBefore = items(mainWindow().classList);

    std::vector<TermEntry> terms;
    for (int i = 0; i < 5000; ++i)
        terms.push_back(
            {utf8ToText("第" + std::to_string(i) + "学期"), std::to_string(300000 + i)});
    routeToFault(send(httpResponse("200 OK", termListPageOf(terms))));
    QElapsedTimer clock;
    clock.start();
    clickLoadTerms();
    EXPECT_LT(clock.elapsed(), hangLimitMs) << "the handler hung";

    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(mainWindow().termList->count(), 5000);
    ASSERT_EQ(termCodes.size(), 5000u);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(itemText(mainWindow().termList, i), terms[i].displayName) << "term " << i;
        ASSERT_EQ(termCodes[i], terms[i].code) << "term " << i;
    }
    EXPECT_EQ(chosenIndex(mainWindow().termList), -1);
    EXPECT_EQ(items(mainWindow().classList), classesBefore);
    expectGrid(grid(), before);

    // The last term's code goes out with its class-list request, and a member is filled in
    // from one of its classes.
    const Text lastCode = terms.back().code;
    const std::vector<Text> names = {utf8ToText("末学期一班"), utf8ToText("末学期二班")};
    routeToFault(send(httpResponse("200 OK", classListPageOf(lastCode, names))));
    choose(mainWindow().termList, 4999);
    EXPECT_EQ(faultServer->receivedTargets(),
              std::vector<std::string>{classListPath + lastCode + classListSuffix});
    EXPECT_EQ(items(mainWindow().classList), names);
    EXPECT_EQ(items(addMemberDialog().dialogClassList), names);

    const SampleClass& served = workTerm().classes[faultClass];
    routeToFault(send(httpResponse("200 OK", sampleTimetablePage(workTerm().code, served.name))));
    fillIn("王芳", 1);
    ASSERT_EQ(faultServer->receivedTargets().size(), 1u);
    EXPECT_TRUE(faultServer->receivedTargets()[0].starts_with(classTimetablePath + lastCode +
                                                              classNameKey));
    EXPECT_TRUE(messages.empty());
    expectGrid(grid(), withMember(before, served, "王芳"));
}

TEST_F(SiteFaultWindows, TenThousandClassesFillBothListsAndTheLastOneWorks) {
    buildTable();
    const Grid before = grid();

    std::vector<Text> names;
    for (int i = 0; i < 10000; ++i) names.push_back(utf8ToText("测试班" + std::to_string(i)));
    routeToFault(send(httpResponse("200 OK", classListPageOf(workTerm().code, names))));
    QElapsedTimer clock;
    clock.start();
    choose(mainWindow().termList, termIndex);
    EXPECT_LT(clock.elapsed(), hangLimitMs) << "the handler hung";

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(items(mainWindow().classList), names);
    EXPECT_EQ(items(addMemberDialog().dialogClassList), names);
    const QString clipboard = QApplication::clipboard()->text();
    EXPECT_TRUE(clipboard.startsWith(u"<option value='测试班0'>测试班0</option>"_qs));
    EXPECT_TRUE(clipboard.endsWith(u"<option value='测试班9999'>测试班9999"_qs));
    expectGrid(grid(), before);

    const SampleClass& served = workTerm().classes[faultClass];
    routeToFault(send(httpResponse("200 OK", sampleTimetablePage(workTerm().code, served.name))));
    fillIn("王芳", 9999);
    ASSERT_EQ(faultServer->receivedTargets().size(), 1u);
    // 测试班9999 in GBK, percent-encoded.
    EXPECT_EQ(faultServer->receivedTargets()[0],
              classTimetablePath + workTerm().code + classNameKey + "%B2%E2%CA%D4%B0%E09999");
    EXPECT_TRUE(messages.empty());
    expectGrid(grid(), withMember(before, served, "王芳"));

    expectUsableAfterwards(withMember(before, served, "王芳"));
}

}  // namespace
}  // namespace tavolin

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    tavolin::initialiseWebAccess();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
