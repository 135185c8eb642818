#include "waveoutput.h"

#include <algorithm>

namespace slidora::vbmp3 {
namespace {

WAVEFORMATEX pcm16(int rateHz, int channels) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(rateHz);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    return format;
}

} // namespace

WaveOutput::~WaveOutput() {
    stop();
}

bool WaveOutput::start() {
    if (m_started) return true;
    // As on Linux, a system without any device answers false, so that the
    // host can send its files elsewhere instead of failing on each one.
    if (waveOutGetNumDevs() == 0) return false;
    const WAVEFORMATEX probe = pcm16(44100, 2);
    if (waveOutOpen(nullptr, WAVE_MAPPER, &probe, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR)
        return false;
    m_started = true;
    return true;
}

void WaveOutput::stop() {
    close();
    m_started = false;
}

bool WaveOutput::open(const OutputFormat& format, OutputRenderer& renderer) {
    close();
    // Plain PCM carries one or two channels; the engine always sends two.
    if (!m_started || format.rateHz <= 0 || format.channels < 1 || format.channels > 2)
        return false;
    m_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (m_event == nullptr) return false;
    const WAVEFORMATEX wave = pcm16(format.rateHz, format.channels);
    // The wave mapper converts a rate the hardware lacks, as SDL does on
    // Linux; the device is opened for exactly what the renderer makes.
    if (waveOutOpen(&m_device, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(m_event), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        m_device = nullptr;
        CloseHandle(m_event);
        m_event = nullptr;
        return false;
    }
    m_renderer = &renderer;
    m_channels = format.channels;
    m_framesPerBuffer = static_cast<std::size_t>(std::max(format.rateHz / kBuffersPerSecond, 64));
    for (Buffer& buffer : m_buffers) {
        buffer.samples.assign(m_framesPerBuffer * static_cast<std::size_t>(m_channels), 0);
        buffer.header = WAVEHDR{};
        buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.samples.data());
        buffer.header.dwBufferLength =
            static_cast<DWORD>(buffer.samples.size() * sizeof(std::int16_t));
        if (waveOutPrepareHeader(m_device, &buffer.header, sizeof buffer.header) !=
            MMSYSERR_NOERROR) {
            close();
            return false;
        }
    }
    m_lost = false;
    return true;
}

void WaveOutput::resume() {
    if (m_device == nullptr || m_feeder.joinable()) return;
    m_stopFeeding = false;
    m_feeder = std::thread([this] { feedLoop(); });
}

void WaveOutput::close() {
    if (m_feeder.joinable()) {
        m_stopFeeding = true;
        SetEvent(m_event);
        m_feeder.join();
    }
    if (m_device != nullptr) {
        // Returns every queued buffer marked done, so each can be unprepared.
        waveOutReset(m_device);
        for (Buffer& buffer : m_buffers) {
            if ((buffer.header.dwFlags & WHDR_PREPARED) != 0)
                waveOutUnprepareHeader(m_device, &buffer.header, sizeof buffer.header);
        }
        waveOutClose(m_device);
        m_device = nullptr;
    }
    if (m_event != nullptr) {
        CloseHandle(m_event);
        m_event = nullptr;
    }
    m_renderer = nullptr;
}

bool WaveOutput::lost() const {
    return m_device != nullptr && m_lost;
}

bool WaveOutput::queue(Buffer& buffer) {
    m_renderer->render(buffer.samples.data(), m_framesPerBuffer);
    buffer.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    return waveOutWrite(m_device, &buffer.header, sizeof buffer.header) == MMSYSERR_NOERROR;
}

void WaveOutput::feedLoop() {
    for (Buffer& buffer : m_buffers) {
        if (!queue(buffer)) {
            m_lost = true;
            return;
        }
    }
    while (!m_stopFeeding) {
        WaitForSingleObject(m_event, INFINITE);
        // One event can stand for several finished buffers, so every buffer
        // is looked at on each wake-up.
        for (Buffer& buffer : m_buffers) {
            if (m_stopFeeding) return;
            if ((buffer.header.dwFlags & WHDR_DONE) == 0) continue;
            if (!queue(buffer)) {
                m_lost = true;
                return;
            }
        }
    }
}

} // namespace slidora::vbmp3
