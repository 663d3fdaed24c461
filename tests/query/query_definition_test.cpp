// QueryDefinition: the working and stored forms, lookups, walks, the change
// test's coverage, bounded copies and out-of-memory behaviour.
#include "query/query_definition.h"

#include <stdint.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/module_fixture.h"

namespace {

using QueryDefinitionTest = ModuleTest;
using Records = std::vector<std::pair<std::string, std::string>>;

std::string bytes(const GrowableText &t) { return std::string(t.text(), t.length()); }
std::string working(const QueryDefinition &d) { return bytes(d.workingText()); }

std::string hostTextOf(QueryDefinition &d) {
    GrowableText out;
    EXPECT_TRUE(produceHostText(&d, &out));
    return bytes(out);
}

void build(QueryDefinition &d, const Records &records) {
    for (const auto &r : records)
        ASSERT_TRUE(d.addText(r.first.c_str(), r.second.c_str()));
}

void parse(QueryDefinition &d, const std::string &stored) {
    ASSERT_TRUE(d.parseStored(stored.data(), stored.size()));
}

std::string lookup(const QueryDefinition &d, const char *name) {
    GrowableText value;
    int result = d.findText(name, &value);
    return result == QueryDefinition::kFound ? bytes(value) : "<" + std::to_string(result) + ">";
}

Records walk(const QueryDefinition &d) {
    Records seen;
    size_t position = 0;
    QueryDefinition::Record r;
    while (d.nextRecord(&position, &r) && seen.size() < 100)
        seen.emplace_back(std::string(r.name, r.nameLength), std::string(r.value, r.valueLength));
    return seen;
}

TEST_F(QueryDefinitionTest, NewDefinitionIsEmpty) {
    QueryDefinition d;
    EXPECT_EQ(working(d), "");
    EXPECT_EQ(bytes(d.encodedText()), "");
    EXPECT_EQ(d.storedLength(), 0);
    EXPECT_EQ(d.readPosition(), 0);
    GrowableText segment;
    EXPECT_EQ(d.nextSegment(&segment), QueryDefinition::kMissing);
    EXPECT_TRUE(walk(d).empty());
    EXPECT_EQ(hostTextOf(d), "");
}

TEST_F(QueryDefinitionTest, RecordsAreAppendedInWorkingForm) {
    QueryDefinition d;
    ASSERT_TRUE(d.addText("DB0", "a\\b"));
    ASSERT_TRUE(d.addNumber("DBCount", 1));
    ASSERT_TRUE(d.addNumber("Low", INT32_MIN));
    ASSERT_TRUE(d.addNumber("High", INT32_MAX));
    ASSERT_TRUE(d.addNumber("Zero", 0));
    ASSERT_TRUE(d.addText("Empty", ""));
    ASSERT_TRUE(d.addText("DB0", "twice"));
    EXPECT_EQ(working(d),
              "DB0=a\\b\rDBCount=1\rLow=-2147483648\rHigh=2147483647\rZero=0\rEmpty=\rDB0=twice\r");
    EXPECT_EQ(lookup(d, "DB0"), "a\\b") << "the first of two records wins";
}

TEST_F(QueryDefinitionTest, BackslashValueIsStoredDoubledAndReadBackSingle) {
    QueryDefinition d;
    ASSERT_TRUE(d.addText("DB0", "a\\b"));
    EXPECT_EQ(hostTextOf(d), "DB0=a\\\\b\\\n");
    EXPECT_EQ(bytes(d.encodedText()), "DB0=a\\\\b\\");
    EXPECT_EQ(d.storedLength(), 9);

    QueryDefinition back;
    parse(back, "DB0=a\\\\b\\\n");
    EXPECT_EQ(working(back), "DB0=a\\b\r\n");
    EXPECT_EQ(lookup(back, "DB0"), "a\\b");
}

TEST_F(QueryDefinitionTest, ValueEndingInBackslashGivesThreeBeforeTheLineFeed) {
    QueryDefinition d;
    build(d, {{"P", "x\\"}, {"Q", "y"}});
    std::string host = hostTextOf(d);
    EXPECT_EQ(host, "P=x\\\\\\\nQ=y\\\n");
    QueryDefinition back;
    parse(back, host);
    EXPECT_EQ(lookup(back, "P"), "x\\");
    EXPECT_EQ(lookup(back, "Q"), "y");
}

TEST_F(QueryDefinitionTest, SegmentsEndAtSingleBackslashes) {
    QueryDefinition d;
    build(d, {{"DB0", "a\\b"}, {"DBCount", "1"}});
    ASSERT_TRUE(d.encode());
    GrowableText s;
    ASSERT_EQ(d.nextSegment(&s), QueryDefinition::kFound);
    EXPECT_EQ(bytes(s), "DB0=a\\\\b\\");
    EXPECT_EQ(d.readPosition(), 9);
    ASSERT_EQ(d.nextSegment(&s), QueryDefinition::kFound);
    EXPECT_EQ(bytes(s), "DBCount=1\\");
    EXPECT_EQ(d.nextSegment(&s), QueryDefinition::kMissing);
    EXPECT_EQ(bytes(s), "") << "the out string is emptied also when nothing is left";
    EXPECT_EQ(d.nextSegment(&s), QueryDefinition::kMissing);
}

TEST_F(QueryDefinitionTest, ABackslashAtTheReadPositionGivesAnEmptySegment) {
    // A working text that starts with CR encodes to a leading single
    // backslash: the first segment is empty and that backslash is dropped.
    QueryDefinition d;
    parse(d, "\\A=1\\\n");
    ASSERT_EQ(working(d), "\rA=1\r\n");
    EXPECT_EQ(hostTextOf(d), "\nA=1\\\n\n\n");
    EXPECT_EQ(d.storedLength(), 6);
}

TEST_F(QueryDefinitionTest, EncodeAppendsToTheEncodedText) {
    QueryDefinition d;
    build(d, {{"A", "1"}});
    ASSERT_TRUE(d.encode());
    ASSERT_TRUE(d.encode());
    EXPECT_EQ(bytes(d.encodedText()), "A=1\\A=1\\");
    EXPECT_EQ(d.storedLength(), 8);
    EXPECT_EQ(d.readPosition(), 0);
}

TEST_F(QueryDefinitionTest, FinalSingleBackslashMakesTheTextUnreadable) {
    const char *unreadable[] = {
        "DB0=a\\\\b\\",            // the example without its final LF
        "DB0=x\\\nDB1=y\\",         // only the last line lacks it
        "x\\\\\\",                  // a pair, then a lone backslash
        "\\",
    };
    for (const char *text : unreadable) {
        QueryDefinition d;
        ASSERT_TRUE(d.addText("old", "contents"));
        EXPECT_TRUE(d.parseStored(text)) << text;
        EXPECT_EQ(working(d), "") << text;
        EXPECT_EQ(lookup(d, "DB0"), "<0>");
    }
    QueryDefinition pair;
    parse(pair, "x\\\\");
    EXPECT_EQ(working(pair), "x\\") << "a final doubled backslash is readable";
}

TEST_F(QueryDefinitionTest, CrLfLineEndsStillParse) {
    QueryDefinition d;
    parse(d, "DB0=x\\\r\nDBCount=2\\\r\nE0Dim0Script=\\\r\n");
    EXPECT_EQ(working(d), "DB0=x\r\r\nDBCount=2\r\r\nE0Dim0Script=\r\r\n");
    EXPECT_EQ(lookup(d, "DB0"), "x");
    int32_t count = -1;
    EXPECT_EQ(d.findNumber("DBCount", &count), QueryDefinition::kFound);
    EXPECT_EQ(count, 2);
    char line[8] = "stale";
    EXPECT_EQ(d.findInto("E0Dim0Script", line, sizeof line), QueryDefinition::kFound);
    EXPECT_STREQ(line, "");
    EXPECT_EQ(walk(d), (Records{{"DB0", "x"}, {"DBCount", "2"}, {"E0Dim0Script", ""}}));

    QueryDefinition built;
    build(built, {{"DB0", "x"}, {"DBCount", "2"}, {"E0Dim0Script", ""}});
    EXPECT_EQ(built.isCoveredBy(d), 1);
    EXPECT_EQ(d.isCoveredBy(built), 1);
}

TEST_F(QueryDefinitionTest, EmptyValueIsFound) {
    QueryDefinition d;
    build(d, {{"DB0", ""}, {"X", "5"}});
    GrowableText value;
    ASSERT_TRUE(value.appendText("stale"));
    EXPECT_EQ(d.findText("DB0", &value), QueryDefinition::kFound);
    EXPECT_EQ(bytes(value), "");
    int32_t number = 77;
    EXPECT_EQ(d.findNumber("DB0", &number), QueryDefinition::kFound);
    EXPECT_EQ(number, 0);
    char buffer[4] = "zz";
    EXPECT_EQ(d.findInto("DB0", buffer, sizeof buffer), QueryDefinition::kFound);
    EXPECT_STREQ(buffer, "");
}

TEST_F(QueryDefinitionTest, NameInsideAnEarlierValueIsTakenForTheRecord) {
    QueryDefinition d;
    build(d, {{"DB0", "see DB1=elsewhere"}, {"DB1", "sales.db"}});
    EXPECT_EQ(lookup(d, "DB1"), "elsewhere");
    QueryDefinition stored;
    parse(stored, hostTextOf(d));
    EXPECT_EQ(lookup(stored, "DB1"), "elsewhere");
    QueryDefinition suffix;
    build(suffix, {{"XDB1", "first"}, {"DB1", "second"}});
    EXPECT_EQ(lookup(suffix, "DB1"), "first") << "a name that ends another name";
}

TEST_F(QueryDefinitionTest, MissingNamesLeaveOutArgumentsEmptyOrUntouched) {
    QueryDefinition d;
    build(d, {{"DB0", "a"}, {"DB01", "b"}});
    GrowableText value;
    ASSERT_TRUE(value.appendText("stale"));
    EXPECT_EQ(d.findText("db0", &value), QueryDefinition::kMissing) << "names are case-sensitive";
    EXPECT_EQ(bytes(value), "");
    EXPECT_EQ(d.findText("DB", &value), QueryDefinition::kMissing) << "a prefix is no name";
    char buffer[8] = "stale";
    EXPECT_EQ(d.findInto("DB1", buffer, sizeof buffer), QueryDefinition::kMissing);
    EXPECT_STREQ(buffer, "");
    int32_t number = 42;
    EXPECT_EQ(d.findNumber("DB1", &number), QueryDefinition::kMissing);
    EXPECT_EQ(number, 42);
}

TEST_F(QueryDefinitionTest, NumbersAreReadLikeDecimalText) {
    const struct {
        const char *value;
        int32_t number;
    } cases[] = {
        {"42", 42},         {"-7", -7},         {"+5", 5},           {" \t 12", 12},
        {"12abc", 12},      {"3 4", 3},         {"abc", 0},          {"", 0},
        {"-", 0},           {"--5", 0},         {"- 5", 0},          {"0007", 7},
        {"2147483647", INT32_MAX},               {"-2147483648", INT32_MIN},
        {"99999999999", INT32_MAX},              {"-99999999999", INT32_MIN},
    };
    for (const auto &c : cases) {
        QueryDefinition d;
        ASSERT_TRUE(d.addText("N", c.value));
        int32_t number = 99;
        EXPECT_EQ(d.findNumber("N", &number), QueryDefinition::kFound) << c.value;
        EXPECT_EQ(number, c.number) << "'" << c.value << "'";
    }
}

TEST_F(QueryDefinitionTest, FixedBuffersAreNeverOverrun) {
    QueryDefinition d;
    build(d, {{"V", "0123456789"}});
    const struct {
        size_t capacity;
        int result;
        const char *text;
    } cases[] = {
        {16, QueryDefinition::kFound, "0123456789"},
        {11, QueryDefinition::kFound, "0123456789"},
        {10, QueryDefinition::kCut, "012345678"},
        {2, QueryDefinition::kCut, "0"},
        {1, QueryDefinition::kCut, ""},
    };
    for (const auto &c : cases) {
        char buffer[24];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(d.findInto("V", buffer, c.capacity), c.result) << c.capacity;
        EXPECT_STREQ(buffer, c.text);
        for (size_t i = c.capacity; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], '#') << "byte " << i << " written with capacity " << c.capacity;
    }
}

