// The record index answers where name + "=" first stands exactly as the plain
// search of the whole text does: wherever the name stands, however the text
// grew, and when no room was reserved for it.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "query/record_index.h"

namespace {

std::string longName(char last) { return std::string(70, 'N') + last; }

struct FindCase {
    const char *what;
    std::string text;
    std::string name;
    long expected;
};

class RecordIndexFind : public ::testing::TestWithParam<FindCase> {};

TEST_P(RecordIndexFind, AnswersAsThePlainSearch) {
    const FindCase &c = GetParam();
    RecordIndex index;
    ASSERT_TRUE(index.reserveFor(c.text.size(), c.text.size()));
    index.update(c.text.data(), c.text.size());
    EXPECT_EQ(findRecordPlain(c.text.data(), c.text.size(), c.name.data(), c.name.size()), c.expected);
    EXPECT_EQ(index.find(c.text.data(), c.text.size(), c.name.data(), c.name.size()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordIndexFind,
    ::testing::Values(
        FindCase{"at the start", "DB0=A\rDB1=B\r", "DB0", 0},
        FindCase{"after a CR", "DB0=A\rDB1=B\r", "DB1", 6},
        FindCase{"after a parsed line's LF", "DB0=A\r\nDB1=B\r\n", "DB1", 7},
        FindCase{"the end of a longer name", "XDB1=A\rDB1=B\r", "DB1", 1},
        FindCase{"inside an earlier value", "E0Dim0Name=a DB1=x\rDB1=B\r", "DB1", 13},
        FindCase{"the name without its \"=\"", "DB1 DB1x=\rDB1=B\r", "DB1", 10},
        FindCase{"missing", "DB0=A\rDB1=B\r", "DB2", -1},
        FindCase{"a prefix only", "DB10=A\r", "DB1", -1},
        FindCase{"empty: the first \"=\"", "A\rB=C=D\r", "", 3},
        FindCase{"holding \"=\"", "A=B=C\r", "A=B", 0},
        FindCase{"holding CR", "X\rA=B\r", "X\rA", 0},
        FindCase{"long, found", "Q=" + longName('1') + "=v\r", longName('1'), 2},
        FindCase{"long, its last bytes elsewhere first", "M" + longName('1') + "=a\r" + longName('1') + "=b\r",
                 longName('1'), 1},
        FindCase{"long, only its last bytes", "X" + std::string(64, 'N') + "1=a\r", longName('1'), -1},
        FindCase{"no \"=\" at all", "ABC\rDEF\r", "ABC", -1}),
    [](const ::testing::TestParamInfo<FindCase> &info) { return std::to_string(info.index); });

// The text grown record by record: an occurrence may start in bytes indexed
// before (a text without its last CR) and end in appended ones.
TEST(RecordIndex, FollowsAGrowingText) {
    struct Step {
        const char *append;
        const char *name;
        long expected;
    };
    const Step steps[] = {
        {"A=1", "A", 0},     {"B=2\r", "1B", 2},  {"C=3\r", "B", 3},
        {"D=x C=y\r", "C", 7}, {"\nE=5\r", "E", 20}, {"", "F", -1},
    };
    std::string text;
    RecordIndex index;
    for (const Step &s : steps) {
        ASSERT_TRUE(index.reserveFor(strlen(s.append), 8));
        text += s.append;
        index.update(text.data(), text.size());
        EXPECT_EQ(index.find(text.data(), text.size(), s.name, strlen(s.name)), s.expected) << s.name;
    }
}

// Without room reserved the index stops indexing and every lookup searches
// plainly: still the same answers.
TEST(RecordIndex, WithoutRoomSearchesPlainly) {
    std::string text = "DB0=A\rXDB1=B\rDB1=C\r";
    RecordIndex index;
    index.update(text.data(), text.size());
    EXPECT_EQ(index.find(text.data(), text.size(), "DB1", 3), 7);
    EXPECT_EQ(index.find(text.data(), text.size(), "DB0", 3), 0);
    EXPECT_EQ(index.find(text.data(), text.size(), "DB2", 3), -1);
    index.clear();
    ASSERT_TRUE(index.reserveFor(text.size(), 3));
    index.update(text.data(), text.size());
    EXPECT_EQ(index.find(text.data(), text.size(), "DB1", 3), 7);
}

}  // namespace
