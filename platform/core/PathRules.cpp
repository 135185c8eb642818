#include "platform/Paths.h"

#include <cctype>

namespace slidora {

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

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string asciiLower(std::string text) {
    for (char& c : text)
        c = asciiLower(c);
    return text;
}

std::string withTrailingSlash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') return folder;
    return folder + '/';
}

std::string settingsPathFor(const std::string& executablePath) {
    const auto slash = executablePath.rfind('/');
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
