#include "saver/resize/ResizeHost.h"

namespace slidora {

std::string resizeModulePath(const std::string& programDir) {
    if (programDir.empty()) return kResizeModuleName;
    if (programDir.back() == '/') return programDir + kResizeModuleName;
    return programDir + "/" + kResizeModuleName;
}

} // namespace slidora
