#pragma once
// The compound-file container of an Excel 97-2003 workbook: a 512-byte header, the "Workbook"
// stream in ordinary sectors, the FAT and one directory sector. No Qt, no spreadsheet library.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tavolin::xls {

using ByteBuffer = std::vector<std::uint8_t>;

inline constexpr std::size_t sectorSize = 512;
// Streams declared below this size are looked for in the mini stream, which we do not write.
inline constexpr std::size_t miniStreamCutoff = 4096;
// The header holds 109 FAT sector numbers; we write no DIFAT sectors beyond them.
inline constexpr std::size_t maxFatSectors = 109;

// The declared size of a stream of `size` bytes: at least the cutoff and a whole number of
// sectors. Readers find the workbook's real end from its BOF/EOF records and skip the zeros.
std::size_t paddedStreamSize(std::size_t size);

// The whole file holding `workbook` as its one stream "Workbook", padded with zero bytes to
// paddedStreamSize. Empty when the stream needs more FAT sectors than the header can list
// (a workbook of about 6.8 MB or more).
std::optional<ByteBuffer> buildCompoundFile(std::span<const std::uint8_t> workbook);

}  // namespace tavolin::xls
