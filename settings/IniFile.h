#pragma once
// The settings file as a profile (INI) file: section lines "[name]" followed
// by "key=value" lines. Section and key names match without regard to ASCII
// letter case; values are read without their surrounding blanks and at most
// kMaxValueBytes long. Writing replaces a value in place, adds a missing key
// at the end of its section and a missing section at the end of the file, and
// keeps every other line byte for byte. Quotes have no special meaning, so a
// value reads back exactly as it was written.
//
// Each write is committed to disk on its own by writing a new file beside the
// old one and renaming it over it: a crash or a full disk in the middle of a
// write leaves the previous file whole.
#include <string>
#include <vector>

namespace slidora {

class IniFile {
  public:
    static constexpr std::size_t kMaxValueBytes = 2047;
    // A real settings file is a few hundred bytes; anything larger than this
    // is not one and is not read.
    static constexpr std::size_t kMaxFileBytes = 1024 * 1024;

    // Reads the file at `path`; a missing or unreadable file reads as empty.
    // Only a regular file of at most kMaxFileBytes is read, and opening it
    // never waits. Anything else (a FIFO, a device, a folder, a larger file)
    // and a read that runs out of memory also read as empty, and refusal()
    // then says why.
    explicit IniFile(std::string path);

    // The settings held in `text`, for readers that need no file. Such a file
    // has an empty path and is never written: writeString() throws as for a
    // refused file.
    static IniFile fromText(const std::string& text);

    const std::string& path() const { return m_path; }

    // Why the file was not read, in the user's language; empty when it was
    // read or is simply missing or unreadable. A refused file is never
    // written: it is not the settings file the program made.
    const std::string& refusal() const { return m_refusal; }

    // The value of `key` in `section`, or `defaultValue` when the key, its
    // section or the whole file is missing. A key present with an empty value
    // gives the empty text.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;

    // Sets `key` in `section` to `value` and commits the file. Line breaks in
    // the value are replaced by blanks (they would split the line). Throws
    // SlidoraError "<path> に書き込めません" when the file cannot be written
    // (a refused one included); the file on disk is then unchanged.
    void writeString(const std::string& section, const std::string& key, const std::string& value);

    // The whole text as it would be written.
    std::string text() const;

  private:
    struct Line {
        std::string body;   // the line without its terminator
        std::string ending; // "\n", "\r\n" or "" for a last line without one
    };
    // Index of the section line, or -1.
    int findSection(const std::string& section) const;
    // Index of the key line in the section starting at `sectionLine`, or -1.
    int findKey(int sectionLine, const std::string& key) const;
    void commit(const std::string& newText) const;
    void load();
    void parse(const std::string& all);

    std::string m_path;
    std::string m_refusal;
    std::vector<Line> m_lines;
    std::string m_newline = "\n";
};

// ASCII-case-insensitive equality, the name rule of the settings file.
bool equalsIgnoreAsciiCase(const std::string& a, const std::string& b);

// Strict conversion of a whole text to a 32-bit integer: an optional sign and
// decimal digits, nothing else, in range. Throws SlidoraError
// "'<text>' は整数ではありません" otherwise (the empty text included).
int strictToInt(const std::string& text);

} // namespace slidora
