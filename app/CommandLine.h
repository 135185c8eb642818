#pragma once
// The run mode a host asks for on the command line: "/s" (or "-s", any first
// character) full screen, "/c" or "/c:NNNN" the settings dialog, "/p XID" a
// preview inside window XID, "/a XID" the password change. No argument opens
// the settings dialog.
#include <string>
#include <vector>

namespace slidora {

struct CommandLine {
    // 'A', 'C', 'P', or any other byte for the full-screen saver ('\0' when
    // argument 1 has a single character).
    char selector = 'C';
    // Argument 2 as an X11 window id; 0 when missing or not a number.
    unsigned long parentWnd = 0;
};

// `args` are the words after the program path. Double quotes inside a word
// are dropped and words that end up empty are skipped, the way the words of
// a quoted command line are formed.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// A window id: decimal digits or "0x" and hexadecimal digits, non-zero and
// within 32 bits; 0 for anything else.
unsigned long parseWindowId(const std::string& text);

} // namespace slidora
