#pragma once
// The picture catalogue: every picture file under the picture folder that is
// large enough, as full paths in the user's locale order, and the rule by
// which the display step walks it in a cycle and drops unreadable files.
#include <functional>
#include <string>
#include <vector>

namespace slidora {

// Adds to `list` every file under `folder` (recursively) whose extension is a
// picture kind and whose size is strictly greater than minimumSizeKb x 1024
// bytes, then sorts the list by the user's locale ignoring case and drops
// duplicates. Paths are the folder as given, a '/' when it has none, the
// subfolder names and the file name. Sorting once at the end gives the same
// list as keeping it sorted while it fills, in n log n.
void PicRead(const std::string& folder, int minimumSizeKb, std::vector<std::string>& list);

// What trying one entry of the list came to.
enum class PictureLoad {
    Loaded,
    Failed,
    // Not known yet (the picture is still being prepared).
    Pending,
};

inline constexpr int kPicturePending = -2;

// The next-picture rule. Starting at `picIndex`, tries `load` on each entry;
// an entry that fails is deleted for the rest of the run. Returns the index
// of the picture that loaded (and leaves `picIndex` on the entry after it,
// wrapped to 0 at the end), or -1 when the list ran empty, in which case
// `closePending` is set. Does nothing and returns -1 when `closePending` is
// already set or the list is empty. An entry still pending returns
// kPicturePending with `picIndex` on it, so that calling again goes on where
// this call stopped.
int nextPicture(std::vector<std::string>& list, int& picIndex, bool& closePending,
                const std::function<PictureLoad(const std::string&)>& load);

} // namespace slidora
