// The text calls: case-insensitive comparison, upper-casing and formatted
// printing. The same cases run on Linux and under Wine (lstrcmpiA,
// CharUpperA, wsprintfA).
#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

#include <string>

#include "host/memory.h"
#include "platform/platform.h"
#include "tests/platform/temp_tree.h"

namespace {

int sign(int value) { return (value > 0) - (value < 0); }

TEST(CompareNoCase, EqualityIgnoresAsciiCase) {
    struct Case {
        const char *a;
        const char *b;
        int expected;
    } cases[] = {
        {"abc", "ABC", 0},
        {"C:\\conn\\a.qcf", "c:\\CONN\\A.QCF", 0},
        {"", "", 0},
        {"a", "b", -1},
        {"B", "a", 1},
        {"a", "ab", -1},
        {"ab", "a", 1},
        {"", "a", -1},
        {"zcf901", "ZCF817", 1},
        {"a_b", "aZb", -1},
        {"[", "a", -1},
        {"C:\\conn\\a.qcf", "C:\\conn\\a.qcf ", -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(sign(platformCompareNoCase(c.a, c.b)), c.expected) << c.a << " / " << c.b;
}

TEST(UpperCase, AsciiLettersInPlace) {
    char text[] = "zcf9i-abc_xyz 019";
    EXPECT_EQ(platformUpperCase(text), text);
    EXPECT_STREQ(text, "ZCF9I-ABC_XYZ 019");
    char empty[] = "";
    EXPECT_STREQ(platformUpperCase(empty), "");
    char upper[] = "ZCF901";
    EXPECT_STREQ(platformUpperCase(upper), "ZCF901");
}

TEST(UpperCase, ADoubleByteCharacterIsKept) {
    if (ansiCodePage() != 0 && ansiCodePage() != 936)
        GTEST_SKIP() << "needs the code page 936 (run with LANG=zh_CN.UTF-8)";
    char text[] = "zcf\xc4\xe3";
    EXPECT_STREQ(platformUpperCase(text), "ZCF\xc4\xe3");
}

TEST(Format, TheConnectStringPieces) {
    char buffer[200];
    int length = platformFormat(buffer, sizeof buffer, "/sl=%d/st=%d/ct=%d/sv=%d/", -1, 2147483647, 0, INT_MIN);
    EXPECT_STREQ(buffer, "/sl=-1/st=2147483647/ct=0/sv=-2147483648/");
    EXPECT_EQ(length, static_cast<int>(strlen(buffer)));
    short personal = -2;
    length = platformFormat(buffer, sizeof buffer, "slypersonalconfig=%d/", personal);
    EXPECT_STREQ(buffer, "slypersonalconfig=-2/");
    EXPECT_EQ(length, 21);
    length = platformFormat(buffer, sizeof buffer, "%s\\olap\\zcf%s\\qconnect.ini", "C:\\home", "901");
    EXPECT_STREQ(buffer, "C:\\home\\olap\\zcf901\\qconnect.ini");
    length = platformFormat(buffer, sizeof buffer, "%s", "");
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(length, 0);
}

TEST(Format, TheOtherConversionsOfWsprintf) {
    char buffer[200];
    platformFormat(buffer, sizeof buffer, "%s|%5d|%-5d|%05d|%x|%X|%u|%c|%%|%.2s|%i|%#x",
                   static_cast<const char *>(nullptr), 42, 42, 42, 255, 255, 4294967295u, 'q', "abcdef", -9, 255);
    EXPECT_STREQ(buffer, "(null)|   42|42   |00042|ff|FF|4294967295|q|%|ab|-9|0xff");
}

TEST(Format, TheOutputIsCutToTheBufferAndTheLimit) {
    char buffer[2000];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(platformFormat(buffer, 5, "sl=%d", 12345), 4);
    EXPECT_STREQ(buffer, "sl=1");
    EXPECT_EQ(buffer[5], '#');
    EXPECT_EQ(platformFormat(buffer, 1, "%s", "abc"), 0);
    EXPECT_STREQ(buffer, "");
    buffer[0] = '#';
    EXPECT_EQ(platformFormat(buffer, 0, "%s", "abc"), 0);
    EXPECT_EQ(buffer[0], '#');

    std::string big(1100, 'x');
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(platformFormat(buffer, sizeof buffer, "%s", big.c_str()), kPlatformFormatLimit);
    EXPECT_EQ(std::string(buffer), big.substr(0, kPlatformFormatLimit));
    EXPECT_EQ(buffer[kPlatformFormatLimit + 1], '#');
    EXPECT_EQ(platformFormat(buffer, 1023, "%s", big.c_str()), 1022);
    EXPECT_EQ(strlen(buffer), 1022u);
    EXPECT_EQ(platformFormat(buffer, sizeof buffer, "%s", big.substr(0, 1023).c_str()), 1023);
    EXPECT_EQ(platformFormat(buffer, sizeof buffer, "%s", big.substr(0, 1022).c_str()), 1022);
}

TEST(TextCalls, AllocateNothing) {
    long before = memAllocationCount();
    char text[] = "abc";
    char buffer[32];
    platformCompareNoCase("a", "A");
    platformUpperCase(text);
    platformFormat(buffer, sizeof buffer, "%d", 1);
    EXPECT_EQ(memAllocationCount(), before);
}

}  // namespace
