#pragma once
// Small rules shared by the saver and the settings dialog: font style
// letters, picture and audio extensions, folder checks, and the display's
// power-saving timeouts. Extensions are taken with their leading dot.
#include <string>

namespace slidora {

struct PowerParams;

enum FontStyleBit { kStyleBold = 1, kStyleItalic = 2, kStyleUnderline = 4, kStyleStrikeout = 8 };

// The style set of a stored style text: "B", "I", "U", "S" anywhere in it
// (case-sensitive) set bold, italic, underline, strikeout.
int FontStyleBits(const std::string& styleText);

// ".bmp" 0, ".jpg" 1, ".png" 2, ".jp" 3, ".jpeg" 4 (ASCII case ignored);
// anything else -1. Zero or more marks a picture file.
int PicExtKind(const std::string& extension);

// One of the MP3 library's extensions: ".mp1", ".mp2", ".mp3", ".rmp", ".wav".
bool AudExtChk(const std::string& extension);

// Whether the lower-cased extension occurs in the saver's media extension
// text (the MediaExt setting plus one blank). Never for an empty text or an
// empty extension.
bool MediaExtChk(const std::string& extension, const std::string& mediaExtText);

// The dialog's audio-file test: AudExtChk, or the lower-cased extension
// occurring in the dialog's MediaExt value.
bool AudFileChk(const std::string& extension, const std::string& dialogMediaExt);

// Whether the folder or any folder below it holds a picture file larger than
// minimumSizeKb x 1024 bytes. The empty text is false without looking at the
// disk; a short one such as "/" or "/x" is looked at. Stops at the first match.
bool PicFolderChk(const std::string& folder, int minimumSizeKb);

// Whether the folder or any folder below it holds an audio file by
// AudFileChk. Stops at the first match.
bool AudFolderChk(const std::string& folder, const std::string& dialogMediaExt);

struct PowerSaveState {
    bool active = false;          // low power or power off is active
    int screenSaveTimeoutSec = 0; // the screen-saver timeout
    int powerTimeoutSec = 0;      // the first power-saving timeout; 0 when none
};

// The power-saving arithmetic on the display's parameters (the program reads
// them from the display system; all 0 without a display).
PowerSaveState PowerSaveInfo(const PowerParams& params);

// Seconds until the display's power saving starts, when it comes more than a
// minute after the screen saver (and so takes precedence over the stored
// active time); 0 otherwise.
int powerOverrideSeconds(const PowerSaveState& state);

} // namespace slidora
