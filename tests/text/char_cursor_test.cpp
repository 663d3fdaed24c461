// The character cursor, the character writer and the bounded copy, under
// each character set.
#include "text/char_cursor.h"
#include "text/nls_text.h"

#include <string.h>

#include <vector>

#include "tests/text/text_fixture.h"

namespace {

class CharCursorTest : public TextTest {};

struct WalkRow {
    const char *set;
    std::string text;
    std::vector<size_t> starts;     // offsets of the characters
    std::vector<bool> singleBytes;  // the single-byte test at each
};

TEST_F(CharCursorTest, WalksCharacterByCharacter) {
    const WalkRow rows[] = {
        {"LATIN1", bytes("a\x81\x5C"), {0, 1, 2}, {true, true, true}},
        {"GBK", bytes("a\x81\x5C" "b"), {0, 1, 3}, {true, false, true}},
        {"GBK", bytes("\x81"), {0}, {false}},
        {"SOSI", bytes("a\x0E\x41\x42\x0F;"), {0, 1, 2, 4, 5}, {true, true, false, false, true}},
        {"UCS2", ucs2("a;"), {0, 2}, {false, false}},
        {kBytewise, bytes("a\x81\x5C"), {0, 1, 2}, {true, true, true}},
    };
    for (const WalkRow &r : rows) {
        use(r.set);
        std::vector<size_t> starts;
        std::vector<bool> singles;
        for (CharCursor c(r.text.c_str()); !c.atEnd(); c.step()) {
            starts.push_back(c.offset());
            singles.push_back(c.singleByte());
        }
        EXPECT_EQ(starts, r.starts) << r.set;
        EXPECT_EQ(singles, r.singleBytes) << r.set;
    }
}

TEST_F(CharCursorTest, DelimiterMatchesOnlyASingleByteCharacter) {
    // The second byte of the GBK character is a backslash, and so is the
    // second byte of the pair in the double-byte shift state.
    struct Row {
        const char *set;
        std::string text;
        int backslashes;
    } rows[] = {
        {"LATIN1", bytes("\x81\\\\"), 2},
        {"GBK", bytes("\x81\\\\"), 1},
        {"SOSI", bytes("\x0E\x41\\\x0F\\"), 1},
        {"SOSI", bytes("\x41\\\\"), 2},
        {"UCS2", ucs2("\\"), 0},
        {kBytewise, bytes("\x81\\\\"), 2},
    };
    for (const Row &r : rows) {
        use(r.set);
        int found = 0;
        for (CharCursor c(r.text.c_str()); !c.atEnd(); c.step())
            found += c.is('\\') ? 1 : 0;
        EXPECT_EQ(found, r.backslashes) << r.set;
    }
}

TEST_F(CharCursorTest, SpaceTestFollowsTheSet) {
    struct Row {
        const char *set;
        std::string text;
        std::vector<bool> spaces;  // at each character
    } rows[] = {
        {"LATIN1", bytes(" \t\xA1\xA1x"), {true, true, false, false, false}},
        {"GBK", bytes(" \t\xA1\xA1x"), {true, true, true, false}},
        {"SOSI", bytes(" \x0E\xA1\xA1\x20\x20\x0F "), {true, false, true, false, false, true}},
        {"UCS2", ucs2(" x\t"), {true, false, true}},
        {kBytewise, bytes(" \t\xA1\x0Bx"), {true, true, false, true, false}},
    };
    for (const Row &r : rows) {
        use(r.set);
        std::vector<bool> spaces;
        for (CharCursor c(r.text.c_str()); !c.atEnd(); c.step())
            spaces.push_back(c.isSpace());
        EXPECT_EQ(spaces, r.spaces) << r.set;
    }
}

TEST_F(CharCursorTest, TwoZeroTextEndsOnlyAtTwoZeroBytes) {
    use("UCS2");
    std::string text("\x00\x01\x41\x00\x00\x00", 6);  // U+0100, A
    CharCursor c(text.c_str());
    EXPECT_FALSE(c.atEnd()) << "a zero first byte alone does not end the text";
    c.step();
    EXPECT_EQ(c.offset(), 2u);
    c.step();
    EXPECT_TRUE(c.atEnd());
    EXPECT_EQ(c.offset(), 4u);
}

TEST_F(CharCursorTest, StepsOneByteAtOrBeyondTheTrackedLength) {
    use("GBK");
    std::string text = bytes("\x81\x41\x81\x41");
    CharCursor c(text.c_str());
    c.step();
    EXPECT_EQ(c.offset(), 2u) << "lxmfwdx takes the whole character";
    c.nls()->length = 2;  // as if the text had been measured shorter
    c.step();
    EXPECT_EQ(c.offset(), 3u) << "one byte once the tracked length is reached";
}

TEST_F(CharCursorTest, CharBytesIsTheWidthOfTheCurrentCharacter) {
    use("GBK");
    std::string text = bytes("a\x81\x41");
    CharCursor c(text.c_str());
    EXPECT_EQ(c.charBytes(), 1u);
    c.step();
    EXPECT_EQ(c.charBytes(), 2u);
    c.step();
    EXPECT_EQ(c.charBytes(), 0u);
}

struct CopyRow {
    const char *set;
    std::string source;  // with its terminator
    size_t capacity;
    std::string written;  // bytes the copy leaves, terminator included
};

TEST_F(CharCursorTest, BoundedCopyCutsAtACharacterBoundary) {
    const CopyRow rows[] = {
        {"LATIN1", bytes("abc"), 4, std::string("abc\0", 4)},
        {"LATIN1", bytes("abc"), 3, std::string("ab\0", 3)},
        {"LATIN1", bytes("abc"), 1, std::string("\0", 1)},
        {"LATIN1", bytes("a\x81\x5C"), 3, std::string("a\x81\0", 3)},
        {"GBK", bytes("a\x81\x5C"), 3, std::string("a\0", 2)},  // never half a character
        {"GBK", bytes("a\x81\x5C"), 4, std::string("a\x81\x5C\0", 4)},
        // A cut inside the double-byte state ends with the shift-in byte.
        {"SOSI", bytes("\x0E\x41\x42\x43\x44\x0F"), 6, std::string("\x0E\x41\x42\x0F\0", 5)},
        {"SOSI", bytes("\x0E\x41\x42\x43\x44\x0F"), 5, std::string("\x0E\x41\x42\x0F\0", 5)},
        {"SOSI", bytes("\x0E\x41\x42\x43\x44\x0F"), 4, std::string("\0", 1)},  // no lone shift-out
        {"SOSI", bytes("a\x0E\x41\x42\x0F" "b"), 6, std::string("a\x0E\x41\x42\x0F\0", 6)},
        {"SOSI", bytes("\x0E\x41\x42\x43\x44\x0F"), 7, std::string("\x0E\x41\x42\x43\x44\x0F\0", 7)},
        {"UCS2", ucs2("ab"), 5, std::string("a\0\0\0", 4)},
        {"UCS2", ucs2("ab"), 6, ucs2("ab")},
        {"UCS2", ucs2("ab"), 1, ""},
    };
    for (const CopyRow &r : rows) {
        use(r.set);
        std::vector<char> out(r.capacity + 4, '#');
        size_t n = copyChars(out.data(), r.capacity, r.source.c_str(), textLength(r.source.c_str()));
        EXPECT_EQ(std::string(out.data(), r.written.size()), r.written) << r.set << " cap " << r.capacity;
        EXPECT_EQ(n + (r.written.empty() ? 0 : terminatorSize()), r.written.size()) << r.set;
        for (size_t i = r.written.size(); i < out.size(); ++i)
            ASSERT_EQ(out[i], '#') << r.set << " wrote beyond the copy at " << i;
    }
}

TEST_F(CharCursorTest, BoundedCopyOfASpanAndInPlace) {
    use("GBK");
    char out[8];
    EXPECT_EQ(copyChars(out, sizeof out, "ab\x81\x41zz", 4), 4u);
    EXPECT_STREQ(out, "ab\x81\x41");
    char text[] = "xyab\x81\x41";
    EXPECT_EQ(copyChars(text, sizeof text, text + 2, 4), 4u) << "overlapping regions";
    EXPECT_STREQ(text, "ab\x81\x41");
}

// Copies every character of source through a writer, doubling single-byte
// slashes, as the connect string escapes its values.
std::string escapeSlashes(const std::string &source, size_t capacity) {
    std::vector<char> out(capacity + 2, '#');
    CharWriter w(out.data(), capacity);
    for (CharCursor c(source.c_str()); !c.atEnd();) {
        bool slash = c.is('/');
        if (!w.copyChar(&c) || (slash && !w.writeChar('/')))
            break;
    }
    size_t n = w.close();
    EXPECT_EQ(out[capacity], '#') << "the writer passed its capacity";
    return std::string(out.data(), n + terminatorSize());
}

TEST_F(CharCursorTest, WriterCopiesCharactersAndClosesTheText) {
    struct Row {
        const char *set;
        std::string source;
        size_t capacity;
        std::string written;
    } rows[] = {
        {"LATIN1", bytes("a/\x81/"), 16, std::string("a//\x81//\0", 7)},
        {"GBK", bytes("a/\x81/"), 16, std::string("a//\x81/\0", 6)},
        {"SOSI", bytes("a\x0E\x41/\x0F/"), 16, std::string("a\x0E\x41/\x0F//\0", 8)},
        {"SOSI", bytes("a\x0E\x41\x42"), 16, std::string("a\x0E\x41\x42\x0F\0", 6)},
        {"LATIN1", bytes("abcdef"), 4, std::string("abc\0", 4)},
        {"SOSI", bytes("\x0E\x41\x42\x43\x44"), 6, std::string("\x0E\x41\x42\x0F\0", 5)},
        {"UCS2", ucs2("a/"), 16, ucs2("a/")},
        {kBytewise, bytes("a/\x81/"), 16, std::string("a//\x81//\0", 7)},
    };
    for (const Row &r : rows) {
        use(r.set);
        EXPECT_EQ(escapeSlashes(r.source, r.capacity), r.written) << r.set;
    }
}

}  // namespace
