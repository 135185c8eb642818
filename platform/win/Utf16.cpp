#include "platform/win/Utf16.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace slidora::win {
namespace {

int checkedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX))
        throw std::length_error("text too long for a Windows text conversion");
    return static_cast<int>(size);
}

std::wstring multiByteToWide(UINT codePage, DWORD flags, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int inLength = checkedLength(bytes.size());
    const int outLength = MultiByteToWideChar(codePage, flags, bytes.data(), inLength, nullptr, 0);
    if (outLength <= 0) return {};
    std::wstring out(static_cast<std::size_t>(outLength), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), inLength, out.data(), outLength);
    return out;
}

} // namespace

std::wstring toUtf16(std::string_view utf8) {
    // Without MB_ERR_INVALID_CHARS the system substitutes U+FFFD for every
    // ill-formed sequence instead of failing the whole string.
    return multiByteToWide(CP_UTF8, 0, utf8);
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int inLength = checkedLength(utf16.size());
    const int outLength =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLength, nullptr, 0, nullptr, nullptr);
    if (outLength <= 0) return {};
    std::string out(static_cast<std::size_t>(outLength), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLength, out.data(), outLength, nullptr,
                        nullptr);
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    if (bytes.empty()) return true;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                               checkedLength(bytes.size()), nullptr, 0) > 0;
}

std::string codePageToUtf8(std::string_view bytes, unsigned codePage) {
    return toUtf8(multiByteToWide(codePage, 0, bytes));
}

} // namespace slidora::win
