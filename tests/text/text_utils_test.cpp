// The text routines, with the cases where the character set changes the
// answer run under each set.
#include "text/text_utils.h"

#include <string.h>

#include <vector>

#include "host/memory.h"
#include "tests/text/text_fixture.h"

namespace {

class TextUtilsTest : public TextTest {};

// Runs an in-place routine on a copy of text; returns the bytes up to and
// including the terminator.
std::string inPlace(void (*routine)(char *), const std::string &text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.resize(buffer.size() + 2, '\0');
    routine(buffer.data());
    return std::string(buffer.data(), textLength(buffer.data()) + terminatorSize());
}

// text as a C string with one zero byte, as the inPlace results of the
// single-zero sets compare.
std::string z(const std::string &text) { return text + std::string(1, '\0'); }

TEST_F(TextUtilsTest, SkipSpaceStopsAtTheFirstOtherCharacter) {
    struct Row {
        const char *set;
        std::string text;
        size_t offset;
    } rows[] = {
        {"LATIN1", bytes(""), 0},
        {"LATIN1", bytes(" \t x"), 3},
        {"LATIN1", bytes("   "), 3},  // the terminator
        {"LATIN1", bytes("\xA1\xA1x"), 0},
        {"GBK", bytes("\xA1\xA1x"), 2},  // the ideographic space
        {"GBK", bytes("\x81\x20"), 0},
        {"SOSI", bytes(" \x0E\xA1\xA1\x0Fx"), 1},  // a shift byte is not white space
        {"UCS2", ucs2("  x"), 4},
        {kBytewise, bytes(" \x0B\xA1"), 2},
    };
    for (const Row &r : rows) {
        use(r.set);
        EXPECT_EQ(static_cast<size_t>(skipSpace(r.text.c_str()) - r.text.c_str()), r.offset) << r.set;
    }
}

TEST_F(TextUtilsTest, TrimLeftMovesTheRestToTheStart) {
    struct Row {
        const char *set;
        std::string text, trimmed;
    } rows[] = {
        {"LATIN1", "   ", z("")},
        {"LATIN1", "", z("")},
        {"LATIN1", "  ab ", z("ab ")},
        {"LATIN1", "ab", z("ab")},
        {"LATIN1", "\xA1\xA1" "ab", z("\xA1\xA1" "ab")},
        {"GBK", "\xA1\xA1" "ab", z("ab")},
        {"SOSI", " \t\x0E\x41\x42\x0F", z("\x0E\x41\x42\x0F")},
        {"UCS2", ucs2(" ab"), ucs2("ab")},
    };
    for (const Row &r : rows) {
        use(r.set);
        EXPECT_EQ(inPlace(trimLeft, r.text), r.trimmed) << r.set << " [" << r.text << "]";
    }
}

TEST_F(TextUtilsTest, TrimRightCutsOnlyTheTrailingRun) {
    struct Row {
        const char *set;
        std::string text, trimmed;
    } rows[] = {
        {"LATIN1", "a b  ", z("a b")},
        {"LATIN1", "ab", z("ab")},
        {"LATIN1", "   ", z("")},
        {"LATIN1", "", z("")},
        {"LATIN1", " a \tb\n", z(" a \tb")},
        {"LATIN1", "ab\xA1\xA1", z("ab\xA1\xA1")},
        {"GBK", "ab\xA1\xA1", z("ab")},
        // A double-byte character whose second byte is 0x20 is no space.
        {"LATIN1", "ab\x81\x20", z("ab\x81")},
        {"GBK", "ab\x81\x20", z("ab\x81\x20")},
        {"SOSI", "x\x0E\x41\x42\x0F  ", z("x\x0E\x41\x42\x0F")},
        {"SOSI", "x\x0E\x20\x20", z("x\x0E\x20\x20")},  // one double-byte character
        {"LATIN1", "x\x0E\x20\x20", z("x\x0E")},
        {"SOSI", "x\x0E\xA1\xA1", z("x\x0E")},
        {"UCS2", ucs2("ab  "), ucs2("ab")},
    };
    for (const Row &r : rows) {
        use(r.set);
        EXPECT_EQ(inPlace(trimRight, r.text), r.trimmed) << r.set << " [" << r.text << "]";
    }
}

TEST_F(TextUtilsTest, EndsWithCharNeedsASingleByteCharacter) {
    struct Row {
        const char *set;
        std::string text;
        int result;
    } rows[] = {
        {"LATIN1", bytes(""), 0},
        {"LATIN1", bytes("dir\\"), 1},
        {"LATIN1", bytes("dir"), 0},
        {"LATIN1", bytes("dir\x81\x5C"), 1},
        {"GBK", bytes("dir\x81\x5C"), 0},  // the 0x5C is the character's second byte
        {"GBK", bytes("dir\\"), 1},
        {"SOSI", bytes("\x0E\x41\x5C"), 0},
        {"SOSI", bytes("\x0E\x41\x42\x0F\\"), 1},
        {"UCS2", ucs2("a\\"), 0},
        {kBytewise, bytes("dir\x81\x5C"), 1},
    };
    for (const Row &r : rows) {
        use(r.set);
        EXPECT_EQ(endsWithChar(r.text.c_str(), '\\'), r.result) << r.set << " " << r.text;
    }
}

struct PathRow {
    const char *set;
    std::string path;
    size_t capacity;
    std::string base, stem;
};

TEST_F(TextUtilsTest, BaseNameAndStemOfAPath) {
    const PathRow rows[] = {
        {"LATIN1", "C:\\dir/sub\\file.db", 64, "file.db", "file"},
        {"LATIN1", "archive.tar.gz", 64, "archive.tar.gz", "archive.tar"},
        {"LATIN1", "noext", 64, "noext", "noext"},
        {"LATIN1", "dir.d\\.profile", 64, ".profile", ""},
        {"LATIN1", "dir\\", 64, "", ""},
        {"LATIN1", "", 64, "", ""},
        {"LATIN1", "a/b.", 64, "b.", "b"},
        // The master database's stem in the relational start-up command.
        {"LATIN1", "C:/data/sales.db", 64, "sales.db", "sales"},
        {"LATIN1", "a/b.c/", 64, "", ""},
        {"LATIN1", "/.profile", 64, ".profile", ""},
        // The second byte of a GBK character is no separator and no dot.
        {"LATIN1", "C:\\\x81\x5Cname.x", 64, "name.x", "name"},
        {"GBK", "C:\\\x81\x5Cname.x", 64, "\x81\x5Cname.x", "\x81\x5Cname"},
        {"LATIN1", "nm\x81\x2Ex", 64, "nm\x81\x2Ex", "nm\x81"},
        {"GBK", "nm\x81\x2Ex", 64, "nm\x81\x2Ex", "nm\x81\x2Ex"},
        {"SOSI", "d\\\x0E\x41\x5C\x41\x2E\x0F.q", 64, "\x0E\x41\x5C\x41\x2E\x0F.q", "\x0E\x41\x5C\x41\x2E\x0F"},
        // Cut to the buffer, never inside a character.
        {"LATIN1", "dir\\abcdefg.x", 5, "abcd", "abcd"},
        {"GBK", "x\\ab\x81\x41.c", 4, "ab", "ab"},
        {"GBK", "x\\ab\x81\x41.c", 5, "ab\x81\x41", "ab\x81\x41"},
        {"SOSI", "\x0E\x41\x42\x43\x44\x0F.e", 5, "\x0E\x41\x42\x0F", "\x0E\x41\x42\x0F"},
    };
    for (const PathRow &r : rows) {
        use(r.set);
        std::vector<char> out(r.capacity + 1, '#');
        pathBaseName(out.data(), r.capacity, r.path.c_str());
        EXPECT_EQ(std::string(out.data()), r.base) << r.set << " " << r.path;
        EXPECT_EQ(out[r.capacity], '#') << "past the capacity: " << r.path;
        std::fill(out.begin(), out.end(), '#');
        pathStem(out.data(), r.capacity, r.path.c_str());
        EXPECT_EQ(std::string(out.data()), r.stem) << r.set << " " << r.path;
        EXPECT_EQ(out[r.capacity], '#') << "past the capacity: " << r.path;
    }
}

TEST_F(TextUtilsTest, StemInThePathsOwnBuffer) {
    char path[] = "D:\\data\\sales.qdb";
    pathStem(path, sizeof path, path);
    EXPECT_STREQ(path, "sales");
    char small[] = "D:\\data\\sales.qdb";
    pathStem(small, 4, small);
    EXPECT_STREQ(small, "sal");
}

TEST_F(TextUtilsTest, LongBaseNamesAreKeptWhenTheOutputHoldsThem) {
    std::string name(400, 'n');
    std::string path = "C:\\dir\\" + name + ".ext";
    std::vector<char> out(512);
    pathBaseName(out.data(), out.size(), path.c_str());
    EXPECT_EQ(std::string(out.data()), name + ".ext");
    pathStem(out.data(), out.size(), path.c_str());
    EXPECT_EQ(std::string(out.data()), name);
}

TEST_F(TextUtilsTest, TwoZeroPathsHaveNoSeparators) {
    use("UCS2");
    std::string path = ucs2("a\\b.c");
    char out[32];
    pathBaseName(out, sizeof out, path.c_str());
    EXPECT_EQ(std::string(out, 12), path);
    pathBaseName(out, 5, path.c_str());
    EXPECT_EQ(std::string(out, 4), std::string("a\0\0\0", 4)) << "cut after one whole unit";
}

struct UnquoteRow {
    const char *set;
    std::string text;
    size_t capacity;
    std::string output;
};

TEST_F(TextUtilsTest, UnquoteRemovesOnePairOfQuotes) {
    const UnquoteRow rows[] = {
        {"LATIN1", "  'abc'", 32, "abc"},
        {"LATIN1", "\"abc", 32, "abc"},
        {"LATIN1", "abc'", 32, "abc'"},
        {"LATIN1", "   ", 32, "   "},
        {"LATIN1", "", 32, ""},
        {"LATIN1", "'abc\"", 32, "abc\""},
        {"LATIN1", "''", 32, ""},
        {"LATIN1", "'", 32, ""},
        {"LATIN1", "'a'b'", 32, "a'b"},
        {"LATIN1", " \"a b\" ", 32, "a b\" "},  // only the last character closes
        // A quote byte inside a double-byte character closes nothing.
        {"LATIN1", "'ab\x81'", 32, "ab\x81"},
        {"GBK", "'ab\x81'", 32, "ab\x81'"},
        {"SOSI", "'a\x0E\x27\x41", 32, "a\x0E\x27\x41"},
        {"SOSI", "'a\x0E\x41\x42\x0F'", 32, "a\x0E\x41\x42\x0F"},
        {"GBK", "\xA1\xA1'x'", 32, "x"},
        // Cut to the buffer; the closing quote goes first.
        {"LATIN1", "'abcdef'", 4, "abc"},
        {"LATIN1", "'ab'", 3, "ab"},
        {"GBK", "'a\x81\x41'", 3, "a"},
        {"LATIN1", "    ", 3, "  "},
    };
    for (const UnquoteRow &r : rows) {
        use(r.set);
        std::vector<char> out(r.capacity + 1, '#');
        EXPECT_EQ(unquote(r.text.c_str(), out.data(), r.capacity), r.output.size()) << r.set << " " << r.text;
        EXPECT_EQ(std::string(out.data()), r.output) << r.set << " " << r.text;
        EXPECT_EQ(out[r.capacity], '#');
    }
}

TEST_F(TextUtilsTest, UnquoteInTheTwoZeroSetKeepsQuotes) {
    use("UCS2");
    std::string text = ucs2(" 'a'");
    char out[16];
    EXPECT_EQ(unquote(text.c_str(), out, sizeof out), 6u);
    EXPECT_EQ(std::string(out, 8), ucs2("'a'"));
}

struct LineRow {
    const char *set;
    std::string text;
    size_t capacity;
    std::string line;
    size_t rest;  // offset of the rest
    int result;
};

TEST_F(TextUtilsTest, ReadLineConsumesOneLineAndItsEnd) {
    const LineRow rows[] = {
        {"LATIN1", "ab\r\ncd", 16, "ab", 4, 1},
        {"LATIN1", "\n", 16, "", 1, 1},
        {"LATIN1", "", 16, "", 0, 0},
        {"LATIN1", "a\rb", 16, "a", 2, 1},
        {"LATIN1", "a\n\nb", 16, "a", 2, 1},
        {"LATIN1", "a\n\r\nb", 16, "a", 2, 1},
        {"LATIN1", "abc", 16, "abc", 3, 1},
        {"LATIN1", "\r\n", 16, "", 2, 1},
        {"LATIN1", "a\r", 16, "a", 2, 1},
        // A CR or LF byte inside a double-byte character ends no line.
        {"LATIN1", "\x81\x0Dx\ny", 16, "\x81", 2, 1},
        {"GBK", "\x81\x0Dx\ny", 16, "\x81\x0Dx", 4, 1},
        {"SOSI", "\x0E\x41\x0A\x0F\nz", 16, "\x0E\x41\x0A\x0F", 5, 1},
        // A longer line is cut; the rest still starts after its line end.
        {"LATIN1", "abcdef\nxy", 4, "abc", 7, 1},
        {"GBK", "a\x81\x41\ny", 3, "a", 4, 1},
    };
    for (const LineRow &r : rows) {
        use(r.set);
        std::vector<char> line(r.capacity + 1, '#');
        const char *rest = nullptr;
        EXPECT_EQ(readLine(r.text.c_str(), line.data(), r.capacity, &rest), r.result) << r.set << " " << r.text;
        EXPECT_EQ(std::string(line.data()), r.line) << r.set << " " << r.text;
        EXPECT_EQ(static_cast<size_t>(rest - r.text.c_str()), r.rest) << r.set << " " << r.text;
        EXPECT_EQ(line[r.capacity], '#');
    }
}

TEST_F(TextUtilsTest, ReadLineCountsEveryLine) {
    const char *reply = "one\r\n\r\nthree\nfour";
    std::vector<std::string> lines;
    char line[16];
    for (const char *p = reply, *rest; readLine(p, line, sizeof line, &rest) == 1; p = rest)
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "", "three", "four"}));
}

