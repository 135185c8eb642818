// VBMP3.dll as the program uses it: bound through the import table, playing
// through waveOut. Under Wine the wave device is ALSA's file plugin (set up by
// the build, see CMakeLists.txt), which writes what the device receives to
// the file SLIDORA_AUDIO_CAPTURE; the tests read that back.
#include "vbmp3.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

void put32(std::vector<char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::vector<char>& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

// A 16-bit stereo square wave at 44.1 kHz, loud enough that no conversion on
// the way to the device can round it to silence.
std::vector<char> squareWav(int milliseconds) {
    const std::uint32_t frames = 44100U * static_cast<std::uint32_t>(milliseconds) / 1000U;
    std::vector<char> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + frames * 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, 1);
    put16(out, 2);
    put32(out, 44100);
    put32(out, 44100 * 4);
    put16(out, 4);
    put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, frames * 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const std::uint16_t level = (i / 50) % 2 == 0 ? 0x4000 : 0xC000;
        put16(out, level);
        put16(out, level);
    }
    return out;
}

int waitWhilePlaying(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int state = vbmp3_getState(nullptr);
    while (state == 1 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        state = vbmp3_getState(nullptr);
    }
    return state;
}

constexpr std::chrono::milliseconds kEndTimeout{10000};

class Vbmp3WaveOut : public ::testing::Test {
  protected:
    void SetUp() override {
        m_capture = SLIDORA_AUDIO_CAPTURE;
        wchar_t temp[MAX_PATH + 1];
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0U);
        m_dir = fs::path(temp) / ("vbmp3-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(m_dir);
        vbmp3_setVolume(100, 100);
        ASSERT_EQ(vbmp3_init(), 1) << "no wave device: run through ctest, which sets one up";
    }
    void TearDown() override {
        vbmp3_free();
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    std::string writeWav(const fs::path& name, int milliseconds) {
        const fs::path path = m_dir / name;
        const std::vector<char> bytes = squareWav(milliseconds);
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const std::u8string utf8 = path.u8string();
        return std::string(utf8.begin(), utf8.end());
    }

    std::vector<char> captured() const {
        std::ifstream in(m_capture, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static bool allZero(const std::vector<char>& bytes) {
        for (char c : bytes)
            if (c != 0) return false;
        return true;
    }

    std::string m_capture;
    fs::path m_dir;
};

TEST_F(Vbmp3WaveOut, PlaysToTheEndThenReportsStopped) {
    const std::string path = writeWav("tone.wav", 300);
    alignas(int) unsigned char info[VBMP3_INFO_SIZE];
    ASSERT_EQ(vbmp3_open(path.c_str(), info), 1);
    Vbmp3Info details{};
    std::memcpy(&details, info, sizeof details);
    EXPECT_EQ(details.kind, VBMP3_KIND_PCM_WAVE);
    EXPECT_EQ(details.sampleRateHz, 44100);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(vbmp3_getState(nullptr), 1);
    int state = -2;
    EXPECT_EQ(waitWhilePlaying(kEndTimeout), 0);
    EXPECT_EQ(vbmp3_getState(&state), 0);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(vbmp3_close(), 1);
    const std::vector<char> bytes = captured();
    EXPECT_FALSE(bytes.empty());
    EXPECT_FALSE(allZero(bytes)) << "the device received only silence";
}

TEST_F(Vbmp3WaveOut, VolumeZeroSendsSilence) {
    vbmp3_setVolume(0, 0);
    const std::string path = writeWav("tone.wav", 200);
    ASSERT_EQ(vbmp3_open(path.c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(waitWhilePlaying(kEndTimeout), 0);
    EXPECT_EQ(vbmp3_close(), 1);
    const std::vector<char> bytes = captured();
    EXPECT_FALSE(bytes.empty());
    EXPECT_TRUE(allZero(bytes));
}

TEST_F(Vbmp3WaveOut, CloseWhilePlayingStopsAndTheNextFilePlays) {
    const std::string longPath = writeWav("long.wav", 20000);
    ASSERT_EQ(vbmp3_open(longPath.c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(vbmp3_getState(nullptr), 1);
    EXPECT_EQ(vbmp3_close(), 1);
    EXPECT_EQ(vbmp3_getState(nullptr), 0);
    const std::string shortPath = writeWav("short.wav", 100);
    ASSERT_EQ(vbmp3_open(shortPath.c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(waitWhilePlaying(kEndTimeout), 0);
}

TEST_F(Vbmp3WaveOut, JapaneseFileNameOpens) {
    // "音楽.wav": opened through the wide call whatever the system code page.
    const std::string path = writeWav(fs::path(u8"\u97F3\u697D.wav"), 100);
    EXPECT_EQ(vbmp3_open(path.c_str(), nullptr), 1);
}

struct RefusedCase {
    const char* name;
    std::string (*path)(const fs::path& dir);
};

class Vbmp3Refuses : public Vbmp3WaveOut, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(Vbmp3Refuses, ToOpen) {
    const std::string path = GetParam().path(m_dir);
    alignas(int) unsigned char info[VBMP3_INFO_SIZE];
    std::memset(info, 0xAB, sizeof info);
    EXPECT_EQ(vbmp3_open(path.c_str(), info), 0);
    EXPECT_EQ(vbmp3_play(), 0);
}

std::string utf8Of(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Vbmp3Refuses,
    ::testing::Values(
        RefusedCase{"missing_file", [](const fs::path& d) { return utf8Of(d / "none.wav"); }},
        RefusedCase{"folder", [](const fs::path& d) { return utf8Of(d); }},
        RefusedCase{"not_utf8", [](const fs::path& d) { return utf8Of(d) + "\\\xFF\xFE.wav"; }},
        RefusedCase{"device", [](const fs::path&) { return std::string("NUL"); }},
        RefusedCase{"empty", [](const fs::path&) { return std::string(); }}),
    [](const ::testing::TestParamInfo<RefusedCase>& p) { return p.param.name; });

} // namespace
