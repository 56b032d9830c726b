// The two windows with real widgets on the offscreen platform, controls found by objectName.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "shell/schedule_grid.h"
#include "shell/shell.h"

namespace tavolin {
namespace {

class ShellWindows : public ::testing::Test {
protected:
    void SetUp() override {
        createWindows();
        showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow().window));
    }

    void TearDown() override {
        setMessageHook(nullptr);
        destroyWindowsForTest();
    }

    template <typename T>
    static T* inMain(const char* name) {
        return mainWindow().window->findChild<T*>(QString::fromUtf8(name));
    }
    template <typename T>
    static T* inDialog(const char* name) {
        return addMemberDialog().dialog->findChild<T*>(QString::fromUtf8(name));
    }
    static ScheduleGrid* grid() { return inMain<ScheduleGrid>("高级表格1"); }

    static std::vector<Text> allCells() {
        std::vector<Text> cells;
        for (int row = 0; row < 8; ++row) {
            for (int column = 0; column < 6; ++column) {
                cells.push_back(getCellText(row, column));
            }
        }
        return cells;
    }

    static void showDialogByClick() {
        QTest::mouseClick(inMain<QPushButton>("按钮2"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(addMemberDialog().dialog));
    }
};

// The headers as the system writes them, checked against their GBK bytes.
TEST_F(ShellWindows, StartsWithTheHeadersAndEverythingElseEmpty) {
    const std::vector<Text> header = {
        "\xcf\xee\xc4\xbf",  // 项目
        "\xb5\xda"
        "1\xa1\xa2"
        "2\xbd\xda",  // 第1、2节
        "\xb5\xda"
        "3\xa1\xa2"
        "4\xbd\xda",  // 第3、4节
        "\xb5\xda"
        "5\xa1\xa2"
        "6\xbd\xda",  // 第5、6节
        "\xb5\xda"
        "7\xa1\xa2"
        "8\xbd\xda",            // 第7、8节
        "\xcd\xed   \xc9\xcf",  // 晚   上
    };
    const std::vector<Text> weekdays = {
        "\xd2\xbb", "\xb6\xfe", "\xc8\xfd", "\xcb\xc4",  // 一 二 三 四
        "\xce\xe5", "\xc1\xf9", "\xc8\xd5",              // 五 六 日
    };
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(getCellText(0, column), header[column]) << "column " << column;
    }
    for (int row = 1; row < 8; ++row) {
        EXPECT_EQ(getCellText(row, 0), weekdays[row - 1]) << "row " << row;
        for (int column = 1; column < 6; ++column) {
            EXPECT_EQ(getCellText(row, column), "") << row << "," << column;
        }
    }
    EXPECT_EQ(grid()->cellDisplayText(0, 5), QStringLiteral("晚   上"));

    for (QComboBox* box :
         {mainWindow().termList, mainWindow().classList, addMemberDialog().dialogClassList}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_EQ(box->count(), 0);
        EXPECT_EQ(chosenIndex(box), -1);
        EXPECT_TRUE(box->currentText().isEmpty());
    }
    EXPECT_EQ(editBoxText(addMemberDialog().memberNameBox), "");
    EXPECT_FALSE(addMemberDialog().dialog->isVisible());
    EXPECT_EQ(addMemberDialog().dialog->parent(), nullptr);
    EXPECT_EQ(mainWindow().window->windowTitle(), QStringLiteral("Tavolin"));
    EXPECT_TRUE(addMemberDialog().dialog->windowTitle().isEmpty());
}

