// The national-language stand-in: its character sets and the behaviour of
// each operation that this project chooses.
#include "host/tsknls.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const NlsLanguage *language(const char *name) {
    return static_cast<const NlsLanguage *>(nlsOpenLanguage(name));
}

const NlsContext *context() { return static_cast<const NlsContext *>(nlsGlobalContext()); }

// A UCS2 text of ASCII characters, with its two-byte terminator.
std::string ucs2(const char *ascii) {
    std::string s;
    for (; *ascii != '\0'; ++ascii) {
        s += *ascii;
        s += '\0';
    }
    s += std::string(2, '\0');
    return s;
}

// The byte offsets at which lxmfwdx stops, walking text from its start, and
// the shift state in effect at each.
struct Walk {
    std::vector<int> offsets;
    std::vector<int> states;
};

Walk walk(const char *set, const char *text) {
    NlsCursor c;
    EXPECT_EQ(lxmcpen(text, -1, &c, language(set), context()), 1);
    Walk w;
    for (int guard = 0; guard < 64; ++guard) {
        w.offsets.push_back(static_cast<int>(c.position - c.start));
        w.states.push_back(c.shiftState);
        if (lxmfwdx(&c, context()) == 0)
            break;
    }
    return w;
}

TEST(NlsStandIn, OffersItsCharacterSetsByName) {
    struct Row {
        const char *name;
        uint32_t flags;
        uint8_t shiftIn, shiftOut;
    } rows[] = {
        {"LATIN1", NLS_FLAG_SINGLE_BYTE, 0, 0},
        {"GBK", 0, 0, 0},
        {"SOSI", 0, 0x0F, 0x0E},
        {"UCS2", NLS_FLAG_TWO_ZERO_TERMINATOR, 0, 0},
    };
    for (const Row &r : rows) {
        const NlsLanguage *l = language(r.name);
        ASSERT_NE(l, nullptr) << r.name;
        EXPECT_EQ(l->flags, r.flags) << r.name;
        EXPECT_EQ(l->shiftIn, r.shiftIn) << r.name;
        EXPECT_EQ(l->shiftOut, r.shiftOut) << r.name;
        EXPECT_STREQ(l->name, r.name);
        EXPECT_LT(l->classTable, context()->tableCount) << r.name;
    }
    EXPECT_EQ(nlsOpenLanguage("latin1"), nullptr);
    EXPECT_EQ(nlsOpenLanguage("UTF-8"), nullptr);
    EXPECT_EQ(nlsOpenLanguage(nullptr), nullptr);
}

TEST(NlsStandIn, ClassTablesMarkSpacesAndDoubleByteLeads) {
    for (const char *set : {"LATIN1", "GBK", "SOSI"}) {
        const NlsLanguage *l = language(set);
        for (int b = 0; b < 256; ++b) {
            bool space = b == 0x20 || (b >= 0x09 && b <= 0x0D);
            bool lead = strcmp(set, "GBK") == 0 && b >= 0x81 && b <= 0xFE;
            uint16_t cls = nlsCharClass(l, context(), static_cast<uint8_t>(b));
            EXPECT_EQ((cls & NLS_CLASS_SPACE) != 0, space) << set << " byte " << b;
            EXPECT_EQ((cls & NLS_CLASS_MULTIBYTE_LEAD) != 0, lead) << set << " byte " << b;
        }
    }
}

