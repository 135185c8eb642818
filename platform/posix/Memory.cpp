#include "platform/Memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace slidora {

bool backMemoryNow(const void* begin, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (begin == nullptr || pageSize <= 0) return false;
    const auto page = static_cast<std::uintptr_t>(pageSize);
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    if (bytes > UINTPTR_MAX - start) return false;
    // Only whole pages inside the range: the ones around it may belong to
    // another mapping, or not be mapped at all.
    const std::uintptr_t first = (start + page - 1) & ~(page - 1);
    const std::uintptr_t end = (start + bytes) & ~(page - 1);
    if (end <= first) return false;
    return ::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE) == 0;
#else
    (void)begin;
    (void)bytes;
    return false;
#endif
}

} // namespace slidora
