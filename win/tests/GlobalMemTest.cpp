// The block allocator on Windows is the system's movable global memory, and
// the blocks RESIZE32.DLL hands back are such blocks too.
#include "platform/GlobalMem.h"
#include "tests/resize/ResizeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace slidora {
namespace {

// A movable block's handle is not its address; the system maps one to the
// other and counts the locks.
void expectMovable(SlidoraHGlobal handle) {
    ASSERT_NE(handle, nullptr);
    void* address = slidoraGlobalLock(handle);
    ASSERT_NE(address, nullptr);
    EXPECT_NE(address, static_cast<void*>(handle));
    EXPECT_EQ(GlobalHandle(address), handle);
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1U);
    EXPECT_FALSE(slidoraGlobalUnlock(handle));
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 0U);
}

TEST(WinGlobalMem, BlocksAreMovableAndZeroedWhenAsked) {
    const SlidoraHGlobal block = slidoraGlobalAlloc(4096);
    expectMovable(block);
    EXPECT_GE(slidoraGlobalSize(block), 4096U);
    const auto* bytes = static_cast<const unsigned char*>(slidoraGlobalLock(block));
    EXPECT_TRUE(std::all_of(bytes, bytes + 4096, [](unsigned char b) { return b == 0; }));
    slidoraGlobalUnlock(block);
    slidoraGlobalFree(block);
}

TEST(WinGlobalMem, NestedLocksUnlockInTurn) {
    const SlidoraHGlobal block = slidoraGlobalAlloc(16, BlockFill::Unfilled);
    void* first = slidoraGlobalLock(block);
    EXPECT_EQ(slidoraGlobalLock(block), first);
    EXPECT_TRUE(slidoraGlobalUnlock(block));
    EXPECT_FALSE(slidoraGlobalUnlock(block));
    slidoraGlobalFree(block);
}

TEST(WinGlobalMem, EmptyBlockCanStillBeLocked) {
    const SlidoraHGlobal block = slidoraGlobalAlloc(0);
    expectMovable(block);
    slidoraGlobalFree(block);
}

TEST(WinGlobalMem, AbsurdSizeAndNullHandleAreRefused) {
    if constexpr (sizeof(std::size_t) > 4) {
        EXPECT_EQ(slidoraGlobalAlloc((std::size_t{1} << 40) + 1), nullptr);
    }
    EXPECT_EQ(slidoraGlobalLock(nullptr), nullptr);
    EXPECT_FALSE(slidoraGlobalUnlock(nullptr));
    EXPECT_EQ(slidoraGlobalSize(nullptr), 0U);
    slidoraGlobalFree(nullptr);
}

TEST(WinGlobalMem, ResizerReturnsMovableBlocks) {
    test::Module module("RESIZE32.DLL");
    test::DibBlocks source = test::makeTrueColourDib(8, 6, 24, [](int, int) {
        return test::Bgr{10, 20, 30};
    });
    test::DibBlocks result;
    ASSERT_NE(module.resize(source, 5, 3, result), 0);
    expectMovable(result.header);
    expectMovable(result.bits);
}

} // namespace
} // namespace slidora
