// Stand-ins for the resampler module, one per way the real one can let the
// slideshow down. Built several times with one of these defined:
//   FAKE_RESIZE_FAILS         ResizeImg returns 0
//   FAKE_RESIZE_NO_ENTRY      no ResizeImg at all
//   FAKE_RESIZE_WRONG_SIZE    claims success but returns a 1x1 picture
//   FAKE_RESIZE_NULL_BLOCKS   claims success but returns no blocks
#include "libs/resize32/ResizeImg.h"
#include "platform/Dib.h"

#include <cstring>

#if defined(FAKE_RESIZE_NO_ENTRY)
extern "C" SLIDORA_RESIZE_EXPORT int ResizeImage(int width) {
    return width;
}
#else
extern "C" int SLIDORA_STDCALL ResizeImg(SlidoraHGlobal, SlidoraHGlobal, SlidoraHGlobal* dstHeader,
                                         SlidoraHGlobal* dstBits, int, int, int, int) {
#if defined(FAKE_RESIZE_FAILS)
    *dstHeader = nullptr;
    *dstBits = nullptr;
    return 0;
#elif defined(FAKE_RESIZE_WRONG_SIZE)
    slidora::BitmapInfoHeader h;
    h.biWidth = 1;
    h.biHeight = 1;
    h.biBitCount = 24;
    *dstHeader = slidora::slidoraGlobalAlloc(sizeof h);
    *dstBits = slidora::slidoraGlobalAlloc(4);
    std::memcpy(slidora::slidoraGlobalLock(*dstHeader), &h, sizeof h);
    slidora::slidoraGlobalUnlock(*dstHeader);
    return 1;
#elif defined(FAKE_RESIZE_NULL_BLOCKS)
    *dstHeader = nullptr;
    *dstBits = nullptr;
    return 1;
#else
#error "choose a behaviour"
#endif
}
#endif
