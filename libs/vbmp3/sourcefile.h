#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace slidora::vbmp3 {

// Read-only random access to a run of bytes: a file, or memory in the tests.
class RandomAccess {
  public:
    virtual ~RandomAccess() = default;
    virtual std::uint64_t sizeBytes() const = 0;
    // Copies up to count bytes from offset; fewer at the end or on a read
    // error (0 past the end).
    virtual std::size_t readAt(std::uint64_t offset, void* out, std::size_t count) const = 0;
};

// An audio file held open by descriptor. Only regular files are accepted, so
// a FIFO or device in the audio folder can never block or feed us forever.
class SourceFile final : public RandomAccess {
  public:
    static std::unique_ptr<SourceFile> open(const char* path);
    ~SourceFile() override;
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    std::uint64_t sizeBytes() const override { return m_sizeBytes; }
    std::size_t readAt(std::uint64_t offset, void* out, std::size_t count) const override;

  private:
    SourceFile(int fd, std::uint64_t sizeBytes) : m_fd(fd), m_sizeBytes(sizeBytes) {}

    int m_fd;
    // Taken at open; a file that shrinks later just reads short.
    std::uint64_t m_sizeBytes;
};

} // namespace slidora::vbmp3
