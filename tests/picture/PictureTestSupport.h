#pragma once
// Shared helpers for the picture tests: a scratch folder, colour lookups and
// the memory high-water probe.
#include "platform/Bitmap.h"
#include "tests/support/TempTree.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace slidora::test {

// A fresh temporary folder, removed with everything in it at the end.
class ScratchFolder {
  public:
    const std::string& path() const { return m_tree.root(); }
    std::string file(const std::string& name) const { return m_tree.path(name); }
    // Every entry below the folder, relative, sorted.
    std::vector<std::string> listing() const;

  private:
    TempTree m_tree;
};

using Rgb = std::array<int, 3>;

// Colour of a pixel of an 8-bit palette, 24-bit or 32-bit bitmap.
Rgb colourAt(const Bitmap& bitmap, int x, int y);

// Largest difference of any channel over the whole picture, and the mean.
struct Difference {
    int largest = 0;
    double mean = 0;
};
Difference compareColours(const Bitmap& expected, const Bitmap& actual);

// Measures how far the resident memory peak rises during a piece of work,
// using the kernel's resettable high-water mark. available() is false where
// the kernel does not allow the reset; tests then skip the memory check.
class PeakMemoryProbe {
  public:
    PeakMemoryProbe();
    bool available() const { return m_available; }
    // Peak resident size since construction minus the resident size then.
    std::int64_t riseBytes() const;

  private:
    bool m_available = false;
    std::int64_t m_startBytes = 0;
};

// Replaces `count` bytes at `offset` of the file; false when the file is shorter.
bool patchFile(const std::string& path, std::size_t offset, const std::vector<std::uint8_t>& bytes);
bool truncateFile(const std::string& path, std::size_t keepBytes);

} // namespace slidora::test
