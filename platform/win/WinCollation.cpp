// The user ordering on Windows: the user's locale compares the names with
// letter case ignored, as the system's own sorted lists do. Only letter case
// makes two names equal: kana kind and width already count there, and names
// the locale still calls equal (ignorable characters) keep both, in
// code-unit order of their lower-cased forms and then of themselves.
#include "platform/Collation.h"

#include "platform/win/Utf16.h"

#include <windows.h>

#include <algorithm>

namespace slidora {

namespace {

std::wstring lowerCased(const std::wstring& text) {
    if (text.empty()) return text;
    const int length =
        ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_LOWERCASE, text.c_str(),
                        static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr, 0);
    if (length <= 0) return text;
    std::wstring lower(static_cast<std::size_t>(length), L'\0');
    ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_LOWERCASE, text.c_str(),
                    static_cast<int>(text.size()), lower.data(), length, nullptr, nullptr, 0);
    return lower;
}

int compareWide(const std::wstring& a, const std::wstring& b) {
    const int locale = ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                                         static_cast<int>(a.size()), b.c_str(),
                                         static_cast<int>(b.size()), nullptr, nullptr, 0);
    if (locale == CSTR_LESS_THAN) return -1;
    if (locale == CSTR_GREATER_THAN) return 1;
    const std::wstring la = lowerCased(a);
    const std::wstring lb = lowerCased(b);
    if (la != lb) return la < lb ? -1 : 1;
    return 0;
}

} // namespace

int compareForUser(const std::string& a, const std::string& b) {
    return compareWide(win::toUtf16(a), win::toUtf16(b));
}

void sortPathsForUser(std::vector<std::string>& paths) {
    std::vector<std::pair<std::wstring, std::string>> keyed;
    keyed.reserve(paths.size());
    for (std::string& path : paths)
        keyed.emplace_back(win::toUtf16(path), std::move(path));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& x, const auto& y) {
        return compareWide(x.first, y.first) < 0;
    });
    keyed.erase(std::unique(keyed.begin(), keyed.end(),
                            [](const auto& x, const auto& y) {
                                return compareWide(x.first, y.first) == 0;
                            }),
                keyed.end());
    paths.clear();
    for (auto& entry : keyed)
        paths.push_back(std::move(entry.second));
}

} // namespace slidora
