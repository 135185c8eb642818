#pragma once
// The set of demo pictures: a dozen pleasant scenes in JPEG, PNG and BMP,
// landscape and portrait, one in a subfolder and one named ".jpeg", every
// one above 10 KB. Writing again overwrites the same files.
#include <string>
#include <vector>

namespace slidora::picwriter {

struct DemoPicture {
    std::string relativePath; // below the demo folder, '/'-separated
    int width = 0;
    int height = 0;
};

// The pictures writeDemoPictures writes, in order.
std::vector<DemoPicture> demoPictureList();

// Creates `folder` (and the subfolder) and writes every demo picture.
// Returns false with a message naming the failing file.
bool writeDemoPictures(const std::string& folder, std::string& error);

} // namespace slidora::picwriter