TEST_F(ShellWindows, ControlsSitWhereTheLayoutPutsThem) {
    struct Row {
        bool inDialog;
        const char* name;
        const char* kind;
        QRect geometry;
        QString text;
    };
    const Row rows[] = {
        {false, "透明标签1", "QLabel", {16, 8, 56, 24}, QStringLiteral("学期列表")},
        {false, "组合框1", "QComboBox", {72, 8, 168, 20}, {}},
        {false, "按钮4", "QPushButton", {256, 16, 97, 40}, QStringLiteral("加载学期")},
        {false, "透明标签2", "QLabel", {16, 37, 56, 24}, QStringLiteral("班级列表")},
        {false, "组合框2", "QComboBox", {72, 41, 168, 20}, {}},
        {false, "高级表格1", "tavolin::ScheduleGrid", {8, 72, 368, 408}, {}},
        {false, "按钮3", "QPushButton", {11, 482, 60, 30}, QStringLiteral("保存")},
        {false, "按钮2", "QPushButton", {300, 482, 60, 30}, QStringLiteral("添加数据")},
        {false, "透明标签3", "QLabel", {0, 485, 380, 24}, {}},
        {true, "透明标签1", "QLabel", {8, 8, 56, 24}, QStringLiteral("姓名")},
        {true, "编辑框1", "QLineEdit", {64, 8, 160, 24}, {}},
        {true, "透明标签2", "QLabel", {8, 37, 56, 24}, QStringLiteral("班级列表")},
        {true, "组合框1", "QComboBox", {64, 40, 168, 20}, {}},
        {true, "按钮1", "QPushButton", {72, 72, 104, 24}, QStringLiteral("填入")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.inDialog ? "dialog " : "main ") + row.name);
        QWidget* control = row.inDialog ? inDialog<QWidget>(row.name) : inMain<QWidget>(row.name);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->inherits(row.kind));
        EXPECT_EQ(control->geometry(), row.geometry);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_FALSE(label->autoFillBackground());
            if (!row.text.isEmpty()) {
                EXPECT_EQ(label->text(), row.text);
                EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
            }
        }
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), row.text);
        }
        if (auto* box = qobject_cast<QComboBox*>(control)) {
            EXPECT_TRUE(box->isEditable());
            EXPECT_EQ(box->insertPolicy(), QComboBox::NoInsert);
        }
    }

    // The credit line: one line, centred across the window, between the two bottom buttons.
    QLabel* credit = inMain<QLabel>("透明标签3");
    EXPECT_EQ(credit->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_FALSE(credit->text().isEmpty());
    EXPECT_FALSE(credit->text().contains(u'\n'));
    const int textWidth = credit->fontMetrics().horizontalAdvance(credit->text());
    EXPECT_GT((380 - textWidth) / 2, 11 + 60);
    EXPECT_LT((380 + textWidth) / 2, 300);
}

TEST_F(ShellWindows, WindowsHaveTheirFixedOuterSizeAndAreCentred) {
    showDialogByClick();
    struct Row {
        const char* name;
        QWidget* window;
        QSize outer;
    };
    const Row rows[] = {{"main window", mainWindow().window, {380, 548}},
                        {"add-member dialog", addMemberDialog().dialog, {245, 134}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.window->frameGeometry().size(), row.outer);
        EXPECT_EQ(row.window->minimumSize(), row.window->maximumSize());
        const Qt::WindowFlags flags = row.window->windowFlags();
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        const QRect screen = row.window->screen()->availableGeometry();
        EXPECT_LE(std::abs(row.window->frameGeometry().center().x() - screen.center().x()), 1);
        EXPECT_LE(std::abs(row.window->frameGeometry().center().y() - screen.center().y()), 1);
    }
}

TEST_F(ShellWindows, GridDrawsItsTableSettings) {
    ScheduleGrid* table = grid();
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 6; ++column) {
            const QRect cell = table->cellRect(row, column);
            EXPECT_EQ(cell.size(), QSize(60, 50)) << row << "," << column;
            // Every cell fits in the control: nothing to scroll to.
            EXPECT_TRUE(table->contentsRect().contains(cell)) << row << "," << column;
        }
    }
    EXPECT_EQ(table->frameShadow(), QFrame::Sunken);
    EXPECT_GE(table->frameWidth(), 2);

    const QImage image = table->grab().toImage();
    const auto colourAt = [&](QPoint at) { return QColor(image.pixel(at)).rgb() & 0xffffff; };
    // Points of each cell away from its text: the bottom-right corner inside the grid lines.
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 6; ++column) {
            SCOPED_TRACE(std::to_string(row) + "," + std::to_string(column));
            const QRect cell = table->cellRect(row, column);
            const QPoint inside = cell.bottomRight() - QPoint(4, 4);
            const bool header = row == 0 || column == 0;
            EXPECT_EQ(colourAt(inside), header ? 0x606060u : 0xffffffu);
            EXPECT_EQ(colourAt(QPoint(cell.right(), cell.center().y())), 0x000000u);
            EXPECT_EQ(colourAt(QPoint(cell.center().x(), cell.bottom())), 0x000000u);
        }
    }
    // The control's area beyond the last row and column is white.
    const QRect last = table->cellRect(7, 5);
    EXPECT_EQ(colourAt(last.bottomRight() + QPoint(2, 2)), 0xffffffu);
    // Header text is drawn in the window-text colour on the dark cells.
    const QColor windowText = table->palette().color(QPalette::WindowText);
    bool textSeen = false;
    const QRect corner = table->cellRect(0, 0);
    for (int x = corner.left(); x < corner.right(); ++x) {
        textSeen =
            textSeen || colourAt(QPoint(x, corner.center().y())) == (windowText.rgb() & 0xffffff);
    }
    EXPECT_TRUE(textSeen);
}

