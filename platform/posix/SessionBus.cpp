#include "platform/SessionBus.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace slidora {

namespace {

// Bytes an address may hold as they are; every other one is written as %xx
// (always allowed). Commas, semicolons and equals signs separate an
// address's parts.
bool plainInAddress(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
           c == '_' || c == '/' || c == '.' || c == '*';
}

} // namespace

std::string standardSessionBusAddress(const char* runtimeDir, unsigned long uid) {
    const std::string folder = runtimeDir != nullptr && *runtimeDir != '\0'
                                   ? std::string(runtimeDir)
                                   : "/run/user/" + std::to_string(uid);
    std::string address = "unix:path=";
    for (const char c : folder + "/bus") {
        const auto byte = static_cast<unsigned char>(c);
        if (plainInAddress(byte)) {
            address += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02x", byte);
            address += escaped;
        }
    }
    return address;
}

void findSessionBusWithoutLaunching() {
    const char* named = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (named != nullptr && *named != '\0') return;
    const std::string address =
        standardSessionBusAddress(std::getenv("XDG_RUNTIME_DIR"), ::getuid());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
}

} // namespace slidora
