#pragma once
// Path helpers with the program's conventions: the system's separator (a
// slash, or a backslash on Windows, where a slash is read as one too), a root
// folder ("/", "C:" plus backslash) keeps its separator, an extension is
// taken with its dot.
#include <cstddef>
#include <string>

namespace slidora {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
// Every byte that separates folder names when a path is read.
inline constexpr const char* kPathSeparators = "\\/";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
#endif

constexpr bool isPathSeparator(char c) {
    for (const char* s = kPathSeparators; *s != '\0'; ++s)
        if (*s == c) return true;
    return false;
}
// The last separator at or before `before`; npos when there is none.
std::size_t lastSeparator(const std::string& path, std::size_t before = std::string::npos);

// Folder part of a path, without a trailing separator; a root keeps it.
std::string folderOf(const std::string& path);
// The file-name part of a path: everything after the last separator.
std::string fileNameOf(const std::string& path);
// Extension of a file name or path: from the last dot of the file name to its
// end, dot included; empty when the name has no dot.
std::string extensionOf(const std::string& path);
// The ASCII letters A to Z lowered; every other byte (UTF-8 included) kept,
// whatever the process's C locale.
char asciiLower(char c);
std::string asciiLower(std::string text);

// `folder` with the separator appended unless it already ends with one.
std::string withTrailingSlash(const std::string& folder);
// The settings file beside an executable: its extension replaced by ".ini"
// (appended when it has none), the file name lower-cased (ASCII), the folder
// left as it is.
std::string settingsPathFor(const std::string& executablePath);

// What decides where the settings file of a program lives.
struct SettingsPlaceFacts {
    std::string executablePath;
    bool programFolderWritable = false; // the user may create files beside the program
    bool besideFileExists = false;      // settingsPathFor(executablePath) exists
    std::string xdgConfigHome;          // $XDG_CONFIG_HOME; empty when unset
    std::string home;                   // $HOME; empty when unset
};

// The settings file beside the program (settingsPathFor) when its folder is
// writable or already holds the file: a portable copy or a build folder.
// Otherwise, for an installed copy whose folder the user cannot write,
// "slidora/slidora.ini" under $XDG_CONFIG_HOME, or under $HOME/.config when
// that is unset or not absolute. Beside the program again when neither
// variable gives an absolute folder.
std::string settingsLocation(const SettingsPlaceFacts& facts);

} // namespace slidora
