#include "wavsource.h"

#include "sourcefile.h"

namespace slidora::vbmp3 {

std::unique_ptr<WavSource> WavSource::create(std::unique_ptr<RandomAccess> file,
                                             const RiffLayout& layout) {
    if (!file || layout.kind != RiffKind::PcmWave) return nullptr;
    if (layout.pcm.frameBytes() <= 0) return nullptr;
    if (layout.dataBytes < static_cast<std::uint64_t>(layout.pcm.frameBytes())) return nullptr;
    return std::unique_ptr<WavSource>(new WavSource(std::move(file), layout));
}

WavSource::WavSource(std::unique_ptr<RandomAccess> file, const RiffLayout& layout)
    : m_file(std::move(file)), m_dataOffset(layout.dataOffset), m_dataBytes(layout.dataBytes) {
    m_format.sampleFormat = layout.pcm.sampleFormat;
    m_format.channels = layout.pcm.channels;
    m_format.rateHz = layout.pcm.rateHz;
}

SourceDetails WavSource::details() const {
    SourceDetails result;
    result.kind = SourceKind::PcmWave;
    const auto frames = m_dataBytes / static_cast<std::uint64_t>(m_format.frameBytes());
    result.durationMs =
        static_cast<std::int64_t>(frames * 1000 / static_cast<std::uint64_t>(m_format.rateHz));
    return result;
}

std::size_t WavSource::read(std::span<std::uint8_t> out) {
    if (m_ended) return 0;
    const auto frameBytes = static_cast<std::uint64_t>(m_format.frameBytes());
    std::uint64_t wanted = m_dataBytes - m_positionBytes;
    if (wanted > out.size()) wanted = out.size();
    wanted -= wanted % frameBytes;
    const std::size_t got = wanted == 0 ? 0
                                        : m_file->readAt(m_dataOffset + m_positionBytes, out.data(),
                                                         static_cast<std::size_t>(wanted));
    const std::size_t whole = got - got % static_cast<std::size_t>(frameBytes);
    m_positionBytes += whole;
    // A short read means the file shrank under us: what is there was played.
    if (whole == 0 || whole < wanted || m_positionBytes >= m_dataBytes) m_ended = true;
    return whole;
}

} // namespace slidora::vbmp3
