#pragma once
/* Calling convention and symbol visibility of the entry points that the
 * project's own libraries (the MP3 playback library and the resampler
 * module) offer across a binary boundary. A plain C header: it is included
 * from C and C++ alike.
 *
 * SLIDORA_STDCALL: stdcall on 32-bit Windows, where the callers of the
 * replaced libraries expect it; the platform's only convention elsewhere.
 * SLIDORA_EXPORT: marks a definition as leaving its library.
 * SLIDORA_IMPORT: marks a declaration a caller reaches in another library. */
#if defined(_WIN32) && !defined(_WIN64)
#define SLIDORA_STDCALL __stdcall
#else
#define SLIDORA_STDCALL
#endif

#if defined(_WIN32)
#define SLIDORA_EXPORT __declspec(dllexport)
#define SLIDORA_IMPORT __declspec(dllimport)
#else
#define SLIDORA_EXPORT __attribute__((visibility("default")))
#define SLIDORA_IMPORT
#endif
