#pragma once
// Backing memory ahead of its first use.
#include <cstddef>

namespace slidora {

// Asks the kernel to back the whole pages inside [begin, begin + bytes) with
// writable memory now, in one call, instead of one page fault at a time when
// they are first written. The content is unchanged. False when nothing was
// done: a kernel without the request (before Linux 5.14), a range not
// mapped, or less than one whole page. Only a speed-up: callers go on alike.
bool backMemoryNow(const void* begin, std::size_t bytes);

} // namespace slidora
