#pragma once
// The audio side of the saver window: the audio list and its playback, one
// file after another, through the MP3 library or the media player. Owned by
// the saver window; everything runs on the user-interface thread and nothing
// here waits for a file to end: the clock polls AudLoad.
#include <string>
#include <vector>

namespace slidora {

class Mp3Library;
class MediaPlayer;
class RandomSource;

// Values of the player state. Anything below kIdle is final: audio has been
// given up for the rest of the run.
enum PlayerState : int {
    kPlayerIdle = -1,          // nothing playing; the next poll starts a file
    kPlayerLibrary = 1,        // a file plays through the MP3 library
    kPlayerMedia = 2,          // a file plays through the media player
    kPlayerCloseFailed = -2,   // the library failed to close a file
    kPlayerLibraryFailed = -4, // the library failed to open or start a file
    kPlayerMediaFailed = -8,   // the media player failed to open a file
};

class AudioPlayback {
  public:
    // Both objects are owned by the caller and must outlive this one.
    AudioPlayback(Mp3Library& library, MediaPlayer& player);
    AudioPlayback(const AudioPlayback&) = delete;
    AudioPlayback& operator=(const AudioPlayback&) = delete;

    // Adds the audio files under `folder` (recursively) to the list, which
    // stays sorted in the user's locale, case-insensitively, without
    // duplicates. A file counts by AudExtChk or MediaExtChk of its extension;
    // `mediaExtText` is the MediaExt setting plus one blank. A missing folder
    // adds nothing.
    void AudRead(const std::string& folder, const std::string& mediaExtText);

    // The list as the saver builds it: nothing for an empty folder text,
    // otherwise AudRead, audio position -1, and when `shuffle` is set the
    // shared list shuffle drawing from `random` (which is not reseeded).
    void buildList(const std::string& audioFolder, const std::string& mediaExtText, bool shuffle,
                   RandomSource& random);

    // The audio start: with a non-empty list, audio on; when `useMp3Library`
    // (MPlayer is exactly "No") the library is initialised and its result
    // replaces the flag; the volume (0 to 100, unscaled) goes to the library;
    // then the first file starts through AudLoad.
    void start(bool useMp3Library, int volume);

    // The audio poll: leaves a playing file alone, otherwise closes the
    // ended one and starts the next, wrapping to the top of the list. Files
    // that vanished are skipped; when a whole pass finds none left, audio
    // ends (see allFilesGone). Never throws and never shows anything.
    void AudLoad();

    // The end of the active time: the library's close, whenever audio is on
    // (its result is not read). The media player's file plays to its end.
    void onActiveTimeEnd();
    // Closing the window: the library's free, whenever audio is on.
    void onClose();

    // Whether the clock's audio phase should call AudLoad.
    bool wantsPoll() const { return m_audioOn && !m_list.empty(); }

    const std::vector<std::string>& audioList() const { return m_list; }
    int audioPosition() const { return m_position; }
    bool audioOn() const { return m_audioOn; }
    bool libraryInUse() const { return m_libraryInUse; }
    int playerState() const { return m_state; }
    // True when a poll found every listed file gone and ended the audio.
    bool allFilesGone() const { return m_allFilesGone; }

  private:
    // Moves to the next listed file that still exists; false after a whole
    // pass without one.
    bool advanceToExistingFile();
    void giveUpLibrary(int finalState);
    void startFile(const std::string& path);

    Mp3Library& m_library;
    MediaPlayer& m_player;
    std::vector<std::string> m_list;
    int m_position = -1;
    bool m_audioOn = false;
    bool m_libraryInUse = false;
    int m_state = kPlayerIdle;
    bool m_allFilesGone = false;
};

} // namespace slidora
