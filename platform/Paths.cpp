#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace slidora {

std::string programPath() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<std::size_t>(n));
        if (buf.size() > (1u << 20)) return {};
        buf.resize(buf.size() * 2);
    }
}

std::string programDir() { return folderOf(programPath()); }

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string extensionOf(const std::string& path) {
    const std::string name = fileNameOf(path);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string asciiLower(std::string text) {
    for (char& c : text) c = asciiLower(c);
    return text;
}

std::string withTrailingSlash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') return folder;
    return folder + '/';
}

std::string settingsPathFor(const std::string& executablePath) {
    const auto slash = executablePath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    name += ".ini";
    name = asciiLower(name);
    return folder + name;
}

namespace {

std::string envText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool isAbsolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
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

std::string settingsLocation(const SettingsPlaceFacts& facts) {
    const std::string beside = settingsPathFor(facts.executablePath);
    if (facts.programFolderWritable || facts.besideFileExists) return beside;
    std::string configHome = facts.xdgConfigHome;
    if (!isAbsolute(configHome)) {
        if (!isAbsolute(facts.home)) return beside;
        configHome = withTrailingSlash(facts.home) + ".config";
    }
    return withTrailingSlash(configHome) + "slidora/slidora.ini";
}

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
