#pragma once
// Paths in the tests' tables are written with '/'; native() gives them the
// system's separator (a backslash on Windows), so that one table checks the
// native form on every system.
#include "platform/Paths.h"

#include <string>

namespace slidora::test {

inline std::string native(std::string path) {
    for (char& c : path)
        if (c == '/') c = kPathSeparator;
    return path;
}

} // namespace slidora::test
