// Whole-file output: the target is replaced whole or left as it was, and no temporary file stays.
// Failures are made real: an unprivileged child in a read-only folder, a file-size limit.

#include "export/file_output.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "test_support.h"

namespace tavolin {
namespace {

using testing::folderEntries;
using testing::readFileBytes;
using testing::TempFolder;
using testing::writeFileBytes;

const std::vector<std::uint8_t> oldBytes = {'o', 'l', 'd'};
const std::vector<std::uint8_t> newBytes(20000, 0x5A);

// Runs `body` in a child process and answers the errno it reported (0 for success, -1 when the
// child did not report).
int inChild(
    const std::function<FileWriteResult()>& body, const std::function<void()>& prepare = [] {}) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        prepare();
        const FileWriteResult result = body();
        const int answer = result.ok ? 0 : result.errorNumber;
        if (::write(fds[1], &answer, sizeof answer) != sizeof answer) ::_exit(2);
        ::_exit(0);
    }
    ::close(fds[1]);
    int answer = -1;
    if (::read(fds[0], &answer, sizeof answer) != sizeof answer) answer = -1;
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return answer;
}

TEST(WriteFileWhole, WritesNewAndReplacesExistingFiles) {
    TempFolder folder;
    const std::filesystem::path target = folder.path() / "新建 表格.xls";

    const FileWriteResult created = writeFileWhole(target, newBytes);
    ASSERT_TRUE(created.ok) << created.reason;
    EXPECT_EQ(readFileBytes(target), newBytes);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << "a new file gets the usual permissions";

    writeFileBytes(target, oldBytes);
    ::chmod(target.c_str(), 0640);
    const FileWriteResult replaced = writeFileWhole(target, newBytes);
    ASSERT_TRUE(replaced.ok) << replaced.reason;
    EXPECT_EQ(readFileBytes(target), newBytes);
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
    EXPECT_EQ(folderEntries(folder.path()), std::set<std::string>{"新建 表格.xls"});
}

TEST(WriteFileWhole, FailuresLeaveTheOldFileAndNoTemporaryFile) {
    struct Case {
        const char* name;
        int expectedErrno;
        // Prepares the folder and answers the target; `inChild` writes from a child process.
        std::function<std::filesystem::path(const std::filesystem::path&)> prepare;
        std::function<void()> childSetUp;
    };
    const bool root = ::geteuid() == 0;
    const passwd* nobody = ::getpwnam("nobody");
    const Case cases[] = {
        {"the path is a folder", EISDIR,
         [](const std::filesystem::path& folder) {
             std::filesystem::create_directory(folder / "x.xls");
             return folder / "x.xls";
         },
         nullptr},
        {"the folder does not exist", ENOENT,
         [](const std::filesystem::path& folder) { return folder / "missing" / "x.xls"; }, nullptr},
        {"the folder is read-only for an unprivileged user", EACCES,
         [root](const std::filesystem::path& folder) {
             writeFileBytes(folder / "x.xls", oldBytes);
             ::chmod(folder.c_str(), root ? 0755 : 0555);
             return folder / "x.xls";
         },
         [root, nobody] {
             if (root && nobody != nullptr) {
                 if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) ::_exit(3);
             }
         }},
        {"the file-size limit is smaller than the workbook", EFBIG,
         [](const std::filesystem::path& folder) {
             writeFileBytes(folder / "x.xls", oldBytes);
             return folder / "x.xls";
         },
         [] {
             ::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{4096, 4096};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        // A folder that an unprivileged user can reach.
        ::chmod(folder.path().c_str(), 0755);
        const std::filesystem::path work = folder.path() / "目录";
        std::filesystem::create_directory(work);
        const std::filesystem::path target = c.prepare(work);
        const std::set<std::string> before = folderEntries(work);
        const bool hadFile = std::filesystem::is_regular_file(target);

        int reported = 0;
        if (c.childSetUp) {
            reported = inChild([&] { return writeFileWhole(target, newBytes); }, c.childSetUp);
        } else {
            const FileWriteResult result = writeFileWhole(target, newBytes);
            EXPECT_FALSE(result.ok);
            EXPECT_FALSE(result.reason.empty());
            reported = result.ok ? 0 : result.errorNumber;
        }
        EXPECT_EQ(reported, c.expectedErrno) << fileErrorReason(reported);
        ::chmod(work.c_str(), 0755);
        EXPECT_EQ(folderEntries(work), before);
        if (hadFile) {
            EXPECT_EQ(readFileBytes(target), oldBytes);
        }
    }
}

TEST(WriteFileWhole, ReasonsAreInChinese) {
    EXPECT_EQ(fileErrorReason(EACCES), "没有写入该文件夹或文件的权限");
    EXPECT_EQ(fileErrorReason(ENOSPC), "磁盘空间不足");
    EXPECT_EQ(fileErrorReason(EISDIR), "该路径是一个文件夹");
    EXPECT_EQ(fileErrorReason(EFBIG), "文件超出了允许的大小");
    EXPECT_EQ(fileErrorReason(EXDEV).rfind("无法写入文件（", 0), 0u);
}

}  // namespace
}  // namespace tavolin
