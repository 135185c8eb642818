#include "library.h"

#include "audiosource.h"
#include "vbmp3.h"

#include <cstring>

namespace slidora::vbmp3 {
namespace {

static_assert(sizeof(Vbmp3Info) <= VBMP3_INFO_SIZE, "the record must fit the caller's buffer");

void fillInfo(void* info, const AudioSource& source) {
    Vbmp3Info record{};
    const PcmFormat format = source.format();
    const SourceDetails details = source.details();
    record.kind = static_cast<int>(details.kind);
    record.sampleRateHz = format.rateHz;
    record.channels = format.channels;
    record.bitsPerSample = 8 * bytesPerSample(format.sampleFormat);
    record.mpegLayer = details.mpegLayer;
    const std::int64_t maxMs = 0x7FFFFFFF;
    record.durationMs = static_cast<int>(details.durationMs > maxMs ? maxMs : details.durationMs);
    std::memcpy(info, &record, sizeof record);
}

} // namespace

Library::Library(std::unique_ptr<AudioOutput> output) : m_output(std::move(output)) {}

Library::~Library() {
    free();
}

bool Library::init() {
    if (!m_ready) m_ready = m_output->start();
    return m_ready;
}

void Library::setVolume(int left, int right) {
    m_volumeLeft = left;
    m_volumeRight = right;
    if (m_playback) m_playback->setVolume(left, right);
}

bool Library::open(const char* path, void* info) {
    if (info != nullptr) std::memset(info, 0, VBMP3_INFO_SIZE);
    m_playback.reset();
    if (!m_ready || path == nullptr) return false;
    // The one entry point that allocates much (decode buffers, the ring, a
    // thread): no exception may reach the C caller.
    try {
        std::unique_ptr<AudioSource> source = openAudioSource(path);
        if (!source) return false;
        if (info != nullptr) fillInfo(info, *source);
        m_playback = Playback::create(std::move(source), *m_output, m_volumeLeft, m_volumeRight);
    } catch (...) {
        m_playback.reset();
    }
    if (!m_playback && info != nullptr) std::memset(info, 0, VBMP3_INFO_SIZE);
    return m_playback != nullptr;
}

bool Library::play() {
    if (!m_playback) return false;
    m_playback->play();
    return true;
}

int Library::getState() const {
    return m_playback ? m_playback->state() : Playback::kStopped;
}

bool Library::close() {
    m_playback.reset();
    return true;
}

void Library::free() {
    m_playback.reset();
    if (m_ready) m_output->stop();
    m_ready = false;
}

} // namespace slidora::vbmp3
