#pragma once
/* The MP3 playback library: plays one MP1, MP2, MP3, RMP or WAV file at a
 * time in the background. Results declared as int are booleans (non-zero is
 * true). Paths are zero-terminated UTF-8 full paths. Every function may be
 * called from the user-interface thread only; playback runs on the library's
 * own thread and never blocks the caller. */
#ifdef __cplusplus
extern "C" {
#endif

#define VBMP3_INFO_SIZE 528

/* Prepares the library; true when it is ready. */
int vbmp3_init(void);
/* Volume of the left and right channel, 0 to 100 each. */
void vbmp3_setVolume(int left, int right);
/* Opens a file for playing; info points to a caller-owned buffer of
 * VBMP3_INFO_SIZE bytes that the library may fill. */
int vbmp3_open(const char* path, void* info);
/* Starts playing the open file and returns at once. */
int vbmp3_play(void);
/* 1 while the open file plays; any other value once it has ended (or when
 * nothing plays). *state is set by the caller and not read back. */
int vbmp3_getState(int* state);
/* Closes the open file; true also when nothing was open. */
int vbmp3_close(void);
/* Releases the library; harmless when never initialised or already freed. */
void vbmp3_free(void);

#ifdef __cplusplus
}
#endif
