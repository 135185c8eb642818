#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace slidora {
namespace {

TEST(SettingsLocation, BesideTheProgramUnlessItsFolderIsClosedToTheUser) {
    struct Case {
        const char* executable;
        bool writable;
        bool fileBeside;
        const char* xdgConfigHome;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        // A portable copy or a build folder.
        {"/home/u/Slidora/slidora", true, false, "", "/home/u", "/home/u/Slidora/slidora.ini"},
        {"/home/u/Slidora/slidora", true, true, "/home/u/.cfg", "/home/u",
         "/home/u/Slidora/slidora.ini"},
        // An administrator put a file beside an installed copy: it is kept.
        {"/usr/lib/slidora/slidora", false, true, "", "/home/u", "/usr/lib/slidora/slidora.ini"},
        // An installed copy.
        {"/usr/lib/slidora/slidora", false, false, "", "/home/u",
         "/home/u/.config/slidora/slidora.ini"},
        {"/usr/lib/slidora/slidora", false, false, "/home/u/.cfg", "/home/u",
         "/home/u/.cfg/slidora/slidora.ini"},
        {"/usr/lib/slidora/slidora", false, false, "/home/u/.cfg/", "/home/u/",
         "/home/u/.cfg/slidora/slidora.ini"},
        {"/usr/lib/slidora/SLIDORA.BIN", false, false, "", "/home/u/",
         "/home/u/.config/slidora/slidora.ini"},
        // A relative XDG_CONFIG_HOME is ignored, as the base-directory rules say.
        {"/usr/lib/slidora/slidora", false, false, "cfg", "/home/u",
         "/home/u/.config/slidora/slidora.ini"},
        // Nowhere else to go.
        {"/usr/lib/slidora/slidora", false, false, "", "", "/usr/lib/slidora/slidora.ini"},
    };
    for (const Case& c : cases) {
        SettingsPlaceFacts facts;
        facts.executablePath = c.executable;
        facts.programFolderWritable = c.writable;
        facts.besideFileExists = c.fileBeside;
        facts.xdgConfigHome = c.xdgConfigHome;
        facts.home = c.home;
        EXPECT_EQ(settingsLocation(facts), c.expected)
            << c.executable << " writable=" << c.writable << " file=" << c.fileBeside
            << " XDG_CONFIG_HOME='" << c.xdgConfigHome << "' HOME='" << c.home << "'";
    }
}

} // namespace
} // namespace slidora
