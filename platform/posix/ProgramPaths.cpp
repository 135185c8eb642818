#include "platform/ProgramPaths.h"

#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace slidora {

std::string programPath() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buf.size())
            return std::string(buf.data(), static_cast<std::size_t>(n));
        if (buf.size() > (1u << 20)) return {};
        buf.resize(buf.size() * 2);
    }
}

std::string programDir() {
    return folderOf(programPath());
}

namespace {

std::string envText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// mkdir -p for the per-user settings folder; failures show up later as the
// writer's own error.
void makeFolders(const std::string& folder) {
    std::size_t slash = 0;
    do {
        slash = folder.find('/', slash + 1);
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
    } while (slash != std::string::npos);
}

} // namespace

std::string settingsLocation() {
    SettingsPlaceFacts facts;
    facts.executablePath = programPath();
    const std::string folder = folderOf(facts.executablePath);
    facts.programFolderWritable = !folder.empty() && ::access(folder.c_str(), W_OK) == 0;
    facts.besideFileExists = ::access(settingsPathFor(facts.executablePath).c_str(), F_OK) == 0;
    facts.xdgConfigHome = envText("XDG_CONFIG_HOME");
    facts.home = envText("HOME");
    const std::string path = settingsLocation(facts);
    if (path != settingsPathFor(facts.executablePath)) makeFolders(folderOf(path));
    return path;
}

} // namespace slidora
