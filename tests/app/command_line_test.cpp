#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace slidora {
namespace {

struct Case {
    std::vector<std::string> args;
    char selector;
    unsigned long parent;
};

std::string shown(const std::vector<std::string>& args) {
    std::string text;
    for (const auto& a : args)
        text += "[" + a + "]";
    return text;
}

const Case kModeForms[] = {
    {{}, 'C', 0},
    {{"/S"}, 'S', 0},
    {{"/s"}, 'S', 0},
    {{"-s"}, 'S', 0},
    {{"xs"}, 'S', 0},
    {{"s"}, '\0', 0},
    {{"/x"}, 'X', 0},
    {{"/c:1234"}, 'C', 0},
    {{"/C"}, 'C', 0},
    {{"-c"}, 'C', 0},
    {{"\"/s\""}, 'S', 0},
    {{"\"\"", "/p", "1234"}, 'P', 1234},
    {{"/p", "1234"}, 'P', 1234},
    {{"/p", "0x2a00007"}, 'P', 0x2a00007},
    {{"/p"}, 'P', 0},
    {{"/p", "window"}, 'P', 0},
    {{"/p", "-5"}, 'P', 0},
    {{"/p", "99999999999"}, 'P', 0},
    {{"/a", "77"}, 'A', 77},
    {{"/a"}, 'A', 0},
    {{"/s", "1234"}, 'S', 0},
    // Words that only look like the added options are mode words as before.
    {{"-r"}, 'R', 0},
    {{"-h"}, 'H', 0},
    {{"-help"}, 'H', 0},
    {{"/window-id", "5"}, 'W', 0},
};

RunMode modeOfSelector(char selector) {
    switch (selector) {
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

TEST(CommandLine, SelectorAndWindowId) {
    for (const Case& c : kModeForms) {
        const CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(cl.selector, c.selector) << shown(c.args);
        EXPECT_EQ(cl.parentWnd, c.parent) << shown(c.args);
        EXPECT_EQ(runModeOf(cl), modeOfSelector(c.selector)) << shown(c.args);
        EXPECT_EQ(cl.guestWindow, 0u) << shown(c.args);
        EXPECT_TRUE(cl.error.empty()) << shown(c.args) << ": " << cl.error;
    }
}

// A bare start is the dialog even under a host that has named its window.
TEST(CommandLine, BareStartIgnoresTheHostsWindow) {
    GuestHostFacts host;
    host.xscreensaverWindow = "0x400EE5";
    host.rootWindow = [] { return 0x100ul; };
    EXPECT_EQ(runModeOf(parseCommandLine({}, host)), RunMode::Dialog);
    EXPECT_EQ(runModeOf(parseCommandLine({"/s"}, host)), RunMode::Saver);
}

// Every mode form keeps its selector and its argument 2 when one of the added
// options stands before or after it, and the option decides the mode.
TEST(CommandLine, AddedOptionsLeaveTheModeWordsAlone) {
    struct Option {
        std::vector<std::string> words;
        RunMode mode;
        bool mayLead; // "--check" takes the word after it as its folder
    };
    const Option options[] = {
        {{"--window-id", "0x400EE5"}, RunMode::Guest, true},
        {{"-window-id", "4194021"}, RunMode::Guest, true},
        {{"--root"}, RunMode::Guest, true},
        {{"-root"}, RunMode::Guest, true},
        {{"--help"}, RunMode::Help, true},
        {{"--version"}, RunMode::Version, true},
        {{"--check"}, RunMode::Check, false},
        {{"--check", "pics"}, RunMode::Check, true},
    };
    GuestHostFacts host;
    host.rootWindow = [] { return 0x100ul; };
    for (const Option& option : options) {
        for (const Case& c : kModeForms) {
            for (const bool before : {true, false}) {
                if (before && !option.mayLead) continue;
                std::vector<std::string> args = before ? option.words : c.args;
                const std::vector<std::string>& rest = before ? c.args : option.words;
                args.insert(args.end(), rest.begin(), rest.end());
                const CommandLine cl = parseCommandLine(args, host);
                EXPECT_EQ(cl.selector, c.selector) << shown(args);
                EXPECT_EQ(cl.parentWnd, c.parent) << shown(args);
                EXPECT_EQ(runModeOf(cl), option.mode) << shown(args);
            }
        }
    }
}

TEST(CommandLine, GuestWindowSources) {
    struct GuestCase {
        std::vector<std::string> args;
        const char* xscreensaverWindow;
        unsigned long root;
        unsigned long guest;
        bool refused;
    };
    const GuestCase cases[] = {
        // The daemon's settings preview appends the id to the configured command.
        {{"/s", "--window-id", "0x400EE5"}, nullptr, 0, 0x400EE5, false},
        {{"--window-id", "4194021", "/p", "77"}, nullptr, 0, 4194021, false},
        // The locker's saver module: "-root" and the window in decimal.
        {{"-root"}, "4194021", 0x100, 4194021, false},
        {{"--root"}, "0x400ee5", 0x100, 0x400EE5, false},
        {{"--root"}, nullptr, 0x100, 0x100, false},
        {{"--root"}, "", 0x100, 0x100, false},
        {{"--root", "--window-id", "0x22"}, "0x11", 0x100, 0x22, false},
        {{"--root"}, "0x11junk", 0x100, 0, true},
        {{"--root"}, nullptr, 0, 0, true},
        {{"--window-id"}, nullptr, 0, 0, true},
        {{"--window-id", "zero"}, nullptr, 0, 0, true},
        {{"--window-id", "0"}, nullptr, 0, 0, true},
        {{"--window-id", "0x100000000"}, nullptr, 0, 0, true},
    };
    for (const GuestCase& c : cases) {
        GuestHostFacts host;
        host.xscreensaverWindow = c.xscreensaverWindow;
        host.rootWindow = [&c] { return c.root; };
        const CommandLine cl = parseCommandLine(c.args, host);
        EXPECT_EQ(cl.guestWindow, c.guest) << shown(c.args);
        EXPECT_EQ(runModeOf(cl), c.refused ? RunMode::UsageError : RunMode::Guest) << shown(c.args);
        EXPECT_EQ(cl.error.empty(), !c.refused) << shown(c.args) << ": " << cl.error;
    }
}

TEST(CommandLine, CheckFolderAndPrecedence) {
    struct CheckCase {
        std::vector<std::string> args;
        RunMode mode;
        std::string folder;
    };
    const CheckCase cases[] = {
        {{"--check"}, RunMode::Check, ""},
        {{"--check", "/home/u/My \"Photos\""}, RunMode::Check, "/home/u/My \"Photos\""},
        {{"--check", "--root"}, RunMode::Check, ""},
        {{"--check", "pics", "--window-id", "9"}, RunMode::Check, "pics"},
        {{"--version", "--check"}, RunMode::Version, ""},
        {{"--check", "--help"}, RunMode::Help, ""},
        // Help still answers when another option is malformed.
        {{"--window-id", "x", "--help"}, RunMode::Help, ""},
    };
    for (const CheckCase& c : cases) {
        const CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(runModeOf(cl), c.mode) << shown(c.args);
        EXPECT_EQ(cl.checkFolder, c.folder) << shown(c.args);
    }
}

TEST(CommandLine, LockPathPerHostWindowInGuestMode) {
    const std::string lock = "/run/user/1000/SlidoraSaver.lock";
    EXPECT_EQ(lockPathFor(parseCommandLine({"/s"}), lock), lock);
    EXPECT_EQ(lockPathFor(parseCommandLine({"/p", "0x2a"}), lock), lock);
    const std::string first = lockPathFor(parseCommandLine({"--window-id", "0x2a"}), lock);
    const std::string second = lockPathFor(parseCommandLine({"--window-id", "0x2b"}), lock);
    EXPECT_EQ(first, "/run/user/1000/SlidoraSaver-0x2a.lock");
    EXPECT_NE(first, second);
    EXPECT_NE(guestAudioLockPath(lock), lock);
    EXPECT_NE(guestAudioLockPath(lock), first);
}

} // namespace
} // namespace slidora
