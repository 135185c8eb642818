#include "settings/FileRules.h"

#include "platform/DirWalk.h"
#include "platform/Paths.h"
#include "platform/PowerParams.h"
#include "settings/IniFile.h"

#include <cctype>

namespace slidora {

namespace {
#ifdef _WIN32
constexpr std::size_t kShortestFolderText = 3;
#else
constexpr std::size_t kShortestFolderText = 1;
#endif
} // namespace

int FontStyleBits(const std::string& styleText) {
    int bits = 0;
    if (styleText.find('B') != std::string::npos) bits |= kStyleBold;
    if (styleText.find('I') != std::string::npos) bits |= kStyleItalic;
    if (styleText.find('U') != std::string::npos) bits |= kStyleUnderline;
    if (styleText.find('S') != std::string::npos) bits |= kStyleStrikeout;
    return bits;
}

int PicExtKind(const std::string& extension) {
    static const char* const kKinds[] = {".bmp", ".jpg", ".png", ".jp", ".jpeg"};
    for (int i = 0; i < 5; ++i)
        if (equalsIgnoreAsciiCase(extension, kKinds[i])) return i;
    return -1;
}

bool AudExtChk(const std::string& extension) {
    static const char* const kAudio[] = {".mp1", ".mp2", ".mp3", ".rmp", ".wav"};
    for (const char* a : kAudio)
        if (equalsIgnoreAsciiCase(extension, a)) return true;
    return false;
}

bool MediaExtChk(const std::string& extension, const std::string& mediaExtText) {
    if (mediaExtText.empty() || extension.empty()) return false;
    return mediaExtText.find(asciiLower(extension)) != std::string::npos;
}

bool AudFileChk(const std::string& extension, const std::string& dialogMediaExt) {
    if (AudExtChk(extension)) return true;
    return MediaExtChk(extension, dialogMediaExt);
}

bool PicFolderChk(const std::string& folder, int minimumSizeKb) {
    // Texts shorter than three characters are refused without a look where
    // paths have drives: a bare drive name ("C:") is no folder. Elsewhere the
    // rule leaves only the empty text: "/" and "/x" are folders like any other.
    if (folder.size() < kShortestFolderText) return false;
    const std::int64_t limit = static_cast<std::int64_t>(minimumSizeKb) * 1024;
    bool found = false;
    walkFolder(folder, [&](const WalkFile& f) {
        found = PicExtKind(extensionOf(f.name)) >= 0 && f.sizeBytes > limit;
        return !found;
    });
    return found;
}

bool AudFolderChk(const std::string& folder, const std::string& dialogMediaExt) {
    if (folder.empty()) return false;
    bool found = false;
    walkFolder(folder, [&](const WalkFile& f) {
        found = AudFileChk(extensionOf(f.name), dialogMediaExt);
        return !found;
    });
    return found;
}

PowerSaveState PowerSaveInfo(const PowerParams& p) {
    PowerSaveState s;
    s.active = p.lowPowerActive > 0 || p.powerOffActive > 0;
    s.screenSaveTimeoutSec = p.screenSaveTimeoutSec;
    if (p.lowPowerActive > 0 && p.lowPowerTimeoutSec > 0) s.powerTimeoutSec = p.lowPowerTimeoutSec;
    // Compared with the low-power timeout as read, active or not.
    if (p.powerOffActive > 0 && p.powerOffTimeoutSec > 0 &&
        p.powerOffTimeoutSec < p.lowPowerTimeoutSec)
        s.powerTimeoutSec = p.powerOffTimeoutSec;
    return s;
}

int powerOverrideSeconds(const PowerSaveState& s) {
    if (s.active && static_cast<long long>(s.screenSaveTimeoutSec) + 60 < s.powerTimeoutSec)
        return s.powerTimeoutSec - s.screenSaveTimeoutSec;
    return 0;
}

} // namespace slidora
