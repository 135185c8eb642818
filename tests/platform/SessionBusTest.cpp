#include "platform/SessionBus.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace slidora {
namespace {

struct AddressCase {
    const char* name;
    const char* runtimeDir; // null: unset
    unsigned long uid;
    const char* address;
};

class StandardSessionBusAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(StandardSessionBusAddress, NamesTheSocketEscaped) {
    const AddressCase& c = GetParam();
    EXPECT_EQ(standardSessionBusAddress(c.runtimeDir, c.uid), c.address);
}

// Bytes that would end a key, a value or an address (, ; =), blanks and
// non-ASCII bytes are escaped; the rest of a path stays as written.
INSTANTIATE_TEST_SUITE_P(
    Cases, StandardSessionBusAddress,
    ::testing::Values(
        AddressCase{"RuntimeDir", "/run/user/1000", 7, "unix:path=/run/user/1000/bus"},
        AddressCase{"NoRuntimeDir", nullptr, 1000, "unix:path=/run/user/1000/bus"},
        AddressCase{"EmptyRuntimeDir", "", 42, "unix:path=/run/user/42/bus"},
        AddressCase{"PlainPunctuation", "/tmp/a-b_c.d*", 0, "unix:path=/tmp/a-b_c.d*/bus"},
        AddressCase{"Separators", "/tmp/x,y;z=w", 0, "unix:path=/tmp/x%2cy%3bz%3dw/bus"},
        AddressCase{"BlankPercentBackslash", "/tmp/a b%\\", 0, "unix:path=/tmp/a%20b%25%5c/bus"},
        AddressCase{"NonAscii", "/tmp/\xc3\xa9t\xc3\xa9", 0, "unix:path=/tmp/%c3%a9t%c3%a9/bus"}),
    [](const ::testing::TestParamInfo<AddressCase>& p) { return std::string(p.param.name); });

// A named address is kept; an unset or empty one becomes the session's
// socket. Run in a child: the environment is the process's.
TEST(FindSessionBusWithoutLaunching, FillsOnlyAMissingAddress) {
    struct Case {
        const char* before; // null: unset
        const char* expected;
    };
    const Case cases[] = {
        {"unix:path=/somewhere/else", "unix:path=/somewhere/else"},
        {nullptr, "unix:path=/tmp/rt/bus"},
        {"", "unix:path=/tmp/rt/bus"},
    };
    for (const Case& c : cases) {
        const test::ChildOutcome outcome = test::runInChild([&] {
            ::setenv("XDG_RUNTIME_DIR", "/tmp/rt", 1);
            if (c.before != nullptr)
                ::setenv("DBUS_SESSION_BUS_ADDRESS", c.before, 1);
            else
                ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
            findSessionBusWithoutLaunching();
            const char* after = std::getenv("DBUS_SESSION_BUS_ADDRESS");
            return after != nullptr && std::strcmp(after, c.expected) == 0;
        });
        EXPECT_EQ(outcome, test::ChildOutcome::True)
            << (c.before ? c.before : "(unset)") << ": " << test::outcomeName(outcome);
    }
}

} // namespace
} // namespace slidora
