#include "export/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace tavolin {

namespace {

// The process's umask without changing it (umask() would, for a moment, for every thread).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    return 022;
}

FileWriteResult failure(int errorNumber) {
    return FileWriteResult{false, errorNumber, fileErrorReason(errorNumber)};
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::string fileErrorReason(int errorNumber) {
    switch (errorNumber) {
        case EACCES:
        case EPERM:
            return "没有写入该文件夹或文件的权限";
        case EROFS:
            return "磁盘是只读的";
        case ENOSPC:
        case EDQUOT:
            return "磁盘空间不足";
        case EFBIG:
            return "文件超出了允许的大小";
        case EISDIR:
            return "该路径是一个文件夹";
        case ENOENT:
        case ENOTDIR:
            return "文件夹不存在";
        case ENAMETOOLONG:
            return "文件名过长";
        case EIO:
            return "磁盘读写出错";
        default:
            return std::string("无法写入文件（") + std::strerror(errorNumber) + "）";
    }
}

FileWriteResult writeFileWhole(const std::filesystem::path& target,
                               std::span<const std::uint8_t> bytes) {
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return failure(EISDIR);
    if (!target.has_filename()) return failure(EISDIR);

    // The temporary file lives beside the target so that the rename stays on one file system,
    // where it replaces the target in one step.
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return failure(errno);

    const auto abandon = [&](int errorNumber) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return failure(errorNumber);
    };
    const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0) return abandon(errno);
    if (!writeAll(fd, bytes)) return abandon(errno);
    if (::fsync(fd) != 0) return abandon(errno);
    if (::close(fd) != 0) {
        const int errorNumber = errno;
        ::unlink(pattern.c_str());
        return failure(errorNumber);
    }
    if (::rename(pattern.c_str(), target.c_str()) != 0) {
        const int errorNumber = errno;
        ::unlink(pattern.c_str());
        return failure(errorNumber);
    }
    // Makes the rename itself durable; the file is complete in its place whatever this answers.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return FileWriteResult{true, 0, {}};
}

}  // namespace tavolin
