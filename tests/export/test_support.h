#pragma once
// Small helpers shared by the export tests.

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace tavolin::testing {

// A fresh folder under the system's temporary folder, removed again with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& file);
void writeFileBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
// Names of the entries of a folder.
std::set<std::string> folderEntries(const std::filesystem::path& folder);
// "09 08 10 00" -> bytes.
std::vector<std::uint8_t> hexBytes(const std::string& hex);
std::string toHex(const std::vector<std::uint8_t>& bytes);

}  // namespace tavolin::testing
