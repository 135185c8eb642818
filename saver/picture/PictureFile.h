#pragma once
// Opening a picture file for reading. Only regular files are opened: a
// directory or a FIFO that slipped into a list would otherwise fail late or
// block the display step.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace slidora {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct OpenedPicture {
    FilePtr file; // null when the file could not be opened
    std::uint64_t sizeBytes = 0;
    std::string error; // why it could not be opened
};

OpenedPicture openPictureFile(const std::string& path);

} // namespace slidora
