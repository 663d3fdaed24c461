// NlsString: block sizes, in-place and growing appends, failures through the
// allocation seam.
#include "text/nls_string.h"

#include <string>

#include "host/memory.h"
#include "tests/text/text_fixture.h"

namespace {

class NlsStringTest : public TextTest {};

TEST_F(NlsStringTest, EmptyStringOwnsNoBlock) {
    long live = memLiveBlocks();
    NlsString s;
    ASSERT_NE(s.text(), nullptr);
    EXPECT_STREQ(s.text(), "");
    EXPECT_EQ(s.length(), 0);
    EXPECT_EQ(s.capacity(), 0);
    EXPECT_EQ(s.append(nullptr), 1);
    EXPECT_EQ(s.append(""), 1);
    NlsString fromNull(nullptr);
    EXPECT_EQ(fromNull.text(), s.text()) << "every empty string shares the empty text";
    EXPECT_EQ(s.capacity(), 0);
    EXPECT_EQ(memLiveBlocks(), live);
}

TEST_F(NlsStringTest, BlockIsTheSmallestMultipleOf16AboveLengthAndTerminator) {
    struct Row {
        const char *set;
        size_t bytes;
        int32_t capacity;
    } rows[] = {
        {"LATIN1", 1, 15},  {"LATIN1", 14, 15}, {"LATIN1", 15, 31}, {"LATIN1", 30, 31},
        {"LATIN1", 31, 47}, {"LATIN1", 47, 63}, {kBytewise, 15, 31},
        {"UCS2", 12, 14},   {"UCS2", 14, 30},   {"UCS2", 30, 46},
    };
    for (const Row &r : rows) {
        use(r.set);
        std::string text = std::string(r.set) == "UCS2" ? ucs2(std::string(r.bytes / 2, 'u'))
                                                       : std::string(r.bytes, 'x');
        NlsString s(text.c_str());
        EXPECT_EQ(s.length(), static_cast<int32_t>(r.bytes)) << r.set;
        EXPECT_EQ(s.capacity(), r.capacity) << r.set << " " << r.bytes << " bytes";
    }
}

TEST_F(NlsStringTest, AppendThatFillsTheCapacityStaysInPlace) {
    NlsString s("abcdefghij");
    const char *block = s.text();
    long allocations = memAllocationCount();
    EXPECT_EQ(s.append("klmno"), 1);
    EXPECT_EQ(s.text(), block);
    EXPECT_EQ(memAllocationCount(), allocations);
    EXPECT_STREQ(s.text(), "abcdefghijklmno");
    EXPECT_EQ(s.length(), 15);
    EXPECT_EQ(s.capacity(), 15);
}

TEST_F(NlsStringTest, GrowthTakesABlockOfTheExactNewSize) {
    NlsString s("abcdefghijklmn");
    ASSERT_EQ(s.capacity(), 15);
    long live = memLiveBlocks();
    EXPECT_EQ(s.append("op"), 1);
    EXPECT_STREQ(s.text(), "abcdefghijklmnop");
    EXPECT_EQ(s.length(), 16);
    EXPECT_EQ(s.capacity(), 31) << "no look-ahead growth";
    EXPECT_EQ(memLiveBlocks(), live) << "the old block is freed";
    EXPECT_EQ(s.append(std::string(16, 'q').c_str()), 1);
    EXPECT_EQ(s.capacity(), 47);
}

TEST_F(NlsStringTest, FailedGrowthKeepsTheOldContents) {
    NlsString s("abcdefghijklmn");
    const char *block = s.text();
    memFailAt(1);
    EXPECT_EQ(s.append("op"), 0);
    EXPECT_EQ(s.text(), block);
    EXPECT_STREQ(s.text(), "abcdefghijklmn");
    EXPECT_EQ(s.length(), 14);
    EXPECT_EQ(s.capacity(), 15);
    EXPECT_EQ(s.append("op"), 1) << "the next allocation succeeds again";
    EXPECT_STREQ(s.text(), "abcdefghijklmnop");
}

TEST_F(NlsStringTest, FailedFirstAppendLeavesTheStringEmpty) {
    long live = memLiveBlocks();
    memFailAt(1);
    NlsString s("abc");
    EXPECT_STREQ(s.text(), "");
    EXPECT_EQ(s.length(), 0);
    EXPECT_EQ(s.capacity(), 0);
    memFailAt(1);
    EXPECT_EQ(s.append("abc"), 0);
    EXPECT_EQ(s.capacity(), 0);
    EXPECT_EQ(memLiveBlocks(), live);
}

TEST_F(NlsStringTest, AssignReplacesAndAFailedAssignEmpties) {
    NlsString s("old text");
    EXPECT_EQ(s.assign("new"), 1);
    EXPECT_STREQ(s.text(), "new");
    EXPECT_EQ(s.length(), 3);
    NlsString other("other");
    EXPECT_EQ(s.assign(other), 1);
    EXPECT_STREQ(s.text(), "other");
    memFailAt(1);
    EXPECT_EQ(s.assign("longer"), 0);
    EXPECT_STREQ(s.text(), "");
    EXPECT_EQ(s.length(), 0);
}

TEST_F(NlsStringTest, OwnTextMayBeAssignedOrAppended) {
    NlsString s("abcdef");
    EXPECT_EQ(s.assign(s.text() + 2), 1);
    EXPECT_STREQ(s.text(), "cdef");
    EXPECT_EQ(s.assign(s), 1);
    EXPECT_STREQ(s.text(), "cdef");
    EXPECT_EQ(s.append(s.text()), 1) << "fits in place, but the source would be overwritten";
    EXPECT_STREQ(s.text(), "cdefcdef");
    EXPECT_EQ(s.length(), 8);
    memFailAt(1);
    EXPECT_EQ(s.assign(s.text() + 1), 0);
    EXPECT_STREQ(s.text(), "");
}

TEST_F(NlsStringTest, CopyConstructionCopiesTheText) {
    NlsString a("abc");
    NlsString b(a);
    EXPECT_STREQ(b.text(), "abc");
    EXPECT_NE(b.text(), a.text());
}

TEST_F(NlsStringTest, SwapExchangesBlocksWithoutAllocating) {
    NlsString a("abc");
    NlsString b;
    const char *block = a.text();
    long count = memAllocationCount();
    a.swap(b);
    EXPECT_EQ(memAllocationCount(), count);
    EXPECT_STREQ(a.text(), "");
    EXPECT_EQ(a.capacity(), 0);
    EXPECT_EQ(b.text(), block);
    EXPECT_EQ(b.length(), 3);
    EXPECT_EQ(b.capacity(), 15);
    EXPECT_EQ(a.append("x"), 1);  // the empty side is a usable empty string
    EXPECT_STREQ(a.text(), "x");
}

TEST_F(NlsStringTest, ClearFreesTheBlock) {
    long live = memLiveBlocks();
    NlsString s("abc");
    EXPECT_EQ(memLiveBlocks(), live + 1);
    s.clear();
    EXPECT_EQ(memLiveBlocks(), live);
    EXPECT_STREQ(s.text(), "");
    EXPECT_EQ(s.capacity(), 0);
}

TEST_F(NlsStringTest, EndsWithCharFollowsTheSet) {
    EXPECT_EQ(NlsString().endsWithChar('\\'), 0);
    EXPECT_EQ(NlsString("C:\\dir\\").endsWithChar('\\'), 1);
    EXPECT_EQ(NlsString("C:\\dir").endsWithChar('\\'), 0);
    EXPECT_EQ(NlsString("C:\\\x81\x5C").endsWithChar('\\'), 1);
    use("GBK");
    EXPECT_EQ(NlsString("C:\\\x81\x5C").endsWithChar('\\'), 0);
}

TEST_F(NlsStringTest, TwoZeroTextsGrowWithTheirTerminator) {
    use("UCS2");
    NlsString s(ucs2("abcdefg").c_str());  // 14 bytes: a 32-byte block
    EXPECT_EQ(s.capacity(), 30);
    EXPECT_EQ(s.append(ucs2("hijklmnop").c_str()), 1);  // 32 bytes: more than 30
    EXPECT_EQ(s.length(), 32);
    EXPECT_EQ(s.capacity(), 46);
    EXPECT_EQ(std::string(s.text(), 34), ucs2("abcdefghijklmnop"));
}

}  // namespace
