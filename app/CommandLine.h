#pragma once
// The run mode a host asks for on the command line: "/s" (or "-s", any first
// character) full screen, "/c" or "/c:NNNN" the settings dialog, "/p XID" a
// preview inside window XID, "/a XID" the password change. No argument opens
// the settings dialog.
//
// Options of our own are taken out of the words first, wherever they stand,
// so that the mode letter is read from what remains and no letter form
// changes meaning: "-window-id ID" / "--window-id ID" and "-root" / "--root"
// (guest mode: the show runs inside a window a host hands over),
// "--help", "--version" and "--check [FOLDER]".
#include <functional>
#include <string>
#include <vector>

namespace slidora {

enum class RunMode { Dialog, Password, Preview, Saver, Guest, Help, Version, Check, UsageError };

// What "-root" needs from outside the command line.
struct GuestHostFacts {
    // The XSCREENSAVER_WINDOW value; null or empty when it is not set.
    const char* xscreensaverWindow = nullptr;
    // The screen's virtual root (or its root) window; 0 without a display.
    // Asked only for "-root" without XSCREENSAVER_WINDOW.
    std::function<unsigned long()> rootWindow;
};

struct CommandLine {
    // 'A', 'C', 'P', or any other byte for the full-screen saver ('\0' when
    // argument 1 has a single character).
    char selector = 'C';
    // Argument 2 as an X11 window id; 0 when missing or not a number.
    unsigned long parentWnd = 0;
    // The window the host hands over for guest mode; 0 when none was given.
    // It wins over the mode letter.
    unsigned long guestWindow = 0;
    bool help = false;
    bool version = false;
    bool check = false;
    // The folder to check; empty for the settings' picture folder.
    std::string checkFolder;
    // Why an option of our own could not be used; not empty means the
    // command line is refused.
    std::string error;
};

// `args` are the words after the program path. Double quotes inside a word
// are dropped and words that end up empty are skipped, the way the words of
// a quoted command line are formed; the options of our own and the folder
// after "--check" are taken as given.
CommandLine parseCommandLine(const std::vector<std::string>& args, const GuestHostFacts& host = {});

// In order: a refused option, help, version, check, guest mode, then the
// mode letter.
RunMode runModeOf(const CommandLine& cl);

// A window id: decimal digits or "0x" and hexadecimal digits, non-zero and
// within 32 bits; 0 for anything else.
unsigned long parseWindowId(const std::string& text);

// The single-instance lock's path for this start: `defaultPath` as it is,
// except in guest mode, where every host window has a lock of its own (a
// daemon starts one copy per monitor).
std::string lockPathFor(const CommandLine& cl, const std::string& defaultPath);

// The lock that lets only one of several guest copies play the audio.
std::string guestAudioLockPath(const std::string& defaultPath);

// The text "--help" prints.
std::string usageText();

} // namespace slidora