TEST_F(TextUtilsTest, ReadLineInTheTwoZeroSetTakesTheWholeText) {
    use("UCS2");
    std::string text = ucs2("a\nb");
    char line[16];
    const char *rest;
    EXPECT_EQ(readLine(text.c_str(), line, sizeof line, &rest), 1);
    EXPECT_EQ(std::string(line, 8), text);
    EXPECT_EQ(rest, text.c_str() + 6);
}

TEST_F(TextUtilsTest, ZeroCapacityWritesNothing) {
    char sentinel = '#';
    const char *rest;
    EXPECT_EQ(readLine("abc", &sentinel, 0, &rest), 1);
    const char *quoted = "'a'";
    EXPECT_EQ(quotedItem(quoted, &sentinel, 0, 0), quoted + 3);
    EXPECT_EQ(unquote("abc", &sentinel, 0), 0u);
    pathStem(&sentinel, 0, "a.b");
    EXPECT_EQ(sentinel, '#');
}

struct ItemRow {
    const char *set;
    std::string text;
    int n;
    size_t capacity;
    std::string item;
    size_t returned;  // offset of the returned position
};

TEST_F(TextUtilsTest, QuotedItemPicksTheNthItem) {
    const ItemRow rows[] = {
        {"LATIN1", "'a' 'b' 'x'", 1, 16, "b", 7},
        {"LATIN1", "'a' 'b' 'x'", 3, 16, "", 11},
        {"LATIN1", "'a' 'b' 'x'", 0, 16, "a", 3},
        {"LATIN1", "''", 0, 16, "", 2},
        {"LATIN1", "'a''b'", 1, 16, "b", 6},
        {"LATIN1", "x 'abc", 0, 16, "abc", 6},
        {"LATIN1", "'a' 'b", 1, 16, "b", 6},
        {"LATIN1", "'a' 'b", 2, 16, "", 6},
        {"LATIN1", "no quotes", 0, 16, "", 9},
        {"LATIN1", "", 0, 16, "", 0},
        // A quote byte inside a double-byte character is no delimiter.
        {"LATIN1", "'\x81\x27x' 'y'", 0, 16, "\x81", 3},
        {"GBK", "'\x81\x27x' 'y'", 0, 16, "\x81\x27x", 5},
        {"GBK", "'\x81\x27x' 'y'", 1, 16, "y", 9},
        {"SOSI", "'\x0E\x27\x27\x0F' 'y'", 0, 16, "\x0E\x27\x27\x0F", 6},
        // Cut to the buffer; the position is still after the closing quote.
        {"LATIN1", "'abcdef' 'z'", 0, 3, "ab", 8},
        {"GBK", "'a\x81\x41' 'z'", 0, 3, "a", 5},
    };
    for (const ItemRow &r : rows) {
        use(r.set);
        std::vector<char> out(r.capacity + 1, '#');
        const char *p = quotedItem(r.text.c_str(), out.data(), r.capacity, r.n);
        EXPECT_EQ(std::string(out.data()), r.item) << r.set << " " << r.text << " n=" << r.n;
        EXPECT_EQ(static_cast<size_t>(p - r.text.c_str()), r.returned) << r.set << " " << r.text;
        EXPECT_EQ(out[r.capacity], '#');
    }
}

