#include "app/Check.h"

#include "audio/AudioPlayback.h"
#include "audio/MixerModulePlayer.h"
#include "audio/Vbmp3Library.h"
#include "platform/DirWalk.h"
#include "platform/ErrorText.h"
#include "platform/Paths.h"
#include "saver/Catalogue.h"
#include "saver/picture/PicLoad.h"
#include "settings/FileRules.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <new>
#include <ostream>
#include <set>
#include <vector>

namespace slidora {

namespace {

struct LeftOut {
    std::string path;
    std::string why;
    bool operator<(const LeftOut& other) const { return path < other.path; }
};

struct Listing {
    std::vector<std::string> included; // in the show's order, with a note each where useful
    std::vector<LeftOut> leftOut;
};

std::string withoutPathPrefix(const std::string& message, const std::string& path) {
    const std::string prefix = path + ": ";
    return message.compare(0, prefix.size(), prefix) == 0 ? message.substr(prefix.size()) : message;
}

// Every decoder words its size cap the same way ("... is larger than the
// picture size limit"), and a bitmap that cannot be had for a size within
// the cap as "size refused".
bool refusedAsTooLarge(const std::string& message) {
    return message.find("larger than the picture size limit") != std::string::npos ||
           message.find("size refused") != std::string::npos;
}

// The display step's load with its outcome kept (PicLoad answers only yes or
// no). JPEG files decode at their smallest size: the outcome is what counts.
DecodeResult loadOutcome(const std::string& path) {
    const DecodeFn decode = pictureDecoderFor(pictureExtension(path));
    if (decode == nullptr) return DecodeResult::invalid(path + ": no decoder for this extension");
    WorkingPicture picture;
    const TargetSizeFn smallest = [](int, int) { return std::pair<int, int>(1, 1); };
    try {
        return decode(path, picture, smallest);
    } catch (const std::bad_alloc&) {
        return DecodeResult::invalid(path + ": size refused (out of memory)");
    } catch (const std::exception& error) {
        return DecodeResult::failed(path + ": " + error.what());
    }
}

std::string loadFailure(const std::string& path, const DecodeResult& result) {
    const std::string message = withoutPathPrefix(result.message, path);
    if (result.outcome == DecodeOutcome::Failed) return "unreadable: " + message;
    if (refusedAsTooLarge(message)) return "refused as too large: " + message;
    return "damaged: " + message;
}

LeftOut skipped(const WalkSkipped& entry) {
    const bool isFolder = entry.why != WalkSkip::SpecialFile && entry.why != WalkSkip::Unreachable;
    const std::string path =
        entry.name.empty() ? entry.folder : entry.folder + entry.name + (isFolder ? "/" : "");
    switch (entry.why) {
    case WalkSkip::SpecialFile:
        return {path, "a special file (FIFO, device or socket): never opened"};
    case WalkSkip::Loop:
        return {path, "a loop: leads back to " + entry.detail};
    case WalkSkip::AlreadyWalked:
        return {path, "a second way to " + entry.detail + ", walked there"};
    case WalkSkip::UnreadableFolder:
        return {path, "unreadable folder: " + entry.detail};
    case WalkSkip::Unreachable:
        return {path, "unreadable: " + entry.detail};
    }
    return {path, "skipped"};
}

Listing checkPictures(const std::string& folder, int minimumSizeKb) {
    Listing listing;
    // The catalogue takes nothing from an empty folder text; walking it as
    // "/" would list the whole file system.
    if (folder.empty()) return listing;
    std::vector<std::string> catalogue;
    PicRead(folder, minimumSizeKb, catalogue);
    const std::set<std::string> catalogued(catalogue.begin(), catalogue.end());
    const std::int64_t limit = static_cast<std::int64_t>(minimumSizeKb) * 1024;
    walkFolder(
        withTrailingSlash(folder),
        [&](const WalkFile& file) {
            const std::string path = file.folder + file.name;
            if (catalogued.count(path) != 0) return true;
            if (PicExtKind(extensionOf(file.name)) < 0)
                listing.leftOut.push_back({path, "not a picture extension"});
            else if (file.sizeBytes <= limit)
                listing.leftOut.push_back(
                    {path, "too small for the size setting: " + std::to_string(file.sizeBytes) +
                               " bytes, MiniSize " + std::to_string(minimumSizeKb) +
                               " takes files over " + std::to_string(limit) + " bytes"});
            else
                listing.leftOut.push_back(
                    {path, "sorts equal to another picture's path, which is kept"});
            return true;
        },
        [&](const WalkSkipped& entry) { listing.leftOut.push_back(skipped(entry)); });
    for (const std::string& path : catalogue) {
        const DecodeResult result = loadOutcome(path);
        if (result.outcome == DecodeOutcome::Decoded)
            listing.included.push_back(path);
        else
            listing.leftOut.push_back({path, loadFailure(path, result)});
    }
    return listing;
}

Listing checkAudio(const SaverSettings& settings, const std::string& programDir) {
    Listing listing;
    // Only the list is built: nothing is opened, so the module stays unloaded.
    Vbmp3Library library;
    MixerModulePlayer player(programDir);
    AudioPlayback playback(library, player);
    playback.AudRead(settings.audioFolder, settings.mediaExtText);
    const std::vector<std::string>& list = playback.audioList();
    const std::set<std::string> listed(list.begin(), list.end());
    for (const std::string& path : list) {
        const bool viaLibrary = settings.useMp3Library && AudExtChk(extensionOf(path));
        listing.included.push_back(path + (viaLibrary ? "  (MP3 library)" : "  (media player)"));
    }
    walkFolder(
        withTrailingSlash(settings.audioFolder),
        [&](const WalkFile& file) {
            const std::string path = file.folder + file.name;
            if (listed.count(path) == 0)
                listing.leftOut.push_back(
                    {path, "not an audio extension (nor in MediaExt \"" +
                               settings.mediaExtText.substr(0, settings.mediaExtText.size() - 1) +
                               "\")"});
            return true;
        },
        [&](const WalkSkipped& entry) { listing.leftOut.push_back(skipped(entry)); });
    return listing;
}

void printListing(std::ostream& out, const char* includedTitle, Listing& listing) {
    out << includedTitle << " (" << listing.included.size() << "):\n";
    for (const std::string& line : listing.included)
        out << "  " << line << '\n';
    std::sort(listing.leftOut.begin(), listing.leftOut.end());
    out << "Left out (" << listing.leftOut.size() << "):\n";
    for (const LeftOut& entry : listing.leftOut)
        out << "  " << entry.path << ": " << entry.why << '\n';
}

} // namespace

int runCheck(const CheckInput& input, std::ostream& out) {
    const bool settingsExist = ::access(input.settingsPath.c_str(), F_OK) == 0;
    const std::string settingsLine = "Settings file: " + input.settingsPath +
                                     (settingsExist ? "" : " (not found: defaults in use)") + '\n';
    SaverSettings settings;
    ReaderContext context;
    context.programDir = input.programDir;
    try {
        const IniFile file(input.settingsPath);
        readSaverSettings(file, context, settings);
    } catch (const SlidoraError& error) {
        out << "Settings: " << error.what()
            << "\nA show stops its set-up at this value and shows no picture.\n"
            << settingsLine;
        return 1;
    }
    if (!input.pictureFolder.empty()) settings.pictureFolder = input.pictureFolder;

    out << "Picture folder: " << settings.pictureFolder;
    if (settings.pictureFolder.empty())
        out << "(none set)";
    else if (!folderExists(settings.pictureFolder))
        out << " (not a folder)";
    out << "\n";
    Listing pictures = checkPictures(settings.pictureFolder, settings.minimumSizeKb);
    printListing(out,
                 settings.pictureShuffle ? "Pictures, shown in random order"
                                         : "Pictures, in show order",
                 pictures);

    const bool hasPictures = !pictures.included.empty();
    Listing audio;
    if (settings.audioFolder.empty()) {
        out << "Audio folder: none set\n";
    } else {
        out << "Audio folder: " << settings.audioFolder;
        if (!folderExists(settings.audioFolder)) out << " (not a folder)";
        out << "\n";
        audio = checkAudio(settings, input.programDir);
        printListing(
            out, settings.audioShuffle ? "Audio, played in random order" : "Audio, in play order",
            audio);
        if (!hasPictures)
            out << "No audio plays: a show without pictures shows its message instead.\n";
    }

    if (!hasPictures)
        out << "No picture to show: the show would display its message asking for a folder.\n";
    out << "Pictures: " << pictures.included.size() << " in the show, " << pictures.leftOut.size()
        << " left out\n";
    out << "Audio: " << (hasPictures ? audio.included.size() : 0) << " in the show, "
        << audio.leftOut.size() << " left out\n";
    out << settingsLine;
    return hasPictures ? 0 : 1;
}

} // namespace slidora
