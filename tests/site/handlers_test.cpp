// The site's handlers through the real windows (offscreen platform), bound as the executables bind
// them, against the sample site served on loopback and reached through the web layer's test route.

#include "site/handlers.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/bind_handlers.h"
#include "sample-site/sample_site.h"
#include "shell/shell.h"
#include "site/markers.h"
#include "web/http.h"

namespace tavolin {
namespace {

using Grid = std::array<std::array<Text, 5>, 7>;

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

struct Member {
    const char* name;  // UTF-8, as typed
    int classIndex;    // in the chosen term's class list
};

const char* const connectFailed = "无法连接教务网站，请检查网络后重试";
const char* const shapeFailed = "无法读取课表：网页格式与预期不符";
const char* const chooseTermFirst = "请先选择学期";
const char* const enterName = "请输入姓名";
const char* const caption = "信息：";

// The term the tests work in: 20170A, listed third, sharing its name with 20170C.
constexpr int termIndex = 2;

class SiteWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { site = std::make_unique<SampleSite>(); }
    static void TearDownTestSuite() { site.reset(); }

    void SetUp() override {
        ASSERT_NE(site->port(), 0);
        site->setPageOverride(nullptr);
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
        site->clearReceivedTargets();
    }

    void TearDown() override {
        setMessageHook(nullptr);
        destroyWindowsForTest();
        clearTestRoute();
        termCodes.clear();
    }

    static void routeTo(int port) { setTestRoute(siteHost(), sitePort(), port); }

    // A port on which nothing listens: the request fails at once.
    static int closedPort() {
        const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(probe);
        return ntohs(address.sin_port);
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

    static void loadTermsAndChoose(int index) {
        clickLoadTerms();
        choose(mainWindow().termList, index);
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

    static void fillIn(const Member& member) {
        typeName(member.name);
        choose(addMemberDialog().dialogClassList, member.classIndex);
        QTest::mouseClick(addMemberDialog().fillInButton, Qt::LeftButton);
    }

    static Grid body() {
        Grid grid;
        for (int day = 0; day < 7; ++day)
            for (int block = 0; block < 5; ++block)
                grid[day][block] = getCellText(day + 1, block + 1);
        return grid;
    }

    // The free-period table from the sample site's own data, without the client's cutting.
    static Grid expectedTable(const Text& termCode, const std::vector<Member>& members) {
        const SampleTerm* term = findSampleTerm(termCode);
        Grid grid;
        for (const Member& member : members) {
            const SampleClass& sampleClass = term->classes.at(member.classIndex);
            for (int day = 0; day < 7; ++day) {
                for (int block = 0; block < 5; ++block) {
                    if (!sampleClass.isFree(day, block)) continue;
                    Text& cell = grid[day][block];
                    cell = cell.empty() ? utf8ToText(member.name)
                                        : cell + "-" + utf8ToText(member.name);
                }
            }
        }
        return grid;
    }

    static void expectGrid(const Grid& actual, const Grid& expected) {
        for (int day = 0; day < 7; ++day) {
            for (int block = 0; block < 5; ++block) {
                SCOPED_TRACE("row " + std::to_string(day + 1) + ", column " +
                             std::to_string(block + 1));
                EXPECT_EQ(textToUtf8(actual[day][block]), textToUtf8(expected[day][block]));
            }
        }
    }

    void expectOnlyMessage(const char* text) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, text);
        EXPECT_EQ(messages[0].caption, caption);
        messages.clear();
    }

    static const SampleTerm& workTerm() { return sampleTerms()[termIndex]; }

    static std::vector<Text> items(QComboBox* box) {
        std::vector<Text> texts;
        for (int i = 0; i < box->count(); ++i) texts.push_back(itemText(box, i));
        return texts;
    }

    static std::vector<Text> classNames(const SampleTerm& term) {
        std::vector<Text> names;
        for (const SampleClass& sampleClass : term.classes) names.push_back(sampleClass.name);
        return names;
    }