TEST_F(TextUtilsTest, QuotedItemsReadOneAfterAnother) {
    const char *line = "limit 'SORTVALS' 'm1' 'NA'";
    std::vector<std::string> items;
    char item[16];
    const char *end = line + strlen(line);
    for (const char *p = line; p != end;) {
        p = quotedItem(p, item, sizeof item, 0);
        items.push_back(item);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"SORTVALS", "m1", "NA"}));
}

TEST_F(TextUtilsTest, QuotedItemInTheTwoZeroSetFindsNone) {
    use("UCS2");
    std::string text = ucs2("'a'");
    char out[8] = "#######";
    EXPECT_EQ(quotedItem(text.c_str(), out, sizeof out, 0), text.c_str() + 6);
    EXPECT_EQ(std::string(out, 3), std::string("\0\0#", 3));
}

TEST_F(TextUtilsTest, EscapeLineBreaksReplacesEachCrLf) {
    struct Row {
        const char *set;
        std::string text, escaped;
        int count;
    } rows[] = {
        {"LATIN1", "a\r\nb\r\n", "a\\nb\\n", 2},
        {"LATIN1", "", "", 0},
        {"LATIN1", "a\rb\n", "a\rb\n", 0},
        {"LATIN1", "\r\r\n", "\r\\n", 1},
        {"LATIN1", "\n\r", "\n\r", 0},
        // A CR that is the second byte of a double-byte character is kept.
        {"LATIN1", "\x81\r\n", "\x81\\n", 1},
        {"GBK", "\x81\r\n", "\x81\r\n", 0},
        {"GBK", "\x81\x41\r\n", "\x81\x41\\n", 1},
        {"SOSI", "\x0E\r\n\x0F\r\n", "\x0E\r\n\x0F\\n", 1},
    };
    for (const Row &r : rows) {
        use(r.set);
        std::vector<char> buffer(r.text.begin(), r.text.end());
        buffer.push_back('\0');
        EXPECT_EQ(escapeLineBreaks(buffer.data()), r.count) << r.set << " " << r.text;
        EXPECT_EQ(std::string(buffer.data()), r.escaped) << r.set;
        EXPECT_EQ(buffer.size(), r.text.size() + 1);
    }
}

