#pragma once
// Movable global memory: the program and the resampler module exchange
// pictures as blocks named by handles; the side that receives a block frees
// it. On Windows these are the system's own blocks (GlobalAlloc with
// GMEM_MOVEABLE), so a block made in one module is freed in another whatever
// C runtime each uses. Elsewhere a small header-only allocator on the C
// allocator stands in for them (the program and the module share the
// process's one malloc).
//
// The names carry the program's prefix so that they can never be mistaken
// for, or collide with, the Windows functions they map to.
#include <cstddef>
#include <cstdint>

namespace slidora {

enum class BlockFill {
    Zeroed,
    // For a block its owner fills completely: no pass over it before the
    // owner's own, and a reused heap block is not cleared.
    Unfilled,
};

} // namespace slidora

#if defined(_WIN32)

#include <windows.h>

extern "C" {
typedef HGLOBAL SlidoraHGlobal;
}

namespace slidora {

// Returns a handle to a movable block of `size` bytes, or null when out of
// memory or the size is absurd. A zero-byte movable block would be a
// discarded one that cannot be locked, so it gets one byte, as elsewhere.
inline SlidoraHGlobal slidoraGlobalAlloc(std::size_t size, BlockFill fill = BlockFill::Zeroed) {
    if (static_cast<std::uint64_t>(size) > (std::uint64_t{1} << 40)) return nullptr;
    const UINT flags = GMEM_MOVEABLE | (fill == BlockFill::Zeroed ? GMEM_ZEROINIT : 0U);
    return GlobalAlloc(flags, size == 0 ? 1 : size);
}

// Returns the block's address, or null for a null or freed handle.
inline void* slidoraGlobalLock(SlidoraHGlobal handle) {
    return handle == nullptr ? nullptr : GlobalLock(handle);
}

// True while the block stays locked by an earlier lock.
inline bool slidoraGlobalUnlock(SlidoraHGlobal handle) {
    return handle != nullptr && GlobalUnlock(handle) != FALSE;
}

// The system may round a block up: at least the size asked for.
inline std::size_t slidoraGlobalSize(SlidoraHGlobal handle) {
    return handle == nullptr ? 0 : GlobalSize(handle);
}

// Frees the block; null is ignored.
inline void slidoraGlobalFree(SlidoraHGlobal handle) {
    if (handle != nullptr) GlobalFree(handle);
}

// A kept block handed out again for `size` bytes, no more than it holds. The
// system goes on reporting what the block holds, which is at least `size`.
inline void slidoraGlobalReuse(SlidoraHGlobal, std::size_t) {}

} // namespace slidora

#else

#include <cstdlib>
#include <cstring>
#include <new>

extern "C" {
typedef struct SlidoraGlobalBlock* SlidoraHGlobal;
}

namespace slidora {

namespace gmem_detail {
inline constexpr std::uint32_t kMagic = 0x474D454DU; // "GMEM"
struct Header {
    std::uint32_t magic;
    std::uint32_t lockCount;
    std::size_t size;
    // Pixel data follows, aligned for any scalar type.
    alignas(std::max_align_t) unsigned char data[1];
};
inline Header* header(SlidoraHGlobal h) {
    auto* p = reinterpret_cast<Header*>(h);
    return (p != nullptr && p->magic == kMagic) ? p : nullptr;
}
} // namespace gmem_detail

// Returns a handle to a block of `size` bytes, or null when out of memory or
// the size is absurd.
inline SlidoraHGlobal slidoraGlobalAlloc(std::size_t size, BlockFill fill = BlockFill::Zeroed) {
    using gmem_detail::Header;
    // At most 1 TiB; on 32-bit builds also refuses sizes the header would
    // wrap around.
    if (static_cast<std::uint64_t>(size) > (std::uint64_t{1} << 40) ||
        size > SIZE_MAX - sizeof(Header))
        return nullptr;
    const std::size_t bytes = offsetof(Header, data) + (size == 0 ? 1 : size);
    void* raw = fill == BlockFill::Zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
    if (raw == nullptr) return nullptr;
    Header head{};
    head.magic = gmem_detail::kMagic;
    head.lockCount = 0;
    head.size = size;
    std::memcpy(raw, &head, offsetof(Header, data));
    return static_cast<SlidoraHGlobal>(raw);
}

// Returns the block's address, or null for an invalid handle.
inline void* slidoraGlobalLock(SlidoraHGlobal handle) {
    gmem_detail::Header* h = gmem_detail::header(handle);
    if (h == nullptr) return nullptr;
    ++h->lockCount;
    return h->data;
}

inline bool slidoraGlobalUnlock(SlidoraHGlobal handle) {
    gmem_detail::Header* h = gmem_detail::header(handle);
    if (h == nullptr || h->lockCount == 0) return false;
    --h->lockCount;
    return h->lockCount != 0;
}

inline std::size_t slidoraGlobalSize(SlidoraHGlobal handle) {
    gmem_detail::Header* h = gmem_detail::header(handle);
    return h == nullptr ? 0 : h->size;
}

// A kept block handed out again for `size` bytes, no more than it holds: it
// then reports that size, as a fresh one would.
inline void slidoraGlobalReuse(SlidoraHGlobal handle, std::size_t size) {
    gmem_detail::Header* h = gmem_detail::header(handle);
    if (h != nullptr) h->size = size;
}

// Frees the block; null and invalid handles are ignored.
inline void slidoraGlobalFree(SlidoraHGlobal handle) {
    gmem_detail::Header* h = gmem_detail::header(handle);
    if (h == nullptr) return;
    h->magic = 0;
    std::free(h);
}

} // namespace slidora

#endif