TEST_F(ShellWindows, SetCellTextOutsideTheGridChangesNothing) {
    setCellText(3, 3, "x");
    const std::vector<Text> before = allCells();
    const struct {
        const char* name;
        int row;
        int column;
    } outside[] = {{"row 8", 8, 1},
                   {"column 6", 1, 6},
                   {"row -1", -1, 1},
                   {"column -1", 1, -1},
                   {"both past", 8, 6},
                   {"far away", 1 << 30, -(1 << 30)},
                   {"header row -1, col 0", -1, 0}};
    for (const auto& cell : outside) {
        SCOPED_TRACE(cell.name);
        setCellText(cell.row, cell.column, "changed");
        EXPECT_EQ(allCells(), before);
    }
}

TEST_F(ShellWindows, LongTextIsCutOffAtTheCellEdgeAndStoredWhole) {
    const Text longText = utf8ToText("计算机科学与技术2017级1班-张三-李四-王五-赵六");
    setCellText(2, 2, longText);
    EXPECT_EQ(getCellText(2, 2), longText);
    ScheduleGrid* table = grid();
    QApplication::processEvents();
    const QImage image = table->grab().toImage();
    const QRect cell = table->cellRect(2, 2);
    const QRect next = table->cellRect(2, 3);
    int inkInCell = 0;
    int inkNearTheEdge = 0;
    for (int y = cell.top(); y < cell.bottom(); ++y) {
        for (int x = cell.left(); x < cell.right(); ++x) {
            const bool ink = QColor(image.pixel(x, y)).lightness() < 160;
            inkInCell += ink ? 1 : 0;
            inkNearTheEdge += ink && x >= cell.right() - 4 ? 1 : 0;
        }
        for (int x = next.left(); x < next.right(); ++x) {
            ASSERT_EQ(QColor(image.pixel(x, y)).rgb() & 0xffffff, 0xffffffu)
                << "the text runs into the next cell at " << x << "," << y;
        }
    }
    EXPECT_GT(inkInCell, 0);
    // Cut off, not shortened: glyphs run right up to the grid line.
    EXPECT_GT(inkNearTheEdge, 0);
}

