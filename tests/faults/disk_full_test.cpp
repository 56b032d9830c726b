// "保存" onto a full disk, through the real windows, the real save dialog and the real file
// system: a small tmpfs mounted by the test, where an old workbook leaves less room than a new
// one needs. Mounting needs root; elsewhere the test is skipped.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <optional>

#include "app/bind_handlers.h"
#include "shell/shell.h"
#include "test_support.h"
#include "web/http.h"

namespace tavolin {
namespace {

using testing::folderEntries;
using testing::readFileBytes;
using testing::TempFolder;

struct Message {
    QString text;
    QString caption;
};

// A tmpfs of 64 KiB mounted on a folder of its own, unmounted and removed with the object.
class SmallDisk {
public:
    explicit SmallDisk(const std::filesystem::path& mountPoint) : path_(mountPoint) {
        std::filesystem::create_directory(path_);
        if (::geteuid() != 0) {
            failure_ = "mounting a tmpfs needs root";
        } else if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                           "size=64k,mode=0755") != 0) {
            failure_ = std::string("mount refused: ") + std::strerror(errno);
        } else {
            mounted_ = true;
        }
    }
    ~SmallDisk() {
        // A file dialog may still look at the folder; a lazy unmount still ends the mount.
        if (mounted_ && ::umount2(path_.c_str(), 0) != 0) ::umount2(path_.c_str(), MNT_DETACH);
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& failure() const { return failure_; }
    const std::filesystem::path& path() const { return path_; }

    std::uint64_t freeBytes() const {
        struct statvfs facts {};
        if (::statvfs(path_.c_str(), &facts) != 0) return 0;
        return static_cast<std::uint64_t>(facts.f_bavail) * facts.f_frsize;
    }

private:
    std::filesystem::path path_;
    bool mounted_ = false;
    std::string failure_;
};

// Answers the next save dialog from a timer: types `name` and confirms; a question about
// replacing an existing file is answered yes. Whatever is still open after 20 s is closed, so a
// hang fails the test instead of holding it.
class DialogDriver {
public:
    explicit DialogDriver(QString name) : name_(std::move(name)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
        clock_.start();
    }
    bool askedToReplace() const { return askedToReplace_; }

private:
    void poll() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible()) continue;
            if (clock_.elapsed() > 20000) {
                if (auto* dialog = qobject_cast<QDialog*>(widget)) dialog->reject();
                continue;
            }
            if (auto* box = qobject_cast<QMessageBox*>(widget)) {
                askedToReplace_ = true;
                box->button(QMessageBox::Yes)->click();
                return;
            }
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            if (dialog == nullptr || dialog->objectName() != u"通用对话框1"_qs || answered_)
                continue;
            answered_ = true;
            QPointer<QLineEdit> nameBox(dialog->findChild<QLineEdit*>(u"fileNameEdit"_qs));
            // Typed from a timer of its own: the question about replacing runs a nested loop,
            // and this timer must keep firing to answer it.
            QTimer::singleShot(0, [this, nameBox] {
                if (!nameBox) return;
                nameBox->setText(name_);
                QTest::keyClick(nameBox, Qt::Key_Return);
            });
            return;
        }
    }

    QString name_;
    QTimer timer_;
    QElapsedTimer clock_;
    bool answered_ = false;
    bool askedToReplace_ = false;
};

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        disk_.emplace(folder_.path() / "disk");
        if (!disk_->mounted()) GTEST_SKIP() << disk_->failure();
        createWindows();
        bindHandlers();
        showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow().window));
        for (int row = 1; row <= 7; ++row)
            for (int column = 1; column <= 5; ++column)
                setCellText(row, column, utf8ToText("张三-李四-王五-赵六"));
        setMessageHook([this](const QString& text, const QString& caption, MessageIcon) {
            messages_.push_back({text, caption});
        });
        startFolder_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(disk_->path().string()));
    }

    void TearDown() override {
        if (!disk_->mounted()) return;
        setMessageHook(nullptr);
        destroyWindowsForTest();
        // The save dialog made the disk the current folder; it must not stay busy.
        QDir::setCurrent(startFolder_);
    }

    bool clickSave(const QString& name) {
        DialogDriver driver(name);
        QTest::mouseClick(mainWindow().saveButton, Qt::LeftButton);
        return driver.askedToReplace();
    }

    // Members go in this order so that the disk is unmounted before its folder is removed.
    TempFolder folder_;
    std::optional<SmallDisk> disk_;
    QString startFolder_;
    std::vector<Message> messages_;
};

TEST_F(FullDisk, SaveKeepsTheOldFileLeavesNothingAndSaysSo) {
    // An old workbook that leaves one page free, far less than a new one needs.
    const std::filesystem::path oldFile = disk_->path() / "old.xls";
    std::vector<std::uint8_t> oldBytes(disk_->freeBytes() - 4096);
    for (std::size_t i = 0; i < oldBytes.size(); ++i)
        oldBytes[i] = static_cast<std::uint8_t>(i * 7);
    testing::writeFileBytes(oldFile, oldBytes);
    ASSERT_EQ(readFileBytes(oldFile), oldBytes);
    const std::uint64_t freeBefore = disk_->freeBytes();
    ASSERT_LE(freeBefore, 4096u);

    struct Row {
        const char* name;
        QString typed;
        bool replaces;
    };
    const Row rows[] = {
        {"over the old file", u"old"_qs, true},
        {"as a new file beside it", u"新的空闲表"_qs, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(clickSave(row.typed), row.replaces);
        ASSERT_EQ(messages_.size(), 1u);
        const QString path =
            QString::fromStdString(disk_->path().string()) + u"/"_qs + row.typed + u".xls"_qs;
        EXPECT_EQ(messages_[0].text, u"保存失败："_qs + path + u"\n磁盘空间不足"_qs);
        EXPECT_EQ(messages_[0].caption, u"信息："_qs);
        EXPECT_FALSE(messages_[0].text.contains(u"保存完毕"_qs));
        messages_.clear();

        EXPECT_EQ(readFileBytes(oldFile), oldBytes);
        EXPECT_EQ(folderEntries(disk_->path()), std::set<std::string>{"old.xls"});
        // Nothing hidden holds the disk either: no temporary file kept open after its removal.
        EXPECT_EQ(disk_->freeBytes(), freeBefore);
    }

    // The window still saves where there is room, and the workbook was indeed too big for the
    // full disk.
    const std::filesystem::path roomy = folder_.path() / "roomy";
    std::filesystem::create_directory(roomy);
    clickSave(QString::fromStdString((roomy / "old").string()));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, u"保存完毕"_qs);
    ASSERT_TRUE(std::filesystem::exists(roomy / "old.xls"));
    EXPECT_GT(std::filesystem::file_size(roomy / "old.xls"), freeBefore);
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
