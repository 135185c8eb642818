#pragma once
// Fonts as the saver's logic names them, realised as GDI fonts.
#include "platform/FontSpec.h"

#include <string>

struct HDC__;
struct HFONT__;

namespace slidora::win {

// The character sets the saver's labels choose between.
inline constexpr int kAnsiCharset = 0;       // ANSI_CHARSET
inline constexpr int kDefaultCharset = 1;    // DEFAULT_CHARSET
inline constexpr int kShiftJisCharset = 128; // SHIFTJIS_CHARSET

// The character set for drawing `text` in `font`: the font's own when it
// names one; otherwise ANSI_CHARSET when both the face name and the text
// are plain ASCII, SHIFTJIS_CHARSET else, so that the system maps a
// Japanese-capable face in for Japanese text.
int charsetFor(const FontSpec& font, const std::string& text);

// The face to ask GDI for: the window's face, or the first installed of the
// Japanese gothic faces standing in for it where it is missing; any other
// face as it is (GDI maps a missing one itself).
std::wstring faceToUse(const std::string& family);

// A GDI font for `font` drawing `text` on `dc` (whose vertical resolution
// turns points into pixels). Owned by the caller (DeleteObject); null on
// failure.
HFONT__* createFont(const FontSpec& font, const std::string& text, HDC__* dc);

} // namespace slidora::win
