#include "tests/resize/ResizeTestSupport.h"

#include <dlfcn.h>

#include <cstring>
#include <utility>

namespace slidora::test {

namespace {

std::size_t strideOf(int width, int bitCount) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32 * 4;
}

DibBlocks allocate(int width, int height, int bitCount, std::size_t tableEntries, bool topDown) {
    DibBlocks dib;
    dib.header = slidoraGlobalAlloc(sizeof(BitmapInfoHeader) + tableEntries * sizeof(RgbQuad));
    dib.bits = slidoraGlobalAlloc(strideOf(width, bitCount) * static_cast<std::size_t>(height));
    BitmapInfoHeader h;
    h.biWidth = width;
    h.biHeight = topDown ? -height : height;
    h.biBitCount = static_cast<std::uint16_t>(bitCount);
    h.biClrUsed = static_cast<std::uint32_t>(tableEntries);
    std::memcpy(slidoraGlobalLock(dib.header), &h, sizeof h);
    slidoraGlobalUnlock(dib.header);
    return dib;
}

std::uint8_t* rowOf(std::uint8_t* bits, int width, int height, int bitCount, int y, bool topDown) {
    const int stored = topDown ? y : height - 1 - y;
    return bits + static_cast<std::size_t>(stored) * strideOf(width, bitCount);
}

} // namespace

DibBlocks::DibBlocks(DibBlocks&& other) noexcept
    : header(std::exchange(other.header, nullptr)), bits(std::exchange(other.bits, nullptr)) {}

DibBlocks& DibBlocks::operator=(DibBlocks&& other) noexcept {
    if (this != &other) {
        slidoraGlobalFree(header);
        slidoraGlobalFree(bits);
        header = std::exchange(other.header, nullptr);
        bits = std::exchange(other.bits, nullptr);
    }
    return *this;
}

DibBlocks::~DibBlocks() {
    slidoraGlobalFree(header);
    slidoraGlobalFree(bits);
}

DibBlocks makeTrueColourDib(int width, int height, int bitCount, const ColourAt& colour,
                            bool topDown) {
    DibBlocks dib = allocate(width, height, bitCount, 0, topDown);
    auto* bits = static_cast<std::uint8_t*>(slidoraGlobalLock(dib.bits));
    const int bytes = bitCount / 8;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rowOf(bits, width, height, bitCount, y, topDown);
        for (int x = 0; x < width; ++x) {
            const Bgr c = colour(x, y);
            row[x * bytes] = c.blue;
            row[x * bytes + 1] = c.green;
            row[x * bytes + 2] = c.red;
            if (bytes == 4) row[x * bytes + 3] = 0xA5;
        }
    }
    slidoraGlobalUnlock(dib.bits);
    return dib;
}

DibBlocks makePaletteDib(int width, int height, int bitCount, const std::vector<RgbQuad>& table,
                         const IndexAt& index) {
    DibBlocks dib = allocate(width, height, bitCount, table.size(), false);
    auto* head = static_cast<std::uint8_t*>(slidoraGlobalLock(dib.header));
    std::memcpy(head + sizeof(BitmapInfoHeader), table.data(), table.size() * sizeof(RgbQuad));
    slidoraGlobalUnlock(dib.header);
    auto* bits = static_cast<std::uint8_t*>(slidoraGlobalLock(dib.bits));
    const int perByte = 8 / bitCount;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rowOf(bits, width, height, bitCount, y, false);
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - bitCount * (x % perByte + 1);
            row[x / perByte] |=
                static_cast<std::uint8_t>((index(x, y) & ((1U << bitCount) - 1)) << shift);
        }
    }
    slidoraGlobalUnlock(dib.bits);
    return dib;
}

std::string readResult(SlidoraHGlobal header, SlidoraHGlobal bits, Picture& out) {
    if (header == nullptr || bits == nullptr) return "no result blocks";
    if (slidoraGlobalSize(header) < sizeof(BitmapInfoHeader)) return "header block too small";
    BitmapInfoHeader h;
    std::memcpy(&h, slidoraGlobalLock(header), sizeof h);
    slidoraGlobalUnlock(header);
    if (h.biSize != 40 || h.biPlanes != 1 || h.biBitCount != 24 || h.biCompression != kBiRgb)
        return "not a 24-bit BI_RGB header";
    if (h.biWidth <= 0 || h.biHeight <= 0) return "not a positive bottom-up size";
    const std::size_t stride = strideOf(h.biWidth, 24);
    if (slidoraGlobalSize(bits) < stride * static_cast<std::size_t>(h.biHeight))
        return "bits block too small";
    out.width = h.biWidth;
    out.height = h.biHeight;
    out.pixels.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height),
                      Bgr{});
    const auto* data = static_cast<const std::uint8_t*>(slidoraGlobalLock(bits));
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t* row = data + static_cast<std::size_t>(out.height - 1 - y) * stride;
        for (int x = 0; x < out.width; ++x)
            out.pixels[static_cast<std::size_t>(y) * out.width + x] =
                Bgr{row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    }
    slidoraGlobalUnlock(bits);
    return {};
}

Module::Module(const std::string& path) : m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (m_handle != nullptr)
        m_entry = reinterpret_cast<ResizeImgFunction>(dlsym(m_handle, "ResizeImg"));
}

void* Module::symbol(const char* name) const {
    return m_handle != nullptr ? dlsym(m_handle, name) : nullptr;
}

Module::~Module() {
    if (m_handle != nullptr) dlclose(m_handle);
}

int Module::resize(DibBlocks& source, int width, int height, DibBlocks& result) const {
    SlidoraHGlobal header = reinterpret_cast<SlidoraHGlobal>(1);
    SlidoraHGlobal bits = reinterpret_cast<SlidoraHGlobal>(1);
    const int ok = m_entry(source.header, source.bits, &header, &bits, width, height, 0, 1);
    DibBlocks delivered;
    if (ok != 0) {
        delivered.header = header;
        delivered.bits = bits;
    } else if (header != nullptr || bits != nullptr) {
        // A failed call must not leave handles behind for the caller to trip over.
        return -1;
    }
    result = std::move(delivered);
    return ok;
}

} // namespace slidora::test
