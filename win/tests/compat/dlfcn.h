#pragma once
// The few <dlfcn.h> calls the resampler's module tests make, over
// LoadLibraryW/GetProcAddress, so that those tests run unchanged against
// RESIZE32.DLL. Test builds only; the program itself calls LoadLibraryW.
#ifdef __cplusplus
extern "C" {
#endif

#define RTLD_LAZY 0x1
#define RTLD_NOW 0x2
#define RTLD_LOCAL 0x0

// `path` is UTF-8; a bare name is searched for as LoadLibraryW does (the
// program's folder first).
void* dlopen(const char* path, int flags);
void* dlsym(void* handle, const char* name);
int dlclose(void* handle);
// The last failure of this thread as text, or null; cleared by reading.
char* dlerror(void);

#ifdef __cplusplus
}
#endif
