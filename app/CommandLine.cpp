#include "app/CommandLine.h"

#include <cstdint>
#include <cstdio>

namespace slidora {

namespace {

bool isWindowIdOption(const std::string& word) {
    return word == "-window-id" || word == "--window-id";
}
bool isRootOption(const std::string& word) {
    return word == "-root" || word == "--root";
}

bool isOwnOption(const std::string& word) {
    return isWindowIdOption(word) || isRootOption(word) || word == "--help" ||
           word == "--version" || word == "--check";
}

// `path` with `suffix` put before its ".lock" ending.
std::string withLockSuffix(const std::string& path, const std::string& suffix) {
    const std::string::size_type dot = path.rfind(".lock");
    if (dot == std::string::npos) return path + suffix;
    return path.substr(0, dot) + suffix + path.substr(dot);
}

unsigned long rootGuestWindow(const GuestHostFacts& host, std::string& error) {
    if (host.xscreensaverWindow != nullptr && *host.xscreensaverWindow != '\0') {
        const unsigned long id = parseWindowId(host.xscreensaverWindow);
        if (id == 0)
            error = std::string("XSCREENSAVER_WINDOW is not a window id: '") +
                    host.xscreensaverWindow + "'";
        return id;
    }
    const unsigned long id = host.rootWindow ? host.rootWindow() : 0;
    if (id == 0) error = "-root: no X display to take the root window from";
    return id;
}

} // namespace

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
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFULL) return 0;
    }
    return static_cast<unsigned long>(value);
}

CommandLine parseCommandLine(const std::vector<std::string>& args, const GuestHostFacts& host) {
    CommandLine cl;
    std::vector<std::string> words;
    bool root = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (isWindowIdOption(arg)) {
            const std::string id = i + 1 < args.size() ? args[++i] : std::string();
            cl.guestWindow = parseWindowId(id);
            if (cl.guestWindow == 0 && cl.error.empty())
                cl.error = arg + " needs a window id (decimal or 0x hexadecimal), not '" + id + "'";
        } else if (isRootOption(arg)) {
            root = true;
        } else if (arg == "--help") {
            cl.help = true;
        } else if (arg == "--version") {
            cl.version = true;
        } else if (arg == "--check") {
            cl.check = true;
            if (i + 1 < args.size() && !isOwnOption(args[i + 1])) cl.checkFolder = args[++i];
        } else {
            std::string word;
            for (char c : arg)
                if (c != '"') word += c;
            if (!word.empty()) words.push_back(word);
        }
    }
    // A window given by id is more specific than "-root" when a host passes
    // both. The window-free modes need no window, nor a display to find one.
    const bool windowFree = cl.help || cl.version || cl.check;
    if (root && !windowFree && cl.guestWindow == 0 && cl.error.empty())
        cl.guestWindow = rootGuestWindow(host, cl.error);

    if (words.empty()) return cl;
    cl.selector = words[0].size() >= 2 ? words[0][1] : '\0';
    if (cl.selector >= 'a' && cl.selector <= 'z')
        cl.selector = static_cast<char>(cl.selector - 'a' + 'A');
    if ((cl.selector == 'A' || cl.selector == 'P') && words.size() >= 2)
        cl.parentWnd = parseWindowId(words[1]);
    return cl;
}

RunMode runModeOf(const CommandLine& cl) {
    if (!cl.error.empty() && !cl.help && !cl.version) return RunMode::UsageError;
    if (cl.help) return RunMode::Help;
    if (cl.version) return RunMode::Version;
    if (cl.check) return RunMode::Check;
    if (cl.guestWindow != 0) return RunMode::Guest;
    switch (cl.selector) {
    case 'A':
        return RunMode::Password;
    case 'C':
        return RunMode::Dialog;
    case 'P':
        return RunMode::Preview;
    default:
        return RunMode::Saver;
    }
}

std::string lockPathFor(const CommandLine& cl, const std::string& defaultPath) {
    if (runModeOf(cl) != RunMode::Guest) return defaultPath;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-0x%lx", cl.guestWindow);
    return withLockSuffix(defaultPath, suffix);
}

std::string guestAudioLockPath(const std::string& defaultPath) {
    return withLockSuffix(defaultPath, "-audio");
}

std::string usageText() {
    return "Usage: slidora [MODE] [OPTIONS]\n"
           "A picture slideshow screen saver for the X11 desktop.\n"
           "\n"
           "Modes (the first character, / or -, is not looked at; letter case does not matter):\n"
           "  (none), /c, /c:NNNN   the settings dialog\n"
           "  /s                    the full-screen saver\n"
           "  /p XID                the preview inside X11 window XID\n"
           "  /a XID                password change (none on this platform: ends at once)\n"
           "\n"
           "Options (anywhere on the command line):\n"
           "  -window-id ID, --window-id ID\n"
           "                        guest mode: the show runs inside window ID (decimal or\n"
           "                        0x hexadecimal), which the host owns; wins over the mode\n"
           "  -root, --root         guest mode in the window named by XSCREENSAVER_WINDOW,\n"
           "                        else in the root window\n"
           "  --check [FOLDER]      print what a show would include and why each left-out\n"
           "                        file is left out (FOLDER: instead of the picture folder);\n"
           "                        exit code 0 with pictures, 1 without\n"
           "  --help                this text\n"
           "  --version             the version\n"
           "\n"
           "Settings: slidora.ini beside the program when that folder is writable or holds\n"
           "it, else $XDG_CONFIG_HOME/slidora/slidora.ini (~/.config/slidora/slidora.ini).\n"
           "See slidora(1).\n";
}

} // namespace slidora
