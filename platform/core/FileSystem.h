#pragma once
// File tests and the atomic replacement of a file. Declared here for every
// platform; each operating-system target defines them.
#include <cstddef>
#include <cstdint>
#include <string>

namespace slidora {

// Whether a regular file (or a link to one) exists at `path`.
bool isRegularFile(const std::string& path);

enum class SmallFileRead {
    Read,       // `contents` holds the whole file
    Unreadable, // missing, or opening or reading failed
    NotAFile,   // a folder, FIFO, device or socket: never opened
    TooLarge,   // larger than the bound, also when it grew while being read
};

// Reads a regular file of at most `maxBytes` bytes whole. Anything else is
// looked at, not opened (opening alone may act on a device), and looked at
// again once open in case the name was replaced in between; opening does not
// wait, so a FIFO never holds the program until some writer comes.
SmallFileRead readSmallRegularFile(const std::string& path, std::size_t maxBytes,
                                   std::string& contents);

// Replaces the file at `path` with `contents` so that a reader sees either
// the old file whole or the new one whole: written beside it, flushed to the
// disk, then renamed over it. A link is written through, so it stays a link;
// an existing file keeps its permissions, a new one is readable by all.
// Refuses (returns false, the old file untouched) a file the user cannot
// write and anything that is not a regular file.
bool replaceFileAtomically(const std::string& path, const std::string& contents);

// What tells that a file is still the one that was read: its size and its
// modification time in nanoseconds. A file that cannot be read has a stamp
// of its own (exists false), equal to any other such stamp.
struct FileStamp {
    bool exists = false;
    std::uint64_t sizeBytes = 0;
    std::int64_t modifiedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp fileStampOf(const std::string& path);

} // namespace slidora
