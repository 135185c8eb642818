#pragma once
// The settings dialog's small rules that need no window: the active-time
// list, the value label texts, the version label, the default font size,
// the default picture folder and the folder confirmation message.
#include "settings/FileRules.h"

#include <functional>
#include <optional>
#include <string>

namespace slidora {

// The fixed entries of the active-time list; set-up may add a computed
// entry after them, at index kActTimeFixedEntries.
inline constexpr int kActTimeFixedEntries = 13;
const char* actTimeCaption(int index); // index 0..12

// The entry selected at load for an active time in minutes: 1..9 selects
// "5 分間", ..., 300 and above "5 時間", 0 and below "無制限".
int actTimeIndexFor(int minutes);

// The minutes OK stores for an entry; nothing for the computed entry or no
// selection, which leave the active time as it was read.
std::optional<int> actTimeMinutesFor(int index);

// Minutes until the display's power saving starts, when that comes more
// than a minute after the screen saver (the show then runs only that long).
std::optional<int> computedActTimeMinutes(const PowerSaveState& state);
// n followed by " 分間 (算出値)".
std::string computedActTimeCaption(int minutes);

// `tenths` / 10 with the pattern "#0.0": at least one digit before the
// decimal point and exactly one after.
std::string formatTenths(long long tenths, const std::string& decimalPoint);
// A slider position in milliseconds as " 3.0秒 ", rounded to a tenth of a
// second with halves rounding up (2050 gives " 2.1秒 ").
std::string slideIntervalText(int positionMs, const std::string& decimalPoint = ".");
// A magnification in tenths as " 1.5倍 ".
std::string magnificationText(int positionTenths, const std::string& decimalPoint = ".");

// The version label: the version text without its surrounding blanks, cut
// before its last dot ("1.5.0.0" gives "1.5.0"). A text with no dot before
// its last character is shown whole.
std::string versionLabelText(const std::string& version);
// Reported when the program has no version record at all.
inline constexpr const char* kNoVersionRecordMessage = "バージョン情報が取得できません.";

// "11" on a screen of more than 110 pixels per inch that is more than 1000
// pixels wide, else "9".
std::string defaultFontSizeText(double logicalDpi, int screenWidthPx);

// The picture folder used when the settings give none: the pictures folder
// when it exists, else the home folder when it exists, else empty (the
// caller then falls back to the program's folder).
std::string defaultPictureFolderFrom(const std::string& homeFolder,
                                     const std::string& picturesFolder,
                                     const std::function<bool(const std::string&)>& exists);

// Which folder the picker is choosing.
enum BrowseTag { kBrowsePictureFolder = 0, kBrowseAudioFolder = 1 };

// The question asked when a chosen folder holds no usable file: the path,
// "/ には", the reason for the tag, and "このフォルダを登録しますか？".
std::string folderConfirmationMessage(const std::string& path, int tag);

} // namespace slidora
