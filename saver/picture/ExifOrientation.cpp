#include "saver/picture/ExifOrientation.h"

#include <cstring>

namespace slidora {
namespace {

constexpr std::uint8_t kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::size_t kIfdEntryBytes = 12;

// Reads the TIFF structure after the Exif signature in its own byte order;
// every read is checked against the end.
class TiffReader {
  public:
    TiffReader(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : m_data(data), m_size(size), m_bigEndian(bigEndian) {}

    bool u16(std::size_t at, std::uint16_t& out) const {
        if (at > m_size || m_size - at < 2) return false;
        const std::uint8_t* p = m_data + at;
        out = static_cast<std::uint16_t>(m_bigEndian ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
        return true;
    }
    bool u32(std::size_t at, std::uint32_t& out) const {
        std::uint16_t first = 0, second = 0;
        if (!u16(at, first) || !u16(at + 2, second)) return false;
        out = m_bigEndian ? (std::uint32_t{first} << 16) | second
                          : (std::uint32_t{second} << 16) | first;
        return true;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    bool m_bigEndian;
};

} // namespace

int exifOrientation(const std::uint8_t* payload, std::size_t size) {
    if (payload == nullptr || size < sizeof kExifSignature + 8 ||
        std::memcmp(payload, kExifSignature, sizeof kExifSignature) != 0)
        return kOrientationAsStored;
    const std::uint8_t* tiff = payload + sizeof kExifSignature;
    const std::size_t tiffSize = size - sizeof kExifSignature;
    bool bigEndian = false;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (!(tiff[0] == 'I' && tiff[1] == 'I'))
        return kOrientationAsStored;
    const TiffReader reader(tiff, tiffSize, bigEndian);
    std::uint16_t magic = 0;
    std::uint32_t ifdOffset = 0;
    std::uint16_t entries = 0;
    if (!reader.u16(2, magic) || magic != 42 || !reader.u32(4, ifdOffset) ||
        !reader.u16(ifdOffset, entries))
        return kOrientationAsStored;
    // An IFD that claims more entries than the block holds is not trusted at all.
    if (std::uint64_t{ifdOffset} + 2 + std::uint64_t{entries} * kIfdEntryBytes > tiffSize)
        return kOrientationAsStored;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = std::size_t{ifdOffset} + 2 + i * kIfdEntryBytes;
        std::uint16_t tag = 0, type = 0, value = 0;
        std::uint32_t count = 0;
        if (!reader.u16(entry, tag) || !reader.u16(entry + 2, type) ||
            !reader.u32(entry + 4, count) || !reader.u16(entry + 8, value))
            return kOrientationAsStored;
        if (tag != kOrientationTag) continue;
        if (type != kTypeShort || count != 1 || value < 1 || value > 8) return kOrientationAsStored;
        return value;
    }
    return kOrientationAsStored;
}

} // namespace slidora