TEST_F(ShellWindows, UserEditIsReadBackAndUntouchedTextKeepsItsBytes) {
    ScheduleGrid* table = grid();
    // A lead byte with no second byte does not decode; the cell shows U+FFFD but keeps the byte.
    const Text undecodable = "A\x81";
    setCellText(1, 1, undecodable);
    setCellText(1, 2, utf8ToText("张三"));

    const auto editCell = [&](int row, int column, const std::function<void(QLineEdit*)>& typing) {
        const QPoint centre = table->cellRect(row, column).center();
        QTest::mouseClick(table, Qt::LeftButton, {}, centre);
        QTest::mouseDClick(table, Qt::LeftButton, {}, centre);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(table->isEditing());
        typing(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_FALSE(table->isEditing());
    };

    // Opening the editor and leaving it as it was changes no byte.
    editCell(1, 1, [](QLineEdit*) {});
    EXPECT_EQ(getCellText(1, 1), undecodable);

    // A character outside GBK typed (here pasted) after the existing text survives.
    editCell(1, 2, [](QLineEdit* editor) {
        editor->end(false);
        QTest::keyClicks(editor, "-Li");
        editor->insert(QStringLiteral("-李四😀"));
    });
    EXPECT_EQ(getCellText(1, 2), utf8ToText("张三-Li-李四😀"));
    EXPECT_EQ(table->cellDisplayText(1, 2), QStringLiteral("张三-Li-李四😀"));

    // Escape leaves the cell as it was.
    editCell(1, 2, [](QLineEdit* editor) {
        QTest::keyClicks(editor, "gone");
        QTest::keyClick(editor, Qt::Key_Escape);
    });
    EXPECT_EQ(getCellText(1, 2), utf8ToText("张三-Li-李四😀"));

    // Typing over the current cell replaces its text, as in a spreadsheet; the arrow keys move.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(table->currentRow(), 2);
    EXPECT_EQ(table->currentColumn(), 2);
    QTest::keyClicks(table, "W");
    ASSERT_TRUE(table->isEditing());
    QTest::keyClicks(QApplication::focusWidget(), "u");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(getCellText(2, 2), "Wu");

    // Header cells are not edited by the user.
    QTest::mouseDClick(table, Qt::LeftButton, {}, table->cellRect(0, 1).center());
    EXPECT_FALSE(table->isEditing());
    QTest::mouseDClick(table, Qt::LeftButton, {}, table->cellRect(3, 0).center());
    EXPECT_FALSE(table->isEditing());
}

TEST_F(ShellWindows, RowsAndColumnsResizeByDraggingTheirGridLines) {
    ScheduleGrid* table = grid();
    setCellText(2, 2, "kept");
    struct Drag {
        const char* name;
        QPoint from;
        QPoint by;
        int row;
        int column;
        int expectedHeight;
        int expectedWidth;
    };
    const QRect body = table->cellRect(2, 2);
    const QRect header = table->cellRect(0, 0);
    const Drag drags[] = {
        {"body column wider", QPoint(body.right(), body.center().y()), QPoint(20, 0), 2, 2, 50, 80},
        {"body row lower", QPoint(body.center().x(), body.bottom()), QPoint(0, -30), 2, 2, 20, 80},
        {"header column narrower", QPoint(header.right(), header.center().y()), QPoint(-25, 0), 0,
         0, 50, 35},
        {"never below a few pixels", QPoint(header.center().x(), header.bottom()), QPoint(0, -200),
         0, 0, 4, 35},
    };
    for (const Drag& drag : drags) {
        SCOPED_TRACE(drag.name);
        QTest::mousePress(table, Qt::LeftButton, {}, drag.from);
        QTest::mouseMove(table, drag.from + drag.by / 2);
        QTest::mouseMove(table, drag.from + drag.by);
        QTest::mouseRelease(table, Qt::LeftButton, {}, drag.from + drag.by);
        EXPECT_EQ(table->rowHeight(drag.row), drag.expectedHeight);
        EXPECT_EQ(table->columnWidth(drag.column), drag.expectedWidth);
    }
    EXPECT_EQ(table->columnWidth(1), 60);
    EXPECT_EQ(table->rowHeight(1), 50);
    EXPECT_EQ(getCellText(2, 2), "kept");
    EXPECT_FALSE(table->isEditing());
}

TEST_F(ShellWindows, DialogHidesOnCloseAndComesBackAsItWas) {
    const std::vector<std::pair<const char*, std::function<void()>>> closers = {
        {"close box", [] { addMemberDialog().dialog->windowHandle()->close(); }},
        {"Escape", [] { QTest::keyClick(addMemberDialog().memberNameBox, Qt::Key_Escape); }},
        {"hideAddMemberDialog", [] { hideAddMemberDialog(); }},
    };
    QComboBox* classes = addMemberDialog().dialogClassList;
    for (const char* name : {"1\xb0\xe0", "2\xb0\xe0", "3\xb0\xe0"}) {  // 1班 2班 3班
        addItem(classes, name);
    }
    classes->setCurrentIndex(1);
    const QPointer<QWidget> dialog = addMemberDialog().dialog;

    for (const auto& [how, close] : closers) {
        SCOPED_TRACE(how);
        showDialogByClick();
        QTest::keyClicks(addMemberDialog().memberNameBox, "Wang");
        EXPECT_EQ(editBoxText(addMemberDialog().memberNameBox), "Wang");
        const QPoint place = dialog->pos();
        close();
        ASSERT_FALSE(dialog.isNull());
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(editBoxText(addMemberDialog().memberNameBox), "");

        showDialogByClick();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->pos(), place);
        EXPECT_EQ(editBoxText(addMemberDialog().memberNameBox), "");
        EXPECT_EQ(classes->count(), 3);
        EXPECT_EQ(chosenIndex(classes), 1);
        EXPECT_EQ(itemText(classes, 1), "2\xb0\xe0");
        hideAddMemberDialog();
    }
    EXPECT_TRUE(mainWindow().window->isVisible());
}