TEST_F(TextUtilsTest, DupTextCopiesWithRoomToSpare) {
    long live = memLiveBlocks();
    char *copy = dupText("abc", 5);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "abc");
    EXPECT_EQ(memLiveBlocks(), live + 1);
    memset(copy + 4, 'x', 5);  // the extra bytes are the caller's (ASan checks the size)
    memFree(copy);

    use("UCS2");
    std::string text = ucs2("ab");
    copy = dupText(text.c_str(), 0);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::string(copy, 6), text);
    memFree(copy);
}

TEST_F(TextUtilsTest, DupTextWithoutMemoryIsNull) {
    long live = memLiveBlocks();
    memFailAt(1);
    EXPECT_EQ(dupText("abc", 0), nullptr);
    EXPECT_EQ(memLiveBlocks(), live);
}

TEST_F(TextUtilsTest, BytewiseFormCountsEveryByteAsACharacter) {
    use(kBytewise);
    EXPECT_EQ(endsWithChar("\x81\\", '\\'), 1);
    const char *gbkBytes = "ab\x81\x41";
    EXPECT_EQ(endsWithChar(gbkBytes, 'A'), 1);
    char line[8];
    const char *rest;
    const char *text = "\x81\ny";
    EXPECT_EQ(readLine(text, line, sizeof line, &rest), 1);
    EXPECT_STREQ(line, "\x81");
    EXPECT_EQ(rest, text + 2);
    char item[8];
    quotedItem("'\x81''x'", item, sizeof item, 1);
    EXPECT_STREQ(item, "x");
    EXPECT_EQ(inPlace(trimRight, "ab \t"), z("ab"));
}

}  // namespace
