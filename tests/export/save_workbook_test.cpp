// "保存" with the real windows and the real save dialog on the offscreen platform: the dialog is
// found among the top-level widgets, a name is typed and confirmed, and the written file is read
// back by xlrd.

#include "export/save_workbook.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <functional>

#include "shell/shell.h"
#include "test_support.h"
#include "xls_reader.h"

namespace tavolin {
namespace {

using testing::folderEntries;
using testing::TempFolder;

std::filesystem::path homeFolder;

// Every file and folder under `root`, with its size, as one list.
std::vector<std::string> treeListing(const std::filesystem::path& root) {
    std::vector<std::string> listing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        listing.push_back(entry.path().string() + " " +
                          std::to_string(entry.is_regular_file() ? entry.file_size() : 0));
    }
    std::sort(listing.begin(), listing.end());
    return listing;
}

struct Message {
    QString text;
    QString caption;
    MessageIcon icon;
};

// What the save dialog showed when it opened.
struct DialogSeen {
    bool opened = false;
    QString folder;
    QString typedName;
    QString filterShown;
    QStringList nameFilters;
    QString defaultSuffix;
    bool saveMode = false;
    bool nonNative = false;
    bool askedToReplace = false;
};

enum class Answer { Confirm, Cancel };

// Answers the next save dialog from a timer: types `name` and confirms, or cancels. A question
// about replacing an existing file is answered yes. `beforeConfirm` runs just before the name is
// confirmed.
class DialogDriver {
public:
    DialogDriver(Answer answer, QString name, std::function<void()> beforeConfirm = {})
        : answer_(answer), name_(std::move(name)), beforeConfirm_(std::move(beforeConfirm)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
        clock_.start();
    }

    const DialogSeen& seen() const { return seen_; }

private:
    void poll() {
        if (clock_.elapsed() > 20000) {
            // A hang check: close whatever is open so that the test fails instead of waiting.
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
                    dialog->reject();
                }
            }
            timer_.stop();
            return;
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible()) continue;
            if (auto* box = qobject_cast<QMessageBox*>(widget)) {
                seen_.askedToReplace = true;
                box->button(QMessageBox::Yes)->click();
                return;
            }
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            if (dialog == nullptr || dialog->objectName() != u"通用对话框1"_qs || answered_)
                continue;
            answered_ = true;
            record(dialog);
            auto* nameBox = dialog->findChild<QLineEdit*>(u"fileNameEdit"_qs);
            if (answer_ == Answer::Cancel || nameBox == nullptr) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            // Typed from a timer of its own: a question the dialog asks runs a nested loop, and
            // this polling timer must keep firing to answer it.
            QPointer<QLineEdit> target(nameBox);
            QTimer::singleShot(0, nameBox, [this, target] {
                // Key by key, as typed; QTest::keyClicks knows ASCII keys only.
                for (const QChar ch : name_) {
                    QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch),
                                        Qt::NoModifier);
                }
                if (beforeConfirm_) beforeConfirm_();
                if (target) QTest::keyClick(target, Qt::Key_Return);
            });
            return;
        }
    }

    void record(QFileDialog* dialog) {
        seen_.opened = true;
        seen_.folder = dialog->directory().absolutePath();
        if (auto* nameBox = dialog->findChild<QLineEdit*>(u"fileNameEdit"_qs)) {
            seen_.typedName = nameBox->text();
        }
        if (auto* types = dialog->findChild<QComboBox*>(u"fileTypeCombo"_qs)) {
            seen_.filterShown = types->currentText();
        }
        seen_.nameFilters = dialog->nameFilters();
        seen_.defaultSuffix = dialog->defaultSuffix();
        seen_.saveMode = dialog->acceptMode() == QFileDialog::AcceptSave;
        seen_.nonNative = dialog->testOption(QFileDialog::DontUseNativeDialog);
    }

    Answer answer_;
    QString name_;
    std::function<void()> beforeConfirm_;
    QTimer timer_;
    QElapsedTimer clock_;
    bool answered_ = false;
    DialogSeen seen_;
};

// The grid of the tests: names, an empty row, texts that look like numbers, dates and formulas,
// a TAB and a line break inside cells, and characters beyond GBK that GB18030 carries.
const char* const bodyUtf8[7][5] = {
    {"张三-李四", "", "王五", "", "赵六-钱七-孙八"},
    {"", "", "", "", ""},
    {"1-2", "007", "=1+1", "2017-09-01", "3.14"},
    {"周\t九", "吴\r\n十", "𠀀𪚥", "€", "TRUE"},
    {"李四", "李四", "李四", "李四", "李四"},
    {"", "郑十一", "", "", ""},
    {"王五-赵六", "", "", "冯十二", "—"},
};
const char* const headerUtf8[6] = {"项目",     "第1、2节", "第3、4节",
                                   "第5、6节", "第7、8节", "晚   上"};
