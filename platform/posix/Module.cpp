#include "platform/Module.h"

#include <dlfcn.h>

namespace slidora {

LoadedModule::LoadedModule(const std::string& path)
    : m_handle(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

LoadedModule::~LoadedModule() {
    if (m_handle != nullptr) ::dlclose(m_handle);
}

void* LoadedModule::symbol(const char* name) const {
    return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

} // namespace slidora