TEST_F(QueryDefinitionTest, FormattedNamesAreBoundedTo51Bytes) {
    const std::string name51(51, 'n');
    const std::string name52(52, 'n');
    char name[QueryDefinition::kNameSize];
    EXPECT_TRUE(formatRecordName(name, "E%dDim%d%sScript%d", 2, 10, "Sort", 3));
    EXPECT_STREQ(name, "E2Dim10SortScript3");
    EXPECT_TRUE(formatRecordName(name, "DB%d%%%d", -1, INT32_MIN));
    EXPECT_STREQ(name, "DB-1%-2147483648");
    EXPECT_TRUE(formatRecordName(name, "M%03dDB", 7));  // other conversions as printf writes them
    EXPECT_STREQ(name, "M007DB");
    EXPECT_TRUE(formatRecordName(name, "%s", name51.c_str()));
    EXPECT_EQ(name, name51);
    EXPECT_FALSE(formatRecordName(name, "%s", name52.c_str()));
    EXPECT_STREQ(name, "");

    QueryDefinition d;
    build(d, {{"DB3", "x.db"}, {"M2DB", "-1"}, {"E0Dim1SortScript2", "sort"}, {name51, "fits"},
              {name52, "too long"}});
    GrowableText value;
    EXPECT_EQ(d.findTextF(&value, "E%dDim%d%sScript%d", 0, 1, "Sort", 2), QueryDefinition::kFound);
    EXPECT_EQ(bytes(value), "sort");
    char buffer[260];
    EXPECT_EQ(d.findIntoF(buffer, sizeof buffer, "DB%d", 3), QueryDefinition::kFound);
    EXPECT_STREQ(buffer, "x.db");
    EXPECT_EQ(d.findIntoF(buffer, sizeof buffer, "DB%d", -1), QueryDefinition::kMissing);
    int32_t number = 5;
    EXPECT_EQ(d.findNumberF(&number, "M%dDB", 2), QueryDefinition::kFound);
    EXPECT_EQ(number, -1);

    EXPECT_EQ(d.findTextF(&value, "%s", name51.c_str()), QueryDefinition::kFound);
    EXPECT_EQ(bytes(value), "fits");
    EXPECT_EQ(lookup(d, name52.c_str()), "too long") << "plain names have no bound";
    EXPECT_EQ(d.findTextF(&value, "%s", name52.c_str()), QueryDefinition::kMissing);
    EXPECT_EQ(bytes(value), "");
    strcpy(buffer, "stale");
    EXPECT_EQ(d.findIntoF(buffer, sizeof buffer, "%s", name52.c_str()), QueryDefinition::kMissing);
    EXPECT_STREQ(buffer, "");
    number = 5;
    EXPECT_EQ(d.findNumberF(&number, "%s", name52.c_str()), QueryDefinition::kMissing);
    EXPECT_EQ(number, 5);
}

