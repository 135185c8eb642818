#include "tests/picture/PictureTestSupport.h"

#include "tools/picwriter/PicWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace slidora::test {

std::vector<std::string> ScratchFolder::listing() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path()))
        names.push_back(std::filesystem::relative(entry.path(), path()).string());
    std::sort(names.begin(), names.end());
    return names;
}

Rgb colourAt(const Bitmap& bitmap, int x, int y) {
    const std::uint8_t* row = bitmap.row(y);
    if (bitmap.bitsPerPixel() == 8) {
        const std::uint8_t index = row[x];
        if (index >= bitmap.palette().size()) return {-1, -1, -1};
        const PaletteEntry& e = bitmap.palette()[index];
        return {e.red, e.green, e.blue};
    }
    const std::uint8_t* p = row + static_cast<std::size_t>(x) * (bitmap.bitsPerPixel() / 8);
    return {p[2], p[1], p[0]};
}

Difference compareColours(const Bitmap& expected, const Bitmap& actual) {
    Difference result;
    if (expected.width() != actual.width() || expected.height() != actual.height()) {
        result.largest = 1000;
        return result;
    }
    double total = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const Rgb a = colourAt(expected, x, y);
            const Rgb b = colourAt(actual, x, y);
            for (int c = 0; c < 3; ++c) {
                const int d = std::abs(a[c] - b[c]);
                result.largest = std::max(result.largest, d);
                total += d;
            }
        }
    result.mean = total / (3.0 * expected.width() * expected.height());
    return result;
}

namespace {

std::int64_t statusKilobytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0) return std::atoll(line.c_str() + key.size() + 1);
    return -1;
}

} // namespace

PeakMemoryProbe::PeakMemoryProbe() {
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5";
    reset.close();
    m_startBytes = statusKilobytes("VmRSS") * 1024;
    // The reset worked when the peak now equals the present size.
    m_available = reset.good() && m_startBytes > 0 &&
                  statusKilobytes("VmHWM") * 1024 <= m_startBytes + 1024 * 1024;
}

std::int64_t PeakMemoryProbe::riseBytes() const {
    return statusKilobytes("VmHWM") * 1024 - m_startBytes;
}

bool patchFile(const std::string& path, std::size_t offset,
               const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> content = picwriter::readFileBytes(path);
    if (offset + bytes.size() > content.size()) return false;
    std::copy(bytes.begin(), bytes.end(), content.begin() + static_cast<std::ptrdiff_t>(offset));
    return picwriter::writeFileBytes(path, content);
}

bool truncateFile(const std::string& path, std::size_t keepBytes) {
    std::vector<std::uint8_t> content = picwriter::readFileBytes(path);
    if (keepBytes > content.size()) return false;
    content.resize(keepBytes);
    return picwriter::writeFileBytes(path, content);
}

} // namespace slidora::test
