#include "saver/Catalogue.h"

#include "platform/Collation.h"
#include "platform/DirWalk.h"
#include "platform/Paths.h"
#include "settings/FileRules.h"

#include <cstdint>

namespace slidora {

void PicRead(const std::string& folder, int minimumSizeKb, std::vector<std::string>& list) {
    if (folder.empty()) return;
    const std::int64_t limit = static_cast<std::int64_t>(minimumSizeKb) * 1024;
    walkFolder(withTrailingSlash(folder), [&](const WalkFile& f) {
        if (PicExtKind(extensionOf(f.name)) >= 0 && f.sizeBytes > limit)
            list.push_back(f.folder + f.name);
        return true;
    });
    sortPathsForUser(list);
}

int nextPicture(std::vector<std::string>& list, int& picIndex, bool& closePending,
                const std::function<PictureLoad(const std::string&)>& load) {
    if (closePending || list.empty()) return -1;
    if (picIndex < 0 || picIndex >= static_cast<int>(list.size())) picIndex = 0;
    for (;;) {
        const int at = picIndex;
        const PictureLoad outcome = load(list[static_cast<std::size_t>(at)]);
        if (outcome == PictureLoad::Pending) return kPicturePending;
        if (outcome == PictureLoad::Loaded) {
            ++picIndex;
            if (picIndex == static_cast<int>(list.size())) picIndex = 0;
            return at;
        }
        list.erase(list.begin() + at);
        if (list.empty()) {
            closePending = true;
            return -1;
        }
        if (picIndex == static_cast<int>(list.size())) picIndex = 0;
    }
}

} // namespace slidora