TEST(NlsStandIn, ReadCursorOpensOnTheFirstCharacter) {
    struct Row {
        const char *set;
        std::string text;
        int32_t singleByteSet, shiftSensitive, length;
    } rows[] = {
        {"LATIN1", "ab\xE9", 1, 0, 3},
        {"GBK", "a\x81\x5C", 0, 0, 3},
        {"SOSI", "a\x0E\x41\x42\x0F", 0, 1, 5},
        {"UCS2", ucs2("abc"), 0, 0, 6},
    };
    for (const Row &r : rows) {
        NlsCursor c;
        memset(&c, 0x55, sizeof c);
        ASSERT_EQ(lxmcpen(r.text.c_str(), -1, &c, language(r.set), context()), 1) << r.set;
        EXPECT_EQ(c.singleByteSet, r.singleByteSet) << r.set;
        EXPECT_EQ(c.shiftSensitive, r.shiftSensitive) << r.set;
        EXPECT_EQ(c.position, reinterpret_cast<const uint8_t *>(r.text.c_str())) << r.set;
        EXPECT_EQ(c.start, c.position) << r.set;
        EXPECT_EQ(c.language, language(r.set)) << r.set;
        EXPECT_EQ(c.shiftState, 0) << r.set;
        EXPECT_EQ(c.length, r.length) << r.set;
    }
    NlsCursor c;
    EXPECT_EQ(lxmcpen("abc", 2, &c, language("GBK"), context()), 1);
    EXPECT_EQ(c.length, 2) << "a given length is kept";
    EXPECT_EQ(lxmcpen(nullptr, -1, &c, language("GBK"), context()), 0);
    EXPECT_EQ(lxmcpen("abc", -1, &c, nullptr, context()), 0);
}

TEST(NlsStandIn, StepsOneCharacterAtATime) {
    struct Row {
        const char *set;
        std::string text;
        std::vector<int> offsets;
        std::vector<int> states;
    } rows[] = {
        {"LATIN1", "a\x81\x5C", {0, 1, 2, 3}, {0, 0, 0, 0}},
        {"GBK", "a\x81\x5C" "b", {0, 1, 3, 4}, {0, 0, 0, 0}},
        {"GBK", "\x81\x2F\xFE\xFE", {0, 2, 4}, {0, 0, 0}},
        {"GBK", "a\x81", {0, 1, 2}, {0, 0, 0}},      // a lead byte before the terminator stands alone
        {"GBK", "\x80\xFF", {0, 1, 2}, {0, 0, 0}},   // 0x80 and 0xFF are single bytes
        {"SOSI", "a\x0E\x41\x42\x43\x44\x0F;", {0, 1, 2, 4, 6, 7, 8}, {0, 0, 1, 1, 1, 0, 0}},
        {"SOSI", "\x0E\x41\x0F\x42", {0, 1, 2, 3, 4}, {0, 1, 1, 0, 0}},  // a byte before SI stands alone
        {"SOSI", "\x0E\x41", {0, 1, 2}, {0, 1, 1}},
        {"SOSI", "\x41\x42", {0, 1, 2}, {0, 0, 0}},  // pairs only in the double-byte state
        {"UCS2", ucs2("ab") , {0, 2, 4}, {0, 0, 0}},
        {"UCS2", std::string("\x00\x01\x00\x00", 4), {0, 2}, {0, 0}},  // U+0100 is no terminator
    };
    for (const Row &r : rows) {
        Walk w = walk(r.set, r.text.c_str());
        EXPECT_EQ(w.offsets, r.offsets) << r.set << " " << r.text;
        EXPECT_EQ(w.states, r.states) << r.set << " " << r.text;
    }
}

TEST(NlsStandIn, SpaceTestFollowsEachSet) {
    struct Row {
        const char *set;
        std::string text;
        int steps;  // characters to step over before testing
        int space;
    } rows[] = {
        {"LATIN1", " ", 0, 1},
        {"LATIN1", "\t", 0, 1},
        {"LATIN1", "\xA1\xA1", 0, 0},
        {"LATIN1", "\xA0", 0, 0},
        {"GBK", "\xA1\xA1", 0, 1},        // the ideographic space
        {"GBK", "\xA1\xA2", 0, 0},
        {"GBK", "\x0B", 0, 1},
        {"SOSI", " ", 0, 1},
        {"SOSI", "\x0E\xA1\xA1\x0F", 0, 0},  // a shift byte is no space
        {"SOSI", "\x0E\xA1\xA1\x0F", 1, 1},
        {"SOSI", "\x0E\x20\x20\x0F", 1, 0},  // 0x20 0x20 in the double-byte state is one character
        {"SOSI", "\x0E\xA1\xA1\x0F ", 3, 1},
        {"UCS2", ucs2(" "), 0, 1},
        {"UCS2", std::string("\x00\x30\x00\x00", 4), 0, 1},  // U+3000
        {"UCS2", std::string("\x20\x30\x00\x00", 4), 0, 0},  // U+3020
    };
    for (const Row &r : rows) {
        NlsCursor c;
        ASSERT_EQ(lxmcpen(r.text.c_str(), -1, &c, language(r.set), context()), 1);
        for (int i = 0; i < r.steps; ++i)
            lxmfwdx(&c, context());
        EXPECT_EQ(lxmspax(&c, context()), r.space) << r.set << " row " << r.text;
    }
}

