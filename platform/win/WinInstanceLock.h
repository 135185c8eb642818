#pragma once
// The single-instance lock of the Windows program: a named mutex that lives as
// long as this object holds its handle. The system closes the handle when the
// process ends, however it ends, so a crashed saver never blocks the next one.
#include <memory>
#include <string>

namespace slidora::win {

inline constexpr const char* kInstanceMutexName = "SlidoraSaver";

class InstanceLock {
  public:
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Null when the mutex already exists (another copy runs). When the system
    // refuses to create it at all, also null with `*unavailable` set, so the
    // caller can run unguarded rather than refuse to start.
    static std::unique_ptr<InstanceLock> acquire(const std::string& name = kInstanceMutexName,
                                                 bool* unavailable = nullptr);

  private:
    explicit InstanceLock(void* handle) : m_handle(handle) {}
    void* m_handle; // HANDLE of the mutex, owned
};

} // namespace slidora::win