const char* const weekdayUtf8[7] = {"一", "二", "三", "四", "五", "六", "日"};

QString expectedCell(int row, int column) {
    if (row == 0) return QString::fromUtf8(headerUtf8[column]);
    if (column == 0) return QString::fromUtf8(weekdayUtf8[row - 1]);
    return QString::fromUtf8(bodyUtf8[row - 1][column - 1]);
}

class SaveWorkbookWindows : public ::testing::Test {
protected:
    void SetUp() override {
        createWindows();
        showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow().window));
        // The executables bind the handler the same way.
        QObject::connect(mainWindow().saveButton, &QPushButton::clicked, [] { saveWorkbook(); });
        for (int r = 1; r <= 7; ++r) {
            for (int c = 1; c <= 5; ++c) setCellText(r, c, utf8ToText(bodyUtf8[r - 1][c - 1]));
        }
        setMessageHook([this](const QString& text, const QString& caption, MessageIcon icon) {
            messages_.push_back({text, caption, icon});
        });
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, [this] {
            clipboardTexts_.push_back(QGuiApplication::clipboard()->text());
        });
        startFolder_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(folder_.path().string()));
    }

    void TearDown() override {
        QGuiApplication::clipboard()->disconnect();
        setMessageHook(nullptr);
        destroyWindowsForTest();
        QDir::setCurrent(startFolder_);
    }

    // Clicks "保存" and lets the driver answer the dialog.
    DialogSeen clickSave(Answer answer, const QString& name,
                         std::function<void()> beforeConfirm = {}) {
        DialogDriver driver(answer, name, std::move(beforeConfirm));
        QTest::mouseClick(mainWindow().saveButton, Qt::LeftButton);
        return driver.seen();
    }

    QString rowLine(int row) const {
        QStringList cells;
        for (int c = 0; c < 6; ++c) cells << expectedCell(row, c);
        return cells.join(u'\t');
    }

    void expectTableIn(const std::filesystem::path& file) {
        if (!testing::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
        const testing::XlsContents book = testing::readXls(file);
        ASSERT_TRUE(book.ok) << book.failure;
        EXPECT_EQ(book.json["warnings"].toString(), QString());
        ASSERT_EQ(book.json["nrows"].toInt(), 8);
        ASSERT_EQ(book.json["ncols"].toInt(), 6);
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 6; ++c) {
                SCOPED_TRACE(::testing::Message() << "row " << r << " column " << c);
                const QString expected = expectedCell(r, c);
                EXPECT_EQ(book.text(r, c), expected);
                EXPECT_EQ(book.type(r, c), expected.isEmpty() ? "blank" : "text");
                const QJsonObject cell = book.cell(r, c);
                EXPECT_EQ(cell["align"].toInt(), 2);
                EXPECT_EQ(cell["wrap"].toInt(), 1);
                EXPECT_EQ(cell["borders"].toArray(), QJsonArray({1, 1, 1, 1}));
            }
        }
        EXPECT_EQ(book.columnWidth(0), 3510);
        for (int c = 1; c < 6; ++c) EXPECT_EQ(book.columnWidth(c), 4790);
        EXPECT_EQ(book.rowHeight(0), 28 * 20);
        for (int r = 1; r < 8; ++r) EXPECT_EQ(book.rowHeight(r), 67 * 20);
    }

    TempFolder folder_;
    QString startFolder_;
    std::vector<Message> messages_;
    QStringList clipboardTexts_;
};

TEST_F(SaveWorkbookWindows, SavesUnderAChineseNameInAChineseFolder) {
    const std::filesystem::path chineseFolder = folder_.path() / "课表 2017";
    std::filesystem::create_directory(chineseFolder);
    const std::vector<std::string> homeBefore = treeListing(homeFolder);

    const DialogSeen seen = clickSave(Answer::Confirm, u"课表 2017/空闲表"_qs);

    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.folder, QString::fromStdString(folder_.path().string()));
    EXPECT_EQ(seen.typedName, QString());
    EXPECT_EQ(seen.filterShown, u"表格文件（*.xls）"_qs);
    EXPECT_EQ(seen.nameFilters, QStringList{u"表格文件（*.xls）(*.xls)"_qs});
    EXPECT_EQ(seen.defaultSuffix, u"xls"_qs);
    EXPECT_TRUE(seen.saveMode);
    EXPECT_TRUE(seen.nonNative);
    EXPECT_FALSE(seen.askedToReplace);

    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, u"保存完毕"_qs);
    EXPECT_EQ(messages_[0].text.toStdU16String(), std::u16string({0x4FDD, 0x5B58, 0x5B8C, 0x6BD5}));
    EXPECT_EQ(messages_[0].caption, u"成功"_qs);
    EXPECT_EQ(messages_[0].icon, MessageIcon::Information);

    const std::filesystem::path file = chineseFolder / "空闲表.xls";
    EXPECT_EQ(folderEntries(chineseFolder), std::set<std::string>{"空闲表.xls"});
    expectTableIn(file);

    // The clipboard got the eight row lines in order and keeps Sunday's.
    QStringList lines;
    for (int r = 0; r < 8; ++r) lines << rowLine(r);
    EXPECT_EQ(clipboardTexts_, lines);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), rowLine(7));
    // The grid is left as it was.
    EXPECT_EQ(getCellText(4, 1), utf8ToText("周\t九"));

    EXPECT_EQ(QDir::currentPath(), QString::fromStdString(chineseFolder.string()));
    EXPECT_EQ(treeListing(homeFolder), homeBefore) << "the save left something in the home folder";
}