TEST(NlsStandIn, LengthOfATwoZeroTextCountsWholeUnits) {
    EXPECT_EQ(lxsulen(ucs2("abc").c_str()), 6u);
    EXPECT_EQ(lxsulen(std::string("\x00\x61\x62\x00\x00\x00", 6).c_str()), 4u)
        << "a zero byte in a unit, or a zero pair across units, does not end the text";
    EXPECT_EQ(lxsulen(std::string(2, '\0').c_str()), 0u);
}

TEST(NlsStandIn, CopiesAndConcatenatesWithTheSetsTerminator) {
    char buffer[16];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(lxscop(buffer, "ab", language("GBK"), context()), 2u);
    EXPECT_EQ(std::string(buffer, 4), std::string("ab\0x", 4));
    EXPECT_EQ(lxscat(buffer, "\x81\x5C", language("GBK"), context()), 4u);
    EXPECT_EQ(std::string(buffer, 6), std::string("ab\x81\x5C\0x", 6));

    std::string a = ucs2("ab"), b = ucs2("c");
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(lxscop(buffer, a.c_str(), language("UCS2"), context()), 4u);
    EXPECT_EQ(std::string(buffer, 7), a + "x");
    EXPECT_EQ(lxscat(buffer, b.c_str(), language("UCS2"), context()), 6u);
    EXPECT_EQ(std::string(buffer, 9), ucs2("abc") + "x");

    char overlap[8] = "abcdef";
    lxscop(overlap, overlap + 2, language("LATIN1"), context());
    EXPECT_STREQ(overlap, "cdef");
}

TEST(NlsStandIn, CompareWithTheWholeTextOptionIgnoresAsciiCase) {
    const NlsLanguage *gbk = language("GBK");
    EXPECT_EQ(lxsCmpStr("Sales", -1, "SALES", -1, NLS_COMPARE_WHOLE, gbk, context()), 0);
    EXPECT_NE(lxsCmpStr("Sales", -1, "SALES", -1, 0, gbk, context()), 0) << "without it case counts";
    EXPECT_EQ(lxsCmpStr("na", -1, "NA", -1, NLS_COMPARE_WHOLE, language("LATIN1"), context()), 0);
    // Bytes of double-byte characters always compare exactly: 0x81 0x41 and
    // 0x81 0x61 are two different characters.
    EXPECT_NE(lxsCmpStr("\x81\x41", -1, "\x81\x61", -1, NLS_COMPARE_WHOLE, gbk, context()), 0);
    EXPECT_EQ(lxsCmpStr("\x81\x41", -1, "\x81\x61", -1, NLS_COMPARE_WHOLE, language("LATIN1"),
                        context()),
              0);
    // In the double-byte shift state letters are bytes of a pair.
    EXPECT_NE(lxsCmpStr("\x0E\x41\x42\x0F", -1, "\x0E\x61\x62\x0F", -1, NLS_COMPARE_WHOLE,
                        language("SOSI"), context()),
              0);
    EXPECT_EQ(lxsCmpStr("aB", -1, "Ab", -1, NLS_COMPARE_WHOLE, language("SOSI"), context()), 0);
    EXPECT_EQ(lxsCmpStr(ucs2("Ab").c_str(), -1, ucs2("aB").c_str(), -1, NLS_COMPARE_WHOLE,
                        language("UCS2"), context()),
              0);
    EXPECT_LT(lxsCmpStr("ab", -1, "abc", -1, NLS_COMPARE_WHOLE, gbk, context()), 0);
    EXPECT_GT(lxsCmpStr("b", -1, "abc", -1, NLS_COMPARE_WHOLE, gbk, context()), 0);
    EXPECT_LT(lxsCmpStr("a", -1, "\xE9", -1, 0, language("LATIN1"), context()), 0)
        << "bytes compare unsigned";
    EXPECT_EQ(lxsCmpStr("abX", 2, "abY", 2, 0, gbk, context()), 0) << "explicit lengths";
}

