// GrowableText: contents, growth, and what a failed growth leaves.
#include "text/growable_text.h"

#include <stdint.h>
#include <string.h>

#include <string>

#include "tests/support/module_fixture.h"

namespace {

using GrowableTextTest = ModuleTest;

std::string contents(const GrowableText &t) { return std::string(t.text(), t.length()); }

TEST_F(GrowableTextTest, StartsEmptyWithoutABlock) {
    long live = memLiveBlocks();
    GrowableText t;
    EXPECT_STREQ(t.text(), "");
    EXPECT_EQ(t.length(), 0u);
    EXPECT_TRUE(t.empty());
    EXPECT_TRUE(t.append("", 0));
    EXPECT_EQ(memLiveBlocks(), live) << "an empty text owns nothing";
}

TEST_F(GrowableTextTest, GrowsByteByByteKeepingContentsAndTerminator) {
    GrowableText t;
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        char c = static_cast<char>('a' + i % 26);
        ASSERT_TRUE(t.appendByte(c));
        expected += c;
        ASSERT_EQ(t.text()[t.length()], 0);
    }
    EXPECT_EQ(contents(t), expected);
    EXPECT_GE(t.capacity(), 1000u);
}

TEST_F(GrowableTextTest, HoldsZeroBytesAndCountsThem) {
    GrowableText t;
    ASSERT_TRUE(t.append("a\0b", 3));
    ASSERT_TRUE(t.appendText("cd"));
    EXPECT_EQ(t.length(), 5u);
    EXPECT_EQ(contents(t), std::string("a\0bcd", 5));
    EXPECT_STREQ(t.text(), "a");
}

TEST_F(GrowableTextTest, AppendsItsOwnContentsWhileGrowing) {
    GrowableText t;
    ASSERT_TRUE(t.appendText("0123456789abcde"));  // exactly the first capacity
    ASSERT_EQ(t.capacity(), t.length());
    ASSERT_TRUE(t.append(t.text() + 5, 10));  // the source is the block being replaced
    EXPECT_EQ(contents(t), "0123456789abcde56789abcde");
}

TEST_F(GrowableTextTest, FailedGrowthKeepsTheOldContents) {
    GrowableText t;
    ASSERT_TRUE(t.appendText("kept"));
    std::string big(100, 'x');
    long live = memLiveBlocks();
    memFailAt(1, true);
    EXPECT_FALSE(t.appendText(big.c_str()));
    EXPECT_FALSE(t.reserve(1000));
    memFailAt(0);
    EXPECT_EQ(contents(t), "kept");
    EXPECT_EQ(memLiveBlocks(), live);
    memFailAt(1);
    GrowableText fresh;
    EXPECT_FALSE(fresh.appendByte('x'));
    EXPECT_STREQ(fresh.text(), "");
}

TEST_F(GrowableTextTest, WorkWithinTheCapacityNeverAllocates) {
    GrowableText t;
    ASSERT_TRUE(t.reserve(64));
    memFailAt(1, true);
    EXPECT_TRUE(t.reserveMore(64));
    for (int i = 0; i < 64; ++i)
        EXPECT_TRUE(t.appendByte('y'));
    t.truncate(10);
    EXPECT_TRUE(t.appendText("z"));
    memFailAt(0);
    EXPECT_EQ(contents(t), "yyyyyyyyyyz");
}

TEST_F(GrowableTextTest, RefusesMoreThanTheLargestLengthWithoutAllocating) {
    GrowableText t;
    ASSERT_TRUE(t.appendText("ab"));
    long attempts = memAllocationCount();
    EXPECT_FALSE(t.append("c", SIZE_MAX));
    EXPECT_FALSE(t.append("c", GrowableText::kMaxLength - 1));
    EXPECT_FALSE(t.reserveMore(GrowableText::kMaxLength));
    EXPECT_FALSE(t.reserve(GrowableText::kMaxLength + 1));
    EXPECT_EQ(memAllocationCount(), attempts);
    EXPECT_EQ(contents(t), "ab");
}

TEST_F(GrowableTextTest, TruncateClearAndRelease) {
    GrowableText t;
    ASSERT_TRUE(t.appendText("abcdef"));
    t.truncate(10);
    EXPECT_EQ(contents(t), "abcdef");
    t.truncate(3);
    EXPECT_EQ(contents(t), "abc");
    size_t capacity = t.capacity();
    t.clear();
    EXPECT_STREQ(t.text(), "");
    EXPECT_EQ(t.capacity(), capacity) << "clear keeps the block";
    long live = memLiveBlocks();
    t.release();
    EXPECT_EQ(memLiveBlocks(), live - 1);
    EXPECT_EQ(t.capacity(), 0u);
    EXPECT_TRUE(t.appendText("again"));
    EXPECT_EQ(contents(t), "again");
}

}  // namespace
