#pragma once
// A font as the program stores and passes it, free of any toolkit.
#include <cstdint>
#include <string>

namespace slidora {

struct FontSpec {
    std::string family; // UTF-8 face name
    int pointSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    std::uint32_t colour = 0; // 0x00BBGGRR: red in the lowest byte
    int charset = 0;
};

} // namespace slidora