TEST_F(ShellWindows, SecondAddMemberClickChangesNothing) {
    QComboBox* classes = addMemberDialog().dialogClassList;
    addItem(classes, "1\xb0\xe0");  // 1班
    addItem(classes, "2\xb0\xe0");  // 2班
    classes->setCurrentIndex(0);
    showDialogByClick();
    QTest::keyClicks(addMemberDialog().memberNameBox, "Zhao");
    const QPoint place = addMemberDialog().dialog->pos();

    showDialogByClick();
    EXPECT_TRUE(addMemberDialog().dialog->isVisible());
    EXPECT_EQ(addMemberDialog().dialog->pos(), place);
    EXPECT_EQ(editBoxText(addMemberDialog().memberNameBox), "Zhao");
    EXPECT_EQ(classes->count(), 2);
    EXPECT_EQ(chosenIndex(classes), 0);
}

TEST_F(ShellWindows, ChosenItemEventComesOnlyFromTheUser) {
    showDialogByClick();
    for (QComboBox* box :
         {mainWindow().termList, mainWindow().classList, addMemberDialog().dialogClassList}) {
        SCOPED_TRACE(box->objectName().toStdString());
        QSignalSpy chosen(box, &QComboBox::activated);
        const std::vector<Text> items = {"20170A", "\xb6\xfe\xb0\xe0", "B\x81"};  // 二班, bad byte
        for (const Text& item : items) {
            addItem(box, item);
        }
        EXPECT_EQ(chosen.count(), 0);
        EXPECT_EQ(chosenIndex(box), -1);
        EXPECT_TRUE(box->currentText().isEmpty());
        EXPECT_EQ(itemText(box, 2), "B\x81");
        EXPECT_EQ(itemText(box, -1), "");
        EXPECT_EQ(itemText(box, 3), "");

        // Keyboard: the arrow key chooses the next item.
        box->setFocus();
        QTest::keyClick(box->lineEdit(), Qt::Key_Down);
        ASSERT_EQ(chosen.count(), 1);
        EXPECT_EQ(chosen.at(0).at(0).toInt(), 0);
        EXPECT_EQ(chosenIndex(box), 0);

        // Mouse: pick the third item in the drop-down list.
        box->showPopup();
        QAbstractItemView* list = box->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(2, 0)).center());
        ASSERT_EQ(chosen.count(), 2);
        EXPECT_EQ(chosenIndex(box), 2);
        EXPECT_EQ(itemText(box, chosenIndex(box)), "B\x81");

        // Typed text is no item and no choice.
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), "typed");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(box->count(), 3);
        EXPECT_EQ(chosen.count(), 2);

        removeAllItems(box);
        EXPECT_EQ(box->count(), 0);
        EXPECT_EQ(chosenIndex(box), -1);
        addItem(box, "again");
        EXPECT_EQ(chosenIndex(box), -1);
        EXPECT_EQ(chosen.count(), 2);
    }
}

TEST_F(ShellWindows, NameBoxKeepsTextExactly) {
    QLineEdit* name = addMemberDialog().memberNameBox;
    setEditBoxText(name, "C\x81");
    EXPECT_EQ(editBoxText(name), "C\x81");
    name->clear();
    QTest::keyClicks(name, "Li ");
    name->insert(QStringLiteral("李😀"));
    EXPECT_EQ(editBoxText(name), utf8ToText("Li 李😀"));
}

TEST_F(ShellWindows, ClipboardGetsTheTextAsCharacters) {
    setClipboardText("\xbc\xd7\t\xd2\xd2");  // 甲 TAB 乙
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("甲\t乙"));
}

TEST_F(ShellWindows, MessagesGoToTheHookOrToAParentlessModalBox) {
    std::vector<QString> seen;
    setMessageHook([&](const QString& text, const QString& caption, MessageIcon icon) {
        seen.push_back(caption + "|" + text + "|" + QString::number(static_cast<int>(icon)));
    });
    showMessage(QStringLiteral("保存完毕"), QStringLiteral("提示"), MessageIcon::Information);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], QStringLiteral("提示|保存完毕|1"));

    setMessageHook(nullptr);
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->parent(), nullptr);
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("提示"));
        EXPECT_EQ(box->text(), QStringLiteral("出错了"));
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        answered = true;
        box->button(QMessageBox::Ok)->click();
    });
    showMessage(QStringLiteral("出错了"), QStringLiteral("提示"), MessageIcon::Warning);
    EXPECT_TRUE(answered);
}

TEST_F(ShellWindows, EventPumpRunsPendingWindowEvents) {
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    pumpEvents();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace tavolin

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
