#include "settings/IniFile.h"

#include "platform/ErrorText.h"
#include "platform/FileSystem.h"
#include "platform/FileText.h"
#include "platform/Paths.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace slidora {

namespace {

const char* const kWriteError = "%s に書き込めません";
const char* const kNotIntegerError = "'%s' は整数ではありません";
const char* const kNotAFileError = "%s は通常のファイルではありません";
const char* const kTooLargeError = "%s は設定ファイルとしては大きすぎます";
const char* const kNoMemoryError = "%s を読むためのメモリが足りません";

std::string trimmed(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
}

// The name of a section line ("[name]" with blanks allowed around), or false.
bool sectionName(const std::string& body, std::string& name) {
    // A byte-order mark that an editor put before the first line is not
    // part of the section name.
    static const std::string kBom = "\xEF\xBB\xBF";
    const bool hasBom = body.compare(0, kBom.size(), kBom) == 0;
    const std::string t = trimmed(hasBom ? body.substr(kBom.size()) : body);
    if (t.size() < 2 || t.front() != '[') return false;
    const auto close = t.find(']');
    if (close == std::string::npos) return false;
    name = trimmed(t.substr(1, close - 1));
    return true;
}

// Splits a key line at its first '='; false for lines without one.
bool keyAndValue(const std::string& body, std::string& key, std::string& value) {
    const auto eq = body.find('=');
    if (eq == std::string::npos) return false;
    key = trimmed(body.substr(0, eq));
    value = trimmed(body.substr(eq + 1));
    return true;
}

// Cuts a UTF-8 text to at most `maxBytes` without splitting a character.
std::string cutUtf8(const std::string& s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    std::size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return s.substr(0, n);
}

} // namespace

bool equalsIgnoreAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

int strictToInt(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        digits = true;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (!digits || i != text.size()) throw SlidoraError(formatMessage(kNotIntegerError, text));
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX)
        throw SlidoraError(formatMessage(kNotIntegerError, text));
    return static_cast<int>(value);
}

IniFile::IniFile(std::string path) : m_path(std::move(path)) {
    try {
        load();
    } catch (const std::bad_alloc&) {
        m_lines = {};
        m_refusal = formatMessage(kNoMemoryError, m_path);
    }
}

void IniFile::load() {
    std::string all;
    switch (readSmallRegularFile(m_path, kMaxFileBytes, all)) {
    case SmallFileRead::Read:
        break;
    case SmallFileRead::Unreadable:
        return;
    case SmallFileRead::NotAFile:
        m_refusal = formatMessage(kNotAFileError, m_path);
        return;
    case SmallFileRead::TooLarge:
        m_refusal = formatMessage(kTooLargeError, m_path);
        return;
    }
    parse(fileTextAsUtf8(std::move(all)));
}

IniFile IniFile::fromText(const std::string& text) {
    IniFile file{std::string()};
    file.parse(text);
    return file;
}

void IniFile::parse(const std::string& all) {
    std::size_t pos = 0;
    bool sawCrLf = false;
    while (pos < all.size()) {
        const auto nl = all.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.body = all.substr(pos);
            pos = all.size();
        } else {
            line.body = all.substr(pos, nl - pos);
            line.ending = "\n";
            if (!line.body.empty() && line.body.back() == '\r') {
                line.body.pop_back();
                line.ending = "\r\n";
                sawCrLf = true;
            }
            pos = nl + 1;
        }
        m_lines.push_back(std::move(line));
    }
    if (sawCrLf) m_newline = "\r\n";
}

int IniFile::findSection(const std::string& section) const {
    std::string name;
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (sectionName(m_lines[i].body, name) && equalsIgnoreAsciiCase(name, section))
            return static_cast<int>(i);
    return -1;
}

int IniFile::findKey(int sectionLine, const std::string& key) const {
    std::string name, k, v;
    for (std::size_t i = static_cast<std::size_t>(sectionLine) + 1; i < m_lines.size(); ++i) {
        if (sectionName(m_lines[i].body, name)) break;
        if (keyAndValue(m_lines[i].body, k, v) && equalsIgnoreAsciiCase(k, key))
            return static_cast<int>(i);
    }
    return -1;
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    const int s = findSection(section);
    if (s < 0) return defaultValue;
    const int k = findKey(s, key);
    if (k < 0) return defaultValue;
    std::string name, value;
    keyAndValue(m_lines[static_cast<std::size_t>(k)].body, name, value);
    return cutUtf8(value, kMaxValueBytes);
}

std::string IniFile::text() const {
    std::string out;
    for (const Line& l : m_lines)
        out += l.body + l.ending;
    return out;
}

void IniFile::writeString(const std::string& section, const std::string& key,
                          const std::string& rawValue) {
    std::string value = rawValue;
    for (char& c : value)
        if (c == '\n' || c == '\r') c = ' ';

    if (!m_refusal.empty() || m_path.empty())
        throw SlidoraError(formatMessage(kWriteError, m_path));
    std::vector<Line> before = m_lines;
    const int s = findSection(section);
    if (s < 0) {
        if (!m_lines.empty() && m_lines.back().ending.empty()) m_lines.back().ending = m_newline;
        m_lines.push_back({"[" + section + "]", m_newline});
        m_lines.push_back({key + "=" + value, m_newline});
    } else if (const int k = findKey(s, key); k >= 0) {
        m_lines[static_cast<std::size_t>(k)].body = key + "=" + value;
    } else {
        // After the section's last non-blank line, so blank lines that
        // separate it from the next section stay where they are.
        std::size_t insertAt = static_cast<std::size_t>(s) + 1;
        std::string name;
        for (std::size_t i = insertAt; i < m_lines.size() && !sectionName(m_lines[i].body, name);
             ++i)
            if (!trimmed(m_lines[i].body).empty()) insertAt = i + 1;
        if (m_lines[insertAt - 1].ending.empty()) m_lines[insertAt - 1].ending = m_newline;
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                       Line{key + "=" + value, m_newline});
    }
    try {
        commit(text());
    } catch (...) {
        m_lines.swap(before);
        throw;
    }
}

void IniFile::commit(const std::string& newText) const {
    if (!replaceFileAtomically(m_path, newText))
        throw SlidoraError(formatMessage(kWriteError, m_path));
}

} // namespace slidora
