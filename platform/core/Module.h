#pragma once
// A library loaded at run time by its path, for as long as this object lives.
// Declared here for every platform; each operating-system target defines it
// (the POSIX one with dlopen).
#include <string>

namespace slidora {

class LoadedModule {
  public:
    // Loads the library at `path`; loaded() tells whether that worked.
    explicit LoadedModule(const std::string& path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool loaded() const { return m_handle != nullptr; }
    // The address of the exported `name`; null when the library lacks it or
    // is not loaded.
    void* symbol(const char* name) const;

  private:
    void* m_handle = nullptr;
};

} // namespace slidora