TEST_F(QueryDefinitionTest, NextRecordCannotCycleWhereANameStandsInAValue) {
    QueryDefinition d;
    build(d, {{"A", "B=x"}, {"B", "y"}, {"C", "z"}});
    EXPECT_EQ(walk(d), (Records{{"A", "B=x"}, {"B", "y"}, {"C", "z"}}));
    EXPECT_EQ(d.isCoveredBy(d), 1) << "the change test ends on such a text";
}

TEST_F(QueryDefinitionTest, NextRecordWalksLinesWithRecords) {
    QueryDefinition d;
    parse(d, "lead\\\nA=1=2\\\n\\\nnone\\\nB=\\\n=v\\\nC=line\nfeed");
    EXPECT_EQ(walk(d), (Records{{"A", "1=2"}, {"B", ""}, {"", "v"}, {"C", "line\nfeed"}}));
    QueryDefinition empty;
    EXPECT_TRUE(walk(empty).empty());
}

TEST_F(QueryDefinitionTest, CoverageLooksOnlyAtThisDefinitionsRecords) {
    const Records base = {{"DB0", "a"}, {"E0Dim0Name", "PRODUCT"}, {"E0Dim0Script", "limit"},
                          {"E0Dim0Script1", "keep"}};
    const struct {
        const char *what;
        Records other;
        int covered;
    } cases[] = {
        {"identical", base, 1},
        {"other has more records",
         {{"QL", "1"}, {"DB0", "a"}, {"E0Dim0Name", "PRODUCT"}, {"E0Dim0Script", "limit"},
          {"E0Dim0Script1", "keep"}, {"E0Dim0Script2", "extra"}},
         1},
        {"other lacks a record", {{"DB0", "a"}, {"E0Dim0Name", "PRODUCT"}, {"E0Dim0Script", "limit"}}, 0},
        {"a value differs",
         {{"DB0", "a"}, {"E0Dim0Name", "PRODUCT"}, {"E0Dim0Script", "limit"}, {"E0Dim0Script1", "kept"}},
         0},
        {"a value is a prefix",
         {{"DB0", "ab"}, {"E0Dim0Name", "PRODUCT"}, {"E0Dim0Script", "limit"}, {"E0Dim0Script1", "keep"}},
         0},
        {"other is empty", {}, 0},
    };
    QueryDefinition mine;
    build(mine, base);
    for (const auto &c : cases) {
        QueryDefinition other;
        build(other, c.other);
        EXPECT_EQ(mine.isCoveredBy(other), c.covered) << c.what;
    }
    QueryDefinition empty;
    EXPECT_EQ(empty.isCoveredBy(mine), 1) << "nothing to check";
}

