// The user ordering for builds without a toolkit (the core-only build and
// its tests): the C library's collation of the case-folded names, which is
// byte order in the C locale. Only letter case makes two names equal; ties
// keep both names in code-unit order, as the toolkit's ordering does.
#include "platform/Collation.h"

#include <algorithm>
#include <clocale>
#include <cstring>
#include <cwctype>
#include <string>

namespace slidora {

namespace {

std::wstring foldedWide(const std::string& text) {
    std::mbstate_t state{};
    std::wstring wide;
    const char* in = text.c_str();
    const char* end = in + text.size();
    while (in < end) {
        wchar_t c = 0;
        const std::size_t n = std::mbrtowc(&c, in, static_cast<std::size_t>(end - in), &state);
        if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2)) {
            // Not valid in the current locale: take the byte as it is.
            c = static_cast<wchar_t>(static_cast<unsigned char>(*in));
            state = std::mbstate_t{};
            ++in;
        } else {
            in += n == 0 ? 1 : n;
        }
        wide.push_back(static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c))));
    }
    return wide;
}

} // namespace

int compareForUser(const std::string& a, const std::string& b) {
    const std::wstring fa = foldedWide(a);
    const std::wstring fb = foldedWide(b);
    if (const int c = std::wcscoll(fa.c_str(), fb.c_str()); c != 0) return c;
    if (fa != fb) return fa < fb ? -1 : 1;
    return 0;
}

void sortPathsForUser(std::vector<std::string>& paths) {
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return compareForUser(a, b) < 0;
    });
    paths.erase(std::unique(paths.begin(), paths.end(),
                            [](const std::string& a, const std::string& b) {
                                return compareForUser(a, b) == 0;
                            }),
                paths.end());
}

} // namespace slidora
