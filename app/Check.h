#pragma once
// "--check": what a show would include and why each left-out file is left
// out, found by the show's own steps (the settings reader, the folder walk,
// the picture catalogue, the decoders and the audio list) without a window.
#include <iosfwd>
#include <string>

namespace slidora {

struct CheckInput {
    std::string settingsPath;
    std::string programDir;    // the picture folder when the settings name none
    std::string pictureFolder; // instead of the settings' one when not empty
};

// Writes the report to `out` and returns the exit code: 0 when the show would
// have a picture to show, 1 when it would fall back to its message text.
int runCheck(const CheckInput& input, std::ostream& out);

} // namespace slidora
