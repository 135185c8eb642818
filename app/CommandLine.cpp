#include "app/CommandLine.h"

#include <cstdint>

namespace slidora {

unsigned long parseWindowId(const std::string& text) {
    std::size_t i = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size()) return 0;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return 0;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFULL) return 0;
    }
    return static_cast<unsigned long>(value);
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    for (const std::string& arg : args) {
        std::string word;
        for (char c : arg)
            if (c != '"') word += c;
        if (!word.empty()) words.push_back(word);
    }
    CommandLine cl;
    if (words.empty()) return cl;
    cl.selector = words[0].size() >= 2 ? words[0][1] : '\0';
    if (cl.selector >= 'a' && cl.selector <= 'z') cl.selector = static_cast<char>(cl.selector - 'a' + 'A');
    if ((cl.selector == 'A' || cl.selector == 'P') && words.size() >= 2) cl.parentWnd = parseWindowId(words[1]);
    return cl;
}

} // namespace slidora
