// The two windows, their controls and the operations other code reaches them by.

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <array>

#include "shell/schedule_grid.h"
#include "shell/shell.h"

namespace tavolin {
namespace {

MainWindowControls mainControls;
AddMemberDialogControls dialogControls;
MessageHook messageHook;

// The program text of an item or of the name box, kept beside what the widget shows so that a
// text the user has not changed comes back byte for byte.
constexpr int storedTextRole = Qt::UserRole + 1;
constexpr const char* storedTextProperty = "tavolinStoredText";
constexpr const char* shownTextProperty = "tavolinShownText";

constexpr Qt::WindowFlags fixedFrameFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

// A top-level window of a fixed outer size: the client area is what is left inside the frame the
// window system reports, which is known only once the window is shown (none without a window
// manager).
class FixedFrameWindow : public QWidget {
public:
    explicit FixedFrameWindow(QSize outerSize)
        : QWidget(nullptr, fixedFrameFlags), outer_(outerSize) {
        setFixedSize(outer_);
    }

    void centreOnScreen() {
        const QScreen* screen =
            this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
        if (screen == nullptr) {
            return;
        }
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - outer_.width()) / 2,
             area.y() + (area.height() - outer_.height()) / 2);
    }

protected:
    bool event(QEvent* event) override {
        const bool handled = QWidget::event(event);
        // The window manager reports its frame some time after the window is mapped.
        if (event->type() == QEvent::Show || event->type() == QEvent::Move ||
            event->type() == QEvent::ActivationChange) {
            fitIntoFrame();
        }
        return handled;
    }

private:
    void fitIntoFrame() {
        const QWindow* window = windowHandle();
        if (window == nullptr) {
            return;
        }
        const QMargins frame = window->frameMargins();
        if (frame == frame_) {
            return;
        }
        frame_ = frame;
        setFixedSize(outer_.width() - frame.left() - frame.right(),
                     outer_.height() - frame.top() - frame.bottom());
        centreOnScreen();
    }

    QSize outer_;
    QMargins frame_;
};

class MainWindow : public FixedFrameWindow {
public:
    MainWindow() : FixedFrameWindow(QSize(380, 548)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        exitOnMainWindowDestroyed();
    }
};

class AddMemberDialog : public FixedFrameWindow {
public:
    AddMemberDialog() : FixedFrameWindow(QSize(245, 134)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        hideAddMemberDialog();
        event->ignore();
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        FixedFrameWindow::keyPressEvent(event);
    }
};

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                  Qt::Alignment horizontal) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setAlignment(horizontal | Qt::AlignVCenter);
    label->setWordWrap(false);
    label->setAutoFillBackground(false);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(colours);
    label->setGeometry(geometry);
    return label;
}

QComboBox* makeComboBox(QWidget* parent, const char* name, QRect geometry) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setEditable(true);
    // Typed text never becomes an item; items keep the order they were added in.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setGeometry(geometry);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}

void pumpWindowEvents() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents();
    }
}

}  // namespace

MainWindowControls& mainWindow() {
    return mainControls;
}
AddMemberDialogControls& addMemberDialog() {
    return dialogControls;
}

QString textToQString(const Text& text) {
    return QString::fromStdU16String(textToUtf16(text));
}

Text qStringToText(const QString& text) {
    return utf16ToText(text.toStdU16String());
}

void createWindows() {
    setEventPump(&pumpWindowEvents);

    auto* window = new MainWindow;
    window->setObjectName(QStringLiteral("Tavolin"));
    window->setWindowTitle(QStringLiteral("Tavolin"));
    MainWindowControls& c = mainControls;
    c.window = window;
    c.termListCaption = makeLabel(window, "透明标签1", QStringLiteral("学期列表"),
                                  QRect(16, 8, 56, 24), Qt::AlignLeft);
    c.termList = makeComboBox(window, "组合框1", QRect(72, 8, 168, 20));
    c.loadTermsButton =
        makeButton(window, "按钮4", QStringLiteral("加载学期"), QRect(256, 16, 97, 40));
    c.classListCaption = makeLabel(window, "透明标签2", QStringLiteral("班级列表"),
                                   QRect(16, 37, 56, 24), Qt::AlignLeft);
    c.classList = makeComboBox(window, "组合框2", QRect(72, 41, 168, 20));
    c.scheduleGrid = new ScheduleGrid(window);
    c.scheduleGrid->setObjectName(QStringLiteral("高级表格1"));
    c.scheduleGrid->setGeometry(8, 72, 368, 408);
    c.saveButton = makeButton(window, "按钮3", QStringLiteral("保存"), QRect(11, 482, 60, 30));
    c.addMemberButton =
        makeButton(window, "按钮2", QStringLiteral("添加数据"), QRect(300, 482, 60, 30));
    c.creditLabel = makeLabel(window, "透明标签3", QStringLiteral("Tavolin 1.1.1.0 · 空闲时间表"),
                              QRect(0, 485, 380, 24), Qt::AlignHCenter);
    // The credit line spans the window's width under the buttons' ends; clicks go through it.
    c.creditLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    c.creditLabel->lower();
    window->centreOnScreen();

    setUpMainWindow();

    QObject::connect(c.addMemberButton, &QPushButton::clicked, [] { showAddMemberDialog(); });
}

