#include "tests/support/TestNames.h"

namespace slidora::test {

std::string testName(std::string_view text) {
    std::string name;
    bool gap = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) {
            if (c == '-' && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') {
                if (!name.empty()) name += '_';
                name += "Minus";
                gap = false;
                continue;
            }
            gap = true;
            continue;
        }
        if (gap && !name.empty()) name += '_';
        gap = false;
        name += c;
    }
    return name.empty() ? "Empty" : name;
}

} // namespace slidora::test
