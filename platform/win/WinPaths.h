#pragma once
// Where the Windows program keeps its settings: beside the .scr, named after
// it. Paths are UTF-8; both '\' and '/' separate folders.
#include <string>

namespace slidora::win {

// The running program's full path from GetModuleFileNameW, however long;
// empty when the system cannot give it.
std::string programPath();

// `programPath` with the extension of its file name replaced by ".ini"
// (appended when it has none) and the file name lower-cased (ASCII letters
// only, as the file system folds them whatever the system language); the
// folder is left as it is.
std::string settingsPathFor(const std::string& programPath);

// The settings file of the running program; empty when its path is unknown.
std::string settingsPath();

} // namespace slidora::win
