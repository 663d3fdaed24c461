// platformIsCharAlpha: every byte, on both targets alike (Windows under Wine
// with the ANSI code page 936 of LANG=zh_CN).
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(PlatformIsCharAlpha, ExactlyTheAsciiLettersOfEveryByte) {
    std::string letters;
    for (int b = 0; b < 256; ++b)
        if (platformIsCharAlpha(static_cast<char>(b)))
            letters += static_cast<char>(b);
    EXPECT_EQ(letters, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
}

}  // namespace
