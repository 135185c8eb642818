#pragma once

#include "audiosource.h"

#include <vector>

struct mpg123_handle_struct;

namespace slidora::vbmp3 {

class RandomAccess;

// MPEG layer 1/2/3 decoded by libmpg123 to signed 16-bit samples at the
// stream's own rate and channel count.
class MpegSource final : public AudioSource {
  public:
    // Decodes the stream held in [begin, begin + sizeBytes) of file up to its
    // first output; nullptr when no frame decodes there.
    static std::unique_ptr<MpegSource> create(std::unique_ptr<RandomAccess> file,
                                              std::uint64_t begin, std::uint64_t sizeBytes,
                                              SourceKind kind);
    ~MpegSource() override;
    MpegSource(const MpegSource&) = delete;
    MpegSource& operator=(const MpegSource&) = delete;

    PcmFormat format() const override { return m_format; }
    SourceDetails details() const override { return m_details; }
    std::size_t read(std::span<std::uint8_t> out) override;
    bool ended() const override { return m_ended; }

    // The byte window that libmpg123 reads through; public for its callbacks.
    struct Window {
        RandomAccess* file = nullptr;
        std::uint64_t begin = 0;
        std::uint64_t sizeBytes = 0;
        std::uint64_t position = 0; // relative to begin
    };

  private:
    MpegSource(std::unique_ptr<RandomAccess> file, std::uint64_t begin, std::uint64_t sizeBytes);
    bool start(SourceKind kind);
    bool takeFormat();
    // One mpg123_read; handles format news and the end of the stream.
    std::size_t decodeInto(std::span<std::uint8_t> out);

    std::unique_ptr<RandomAccess> m_file;
    Window m_window;
    mpg123_handle_struct* m_handle = nullptr;
    PcmFormat m_format;
    SourceDetails m_details;
    // Output decoded while checking the file at open, handed out first.
    std::vector<std::uint8_t> m_pending;
    std::size_t m_pendingOffset = 0;
    bool m_ended = false;
};

} // namespace slidora::vbmp3
