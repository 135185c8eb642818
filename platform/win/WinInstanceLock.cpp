#include "platform/win/WinInstanceLock.h"

#include "platform/win/Utf16.h"

#include <windows.h>

namespace slidora::win {

InstanceLock::~InstanceLock() {
    CloseHandle(m_handle);
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& name, bool* unavailable) {
    if (unavailable != nullptr) *unavailable = false;
    // The mutex is never waited on: its existence is the lock. A second copy
    // gets a handle to the same object together with ERROR_ALREADY_EXISTS.
    HANDLE handle = CreateMutexW(nullptr, FALSE, toUtf16(name).c_str());
    if (handle == nullptr) {
        // ERROR_ACCESS_DENIED: the mutex exists but belongs to another user's
        // session-wide copy; that is another copy running, not a failure.
        if (GetLastError() != ERROR_ACCESS_DENIED && unavailable != nullptr) *unavailable = true;
        return nullptr;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        return nullptr;
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(handle));
}

} // namespace slidora::win
