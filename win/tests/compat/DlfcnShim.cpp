#include "win/tests/compat/dlfcn.h"

#include "platform/win/Utf16.h"

#include <windows.h>

#include <string>

namespace {

thread_local std::string lastError;
thread_local bool hasError = false;

void recordFailure(const char* what) {
    lastError = std::string(what) + " failed, error " + std::to_string(GetLastError());
    hasError = true;
}

} // namespace

extern "C" void* dlopen(const char* path, int) {
    HMODULE module = LoadLibraryW(slidora::win::toUtf16(path).c_str());
    if (module == nullptr) recordFailure("LoadLibraryW");
    return reinterpret_cast<void*>(module);
}

extern "C" void* dlsym(void* handle, const char* name) {
    FARPROC entry = GetProcAddress(static_cast<HMODULE>(handle), name);
    if (entry == nullptr) recordFailure("GetProcAddress");
    return reinterpret_cast<void*>(entry);
}

extern "C" int dlclose(void* handle) {
    if (FreeLibrary(static_cast<HMODULE>(handle))) return 0;
    recordFailure("FreeLibrary");
    return -1;
}

extern "C" char* dlerror(void) {
    if (!hasError) return nullptr;
    hasError = false;
    return lastError.data();
}
