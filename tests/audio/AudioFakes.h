#pragma once
// Fake MP3 library and media player that record every call into one shared
// log, so a test can check the order of calls across both.
#include "audio/MediaPlayer.h"
#include "audio/Mp3Library.h"
#include "platform/ErrorText.h"
#include "platform/Paths.h"

#include <set>
#include <string>
#include <vector>

namespace slidora::test {

using CallLog = std::vector<std::string>;

class FakeLibrary final : public Mp3Library {
  public:
    explicit FakeLibrary(CallLog& log) : m_log(log) {}

    bool init() override {
        m_log.push_back("lib.init");
        return initOk;
    }
    void setVolume(int left, int right) override {
        m_log.push_back("lib.setVolume(" + std::to_string(left) + "," + std::to_string(right) +
                        ")");
    }
    bool open(const std::string& path) override {
        m_log.push_back("lib.open(" + fileNameOf(path) + ")");
        return !failOpen.count(fileNameOf(path));
    }
    bool play() override {
        m_log.push_back("lib.play");
        return playOk;
    }
    int getState() override {
        m_log.push_back("lib.getState");
        return state;
    }
    bool close() override {
        m_log.push_back("lib.close");
        return closeOk;
    }
    void free() override { m_log.push_back("lib.free"); }

    bool initOk = true;
    bool playOk = true;
    bool closeOk = true;
    int state = 1;
    std::set<std::string> failOpen; // file names whose open fails

  private:
    CallLog& m_log;
};

class FakePlayer final : public MediaPlayer {
  public:
    explicit FakePlayer(CallLog& log) : m_log(log) {}

    void open(const std::string& path) override {
        m_log.push_back("player.open(" + fileNameOf(path) + ")");
        if (failOpen.count(fileNameOf(path))) throw SlidoraError("Unsupported file type");
        m_open = true;
    }
    void play() override {
        m_log.push_back("player.play");
        playing = true;
    }
    bool isPlaying() override {
        m_log.push_back("player.isPlaying");
        return m_open && playing;
    }
    void close() override {
        m_log.push_back("player.close");
        m_open = false;
        playing = false;
    }
    bool isOpen() const override { return m_open; }

    bool playing = false;           // what isPlaying answers while a file is open
    std::set<std::string> failOpen; // file names whose open throws

  private:
    CallLog& m_log;
    bool m_open = false;
};

} // namespace slidora::test