    static inline std::unique_ptr<SampleSite> site;
    std::vector<Message> messages;
};

TEST_F(SiteWindows, LoadTermListGivesTermsAndCodesInPageOrderOnEveryClick) {
    for (int click = 1; click <= 2; ++click) {
        SCOPED_TRACE("click " + std::to_string(click));
        clickLoadTerms();
        QComboBox* termList = mainWindow().termList;
        ASSERT_EQ(termList->count(), static_cast<int>(sampleTerms().size()));
        ASSERT_EQ(termCodes.size(), sampleTerms().size());
        for (std::size_t i = 0; i < sampleTerms().size(); ++i) {
            EXPECT_EQ(itemText(termList, static_cast<int>(i)), sampleTerms()[i].displayName);
            EXPECT_EQ(termCodes[i], sampleTerms()[i].code);
        }
        EXPECT_EQ(chosenIndex(termList), -1);
    }
    // The two terms of the same name are both listed, each with its own code.
    EXPECT_EQ(itemText(mainWindow().termList, 1), itemText(mainWindow().termList, 2));
    EXPECT_NE(termCodes[1], termCodes[2]);
    const std::string termListTarget = "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKList.ASP?XMXH=";
    EXPECT_EQ(site->receivedTargets(), (std::vector<std::string>{termListTarget, termListTarget}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(SiteWindows, ChoosingATermFillsBothClassListsAndTheClipboard) {
    QApplication::clipboard()->setText(QStringLiteral("before"));
    loadTermsAndChoose(termIndex);
    const std::vector<Text> expected = classNames(workTerm());
    EXPECT_EQ(items(mainWindow().classList), expected);
    EXPECT_EQ(items(addMemberDialog().dialogClassList), expected);
    EXPECT_EQ(chosenIndex(mainWindow().classList), -1);
    EXPECT_EQ(chosenIndex(addMemberDialog().dialogClassList), -1);

    // The clipboard holds the class chunk: the first option through the last class's label.
    const Text chunk = cutClassChunk(sampleClassListPage(workTerm().code), workTerm().code);
    EXPECT_TRUE(chunk.starts_with("<option value='" + workTerm().classes.front().name + "'>"));
    EXPECT_TRUE(chunk.ends_with(workTerm().classes.back().label));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), textToUtf8(chunk));

    // The code sent is the chosen item's own, not the other term of the same name.
    const std::vector<std::string> targets = site->receivedTargets();
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[1], "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKleft.asp?NwDR=PK&XMXH=" +
                              workTerm().code + "&ListPUT=");

    // Choosing the same term again fetches again and rebuilds, not appends.
    choose(mainWindow().termList, termIndex);
    EXPECT_EQ(items(mainWindow().classList), expected);
    EXPECT_EQ(items(addMemberDialog().dialogClassList), expected);
    EXPECT_EQ(site->receivedTargets().size(), 3u);

    // Another term replaces both lists.
    choose(mainWindow().termList, 1);
    EXPECT_EQ(items(mainWindow().classList), classNames(sampleTerms()[1]));
    EXPECT_EQ(items(addMemberDialog().dialogClassList), classNames(sampleTerms()[1]));
    EXPECT_TRUE(messages.empty());
}

TEST_F(SiteWindows, ShowClassTimetableWritesNoLessonAndRawCellsIntoAll35Cells) {
    loadTermsAndChoose(termIndex);
    fillIn({"Li", 0});         // names filled in before are overwritten
    const int classIndex = 5;  // 昇华实验班17-1
    choose(mainWindow().classList, classIndex);
    const SampleClass& sampleClass = workTerm().classes[classIndex];
    Grid expected;
    for (int day = 0; day < 7; ++day)
        for (int block = 0; block < 5; ++block)
            expected[day][block] = sampleClass.isFree(day, block)
                                       ? Text("\xCE\xDE")  // 无
                                       : sampleClass.lessons[day][block] + "</td>";
    expectGrid(body(), expected);
    EXPECT_EQ(site->receivedTargets().back(),
              "/SSJWC/JWGL/SSPK8080GB/SBPKJH/BRKB_BJ.ASP?NwDR=PK&XMXH=" + workTerm().code +
                  "&NwZC=%95N%BB%AA%CA%B5%D1%E9%B0%E017-1");
    EXPECT_TRUE(messages.empty());

    // Fill-in after a shown timetable appends to "无" and to the lesson texts of free slots.
    fillIn({"Wang", classIndex});
    for (int day = 0; day < 7; ++day)
        for (int block = 0; block < 5; ++block)
            if (sampleClass.isFree(day, block)) expected[day][block] += "-Wang";
    expectGrid(body(), expected);
}

TEST_F(SiteWindows, FillInMemberBuildsTheTableMemberAfterMember) {
    loadTermsAndChoose(termIndex);
    // Class 4 is "英语 口译1701班": a space in the name, %20 on the wire.
    const std::vector<Member> members = {
        {"李明", 4}, {"Ann-Marie", 4}, {"李明", 4}, {"王芳", 3}, {" 赵 一 ", 0}};
    std::vector<Member> done;
    for (const Member& member : members) {
        SCOPED_TRACE(member.name);
        fillIn(member);
        done.push_back(member);
        expectGrid(body(), expectedTable(workTerm().code, done));
    }
    EXPECT_TRUE(messages.empty());
    // The dialog stays open and keeps the name and the class.
    EXPECT_TRUE(addMemberDialog().dialog->isVisible());
    EXPECT_EQ(editBoxText(addMemberDialog().memberNameBox), utf8ToText(" 赵 一 "));
    EXPECT_EQ(chosenIndex(addMemberDialog().dialogClassList), 0);

    // The slot that holds only a space is a lesson: nobody of class 4 was written there.
    const SampleClass& spaced = workTerm().classes[4];
    for (int day = 0; day < 7; ++day)
        for (int block = 0; block < 5; ++block)
            if (spaced.lessons[day][block] == " ") {
                EXPECT_EQ(body()[day][block].find(utf8ToText("李明")), Text::npos);
            }

    const std::vector<std::string> targets = site->receivedTargets();
    EXPECT_EQ(targets[2], "/SSJWC/JWGL/SSPK8080GB/SBPKJH/BRKB_BJ.ASP?NwDR=PK&XMXH=" +
                              workTerm().code + "&NwZC=%D3%A2%D3%EF%20%BF%DA%D2%EB1701%B0%E0");
    EXPECT_EQ(targets[5], "/SSJWC/JWGL/SSPK8080GB/SBPKJH/BRKB_BJ.ASP?NwDR=PK&XMXH=" +
                              workTerm().code + "&NwZC=%B5%E7%D7%D3%D0%C5%CF%A21701-2%B0%E0");
}

TEST_F(SiteWindows, TenMemberTableMatchesTheSiteData) {
    loadTermsAndChoose(termIndex);
    const std::vector<Member> members = {
        {"陈静", 0},   {"林晓", 5},      {"Zhou Wei", 2}, {"何平", 7},  {"苏昇", 23},
        {"赵一鸣", 3}, {"Ann-Marie", 4}, {"周卫国", 5},   {"李明", 11}, {"王芳", 16},
    };
    for (const Member& member : members) fillIn(member);
    expectGrid(body(), expectedTable(workTerm().code, members));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(site->receivedTargets().size(), 2u + members.size());
}

TEST_F(SiteWindows, NoTermChosenLeavesTheGridAndMakesNoRequest) {
    loadTermsAndChoose(termIndex);
    fillIn({"Li", 1});
    const Grid before = body();
    // A new term list leaves no term chosen while the class lists keep their items.
    clickLoadTerms();
    ASSERT_EQ(chosenIndex(mainWindow().termList), -1);
    ASSERT_EQ(mainWindow().classList->count(), static_cast<int>(workTerm().classes.size()));
    site->clearReceivedTargets();

    choose(mainWindow().classList, 1);
    expectOnlyMessage(chooseTermFirst);
    QTest::mouseClick(addMemberDialog().fillInButton, Qt::LeftButton);
    expectOnlyMessage(chooseTermFirst);

    expectGrid(body(), before);
    EXPECT_TRUE(site->receivedTargets().empty());
}

TEST_F(SiteWindows, EmptyNameWritesNothingAndAsksForAName) {
    loadTermsAndChoose(termIndex);
    fillIn({"Li", 1});
    const Grid before = body();
    site->clearReceivedTargets();
    // Empty, ASCII spaces, a full-width space.
    for (const char* name : {"", "   ", "\u3000", " \u3000 "}) {
        SCOPED_TRACE(std::string("name '") + name + "'");
        fillIn({name, 1});
        expectOnlyMessage(enterName);
        expectGrid(body(), before);
    }
    EXPECT_TRUE(site->receivedTargets().empty());
}

TEST_F(SiteWindows, FailedRequestsKeepWhatIsThereAndTellTheUser) {
    loadTermsAndChoose(termIndex);
    fillIn({"Li", 1});
    const Grid before = body();
    const std::vector<Text> terms = items(mainWindow().termList);
    routeTo(closedPort());

    // The terms loaded before stay usable, still in step with their codes.
    clickLoadTerms();
    expectOnlyMessage(connectFailed);
    EXPECT_EQ(items(mainWindow().termList), terms);
    EXPECT_EQ(termCodes.size(), terms.size());
    EXPECT_EQ(chosenIndex(mainWindow().termList), termIndex);

    fillIn({"Wang", 2});
    expectOnlyMessage(connectFailed);
    choose(mainWindow().classList, 2);
    expectOnlyMessage(connectFailed);
    expectGrid(body(), before);

    // The class lists do not keep another term's classes.
    choose(mainWindow().termList, 0);
    expectOnlyMessage(connectFailed);
    EXPECT_EQ(mainWindow().classList->count(), 0);
    EXPECT_EQ(addMemberDialog().dialogClassList->count(), 0);
}

TEST_F(SiteWindows, PagesOfAnotherShapeKeepTheGridAndTellTheUser) {
    loadTermsAndChoose(termIndex);
    fillIn({"Li", 1});
    const Grid before = body();
    const Text code = workTerm().code;
    const Text goodPage = sampleTimetablePage(code, workTerm().classes[2].name);
    const auto lastRow = goodPage.rfind(dayRowMarker);
    const auto tableEnd = goodPage.find(timetableEnd);
    const auto secondCell = goodPage.find(periodCellMarker, goodPage.find(periodCellMarker) + 1);
    Text zeroByte = goodPage;
    zeroByte[goodPage.find(periodCellMarker) + 5] = '\0';  // the page is read up to it
    struct Row {
        const char* name;
        Text page;
    };
    const Row rows[] = {
        {"error page", sampleNotFoundPage()},
        {"six day rows", goodPage.substr(0, lastRow) + goodPage.substr(tableEnd)},
        {"a row with four cells",
         goodPage.substr(0, goodPage.find(periodCellMarker)) + goodPage.substr(secondCell)},
        {"page cut inside a two-byte character", goodPage.substr(0, goodPage.find("\xD0\xC7") + 1)},
        {"a zero byte inside the table", zeroByte},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Text page = row.page;
        site->setPageOverride([page](const std::string&) { return std::optional<Text>(page); });
        fillIn({"Wang", 2});
        expectOnlyMessage(shapeFailed);
        choose(mainWindow().classList, 2);
        expectOnlyMessage(shapeFailed);
        expectGrid(body(), before);
    }

    // A term-list page without term rows keeps the terms; a class-list page of another term
    // code gives no classes.
    const std::vector<Text> terms = items(mainWindow().termList);
    site->setPageOverride(
        [](const std::string&) { return std::optional<Text>(sampleNotFoundPage()); });
    clickLoadTerms();
    expectOnlyMessage(shapeFailed);
    EXPECT_EQ(items(mainWindow().termList), terms);
    const Text otherPage = sampleClassListPage(sampleTerms()[0].code);
    site->setPageOverride(
        [otherPage](const std::string&) { return std::optional<Text>(otherPage); });
    choose(mainWindow().termList, termIndex);
    expectOnlyMessage(shapeFailed);
    EXPECT_EQ(mainWindow().classList->count(), 0);
    EXPECT_EQ(QApplication::clipboard()->text(), QString());
}

TEST_F(SiteWindows, TenThousandOptionsFillBothLists) {
    clickLoadTerms();
    const Text code = workTerm().code;
    Text options;
    for (int i = 0; i < 10000; ++i) {
        if (i > 0) options += "</option>\r\n\t\t\t\t\t\t\t";
        options += "<option value='C" + std::to_string(i) + "'>C";
    }
    const Text page = "<html>" + classListStart + options + classListEndHead + code +
                      classListEndTail + "</html>";
    site->setPageOverride([page](const std::string&) { return std::optional<Text>(page); });
    choose(mainWindow().termList, termIndex);
    EXPECT_EQ(mainWindow().classList->count(), 10000);
    EXPECT_EQ(addMemberDialog().dialogClassList->count(), 10000);
    EXPECT_EQ(itemText(addMemberDialog().dialogClassList, 9999), "C9999");
    EXPECT_TRUE(messages.empty());
}

// Encoding the class name lets window events run; a handler run then must not change what the
// running one already read, and what it wrote must not be lost.
TEST_F(SiteWindows, HandlersRunDuringTheEncodingChangeNothingAlreadyRead) {
    loadTermsAndChoose(termIndex);
    typeName("Li");
    choose(addMemberDialog().dialogClassList, 5);
    bool nestedRan = false;
    QTimer::singleShot(0, [&] {
        nestedRan = true;
        // Another member filled in, then the terms reloaded and the name box changed.
        setEditBoxText(addMemberDialog().memberNameBox, "Wang");
        addMemberDialog().dialogClassList->setCurrentIndex(3);
        fillInMember();
        loadTermList();
        setEditBoxText(addMemberDialog().memberNameBox, "Zhao");
    });
    addMemberDialog().fillInButton->click();
    ASSERT_TRUE(nestedRan);
    EXPECT_EQ(chosenIndex(mainWindow().termList), -1);
    expectGrid(body(), expectedTable(workTerm().code, {{"Wang", 3}, {"Li", 5}}));
    for (const std::string& target : site->receivedTargets())
        if (target.find("BRKB_BJ") != std::string::npos) {
            EXPECT_NE(target.find("XMXH=" + workTerm().code + "&"), std::string::npos);
        }
    EXPECT_TRUE(messages.empty());
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
