#pragma once
/* The MP3 playback library: plays one MP1, MP2, MP3, RMP or WAV file at a
 * time in the background. Results declared as int are booleans (non-zero is
 * true) except vbmp3_getState. Paths are zero-terminated UTF-8 full paths.
 * Every function may be called from the user-interface thread only; playback
 * runs on the library's own threads and never blocks the caller.
 *
 * What a file holds decides how it is decoded, not its extension: a RIFF
 * 'WAVE' file, mono or stereo, with 8-, 16-, 24- or 32-bit integer PCM or
 * 32-bit float samples (plain or WAVE_FORMAT_EXTENSIBLE); a RIFF 'WAVE' with
 * MPEG audio (format tag 0x50 or 0x55); a RIFF 'RMP3' file with MPEG frames
 * in its 'data' chunk; or a bare MPEG layer 1/2/3 stream (an ID3v2 tag may
 * lead). Any other WAVE (ADPCM, A-law, mu-law, 64-bit float, more than two
 * channels) is refused by vbmp3_open. Each file plays at its own rate,
 * whatever was played before it. */
#include "slidora/Export.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VBMP3_BUILDING)
#define VBMP3_API SLIDORA_EXPORT
#else
#define VBMP3_API SLIDORA_IMPORT
#endif

#define VBMP3_INFO_SIZE 528

/* Kinds of content reported in Vbmp3Info.kind. */
#define VBMP3_KIND_PCM_WAVE 1
#define VBMP3_KIND_MPEG 2
#define VBMP3_KIND_MPEG_IN_RIFF 3

/* What vbmp3_open writes into the caller's information record; the rest of
 * the VBMP3_INFO_SIZE bytes are zeroed. */
typedef struct Vbmp3Info {
    int kind;          /* VBMP3_KIND_*, 0 when the file could not be opened */
    int sampleRateHz;  /* of the decoded data */
    int channels;      /* 1 or 2 */
    int bitsPerSample; /* as stored: 8, 16, 24 or 32 for WAV, 16 for MPEG */
    int mpegLayer;     /* 1 to 3; 0 for PCM */
    int durationMs;    /* exact for PCM, an estimate for MPEG; -1 when unknown */
} Vbmp3Info;

/* Starts the audio output (SDL audio here); true when it is ready and a
 * device opens. False leaves nothing started (no driver, or a driver without
 * a device). A second call while ready answers true again without starting
 * anything new. */
VBMP3_API int SLIDORA_STDCALL vbmp3_init(void);
/* Volume of the left and right channel, 0 (silent) to 100 (as decoded);
 * values outside are clamped. Applies at once to the playing file and to
 * every file opened later; may be called before vbmp3_init. */
VBMP3_API void SLIDORA_STDCALL vbmp3_setVolume(int left, int right);
/* Opens a file for playing, closing the one that is open first. False when
 * the library is not initialised, the path is not a readable regular file,
 * its first frames do not decode, or no audio device opens. info points to
 * a caller-owned buffer of VBMP3_INFO_SIZE bytes (or is NULL), filled with a
 * Vbmp3Info. */
VBMP3_API int SLIDORA_STDCALL vbmp3_open(const char* path, void* info);
/* Starts playing the open file and returns at once; true also when it
 * already plays. False when nothing is open. */
VBMP3_API int SLIDORA_STDCALL vbmp3_play(void);
/* 1 while the open file plays. 0 when it has been played to its end, when
 * it has not been started, or when nothing is open; -1 when the audio device
 * was lost while playing. The answer is also stored in *state unless state
 * is NULL. */
VBMP3_API int SLIDORA_STDCALL vbmp3_getState(int* state);
/* Stops and closes the open file; true, also when nothing was open. */
VBMP3_API int SLIDORA_STDCALL vbmp3_close(void);
/* Closes the open file and shuts the audio output down; harmless when
 * never initialised or already freed. vbmp3_init may be called again. */
VBMP3_API void SLIDORA_STDCALL vbmp3_free(void);

#ifdef __cplusplus
}
#endif
