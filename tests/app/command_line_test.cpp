#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace slidora {
namespace {

struct Case {
    std::vector<std::string> args;
    char selector;
    unsigned long parent;
};

TEST(CommandLine, SelectorAndWindowId) {
    const Case cases[] = {
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
    };
    for (const Case& c : cases) {
        const CommandLine cl = parseCommandLine(c.args);
        std::string shown;
        for (const auto& a : c.args) shown += "[" + a + "]";
        EXPECT_EQ(cl.selector, c.selector) << shown;
        EXPECT_EQ(cl.parentWnd, c.parent) << shown;
    }
}

} // namespace
} // namespace slidora
