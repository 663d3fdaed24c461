// The allocation seam: counting and fault injection.
#include "host/memory.h"

#include <limits.h>

#include <gtest/gtest.h>

namespace {

struct Counted {
    explicit Counted(int *destroyed) : destroyed_(destroyed) {}
    ~Counted() { ++*destroyed_; }
    int *destroyed_;
};

TEST(Memory, FailsExactlyTheKthAllocation) {
    long live = memLiveBlocks();
    memFailAt(3);
    void *a = memAlloc(4), *b = memAllocZero(4), *c = memAlloc(4), *d = memAlloc(4);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(c, nullptr);
    EXPECT_NE(d, nullptr);
    EXPECT_EQ(memLiveBlocks(), live + 3);
    memFree(a);
    memFree(b);
    memFree(d);
    memFree(nullptr);
    EXPECT_EQ(memLiveBlocks(), live);
    memFailAt(0);
}

TEST(Memory, FailsEveryAllocationFromTheKthWhenAsked) {
    memFailAt(2, true);
    void *a = memAlloc(1);
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(memAlloc(1), nullptr);
    EXPECT_EQ(memAllocZero(1), nullptr);
    memFailAt(0);
    void *b = memAlloc(1);
    EXPECT_NE(b, nullptr);
    memFree(a);
    memFree(b);
}

TEST(Memory, AFailurePointBeyondReachNeverFails) {
    memFailAt(LONG_MAX);
    void *a = memAlloc(1);
    EXPECT_NE(a, nullptr);
    memFree(a);
    memFailAt(0);
}

TEST(Memory, ZeroSizedAndZeroFilledBlocks) {
    void *empty = memAlloc(0);
    EXPECT_NE(empty, nullptr);
    unsigned char *zeros = static_cast<unsigned char *>(memAllocZero(64));
    ASSERT_NE(zeros, nullptr);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(zeros[i], 0);
    memFree(empty);
    memFree(zeros);
}

TEST(Memory, TheLastBlockSizeIsThatOfTheLastSuccessfulAllocation) {
    void *a = memAlloc(17);
    EXPECT_EQ(memLastBlockSize(), 17u);
    void *b = memAllocZero(5);
    EXPECT_EQ(memLastBlockSize(), 5u);
    memFailAt(1);
    EXPECT_EQ(memAlloc(99), nullptr);
    EXPECT_EQ(memLastBlockSize(), 5u);
    memFree(a);
    memFree(b);
}

TEST(Memory, NewAndDeleteConstructAndDestroy) {
    int destroyed = 0;
    Counted *c = memNew<Counted>(&destroyed);
    ASSERT_NE(c, nullptr);
    memDelete(c);
    EXPECT_EQ(destroyed, 1);
    memDelete<Counted>(nullptr);
    memFailAt(1);
    EXPECT_EQ(memNew<Counted>(&destroyed), nullptr);
    EXPECT_EQ(destroyed, 1) << "nothing is constructed without a block";
    memFailAt(0);
}

}  // namespace
