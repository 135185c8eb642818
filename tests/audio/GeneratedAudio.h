#pragma once
// Small audio files made by code for the player tests: a PCM WAV tone and a
// one-note General MIDI file.
#include <cmath>
#include <cstdint>
#include <string>

namespace slidora::test {

inline void putLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline void putBe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// 16-bit mono PCM: a 440 Hz tone at half scale.
inline std::string toneWav(int durationMs, int rateHz = 22050) {
    const std::uint32_t frames =
        static_cast<std::uint32_t>(rateHz) * static_cast<std::uint32_t>(durationMs) / 1000;
    const std::uint32_t dataBytes = frames * 2;
    std::string out = "RIFF";
    putLe(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2); // PCM
    putLe(out, 1, 2); // mono
    putLe(out, static_cast<std::uint32_t>(rateHz), 4);
    putLe(out, static_cast<std::uint32_t>(rateHz) * 2, 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, dataBytes, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double s = std::sin(2.0 * 3.14159265358979 * 440.0 * i / rateHz);
        putLe(out, static_cast<std::uint32_t>(static_cast<std::int16_t>(s * 16000.0)) & 0xFFFF, 2);
    }
    return out;
}

// Format 0, 96 ticks per quarter at 120 beats per minute: piano middle C
// for one quarter note (half a second).
inline std::string oneNoteMidi() {
    std::string track;
    track += std::string("\x00\xFF\x51\x03\x07\xA1\x20", 7); // tempo 500000 us per quarter
    track += std::string("\x00\xC0\x00", 3);                 // program: acoustic grand piano
    track += std::string("\x00\x90\x3C\x64", 4);             // note on, middle C
    track += std::string("\x60\x80\x3C\x40", 4);             // 96 ticks later: note off
    track += std::string("\x00\xFF\x2F\x00", 4);             // end of track
    std::string out = "MThd";
    putBe(out, 6, 4);
    putBe(out, 0, 2);
    putBe(out, 1, 2);
    putBe(out, 96, 2);
    out += "MTrk";
    putBe(out, static_cast<std::uint32_t>(track.size()), 4);
    return out + track;
}

} // namespace slidora::test
