#pragma once
// Writing a whole file so that the target is either replaced whole or left as it was.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace tavolin {

struct FileWriteResult {
    bool ok = false;
    int errorNumber = 0;  // errno of the step that failed
    std::string reason;   // UTF-8, for the user: what went wrong, in Chinese
};

// Writes `bytes` to a new temporary file in the target's folder, flushes it to the disk and
// renames it over `target`. On failure the temporary file is removed and an existing target is
// left untouched. A new file gets the usual permissions (0666 less the umask); a replaced file
// keeps the permissions it had.
FileWriteResult writeFileWhole(const std::filesystem::path& target,
                               std::span<const std::uint8_t> bytes);

// The user's explanation of an errno value from writing a file.
std::string fileErrorReason(int errorNumber);

}  // namespace tavolin
