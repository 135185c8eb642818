#pragma once
// A font as the logic names it, for any toolkit to realise.
#include "platform/Geometry.h"

#include <string>

namespace slidora {

struct FontSpec {
    std::string family; // face name, UTF-8
    int pointSize = 0;  // 0 or less: the toolkit's default size
    // Character height in pixels; when above 0 it is used instead of
    // pointSize (the saver scales its message text this way).
    int pixelSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    Rgb colour;
    int charset = 1; // the default character set
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

} // namespace slidora