TEST_F(QueryDefinitionTest, LosingAScriptsLastLineCountsAsCovered) {
    QueryDefinition input;
    parse(input, "E0Dim0Name=PRODUCT\\\nE0Dim0Script=first\\\nE0Dim0Script1=second\\\n");
    QueryDefinition output;
    build(output, {{"E0Dim0Name", "PRODUCT"}, {"E0Dim0Script", "first"}});
    EXPECT_EQ(output.isCoveredBy(input), 1);
    EXPECT_EQ(input.isCoveredBy(output), 0);
}

TEST_F(QueryDefinitionTest, ARecordAfterALineWithoutEqualsIsStillCompared) {
    // A CR inside a value splits it; the records after it still count.
    QueryDefinition output;
    build(output, {{"A", "x\ry"}, {"B", "1"}});
    QueryDefinition input;
    build(input, {{"A", "x\ry"}, {"B", "2"}});
    EXPECT_EQ(output.isCoveredBy(input), 0);
}

TEST_F(QueryDefinitionTest, StoredTextRoundTripsBothWays) {
    QueryDefinition built;
    build(built, {{"DB0", "C:\\data\\sales.db"}, {"DBCount", "1"}, {"E0Dim0Script", "a\nb"},
                  {"E0Dim0Script1", ""}, {"HIC", "\\"}, {"X", "DBCount=9"}});
    QueryDefinition parsed;
    parse(parsed, hostTextOf(built));
    EXPECT_EQ(walk(parsed), walk(built));
    EXPECT_EQ(built.isCoveredBy(parsed), 1);
    EXPECT_EQ(parsed.isCoveredBy(built), 1);
}

