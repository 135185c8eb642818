#include "platform/win/Utf16.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <stdexcept>

namespace slidora::win {
namespace {

// The conversions between UTF-8 and UTF-16 are our own rather than
// MultiByteToWideChar's: Wine's converter swallows the character after a
// lone lead byte, Windows' does not. Ours replaces each maximal ill-formed
// subpart by one U+FFFD, as the Unicode standard recommends, on every system.
constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
    char32_t codePoint;
    std::size_t length; // bytes consumed, at least 1
    bool valid;
};

Decoded decodeOne(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return {lead, 1, true};
    int trailing = 0;
    char32_t codePoint = 0;
    // The allowed range of the first trailing byte excludes overlong forms,
    // encoded surrogates and code points past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
        codePoint = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        codePoint = lead & 0x0FU;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        codePoint = lead & 0x07U;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {kReplacement, 1, false};
    }
    std::size_t length = 1;
    for (int i = 0; i < trailing; ++i, ++length) {
        if (at + length >= text.size()) return {kReplacement, length, false};
        const auto byte = static_cast<unsigned char>(text[at + length]);
        if (byte < low || byte > high) return {kReplacement, length, false};
        low = 0x80;
        high = 0xBF;
        codePoint = (codePoint << 6) | (byte & 0x3FU);
    }
    return {codePoint, length, true};
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

std::wstring toUtf16(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Decoded d = decodeOne(utf8, at);
        at += d.length;
        if (d.codePoint < 0x10000) {
            out += static_cast<wchar_t>(d.codePoint);
        } else {
            const char32_t v = d.codePoint - 0x10000;
            out += static_cast<wchar_t>(0xD800 + (v >> 10));
            out += static_cast<wchar_t>(0xDC00 + (v & 0x3FF));
        }
    }
    return out;
}

std::string toUtf8(std::wstring_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const auto c = static_cast<char32_t>(static_cast<std::uint16_t>(utf16[i]));
        if (isHighSurrogate(c) && i + 1 < utf16.size()) {
            const auto next = static_cast<char32_t>(static_cast<std::uint16_t>(utf16[i + 1]));
            if (isLowSurrogate(next)) {
                appendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, isHighSurrogate(c) || isLowSurrogate(c) ? kReplacement : c);
    }
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const Decoded d = decodeOne(bytes, at);
        if (!d.valid) return false;
        at += d.length;
    }
    return true;
}

std::string codePageToUtf8(std::string_view bytes, unsigned codePage) {
    if (bytes.empty()) return {};
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        throw std::length_error("text too long for a Windows code page conversion");
    const int inLength = static_cast<int>(bytes.size());
    const int outLength = MultiByteToWideChar(codePage, 0, bytes.data(), inLength, nullptr, 0);
    if (outLength <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(outLength), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), inLength, wide.data(), outLength);
    return toUtf8(wide);
}

} // namespace slidora::win
