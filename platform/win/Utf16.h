#pragma once
// Text at the Win32 boundary. The program keeps every string in UTF-8 and
// calls only the wide (W) functions, converting on the way in and out, so
// Japanese names work whatever the system's ANSI code page is.
#include <string>
#include <string_view>

namespace slidora::win {

// Bytes that are not UTF-8 (stray continuation bytes, overlong forms,
// encoded surrogates, truncated sequences) become U+FFFD, one for each
// maximal ill-formed part; the characters around them are kept whole, as are
// embedded NULs.
std::wstring toUtf16(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string toUtf8(std::wstring_view utf16);

// True when every byte belongs to a well-formed UTF-8 sequence.
bool isValidUtf8(std::string_view bytes);

// Text in a Windows code page (by default the system's ANSI code page, in
// which older programs wrote their files) as UTF-8. Throws std::length_error
// past 2 GiB, the limit of the Win32 call.
std::string codePageToUtf8(std::string_view bytes, unsigned codePage = 0 /* CP_ACP */);

} // namespace slidora::win
