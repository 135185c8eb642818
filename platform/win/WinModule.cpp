// Modules are loaded by full path with the wide call, so a program folder with
// Japanese characters works on any system language. The error box Windows
// would show for a damaged module is turned off: a module that does not load
// is the caller's expected failure.
#include "platform/Module.h"

#include "platform/win/Utf16.h"

#include <windows.h>

namespace slidora {

LoadedModule::LoadedModule(const std::string& path) {
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    m_handle = ::LoadLibraryW(win::toUtf16(path).c_str());
    ::SetErrorMode(previous);
}

LoadedModule::~LoadedModule() {
    if (m_handle != nullptr) ::FreeLibrary(static_cast<HMODULE>(m_handle));
}

void* LoadedModule::symbol(const char* name) const {
    if (m_handle == nullptr) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

} // namespace slidora