void setUpMainWindow() {
    static const std::array<const char*, 5> periods = {"第1、2节", "第3、4节", "第5、6节",
                                                       "第7、8节", "晚   上"};
    static const std::array<const char*, 7> weekdays = {"一", "二", "三", "四", "五", "六", "日"};
    setCellText(0, 0, utf8ToText("项目"));
    for (int column = 1; column <= 5; ++column) {
        setCellText(0, column, utf8ToText(periods[column - 1]));
    }
    for (int row = 1; row <= 7; ++row) {
        setCellText(row, 0, utf8ToText(weekdays[row - 1]));
    }

    // Modeless, parentless and hidden until "添加数据" shows it.
    auto* dialog = new AddMemberDialog;
    dialog->setObjectName(QStringLiteral("AddMemberDialog"));
    dialog->setWindowTitle(QString());
    AddMemberDialogControls& d = dialogControls;
    d.dialog = dialog;
    d.nameCaption =
        makeLabel(dialog, "透明标签1", QStringLiteral("姓名"), QRect(8, 8, 56, 24), Qt::AlignLeft);
    d.memberNameBox = new QLineEdit(dialog);
    d.memberNameBox->setObjectName(QStringLiteral("编辑框1"));
    d.memberNameBox->setGeometry(64, 8, 160, 24);
    d.classListCaption = makeLabel(dialog, "透明标签2", QStringLiteral("班级列表"),
                                   QRect(8, 37, 56, 24), Qt::AlignLeft);
    d.dialogClassList = makeComboBox(dialog, "组合框1", QRect(64, 40, 168, 20));
    d.fillInButton = makeButton(dialog, "按钮1", QStringLiteral("填入"), QRect(72, 72, 104, 24));
    dialog->centreOnScreen();
}

void showMainWindow() {
    if (mainControls.window != nullptr) {
        mainControls.window->show();
    }
}

void showAddMemberDialog() {
    QWidget* dialog = dialogControls.dialog;
    if (dialog == nullptr) {
        return;
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void hideAddMemberDialog() {
    if (dialogControls.dialog == nullptr) {
        return;
    }
    setEditBoxText(dialogControls.memberNameBox, Text());
    dialogControls.dialog->hide();
}

void destroyWindowsForTest() {
    delete dialogControls.dialog;
    delete mainControls.window;
    dialogControls = {};
    mainControls = {};
    setEventPump(nullptr);
}

void setCellText(int row, int column, const Text& text) {
    if (mainControls.scheduleGrid != nullptr) {
        mainControls.scheduleGrid->setCellText(row, column, text);
    }
}

Text getCellText(int row, int column) {
    if (mainControls.scheduleGrid == nullptr) {
        return {};
    }
    return mainControls.scheduleGrid->cellText(row, column);
}

void removeAllItems(QComboBox* box) {
    box->clear();
}

void addItem(QComboBox* box, const Text& text) {
    // A combo box chooses its first item by itself when it gets one; the program's lists have no
    // chosen item until the user chooses one, and what the user has typed stays.
    const bool noneChosen = box->currentIndex() < 0;
    const QString typed = box->currentText();
    box->addItem(textToQString(text));
    box->setItemData(box->count() - 1, QByteArray::fromStdString(text), storedTextRole);
    if (noneChosen && box->currentIndex() >= 0) {
        box->setCurrentIndex(-1);
        box->setEditText(typed);
    }
}

int chosenIndex(QComboBox* box) {
    return box->currentIndex();
}

Text itemText(QComboBox* box, int index) {
    if (index < 0 || index >= box->count()) {
        return {};
    }
    const QVariant stored = box->itemData(index, storedTextRole);
    if (stored.isValid()) {
        return stored.toByteArray().toStdString();
    }
    return qStringToText(box->itemText(index));
}

Text editBoxText(QLineEdit* box) {
    const QVariant shown = box->property(shownTextProperty);
    if (shown.isValid() && shown.toString() == box->text()) {
        return box->property(storedTextProperty).toByteArray().toStdString();
    }
    return qStringToText(box->text());
}

void setEditBoxText(QLineEdit* box, const Text& text) {
    const QString shown = textToQString(text);
    box->setText(shown);
    box->setProperty(storedTextProperty, QByteArray::fromStdString(text));
    box->setProperty(shownTextProperty, box->text());
}

void setClipboardText(const Text& text) {
    QGuiApplication::clipboard()->setText(textToQString(text));
}

void showMessage(const QString& text, const QString& caption, MessageIcon icon) {
    if (messageHook) {
        const MessageHook hook = messageHook;
        hook(text, caption, icon);
        return;
    }
    const QMessageBox::Icon boxIcon = icon == MessageIcon::Information ? QMessageBox::Information
                                      : icon == MessageIcon::Warning   ? QMessageBox::Warning
                                                                       : QMessageBox::NoIcon;
    QMessageBox box(boxIcon, caption, text, QMessageBox::Ok);
    // The system's messages hold every window of the program until they are answered.
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void setMessageHook(MessageHook hook) {
    messageHook = std::move(hook);
}

}  // namespace tavolin
