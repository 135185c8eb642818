#include "audio/win/MciPlayer.h"

#include "platform/ErrorText.h"
#include "platform/win/Utf16.h"

#include <windows.h>

#include <mmsystem.h>

#include <atomic>

namespace slidora::win {

namespace {

MCIERROR send(const std::wstring& command, std::wstring* answer = nullptr) {
    wchar_t buffer[128] = {};
    const MCIERROR error =
        mciSendStringW(command.c_str(), buffer, static_cast<UINT>(std::size(buffer)), nullptr);
    if (answer != nullptr) *answer = error == 0 ? std::wstring(buffer) : std::wstring();
    return error;
}

} // namespace

std::string mciErrorText(unsigned long error) {
    // MCI's texts fit in 128 characters, its own documented limit.
    wchar_t buffer[MAXERRORLENGTH] = {};
    if (mciGetErrorStringW(static_cast<MCIERROR>(error), buffer,
                           static_cast<UINT>(std::size(buffer))) &&
        buffer[0] != L'\0')
        return toUtf8(buffer);
    return "MCI error " + std::to_string(error);
}

MciPlayer::MciPlayer() {
    static std::atomic<unsigned> next{0};
    m_alias = L"slidora_media_" + std::to_wstring(next.fetch_add(1));
}

MciPlayer::~MciPlayer() {
    close();
}

void MciPlayer::open(const std::string& path) {
    close();
    // Not shareable (MCI's default); the quotes keep blanks in the path.
    const MCIERROR error = send(L"open \"" + toUtf16(path) + L"\" alias " + m_alias + L" wait");
    if (error != 0) {
        // A device MCI opened half-way is closed again; harmless otherwise.
        send(L"close " + m_alias + L" wait");
        throw SlidoraError(mciErrorText(error));
    }
    m_open = true;
}

void MciPlayer::play() {
    if (!m_open) return;
    // Returns at once; the end of the file is found by polling the mode.
    send(L"play " + m_alias);
}

bool MciPlayer::isPlaying() {
    if (!m_open) return false;
    std::wstring mode;
    if (send(L"status " + m_alias + L" mode wait", &mode) != 0) return false;
    return mode == L"playing";
}

void MciPlayer::close() {
    if (!m_open) return;
    send(L"close " + m_alias + L" wait");
    m_open = false;
}

} // namespace slidora::win
