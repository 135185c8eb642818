#include "saver/resize/ResizeHost.h"

#include "platform/Paths.h"

namespace slidora {

std::string resizeModulePath(const std::string& programDir) {
    if (programDir.empty()) return kResizeModuleName;
    return withTrailingSlash(programDir) + kResizeModuleName;
}

} // namespace slidora