TEST_F(QueryDefinitionTest, ANameStartingWithABackslashDoesNotSurviveTheStoredForm) {
    // CR then backslash and backslash then CR both store as three
    // backslashes; the reading takes the pair first.
    QueryDefinition built;
    build(built, {{"A", "1"}, {"\\B", "2"}});
    std::string host = hostTextOf(built);
    EXPECT_EQ(host, "A=1\\\\\\\nB=2\\\n");
    QueryDefinition parsed;
    parse(parsed, host);
    EXPECT_EQ(walk(parsed), (Records{{"A", "1\\"}, {"B", "2"}}));
    EXPECT_EQ(built.isCoveredBy(parsed), 0);
}

TEST_F(QueryDefinitionTest, AppendsReportOutOfMemoryAndChangeNothing) {
    QueryDefinition d;
    ASSERT_TRUE(d.addText("A", "1"));
    const std::string before = working(d);
    const std::string big(200, 'v');
    memFailAt(1);
    EXPECT_FALSE(d.addText("B", big.c_str()));
    EXPECT_EQ(working(d), before);
    memFailAt(1);
    EXPECT_FALSE(d.addNumber(big.c_str(), 7));
    EXPECT_EQ(working(d), before);
    memFailAt(1);
    std::string stored = "B=" + big + "\\\n";
    EXPECT_FALSE(d.parseStored(stored.c_str()));
    EXPECT_EQ(working(d), before) << "a failed parse keeps the old working text";

    memFailAt(1);
    EXPECT_FALSE(d.encode());
    EXPECT_EQ(d.storedLength(), 0);
    EXPECT_EQ(bytes(d.encodedText()), "");

    GrowableText value;
    memFailAt(1);
    EXPECT_EQ(d.findText("A", &value), QueryDefinition::kNoMemory);
    EXPECT_EQ(bytes(value), "");
    memFailAt(0);
}

