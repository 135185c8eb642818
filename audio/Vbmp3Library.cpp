#include "audio/Vbmp3Library.h"

#include <vbmp3.h>

namespace slidora {

static_assert(VBMP3_INFO_SIZE == 528, "the information record is 528 bytes");

bool Vbmp3Library::init() {
    return vbmp3_init() != 0;
}

void Vbmp3Library::setVolume(int left, int right) {
    vbmp3_setVolume(left, right);
}

bool Vbmp3Library::open(const std::string& path) {
    m_info.fill(0);
    return vbmp3_open(path.c_str(), m_info.data()) != 0;
}

bool Vbmp3Library::play() {
    return vbmp3_play() != 0;
}

int Vbmp3Library::getState() {
    // The library also stores its answer here; only the result is used.
    int scratch = 0;
    return vbmp3_getState(&scratch);
}

bool Vbmp3Library::close() {
    return vbmp3_close() != 0;
}

void Vbmp3Library::free() {
    vbmp3_free();
}

} // namespace slidora
