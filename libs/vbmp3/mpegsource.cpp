#include "mpegsource.h"

#include "sourcefile.h"

#include <mpg123.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace slidora::vbmp3 {
namespace {

// Output that one check at open may decode before giving up: the leading
// junk libmpg123 skips is bounded by its resync limit, so real files give
// output within a few calls.
constexpr int kMaxCheckCalls = 64;
constexpr std::size_t kCheckBufferBytes = 16384;

mpg123_ssize_t readCallback(void* handle, void* out, size_t count) {
    auto* window = static_cast<MpegSource::Window*>(handle);
    if (window->position >= window->sizeBytes) return 0;
    const std::uint64_t left = window->sizeBytes - window->position;
    const std::size_t wanted = left < count ? static_cast<std::size_t>(left) : count;
    const std::size_t got = window->file->readAt(window->begin + window->position, out, wanted);
    window->position += got;
    return static_cast<mpg123_ssize_t>(got);
}

off_t seekCallback(void* handle, off_t offset, int whence) {
    auto* window = static_cast<MpegSource::Window*>(handle);
    off_t base = 0;
    switch (whence) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = static_cast<off_t>(window->position);
        break;
    case SEEK_END:
        base = static_cast<off_t>(window->sizeBytes);
        break;
    default:
        errno = EINVAL;
        return -1;
    }
    off_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) {
        errno = EINVAL;
        return -1;
    }
    window->position = static_cast<std::uint64_t>(target);
    return target;
}

} // namespace

MpegSource::MpegSource(std::unique_ptr<RandomAccess> file, std::uint64_t begin,
                       std::uint64_t sizeBytes)
    : m_file(std::move(file)) {
    m_window.file = m_file.get();
    m_window.begin = begin;
    m_window.sizeBytes = sizeBytes;
}

MpegSource::~MpegSource() {
    if (m_handle != nullptr) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }
}

std::unique_ptr<MpegSource> MpegSource::create(std::unique_ptr<RandomAccess> file,
                                               std::uint64_t begin, std::uint64_t sizeBytes,
                                               SourceKind kind) {
    if (!file || sizeBytes == 0) return nullptr;
    std::unique_ptr<MpegSource> source(new MpegSource(std::move(file), begin, sizeBytes));
    if (!source->start(kind)) return nullptr;
    return source;
}

bool MpegSource::start(SourceKind kind) {
    int error = MPG123_OK;
    m_handle = mpg123_new(nullptr, &error);
    if (m_handle == nullptr) return false;
    mpg123_param(m_handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Signed 16-bit at whatever rate and channel count the stream has; the
    // playback converts to the device.
    mpg123_format_none(m_handle);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(m_handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_replace_reader_handle(m_handle, readCallback, seekCallback, nullptr) != MPG123_OK)
        return false;
    if (mpg123_open_handle(m_handle, &m_window) != MPG123_OK) return false;

    m_pending.resize(kCheckBufferBytes);
    bool decoded = false;
    for (int call = 0; call < kMaxCheckCalls && !decoded; ++call) {
        size_t done = 0;
        const int result = mpg123_read(m_handle, m_pending.data(), m_pending.size(), &done);
        if (result == MPG123_NEW_FORMAT && !takeFormat()) return false;
        if (done > 0) {
            if (m_format.rateHz == 0) return false;
            m_pending.resize(done);
            decoded = true;
        } else if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            return false;
        }
    }
    if (!decoded) return false;

    m_details.kind = kind;
    mpg123_frameinfo frame{};
    if (mpg123_info(m_handle, &frame) == MPG123_OK) m_details.mpegLayer = frame.layer;
    const off_t samples = mpg123_length(m_handle);
    if (samples > 0)
        m_details.durationMs = static_cast<std::int64_t>(samples) * 1000 / m_format.rateHz;
    return true;
}

bool MpegSource::takeFormat() {
    long rateHz = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(m_handle, &rateHz, &channels, &encoding) != MPG123_OK) return false;
    if (encoding != MPG123_ENC_SIGNED_16 || channels < 1 || channels > 2 || rateHz <= 0)
        return false;
    m_format.sampleFormat = SampleFormat::S16;
    m_format.channels = channels;
    m_format.rateHz = static_cast<int>(rateHz);
    return true;
}

std::size_t MpegSource::read(std::span<std::uint8_t> out) {
    if (m_pendingOffset < m_pending.size()) {
        const auto frameBytes = static_cast<std::size_t>(m_format.frameBytes());
        std::size_t count = std::min(out.size(), m_pending.size() - m_pendingOffset);
        count -= count % frameBytes;
        std::memcpy(out.data(), m_pending.data() + m_pendingOffset, count);
        m_pendingOffset += count;
        if (m_pendingOffset >= m_pending.size()) {
            m_pending.clear();
            m_pending.shrink_to_fit();
            m_pendingOffset = 0;
        }
        return count;
    }
    if (m_ended) return 0;
    return decodeInto(out);
}

std::size_t MpegSource::decodeInto(std::span<std::uint8_t> out) {
    size_t done = 0;
    const int result = mpg123_read(m_handle, out.data(), out.size(), &done);
    // Bytes decoded before a format change are in the old format, which is
    // what the caller asked format() for before this call.
    if (result == MPG123_NEW_FORMAT) {
        if (!takeFormat()) m_ended = true;
    } else if (result != MPG123_OK) {
        // MPG123_DONE is the normal end; an error mid-stream ends it too,
        // after what was decoded so far.
        m_ended = true;
    }
    return done;
}

} // namespace slidora::vbmp3
