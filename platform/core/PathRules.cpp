#include "platform/Paths.h"

#include <cctype>

namespace slidora {

std::size_t lastSeparator(const std::string& path, std::size_t before) {
    return path.find_last_of(kPathSeparators, before);
}

std::string folderOf(const std::string& path) {
    const auto slash = lastSeparator(path);
    if (slash == std::string::npos) return {};
    if (slash == 0) return path.substr(0, 1);
#ifdef _WIN32
    // A file right under a drive's root lies in that root, which keeps its
    // separator.
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);
#endif
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = lastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string extensionOf(const std::string& path) {
    const std::string name = fileNameOf(path);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string asciiLower(std::string text) {
    for (char& c : text)
        c = asciiLower(c);
    return text;
}

std::string withTrailingSlash(const std::string& folder) {
    if (!folder.empty() && isPathSeparator(folder.back())) return folder;
    return folder + kPathSeparator;
}

std::string settingsPathFor(const std::string& executablePath) {
    const auto slash = lastSeparator(executablePath);
    const std::string folder =
        slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
    std::string name =
        slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    name += ".ini";
    name = asciiLower(name);
    return folder + name;
}

namespace {

bool isAbsolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
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

} // namespace slidora