TEST_F(SaveWorkbookWindows, SecondSaveOpensInTheFirstFilesFolderAndReplacesAfterAsking) {
    const std::filesystem::path first = folder_.path() / "一";
    std::filesystem::create_directory(first);
    const DialogSeen seenFirst =
        clickSave(Answer::Confirm, QString::fromStdString((first / "a").string()));
    EXPECT_EQ(seenFirst.folder, QString::fromStdString(folder_.path().string()));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, u"保存完毕"_qs);

    testing::writeFileBytes(first / "b.xls", {'o', 'l', 'd'});
    setCellText(1, 1, utf8ToText("新的内容"));
    const DialogSeen seenSecond = clickSave(Answer::Confirm, u"b.xls"_qs);
    EXPECT_EQ(seenSecond.folder, QString::fromStdString(first.string()));
    EXPECT_TRUE(seenSecond.askedToReplace);
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[1].text, u"保存完毕"_qs);
    EXPECT_EQ(folderEntries(first), (std::set<std::string>{"a.xls", "b.xls"}));
    if (!testing::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    EXPECT_EQ(testing::readXls(first / "a.xls").text(1, 1), u"张三-李四"_qs);
    EXPECT_EQ(testing::readXls(first / "b.xls").text(1, 1), u"新的内容"_qs);
}

TEST_F(SaveWorkbookWindows, CancelWritesNothingAndSaysNothing) {
    QGuiApplication::clipboard()->setText(u"before"_qs);
    clipboardTexts_.clear();
    const DialogSeen seen = clickSave(Answer::Cancel, {});
    EXPECT_TRUE(seen.opened);
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(clipboardTexts_.isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"before"_qs);
    EXPECT_TRUE(folderEntries(folder_.path()).empty());
    EXPECT_EQ(QDir::currentPath(), QString::fromStdString(folder_.path().string()));
}

TEST_F(SaveWorkbookWindows, FailedSaveKeepsTheOldFileAndSaysSo) {
    const std::filesystem::path target = folder_.path() / "old.xls";
    const std::vector<std::uint8_t> oldBytes = {'o', 'l', 'd'};
    testing::writeFileBytes(target, oldBytes);

    // A file-size limit smaller than the workbook makes the write fail for real.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    clickSave(Answer::Confirm, u"old"_qs, [saved] {
        const rlimit small{4096, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &small);
    });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(messages_.size(), 1u);
    const QString expected =
        u"保存失败："_qs + QString::fromStdString(target.string()) + u"\n文件超出了允许的大小"_qs;
    EXPECT_EQ(messages_[0].text, expected);
    EXPECT_EQ(messages_[0].caption, u"信息："_qs);
    EXPECT_FALSE(messages_[0].text.contains(u"保存完毕"_qs));
    EXPECT_EQ(testing::readFileBytes(target), oldBytes);
    EXPECT_EQ(folderEntries(folder_.path()), std::set<std::string>{"old.xls"});
}

TEST_F(SaveWorkbookWindows, OverlongCellIsCutAndNamed) {
    Text longText;
    for (int i = 0; i < 40000; ++i) longText += utf8ToText("长");
    setCellText(2, 2, longText);
    setCellText(3, 4, longText);
    clickSave(Answer::Confirm, u"long"_qs);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, u"保存完毕\n（以下单元格过长，已截断：C3、E4）"_qs);
    EXPECT_EQ(messages_[0].caption, u"成功"_qs);
    if (!testing::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    const testing::XlsContents book = testing::readXls(folder_.path() / "long.xls");
    ASSERT_TRUE(book.ok) << book.failure;
    EXPECT_EQ(book.text(2, 2), QString(32767, u'长'));
    EXPECT_EQ(book.text(1, 1), u"张三-李四"_qs);
}

}  // namespace
}  // namespace tavolin

int main(int argc, char** argv) {
    // A home folder of its own, so that the test sees anything the program leaves there.
    char pattern[] = "/tmp/tavolin-home-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return 2;
    tavolin::homeFolder = pattern;
    ::setenv("HOME", pattern, 1);
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        ::unsetenv(name);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication application(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(tavolin::homeFolder, ignored);
    return result;
}
