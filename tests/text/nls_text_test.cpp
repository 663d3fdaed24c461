// The terminator, text lengths and whole-text copies under each character set.
#include "text/nls_text.h"

#include <string.h>

#include "tests/text/text_fixture.h"

namespace {

class NlsTextTest : public TextTest {};

TEST_F(NlsTextTest, TerminatorFollowsTheSet) {
    struct Row {
        const char *set;
        size_t size;
    } rows[] = {{"LATIN1", 1}, {"GBK", 1}, {"SOSI", 1}, {"UCS2", 2}, {kBytewise, 1}};
    for (const Row &r : rows) {
        use(r.set);
        EXPECT_EQ(terminatorSize(), r.size) << r.set;
        char buffer[4] = {'x', 'x', 'x', 'x'};
        EXPECT_EQ(putTerminator(buffer), r.size) << r.set;
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(buffer[i], i < r.size ? '\0' : 'x') << r.set << " byte " << i;
    }
}

TEST_F(NlsTextTest, PutTerminatorReturnsOneAfterInit) {
    char c = 'x';
    EXPECT_EQ(putTerminator(&c), 1u);
    EXPECT_EQ(c, '\0');
}

TEST_F(NlsTextTest, LengthIsAByteCount) {
    use("GBK");
    EXPECT_EQ(textLength(""), 0u);
    EXPECT_EQ(textLength("a\x81\x5C"), 3u);
    use("UCS2");
    std::string text("\x00\x01\x41\x00\x00\x00", 6);
    EXPECT_EQ(textLength(text.c_str()), 4u) << "lxsulen, counted in bytes";
    use(kBytewise);
    EXPECT_EQ(textLength("abc"), 3u);
}

TEST_F(NlsTextTest, CopyAndAppendCarryTheTerminator) {
    for (const char *set : {"GBK", kBytewise}) {
        use(set);
        char buffer[12];
        memset(buffer, 'x', sizeof buffer);
        copyText(buffer, "a\x81\x5C");
        appendText(buffer, "bc");
        EXPECT_EQ(std::string(buffer, 7), std::string("a\x81\x5C" "bc\0x", 7)) << set;
    }
    use("UCS2");
    char buffer[12];
    memset(buffer, 'x', sizeof buffer);
    copyText(buffer, ucs2("a").c_str());
    appendText(buffer, ucs2("b").c_str());
    EXPECT_EQ(std::string(buffer, 7), ucs2("ab") + "x");
}

TEST_F(NlsTextTest, CompareIgnoresAsciiCaseInSingleByteCharactersOnly) {
    EXPECT_EQ(compareText("Sales", "SALES"), 0);
    EXPECT_NE(compareText("Sales", "Sale"), 0);
    use("GBK");
    EXPECT_EQ(compareText("na", "NA"), 0);
    EXPECT_NE(compareText("\x81\x41", "\x81\x61"), 0) << "two different double-byte characters";
    use(kBytewise);
    EXPECT_NE(compareText("na", "NA"), 0) << "without NLS handles the bytes compare exactly";
    EXPECT_EQ(compareText("NA", "NA"), 0);
}

}  // namespace
