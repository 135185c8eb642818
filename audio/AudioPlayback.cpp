#include "audio/AudioPlayback.h"

#include "audio/MediaPlayer.h"
#include "audio/Mp3Library.h"
#include "platform/Collation.h"
#include "platform/DirWalk.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "settings/FileRules.h"

#include <exception>

namespace slidora {

AudioPlayback::AudioPlayback(Mp3Library& library, MediaPlayer& player)
    : m_library(library), m_player(player) {}

void AudioPlayback::AudRead(const std::string& folder, const std::string& mediaExtText) {
    const std::size_t before = m_list.size();
    walkFolder(withTrailingSlash(folder), [&](const WalkFile& file) {
        const std::string extension = extensionOf(file.name);
        if (AudExtChk(extension) || MediaExtChk(extension, mediaExtText))
            m_list.push_back(file.folder + file.name);
        return true;
    });
    // Collected first and sorted once: inserting each path into a sorted
    // list would cost a locale comparison per step.
    if (m_list.size() != before) sortPathsForUser(m_list);
}

void AudioPlayback::buildList(const std::string& audioFolder, const std::string& mediaExtText,
                              bool shuffle, RandomSource& random) {
    if (audioFolder.empty()) return;
    AudRead(audioFolder, mediaExtText);
    m_position = -1;
    if (shuffle && !m_list.empty()) listShuffle(m_list, random);
}

void AudioPlayback::start(bool useMp3Library, int volume) {
    m_audioOn = false;
    m_position = -1;
    m_state = kPlayerIdle;
    m_libraryInUse = useMp3Library;
    m_allFilesGone = false;
    if (m_list.empty()) return;
    m_audioOn = true;
    if (m_libraryInUse) m_libraryInUse = m_library.init();
    if (m_libraryInUse) m_library.setVolume(volume, volume);
    AudLoad();
}

void AudioPlayback::AudLoad() {
    if (m_state < kPlayerIdle || m_list.empty()) return;

    if (m_state == kPlayerLibrary) {
        if (m_library.getState() == 1) return;
        if (!m_library.close()) {
            giveUpLibrary(kPlayerCloseFailed);
            return;
        }
        m_state = kPlayerIdle;
    } else if (m_state == kPlayerMedia) {
        if (m_player.isPlaying()) return;
        m_player.close();
        m_state = kPlayerIdle;
    }

    if (!advanceToExistingFile()) {
        // Every listed file is gone. Rather than search for ever, audio ends
        // for the run: the clock stops polling, and since closing frees the
        // library only while audio is on, it is released here.
        m_allFilesGone = true;
        m_audioOn = false;
        if (m_libraryInUse) {
            m_library.free();
            m_libraryInUse = false;
        }
        return;
    }
    startFile(m_list[static_cast<std::size_t>(m_position)]);
}

bool AudioPlayback::advanceToExistingFile() {
    const int count = static_cast<int>(m_list.size());
    for (int tried = 0; tried < count; ++tried) {
        ++m_position;
        if (m_position >= count) m_position = 0;
        if (isRegularFile(m_list[static_cast<std::size_t>(m_position)])) return true;
    }
    return false;
}

void AudioPlayback::startFile(const std::string& path) {
    if (m_libraryInUse && AudExtChk(extensionOf(path))) {
        // A file the library refuses ends all audio; it is not handed to the
        // media player instead.
        if (m_library.open(path) && m_library.play())
            m_state = kPlayerLibrary;
        else
            giveUpLibrary(kPlayerLibraryFailed);
        return;
    }

    try {
        m_player.open(path);
    } catch (const std::exception&) {
        // The player's error text is deliberately not shown: an audio
        // failure only ends the audio.
        m_player.close();
        m_audioOn = false;
        m_state = kPlayerMediaFailed;
        return;
    }
    m_player.play();
    m_state = kPlayerMedia;
}

void AudioPlayback::giveUpLibrary(int finalState) {
    m_library.free();
    m_libraryInUse = false;
    m_state = finalState;
}

void AudioPlayback::onActiveTimeEnd() {
    if (m_audioOn) m_library.close();
}

void AudioPlayback::onClose() {
    if (m_audioOn) m_library.free();
}

} // namespace slidora
