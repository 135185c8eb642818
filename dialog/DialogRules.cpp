#include "dialog/DialogRules.h"

#include "platform/Paths.h"

namespace slidora {

namespace {

struct ActTimeEntry {
    const char* caption;
    int minutes;     // what OK stores
    int fromMinutes; // lowest active time that selects the entry at load
};

// Ascending by fromMinutes, except "無制限", which takes 0 and below.
const ActTimeEntry kActTimes[kActTimeFixedEntries] = {
    {"5 分間", 5, 1},     {"10 分間", 10, 10},  {"15 分間", 15, 15},  {"20 分間", 20, 20},
    {"25 分間", 25, 25},  {"30 分間", 30, 30},  {"45 分間", 45, 45},  {"1 時間", 60, 60},
    {"2 時間", 120, 120}, {"3 時間", 180, 180}, {"4 時間", 240, 240}, {"5 時間", 300, 300},
    {"無制限", 0, 0},
};
constexpr int kUnlimitedIndex = 12;

} // namespace

const char* actTimeCaption(int index) {
    if (index < 0 || index >= kActTimeFixedEntries) return "";
    return kActTimes[index].caption;
}

int actTimeIndexFor(int minutes) {
    if (minutes <= 0) return kUnlimitedIndex;
    int index = 0;
    for (int i = 0; i < kUnlimitedIndex; ++i)
        if (minutes >= kActTimes[i].fromMinutes) index = i;
    return index;
}

std::optional<int> actTimeMinutesFor(int index) {
    if (index < 0 || index >= kActTimeFixedEntries) return std::nullopt;
    return kActTimes[index].minutes;
}

std::optional<int> computedActTimeMinutes(const PowerSaveState& state) {
    const int seconds = powerOverrideSeconds(state);
    if (seconds <= 0) return std::nullopt;
    return seconds / 60;
}

std::string computedActTimeCaption(int minutes) {
    return std::to_string(minutes) + " 分間 (算出値)";
}

std::string formatTenths(long long tenths, const std::string& decimalPoint) {
    const bool negative = tenths < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(tenths)
                                                  : static_cast<unsigned long long>(tenths);
    std::string text =
        std::to_string(magnitude / 10) + decimalPoint + std::to_string(magnitude % 10);
    return negative ? "-" + text : text;
}

namespace {

// numerator / denominator in tenths, halves away from zero, on integers so
// that no binary fraction decides a half.
long long roundedTenths(long long numerator, long long denominatorPerTenth) {
    const long long half = denominatorPerTenth / 2;
    if (numerator >= 0) return (numerator + half) / denominatorPerTenth;
    return -((-numerator + half) / denominatorPerTenth);
}

} // namespace

std::string slideIntervalText(int positionMs, const std::string& decimalPoint) {
    return " " + formatTenths(roundedTenths(positionMs, 100), decimalPoint) + "秒 ";
}

std::string magnificationText(int positionTenths, const std::string& decimalPoint) {
    return " " + formatTenths(positionTenths, decimalPoint) + "倍 ";
}

std::string versionLabelText(const std::string& version) {
    const std::size_t first = version.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::string text = version.substr(first, version.find_last_not_of(' ') - first + 1);
    // The search starts at the next-to-last character, so a last part of any
    // length (even a trailing dot) is cut whole.
    for (std::size_t i = text.size() - 1; i-- > 0;)
        if (text[i] == '.') return text.substr(0, i);
    return text;
}

std::string defaultFontSizeText(double logicalDpi, int screenWidthPx) {
    return (logicalDpi > 110.0 && screenWidthPx > 1000) ? "11" : "9";
}

std::string defaultPictureFolderFrom(const std::string& homeFolder,
                                     const std::string& picturesFolder,
                                     const std::function<bool(const std::string&)>& exists) {
    if (homeFolder.empty() || !exists(homeFolder)) return {};
    if (!picturesFolder.empty() && exists(picturesFolder)) return picturesFolder;
    return homeFolder;
}

std::string folderConfirmationMessage(const std::string& path, int tag) {
    const char* reason =
        tag == kBrowsePictureFolder ? "画像ファイルがありません。" : "音源ファイルがありません。";
    // The separator the path would otherwise end with is shown; a root
    // folder already ends with it.
    const std::string shown = withTrailingSlash(path);
    return shown + " には\n" + reason + "\n\nこのフォルダを登録しますか？";
}

} // namespace slidora
