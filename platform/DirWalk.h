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
    const std::string& folder; // the folder as walked, always ending with '/'
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

// True when `path` names an existing folder (links followed).
bool folderExists(const std::string& path);

} // namespace slidora