TEST_F(QueryDefinitionTest, SegmentsAndHostTextReportOutOfMemory) {
    QueryDefinition d;
    build(d, {{"A", "1"}, {"B", "2"}});
    ASSERT_TRUE(d.encode());
    GrowableText segment;
    memFailAt(1);
    EXPECT_EQ(d.nextSegment(&segment), QueryDefinition::kNoMemory);
    EXPECT_EQ(d.readPosition(), 0) << "the failed segment can be taken again";
    EXPECT_EQ(d.nextSegment(&segment), QueryDefinition::kFound);
    EXPECT_EQ(bytes(segment), "A=1\\");

    GrowableText host;
    ASSERT_TRUE(host.appendText("kept"));
    for (long k = 1; k <= 3; ++k) {
        QueryDefinition e;
        build(e, {{"A", "1"}, {"B", std::string(100, 'b')}});
        memFailAt(k);
        EXPECT_FALSE(produceHostText(&e, &host)) << "allocation " << k;
        memFailAt(0);
        EXPECT_EQ(bytes(host), "kept");
    }
}

// Every allocation of a whole build-store-read cycle in turn fails: each
// failure is reported by the operation that met it and nothing leaks.
TEST_F(QueryDefinitionTest, EveryAllocationFailureIsReported) {
    bool completed = false;
    for (long k = 1; !completed && k < 100; ++k) {
        long live = memLiveBlocks();
        {
            QueryDefinition out;
            GrowableText host;
            GrowableText value;
            QueryDefinition in;
            memFailAt(k);
            bool ok = out.addText("DB0", "a\\b") && out.addNumber("DBCount", 1) &&
                      out.addText("E0Dim0Script", std::string(40, 's').c_str()) &&
                      produceHostText(&out, &host) && in.parseStored(host.text()) &&
                      in.findText("E0Dim0Script", &value) == QueryDefinition::kFound;
            memFailAt(0);
            if (ok) {
                completed = true;
                EXPECT_EQ(in.isCoveredBy(out), 1);
                EXPECT_EQ(bytes(value), std::string(40, 's'));
            }
        }
        EXPECT_EQ(memLiveBlocks(), live) << "allocation " << k;
    }
    EXPECT_TRUE(completed);
}

}  // namespace
