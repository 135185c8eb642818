#include "platform/Memory.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace slidora {
namespace {

// Fresh anonymous pages are backed by nothing until first written; mincore
// tells which are.
class FreshPages : public ::testing::Test {
  protected:
    void SetUp() override {
        m_page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        m_base = static_cast<std::uint8_t*>(::mmap(nullptr, kPages * m_page, PROT_READ | PROT_WRITE,
                                                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        ASSERT_NE(m_base, MAP_FAILED);
    }
    void TearDown() override {
        if (m_base != MAP_FAILED) ::munmap(m_base, kPages * m_page);
    }
    std::vector<bool> backed() const {
        std::vector<unsigned char> v(kPages);
        if (::mincore(m_base, kPages * m_page, v.data()) != 0) return {};
        std::vector<bool> out;
        for (const unsigned char c : v)
            out.push_back((c & 1) != 0);
        return out;
    }

    static constexpr std::size_t kPages = 6;
    std::size_t m_page = 0;
    std::uint8_t* m_base = static_cast<std::uint8_t*>(MAP_FAILED);
};

// Only the whole pages inside the range are backed: the partial pages at
// its ends belong to whatever surrounds it. The content stays as it was.
TEST_F(FreshPages, WholePagesInsideTheRangeAreBacked) {
    ASSERT_EQ(backed(), std::vector<bool>(kPages, false));
    m_base[4 * m_page + 7] = 42; // page 4 already in use
    if (!backMemoryNow(m_base + m_page / 2, 4 * m_page))
        GTEST_SKIP() << "this kernel cannot back memory ahead";
    // Pages 0 and 4 are only partly inside; 1 to 3 wholly.
    EXPECT_EQ(backed(), (std::vector<bool>{false, true, true, true, true, false}));
    EXPECT_EQ(m_base[4 * m_page + 7], 42);
    EXPECT_EQ(m_base[2 * m_page], 0);
}

TEST_F(FreshPages, LessThanAWholePageDoesNothing) {
    EXPECT_FALSE(backMemoryNow(nullptr, 4 * m_page));
    EXPECT_FALSE(backMemoryNow(m_base, m_page - 1));
    EXPECT_FALSE(backMemoryNow(m_base + 1, m_page));
    EXPECT_EQ(backed(), std::vector<bool>(kPages, false));
}

} // namespace
} // namespace slidora