// A write cursor over buf for the set.
NlsCursor writer(const char *set, char *buf) {
    NlsCursor w;
    EXPECT_EQ(lxmopen(buf, -1, &w, language(set), context(), 1), 1);
    EXPECT_EQ(w.length, -1);
    EXPECT_EQ(w.shiftState, 0);
    return w;
}

TEST(NlsStandIn, CopiesCharactersBetweenCursors) {
    struct Row {
        const char *set;
        std::string source;
        std::string written;  // what copying every character writes
    } rows[] = {
        {"LATIN1", "a/\x81", "a/\x81"},
        {"GBK", "a\x81\x2F" "b", "a\x81\x2F" "b"},
        {"SOSI", "a\x0E\x41\x42\x0F/", "a\x0E\x41\x42\x0F/"},
        // Shift bytes follow what the written characters need.
        {"SOSI", "\x0E\x0E\x41\x42\x0F\x0F", "\x0E\x41\x42"},
        {"SOSI", "\x0E\x0F" "a", "a"},
        {"UCS2", ucs2("a/"), std::string("a\0/\0", 4)},
    };
    for (const Row &r : rows) {
        char out[32];
        memset(out, 0, sizeof out);
        NlsCursor w = writer(r.set, out);
        NlsCursor src;
        int total = 0;
        ASSERT_EQ(lxmcpen(r.source.c_str(), -1, &src, language(r.set), context()), 1);
        for (int guard = 0; guard < 32; ++guard) {
            const uint8_t *before = src.position;
            total += lxoCpChar(&w, -1, &src, -1, NLS_COPY_CHAR, context());
            if (src.position == before)
                break;
        }
        EXPECT_EQ(std::string(out, static_cast<size_t>(w.position - w.start)), r.written) << r.set;
        EXPECT_EQ(total, static_cast<int>(r.written.size())) << r.set;
    }
}

TEST(NlsStandIn, CopyIntoTooLittleRoomCopiesNothing) {
    char out[8] = {0};
    NlsCursor w = writer("SOSI", out);
    NlsCursor src;
    lxmcpen("\x0E\x41\x42\x0F", -1, &src, language("SOSI"), context());
    lxoCpChar(&w, -1, &src, -1, NLS_COPY_CHAR, context());  // the shift-out byte: stepped over
    const uint8_t *before = src.position;
    EXPECT_EQ(lxoCpChar(&w, 2, &src, -1, NLS_COPY_CHAR, context()), 0)
        << "shift-out and the pair need three bytes";
    EXPECT_EQ(src.position, before);
    EXPECT_EQ(w.position, w.start);
    EXPECT_EQ(lxoCpChar(&w, 3, &src, -1, NLS_COPY_CHAR, context()), 3);
    EXPECT_EQ(std::string(out, 3), "\x0E\x41\x42");
}

TEST(NlsStandIn, WritesCharactersByCode) {
    struct Row {
        const char *set;
        std::vector<uint32_t> codes;
        std::string written;
        std::vector<int> results;
    } rows[] = {
        {"LATIN1", {'/', 0xE9, 0x4142, 0}, "/\xE9", {1, 1, 0, 0}},
        {"GBK", {'/', 0x815C, 0x81, 0x4142}, "/\x81\x5C", {1, 2, 0, 0}},
        {"SOSI", {'a', 0x4142, 0x4344, '/', 0x0E}, "a\x0E\x41\x42\x43\x44\x0F/", {1, 3, 2, 2, 0}},
        {"UCS2", {'/', 0x3000}, std::string("/\0\x00\x30", 4), {2, 2}},
    };
    for (const Row &r : rows) {
        char out[32];
        NlsCursor w = writer(r.set, out);
        std::vector<int> results;
        for (uint32_t code : r.codes)
            results.push_back(lxoWriChar(&w, code, NLS_WRITE_CHAR, context()));
        EXPECT_EQ(results, r.results) << r.set;
        EXPECT_EQ(std::string(out, static_cast<size_t>(w.position - w.start)), r.written) << r.set;
    }
}

}  // namespace
