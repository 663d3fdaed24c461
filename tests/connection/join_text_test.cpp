// Composing paths from pieces in a fixed buffer.
#include "connection/join_text.h"

#include <string.h>

#include <string>

#include "tests/support/module_fixture.h"

namespace {

class JoinTextTest : public ModuleTest {};

TEST_F(JoinTextTest, JoinsOnlyWhatFitsWhole) {
    char out[16];
    memset(out, '#', sizeof out);
    EXPECT_TRUE(joinTexts(out, 14, {"C:\\", "conn", "\\a.qcf"}));  // 13 bytes and the terminator
    EXPECT_STREQ(out, "C:\\conn\\a.qcf");
    EXPECT_EQ(out[14], '#');

    memset(out, '#', sizeof out);
    EXPECT_FALSE(joinTexts(out, 13, {"C:\\", "conn", "\\a.qcf"}));
    EXPECT_STREQ(out, "") << "never a cut path";
    EXPECT_EQ(out[1], '#');

    EXPECT_TRUE(joinTexts(out, 1, {"", ""}));
    EXPECT_STREQ(out, "");
    memset(out, '#', sizeof out);
    EXPECT_FALSE(joinTexts(out, 0, {"a"}));
    EXPECT_EQ(out[0], '#');
}

TEST_F(JoinTextTest, PathsOfTwoByteUnitsAreNotJoined) {
    initModule("UCS2");
    char out[16];
    memset(out, '#', sizeof out);
    EXPECT_FALSE(joinTexts(out, sizeof out, {"C:\\", "a"}));
    EXPECT_EQ(std::string(out, 3), std::string("\0\0#", 3));
}

}  // namespace
