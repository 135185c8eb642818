#include "app/win/WinCommandLine.h"

#include <cstdint>

namespace slidora::win {

namespace {

bool isSeparator(wchar_t c) {
    return c != L'\0' && c <= L' ';
}

} // namespace

std::vector<std::wstring> commandLineWords(std::wstring_view line) {
    std::vector<std::wstring> words;
    std::size_t i = 0;
    const std::size_t n = line.size();
    for (;;) {
        for (;;) {
            while (i < n && isSeparator(line[i]))
                ++i;
            if (i + 1 < n && line[i] == L'"' && line[i + 1] == L'"')
                i += 2;
            else
                break;
        }
        if (i >= n || line[i] == L'\0') break;
        std::wstring word;
        while (i < n && line[i] > L' ') {
            if (line[i] != L'"') {
                word += line[i++];
                continue;
            }
            ++i;
            while (i < n && line[i] != L'\0' && line[i] != L'"')
                word += line[i++];
            if (i < n && line[i] == L'"') ++i;
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::int32_t windowHandleValue(std::wstring_view text) {
    bool negative = false;
    std::size_t i = 0;
    if (!text.empty() && (text[0] == L'-' || text[0] == L'+')) {
        negative = text[0] == L'-';
        i = 1;
    }
    if (i >= text.size()) return 0;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c < L'0' || c > L'9') return 0;
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
        if (value > 0xFFFFFFFFULL) return 0;
    }
    if (negative) {
        if (value > 0x80000000ULL) return 0;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

WinCommandLine readWinCommandLine(std::wstring_view commandLine) {
    const std::vector<std::wstring> words = commandLineWords(commandLine);
    WinCommandLine cl;
    if (words.size() < 2) return cl; // no argument: the settings dialog
    const std::wstring& arg1 = words[1];
    wchar_t selector = arg1.size() >= 2 ? arg1[1] : L'\0';
    if (selector >= L'a' && selector <= L'z')
        selector = static_cast<wchar_t>(selector - L'a' + L'A');
    switch (selector) {
    case L'A':
        cl.mode = WinRunMode::Password;
        break;
    case L'C':
        cl.mode = WinRunMode::Dialog;
        break;
    case L'P':
        cl.mode = WinRunMode::Preview;
        break;
    default:
        cl.mode = WinRunMode::Saver;
        break;
    }
    if ((cl.mode == WinRunMode::Password || cl.mode == WinRunMode::Preview) && words.size() >= 3)
        cl.parentWnd = windowHandleValue(words[2]);
    return cl;
}

} // namespace slidora::win
