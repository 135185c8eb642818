#include "saver/win/WinFont.h"

#include "platform/win/Utf16.h"
#include "saver/SaverView.h"

#include <windows.h>

#include <map>

namespace slidora::win {

namespace {

bool isAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool faceInstalled(const std::wstring& face) {
    // Asked from the user-interface thread only; faces do not come and go
    // during a show.
    static std::map<std::wstring, bool> known;
    const auto it = known.find(face);
    if (it != known.end()) return it->second;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    HDC dc = GetDC(nullptr);
    if (dc != nullptr) {
        EnumFontFamiliesExW(dc, &query, noteFound, reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, dc);
    }
    known.emplace(face, found);
    return found;
}

} // namespace

int charsetFor(const FontSpec& font, const std::string& text) {
    if (font.charset != kDefaultCharset) return font.charset;
    return isAscii(font.family) && isAscii(text) ? kAnsiCharset : kShiftJisCharset;
}

std::wstring faceToUse(const std::string& family) {
    const std::wstring face = toUtf16(family);
    if (family != kWindowFace || faceInstalled(face)) return face;
    for (const wchar_t* standIn : {L"MS UI Gothic", L"Meiryo", L"Yu Gothic"})
        if (faceInstalled(standIn)) return standIn;
    return face;
}

HFONT__* createFont(const FontSpec& font, const std::string& text, HDC__* dc) {
    LOGFONTW lf{};
    if (font.pixelSize > 0)
        lf.lfHeight = -font.pixelSize; // the character height, as the logic means it
    else if (font.pointSize > 0)
        lf.lfHeight = -MulDiv(font.pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic ? TRUE : FALSE;
    lf.lfUnderline = font.underline ? TRUE : FALSE;
    lf.lfStrikeOut = font.strikeout ? TRUE : FALSE;
    lf.lfCharSet = static_cast<BYTE>(charsetFor(font, text));
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    faceToUse(font.family).copy(lf.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

} // namespace slidora::win
