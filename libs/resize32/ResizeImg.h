#pragma once
// The entry point of the resampler module (libresize32.so), opened at run
// time by the slideshow. The module takes a packed DIB in two global blocks
// (see platform/Dib.h) and returns a new one of the wanted size.
#include "platform/GlobalMem.h"
#include "slidora/Export.h"

// The real module and the test stand-ins all define ResizeImg through this
// declaration; callers only look it up by name, never link to it.
#define SLIDORA_RESIZE_EXPORT SLIDORA_EXPORT

extern "C" {

// Reads the packed DIB in srcHeader/srcBits (BI_RGB with 1, 4, 8, 16, 24 or
// 32 bits per pixel; rows bottom-up, or top-down for a negative height) and
// allocates two new blocks holding a 24-bit BI_RGB packed DIB of exactly
// width x height pixels (header block: the 40-byte header, no colour table).
// The caller owns the new blocks. Returns non-zero on success; on failure
// returns 0 and sets both result handles to null. The source blocks are only
// read. `reserved` and `mode` select nothing yet: every call gets the same
// high-quality filter.
SLIDORA_RESIZE_EXPORT int SLIDORA_STDCALL ResizeImg(SlidoraHGlobal srcHeader,
                                                    SlidoraHGlobal srcBits,
                                                    SlidoraHGlobal* dstHeader,
                                                    SlidoraHGlobal* dstBits, int width, int height,
                                                    int reserved, int mode);

typedef int(SLIDORA_STDCALL* ResizeImgFunction)(SlidoraHGlobal srcHeader, SlidoraHGlobal srcBits,
                                                SlidoraHGlobal* dstHeader, SlidoraHGlobal* dstBits,
                                                int width, int height, int reserved, int mode);
}
