#pragma once
// Folder walks shared by the picture and audio catalogues and the folder
// checks. A walk yields regular files and descends into folders; it follows a
// symbolic link to a folder unless that folder was already visited in this
// walk (so link loops and repeated links end), skips FIFOs, devices and
// sockets without ever opening them, and treats an unreadable folder as empty.
#include <cstdint>
#include <functional>
#include <string>

namespace slidora {

struct WalkFile {
    const std::string& folder; // the folder as walked, always ending with the separator
    const std::string& name;   // the entry's own name
    std::int64_t sizeBytes;
};

// Return false from the visitor to stop the walk.
using WalkVisitor = std::function<bool(const WalkFile&)>;

// Walks `folder` (with or without a trailing '/') and its subfolders
// depth-first, entries in the order the file system delivers them; a
// subfolder is walked as soon as it is met. Returns false when the visitor
// stopped the walk, true when it ran to the end (also when the folder does
// not exist).
bool walkFolder(const std::string& folder, const WalkVisitor& visitor);

// Why a walk passed over an entry without handing it to the visitor.
enum class WalkSkip {
    SpecialFile,      // a FIFO, device or socket (never opened)
    Loop,             // a link back to a folder the walk is inside of
    AlreadyWalked,    // a second way (a link) to a folder walked before
    UnreadableFolder, // a folder that cannot be opened or listed
    Unreachable,      // an entry that cannot be looked at, such as a dangling link
};

struct WalkSkipped {
    const std::string& folder; // as in WalkFile
    const std::string& name;
    WalkSkip why;
    // The system's error text for UnreadableFolder and Unreachable, the
    // folder that it leads back to for Loop and AlreadyWalked.
    const std::string& detail;
};

using WalkObserver = std::function<void(const WalkSkipped&)>;

// walkFolder that also tells `skipped` about every entry it passes over.
// The start folder itself is reported (with an empty name) when it cannot be
// opened; a start folder that does not exist is not reported.
bool walkFolder(const std::string& folder, const WalkVisitor& visitor, const WalkObserver& skipped);

// True when `path` names an existing folder (links followed).
bool folderExists(const std::string& path);

} // namespace slidora
