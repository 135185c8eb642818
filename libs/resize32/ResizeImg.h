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

// The module may also take a picture row by row, so that the program never
// holds the whole decoded picture: the rows go straight from the decoder
// into the module, which keeps only those it still needs. These entries are
// optional; a module with ResizeImg alone gets whole pictures. The result is
// ResizeImg's for the same 24-bit picture, byte for byte, in the same two
// blocks, and is the caller's to free.
typedef struct SlidoraResizeRows SlidoraResizeRows;

// Starts a picture of srcWidth x srcHeight pixels, to be resampled to width
// x height; the caller will ask for at most `rowsAhead` rows past those it
// has written. Null when the module cannot (a size out of bounds, memory
// short, a build that does not stream).
SLIDORA_RESIZE_EXPORT SlidoraResizeRows* SLIDORA_STDCALL ResizeRowsBegin(int srcWidth,
                                                                         int srcHeight, int width,
                                                                         int height, int rowsAhead,
                                                                         int mode);
// Where source row `row` goes: srcWidth x 3 bytes, blue, green, red. Rows
// are asked for top row first; `row` is at least the count written and less
// than that plus rowsAhead. May wait for the module to free the place.
// Null on failure, after which only the end or the abandon may be called.
SLIDORA_RESIZE_EXPORT unsigned char* SLIDORA_STDCALL ResizeRowsRow(SlidoraResizeRows* rows,
                                                                   int row);
// Rows [0, count) are written. Non-zero on success.
SLIDORA_RESIZE_EXPORT int SLIDORA_STDCALL ResizeRowsWritten(SlidoraResizeRows* rows, int count);
// After the last row: returns the result as ResizeImg does, and frees
// `rows` whatever the outcome.
SLIDORA_RESIZE_EXPORT int SLIDORA_STDCALL ResizeRowsEnd(SlidoraResizeRows* rows,
                                                        SlidoraHGlobal* dstHeader,
                                                        SlidoraHGlobal* dstBits);
// Gives the picture up and frees `rows` (null is allowed).
SLIDORA_RESIZE_EXPORT void SLIDORA_STDCALL ResizeRowsAbandon(SlidoraResizeRows* rows);

typedef int(SLIDORA_STDCALL* ResizeImgFunction)(SlidoraHGlobal srcHeader, SlidoraHGlobal srcBits,
                                                SlidoraHGlobal* dstHeader, SlidoraHGlobal* dstBits,
                                                int width, int height, int reserved, int mode);
typedef SlidoraResizeRows*(SLIDORA_STDCALL* ResizeRowsBeginFunction)(int srcWidth, int srcHeight,
                                                                     int width, int height,
                                                                     int rowsAhead, int mode);
typedef unsigned char*(SLIDORA_STDCALL* ResizeRowsRowFunction)(SlidoraResizeRows* rows, int row);
typedef int(SLIDORA_STDCALL* ResizeRowsWrittenFunction)(SlidoraResizeRows* rows, int count);
typedef int(SLIDORA_STDCALL* ResizeRowsEndFunction)(SlidoraResizeRows* rows,
                                                    SlidoraHGlobal* dstHeader,
                                                    SlidoraHGlobal* dstBits);
typedef void(SLIDORA_STDCALL* ResizeRowsAbandonFunction)(SlidoraResizeRows* rows);
}
