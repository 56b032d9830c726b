#include "export/compound_file.h"

#include <algorithm>
#include <string_view>

namespace tavolin::xls {

namespace {

constexpr std::uint32_t freeSect = 0xFFFFFFFF;
constexpr std::uint32_t endOfChain = 0xFFFFFFFE;
constexpr std::uint32_t fatSect = 0xFFFFFFFD;
constexpr std::uint32_t noStream = 0xFFFFFFFF;
constexpr std::size_t entriesPerFatSector = sectorSize / 4;
constexpr std::size_t directoryEntrySize = 128;

void put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void writeDirectoryEntry(std::uint8_t* entry, std::u16string_view name, std::uint8_t type,
                         std::uint32_t child, std::uint32_t start, std::uint32_t size) {
    for (std::size_t i = 0; i < name.size(); ++i) put16(entry + 2 * i, name[i]);
    put16(entry + 64, static_cast<std::uint16_t>(2 * (name.size() + 1)));
    entry[66] = type;
    entry[67] = 1;  // black: a tree of one node is a valid red-black tree only when black
    put32(entry + 68, noStream);
    put32(entry + 72, noStream);
    put32(entry + 76, child);
    put32(entry + 116, start);
    put32(entry + 120, size);
}

}  // namespace

std::size_t paddedStreamSize(std::size_t size) {
    std::size_t whole = (size + sectorSize - 1) / sectorSize * sectorSize;
    return std::max(whole, miniStreamCutoff);
}

std::optional<ByteBuffer> buildCompoundFile(std::span<const std::uint8_t> workbook) {
    const std::size_t streamSize = paddedStreamSize(workbook.size());
    const std::size_t streamSectors = streamSize / sectorSize;
    // The FAT describes itself too, so grow its sector count until it covers everything.
    std::size_t fatSectors = 1;
    while (fatSectors * entriesPerFatSector < streamSectors + fatSectors + 1) ++fatSectors;
    if (fatSectors > maxFatSectors) return std::nullopt;

    const std::size_t firstFatSector = streamSectors;
    const std::size_t directorySector = streamSectors + fatSectors;
    const std::size_t totalSectors = directorySector + 1;

    ByteBuffer file((totalSectors + 1) * sectorSize, 0);
    std::uint8_t* header = file.data();
    static constexpr std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(signature), std::end(signature), header);
    put16(header + 0x18, 0x003E);
    put16(header + 0x1A, 0x0003);
    put16(header + 0x1C, 0xFFFE);
    put16(header + 0x1E, 9);
    put16(header + 0x20, 6);
    put32(header + 0x2C, static_cast<std::uint32_t>(fatSectors));
    put32(header + 0x30, static_cast<std::uint32_t>(directorySector));
    put32(header + 0x38, static_cast<std::uint32_t>(miniStreamCutoff));
    put32(header + 0x3C, endOfChain);
    put32(header + 0x44, endOfChain);
    for (std::size_t i = 0; i < maxFatSectors; ++i) {
        put32(header + 0x4C + 4 * i,
              i < fatSectors ? static_cast<std::uint32_t>(firstFatSector + i) : freeSect);
    }

    std::uint8_t* stream = file.data() + sectorSize;
    std::copy(workbook.begin(), workbook.end(), stream);

    std::uint8_t* fat = file.data() + (firstFatSector + 1) * sectorSize;
    for (std::size_t i = 0; i < fatSectors * entriesPerFatSector; ++i) {
        std::uint32_t next = freeSect;
        if (i + 1 < streamSectors) {
            next = static_cast<std::uint32_t>(i + 1);
        } else if (i + 1 == streamSectors || i == directorySector) {
            next = endOfChain;
        } else if (i >= firstFatSector && i < directorySector) {
            next = fatSect;
        }
        put32(fat + 4 * i, next);
    }

    std::uint8_t* directory = file.data() + (directorySector + 1) * sectorSize;
    writeDirectoryEntry(directory, u"Root Entry", 5, 1, endOfChain, 0);
    writeDirectoryEntry(directory + directoryEntrySize, u"Workbook", 2, noStream, 0,
                        static_cast<std::uint32_t>(streamSize));
    for (std::size_t i = 2; i < sectorSize / directoryEntrySize; ++i) {
        std::uint8_t* unused = directory + i * directoryEntrySize;
        put32(unused + 68, noStream);
        put32(unused + 72, noStream);
        put32(unused + 76, noStream);
    }
    return file;
}

}  // namespace tavolin::xls
