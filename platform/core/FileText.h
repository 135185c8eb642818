#pragma once
// Text files the program keeps (the settings file) are UTF-8. On Windows a
// file that is not valid UTF-8 was written by an older program in the
// system's ANSI code page and is read in it; elsewhere the bytes are taken
// as they are. Whatever was read, the program writes UTF-8 back.
#include <string>

namespace slidora {

#ifdef _WIN32
// The file's bytes as UTF-8: unchanged when they already are valid UTF-8,
// otherwise converted from the system's ANSI code page.
std::string fileTextAsUtf8(std::string bytes);
#else
inline std::string fileTextAsUtf8(std::string bytes) {
    return bytes;
}
#endif

} // namespace slidora
