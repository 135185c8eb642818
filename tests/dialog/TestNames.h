#pragma once
// Readable names for parameterised cases: letters and digits kept, a minus
// sign spelt out, anything else '_'; an empty text is "empty".
#include <cctype>
#include <string>

namespace slidora::test {

inline std::string testNameOf(const std::string& text) {
    if (text.empty()) return "empty";
    std::string name;
    for (const char c : text) {
        if (c == '-')
            name += "minus";
        else
            name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return name;
}

} // namespace slidora::test
