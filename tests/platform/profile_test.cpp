// Private-profile reading on real files. The same cases run on Linux (our
// own reader) and under Wine (GetPrivateProfileStringA / IntA).
#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "host/memory.h"
#include "platform/platform.h"
#include "tests/platform/temp_tree.h"

namespace {

const char kConnection[] =
    "[General]\r\n"
    "Key=value\r\n"
    "  Spaced  =   blanks around   \r\n"
    "Q1=\"quoted\"\r\n"
    "Q2='single'\r\n"
    "Q3=\"mixed'\r\n"
    "Q4=\"\r\n"
    "Q5=\"\"\r\n"
    "Q6=a\"b\"\r\n"
    "Q7=  \"  inner  \"  \r\n"
    ";Comment=yes\r\n"
    "; Spaced=no\r\n"
    "NoEquals\r\n"
    "Empty=\r\n"
    "Dup=first\r\n"
    "Dup=second\r\n"
    "Multi=a=b=c\r\n"
    "[ Padded ]\r\n"
    "K=padded\r\n"
    "[general]\r\n"
    "Key=second section\r\n"
    "OnlyInSecond=2\r\n"
    "[Tab]\r\n"
    "\tK\t=\tv\t\r\n"
    "CtrlZ=\x1az\x1a\r\n";

struct Read {
    std::string text;
    uint32_t length;
};

class Profile : public ::testing::Test {
protected:
    // Reads into a buffer of size bytes inside a larger one filled with '#',
    // and checks that nothing past size bytes was written.
    Read read(const std::string &file, const char *section, const char *key, const char *defaultText,
              uint32_t size) {
        char buffer[4096];
        memset(buffer, '#', sizeof buffer);
        std::string path = tree.path(file);
        uint32_t length = platformProfileString(path.c_str(), section, key, defaultText, buffer, size);
        EXPECT_LT(length, size == 0 ? 1u : size);
        if (size == 0) {
            EXPECT_EQ(buffer[0], '#');
            return {"", length};
        }
        EXPECT_EQ(strlen(buffer), length);
        for (uint32_t i = size; i < sizeof buffer; ++i)
            if (buffer[i] != '#') {
                ADD_FAILURE() << "byte " << i << " written past the buffer";
                break;
            }
        return {std::string(buffer, length), length};
    }

    std::string value(const std::string &file, const char *section, const char *key,
                      const char *defaultText = "(default)") {
        return read(file, section, key, defaultText, 100).text;
    }

    TempTree tree;
};

TEST_F(Profile, SectionsAndKeysMatchWithoutRegardToCaseOrBlanks) {
    tree.file("a.ini", kConnection);
    EXPECT_EQ(value("a.ini", "General", "Key"), "value");
    EXPECT_EQ(value("a.ini", "GENERAL", "KEY"), "value");
    EXPECT_EQ(value("a.ini", " General ", " Key "), "value");
    EXPECT_EQ(value("a.ini", "Padded", "K"), "padded");
    EXPECT_EQ(value("a.ini", " Padded ", "k"), "padded");
    EXPECT_EQ(value("a.ini", "Tab", "K"), "v");
}

TEST_F(Profile, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
    tree.file("a.ini", kConnection);
    struct Case {
        const char *key;
        const char *expected;
    } cases[] = {
        {"Spaced", "blanks around"}, {"Q1", "quoted"},       {"Q2", "single"},
        {"Q3", "\"mixed'"},          {"Q4", "\""},           {"Q5", ""},
        {"Q6", "a\"b\""},            {"Q7", "  inner  "},    {"Multi", "a=b=c"},
        {"Empty", ""},               {"Dup", "first"},       {";Comment", "yes"},
        {"; Spaced", "no"},          {"NoEquals", "(default)"}, {"Comment", "(default)"},
        {"OnlyInSecond", "(default)"}, {"Missing", "(default)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(value("a.ini", "General", c.key), c.expected) << c.key;
    EXPECT_EQ(value("a.ini", "Tab", "CtrlZ"), "z");
}

TEST_F(Profile, ALongValueIsCutToTheBuffer) {
    tree.file("a.ini", kConnection);
    Read r = read("a.ini", "General", "Key", "", 4);
    EXPECT_EQ(r.text, "val");
    EXPECT_EQ(r.length, 3u);
    r = read("a.ini", "General", "Key", "", 1);
    EXPECT_EQ(r.text, "");
    EXPECT_EQ(r.length, 0u);
    r = read("a.ini", "General", "Key", "", 0);
    EXPECT_EQ(r.length, 0u);

    std::string longValue;
    for (int i = 0; i < 2700; ++i)
        longValue += static_cast<char>('a' + i % 26);
    tree.file("long.ini", "[General]\nConnectionPath=" + longValue + "\n");
    r = read("long.ini", "General", "ConnectionPath", "", 2620);
    EXPECT_EQ(r.length, 2619u);
    EXPECT_EQ(r.text, longValue.substr(0, 2619));
}

TEST_F(Profile, AQuotedValueIsCutAfterItsQuotesAreDropped) {
    tree.file("a.ini", kConnection);
    struct Case {
        uint32_t size;
        const char *expected;
    } cases[] = {{100, "quoted"}, {8, "quoted"}, {7, "quoted"}, {6, "quote"}, {5, "quot"}, {2, "q"}};
    for (const Case &c : cases) {
        Read r = read("a.ini", "General", "Q1", "", c.size);
        EXPECT_EQ(r.text, c.expected) << "size " << c.size;
        EXPECT_EQ(r.length, strlen(c.expected)) << "size " << c.size;
    }
}

TEST_F(Profile, TheDefaultAnswersForWhatIsMissing) {
    tree.file("a.ini", kConnection);
    EXPECT_EQ(value("a.ini", "General", "Missing", "def"), "def");
    EXPECT_EQ(value("a.ini", "General", "Missing", "def  "), "def");
    EXPECT_EQ(value("a.ini", "General", "Missing", "  def"), "  def");
    EXPECT_EQ(value("a.ini", "General", "Missing", "\"def\""), "def");
    EXPECT_EQ(value("a.ini", "General", "Missing", nullptr), "");
    EXPECT_EQ(value("a.ini", "NoSuchSection", "Key", "def"), "def");
    Read r = read("a.ini", "General", "Missing", "default", 4);
    EXPECT_EQ(r.text, "def");
    EXPECT_EQ(r.length, 3u);
    EXPECT_EQ(value("none.ini", "General", "Key", "\"def\"  "), "def");
    EXPECT_EQ(value("nodir\\none.ini", "General", "Key", "def"), "def");
    r = read("none.ini", "General", "Key", "default", 4);
    EXPECT_EQ(r.text, "def");
    // Quotes go from the default only where the file could be opened or made.
    tree.dir("folder.ini");
    EXPECT_EQ(value("folder.ini", "General", "Key", "def"), "def");
    EXPECT_EQ(value("folder.ini", "General", "Key", "'d'  "), "'d'");
    EXPECT_EQ(value("folder.ini\\x.ini", "General", "Key", "'d'  "), "d");
    EXPECT_EQ(value("nodir\\none.ini", "General", "Key", "'d'  "), "'d'");
    EXPECT_EQ(value("nodir\\none.ini", "General", "Key", "def\t"), "def\t");
}

TEST_F(Profile, NullOrEmptyNamesReadAsEmpty) {
    tree.file("a.ini", kConnection);
    std::string path = tree.path("a.ini");
    char buffer[16] = "untouched";
    EXPECT_EQ(platformProfileString(path.c_str(), nullptr, "Key", "def", buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    strcpy(buffer, "untouched");
    EXPECT_EQ(platformProfileString(path.c_str(), "General", nullptr, "def", buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    strcpy(buffer, "untouched");
    EXPECT_EQ(platformProfileString(path.c_str(), "General", "", "def", buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    strcpy(buffer, "untouched");
    EXPECT_EQ(platformProfileString(nullptr, "General", "Key", "def", buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(platformProfileInt(path.c_str(), "General", nullptr, 7), 7);
    EXPECT_EQ(platformProfileInt(nullptr, "General", "Key", 7), 7);
}

TEST_F(Profile, LineEndsOfEveryKindAndAByteOrderMark) {
    tree.file("mixed.ini", "Key=no section\n[S]\nK=lf only\n[S2]\rK=cr\rX=y\r");
    EXPECT_EQ(value("mixed.ini", "", "Key"), "no section");
    EXPECT_EQ(value("mixed.ini", "S", "K"), "lf only");
    EXPECT_EQ(value("mixed.ini", "S2", "K"), "cr");
    EXPECT_EQ(value("mixed.ini", "S2", "X"), "y");
    tree.file("cr.ini", "[S]\rK=cr only\rX=y\r");
    EXPECT_EQ(value("cr.ini", "S", "K"), "cr only");
    EXPECT_EQ(value("cr.ini", "S", "X"), "y");
    tree.file("bom.ini", "\xef\xbb\xbf[S]\r\nK=bom\r\n");
    EXPECT_EQ(value("bom.ini", "S", "K"), "bom");
    tree.file("last.ini", "[S]\nK=no line end");
    EXPECT_EQ(value("last.ini", "S", "K"), "no line end");
    tree.file("empty.ini", "");
    EXPECT_EQ(value("empty.ini", "S", "K"), "(default)");
}

// A file's bytes, NULs included.
template <size_t N>
std::string bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// The text as UTF-16 after its byte-order mark (FF FE or FE FF).
std::string utf16(const std::u16string &text, bool bigEndian) {
    std::string out = bigEndian ? "\xfe\xff" : "\xff\xfe";
    for (char16_t unit : text) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xff);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

// One read of a file's key: the cases below run on both targets, each
// answer as Wine gives it.
struct FileCase {
    std::string content;
    const char *section;
    const char *key;
    const char *expected;
};

class ProfileFiles : public Profile {
protected:
    void check(const std::vector<FileCase> &cases) {
        for (size_t i = 0; i < cases.size(); ++i) {
            std::string name = "f" + std::to_string(i) + ".ini";
            tree.file(name, cases[i].content);
            EXPECT_EQ(value(name, cases[i].section, cases[i].key), cases[i].expected)
                << "case " << i << ": [" << cases[i].section << "] " << cases[i].key;
        }
    }
};

TEST_F(ProfileFiles, ACrEndsALineWhereverItStands) {
    check({
        {"[Quorvel]\nServerType=1\rServerDescription=X\n", "Quorvel", "ServerType", "1"},
        {"[Quorvel]\nServerType=1\rServerDescription=X\n", "Quorvel", "ServerDescription", "X"},
        {"[General]\rConnectionPath=abc\r\n", "General", "ConnectionPath", "abc"},
        {"[S]\nK=1\rX=2\r\nY=3\n[T]\rZ=4\n", "S", "X", "2"},
        {"[S]\nK=1\rX=2\r\nY=3\n[T]\rZ=4\n", "S", "Y", "3"},
        {"[S]\nK=1\rX=2\r\nY=3\n[T]\rZ=4\n", "T", "Z", "4"},
        {"[S]\r\rK=a\r\r\nL=b\n\rM=c", "S", "M", "c"},
        {"[S]\nK=a\rb\n", "S", "K", "a"},
        {"[S]\nK=a\rb\n", "S", "b", "(default)"},  // "b" is a key without "="
        {"[S\r]\nK=1\n", "S", "K", "(default)"},   // "[S" is no header
        {"\xef\xbb\xbf[S]\rK=u8\r", "S", "K", "u8"},
    });
}

TEST_F(ProfileFiles, ANulEndsAName) {
    check({
        {bytes("[S]\nK\0=x\nK=y\n"), "S", "K", "x"},
        {bytes("[S]\nK\0Z=x\nK=y\n"), "S", "K", "x"},
        {bytes("[S]\nK\0 =x\nK=y\n"), "S", "K", "x"},
        {bytes("[S]\nK \0Z=x\nK=y\n"), "S", "K", "y"},  // the name "K "
        {bytes("[S\0]\nK=x\n[S]\nK=y\n"), "S", "K", "x"},
        {bytes("[ S\0x ]\nK=x\n[S]\nK=y\n"), "S", "K", "x"},
        {bytes("[S]\nK=a\0b\nL=c\n"), "S", "L", "c"},
    });
}

TEST_F(ProfileFiles, AUtf16FileWithAByteOrderMarkIsRead) {
    const std::u16string text = u"[S]\r\nK=value\r\nL=  'q'  \r\n[T]\rK=cr\rX=y\r";
    check({
        {utf16(text, false), "S", "K", "value"},
        {utf16(text, false), "S", "L", "q"},
        {utf16(text, false), "T", "X", "y"},
        {utf16(text, true), "S", "K", "value"},
        {utf16(text, true), "T", "K", "cr"},
        {utf16(u"[Quorvel]\nServerType=1\rServerDescription=X\n", false), "Quorvel", "ServerDescription", "X"},
        {utf16(u"[S]\r\nK=odd\r\n", false) + "x", "S", "K", "odd"},
        {utf16(u"[S]\r\nK=odd\r\n", true) + "x", "S", "K", "odd"},
        {utf16(u"[S]\r\nK=ab", false) + bytes("\0\0c\0\r\0\n\0L\0=\0d\0"), "S", "K", "ab"},
        {utf16(u"[S]\r\nK=ab", false) + bytes("\0\0c\0\r\0\n\0L\0=\0d\0"), "S", "L", "d"},
        {utf16(u"[S]\r\nK", false) + bytes("\0\0=\0x\0\n\0"), "S", "K", "x"},
        {utf16(u"\xfeff[S]\r\nK=two marks\r\n", false), "S", "K", "(default)"},
        {utf16(u"", false), "S", "K", "(default)"},
        {"\xff\xfe[S]\nK=bytes after the mark\n", "S", "K", "(default)"},
        {utf16(u"[S]\r\nK=no mark\r\n", false).substr(2), "S", "K", "(default)"},
    });
    tree.file("n.ini", utf16(u"[S]\r\nN=42\r\nQ=\"12345\"\r\n", true));
    EXPECT_EQ(platformProfileInt(tree.path("n.ini").c_str(), "S", "N", 7), 42);
    Read r = read("n.ini", "S", "Q", "", 6);
    EXPECT_EQ(r.text, "12345");
    r = read("n.ini", "S", "N", "", 2);
    EXPECT_EQ(r.text, "4");
}

// Other characters of a UTF-16 file: Windows gives them in its ANSI code
// page ('?' for what it lacks), Linux in UTF-8.
TEST_F(ProfileFiles, TheCharactersOfAUtf16File) {
    if (ansiCodePage() != 0 && ansiCodePage() != 936)
        GTEST_SKIP() << "needs the code page 936 (run with LANG=zh_CN.UTF-8)";
    const std::u16string text = u"[S]\r\nK=\x4e2d\x6587\r\nE=\x00e9\r\nU=\x263a\r\nP=\xd83d\xde00\r\n"
                                u"L=a\xd800" u"b\r\nB=\x3000v\x3000\r\n";
#ifdef _WIN32
    check({
        {utf16(text, false), "S", "K", "\xd6\xd0\xce\xc4"},
        {utf16(text, true), "S", "K", "\xd6\xd0\xce\xc4"},
        {utf16(text, false), "S", "E", "\xa8\xa6"},
        {utf16(text, false), "S", "U", "?"},
        {utf16(text, false), "S", "P", "??"},
        {utf16(text, false), "S", "L", "a?b"},
        {utf16(text, false), "S", "B", "\xa1\xa1v\xa1\xa1"},
    });
#else
    check({
        {utf16(text, false), "S", "K", "\xe4\xb8\xad\xe6\x96\x87"},
        {utf16(text, true), "S", "K", "\xe4\xb8\xad\xe6\x96\x87"},
        {utf16(text, false), "S", "E", "\xc3\xa9"},
        {utf16(text, false), "S", "U", "\xe2\x98\xba"},
        {utf16(text, false), "S", "P", "\xf0\x9f\x98\x80"},
        {utf16(text, false), "S", "L", "a\xef\xbf\xbd" "b"},
        {utf16(text, false), "S", "B", "\xe3\x80\x80v\xe3\x80\x80"},
        {utf16(u"[S]\r\nK=odd", false) + "x", "S", "K", "odd"},  // half a unit is dropped
    });
#endif
}

TEST_F(Profile, SectionHeadersAndKeyLinesOfOddShapes) {
    tree.file("odd.ini",
              "[S]junk after the bracket\n"
              "K=one\n"
              "[Open\n"
              "K2=still in S\n"
              "=no name\n"
              "   \n"
              "[a=b]\n"
              "K=in a=b\n");
    EXPECT_EQ(value("odd.ini", "S", "K"), "one");
    EXPECT_EQ(value("odd.ini", "S", "K2"), "still in S");
    EXPECT_EQ(value("odd.ini", "S", "[Open"), "(default)");
    EXPECT_EQ(value("odd.ini", "a=b", "K"), "in a=b");
}

TEST_F(Profile, PathsAreWindowsPaths) {
    tree.file("Sub\\Conn.INI", "[General]\nKey=found\n");
    EXPECT_EQ(value("Sub\\Conn.INI", "General", "Key"), "found");
    EXPECT_EQ(value("sub\\conn.ini", "General", "Key"), "found");
    EXPECT_EQ(value("SUB/CONN.ini", "General", "Key"), "found");
    EXPECT_EQ(value("sub\\.\\nowhere\\..\\conn.ini", "General", "Key"), "found");
    EXPECT_EQ(value("sub.\\conn.ini. ", "General", "Key"), "found");
    EXPECT_EQ(value("sub \\conn.ini", "General", "Key"), "(default)");
    EXPECT_EQ(value("sub\\conn.ini\\", "General", "Key"), "(default)");
}

TEST_F(Profile, APathLongerThanTheLimitIsAMissingFile) {
    // root\ddd...\nnn...x.ini of exactly the given length.
    auto pathOfLength = [&](size_t length) {
        std::string prefix = std::string(150, 'd') + "\\";
        size_t used = tree.root().size() + 1 + prefix.size();
        std::string name = std::string(length - used - 5, 'n') + "x.ini";
        return prefix + name;
    };
    std::string fits = pathOfLength(kPlatformProfilePathLimit);
    std::string over = pathOfLength(kPlatformProfilePathLimit + 1);
    ASSERT_EQ(tree.path(fits).size(), static_cast<size_t>(kPlatformProfilePathLimit));
    tree.file(fits, "[S]\nK=v\n");
    tree.file(over, "[S]\nK=v\nN=7\n");
    tree.file("n.ini", "[S]\nN=5\n");
    // Read right after another file: Wine itself would answer from that one.
    EXPECT_EQ(value(fits, "S", "K"), "v");
    EXPECT_EQ(value(over, "S", "K"), "(default)");
    EXPECT_EQ(platformProfileInt(tree.path("n.ini").c_str(), "S", "N", 0), 5);
    EXPECT_EQ(platformProfileInt(tree.path(over).c_str(), "S", "N", -1), -1);
}

TEST_F(Profile, IntegersAreReadAsTheWin32CallReadsThem) {
    tree.file("i.ini",
              "[I]\nA=42\nB=  -17\nC=+5\nD=12abc\nE=abc\nF=0x1F\nG=0X1F\nH=4294967295\n"
              "J=4294967296\nK=-2147483649\nL=99999999999\nM=\nN=\"7\"\nO=010\nP=0b101\nQ=0o17\n"
              "R=- 5\nS=1 2\nT=123456789012345678901234567890123\nU=2147483648\nV=0x\nW=\"  12\"\n"
              "X=0b102\nY=-0x10\n");
    std::string path = tree.path("i.ini");
    struct Case {
        const char *key;
        int32_t expected;
    } cases[] = {
        {"A", 42},          {"B", -17},         {"C", 5},     {"D", 12},
        {"E", 0},           {"F", 31},          {"G", 0},     {"H", -1},
        {"J", 0},           {"K", 2147483647},  {"L", 1215752191},
        {"M", 99},          {"N", 7},           {"O", 10},    {"P", 5},
        {"Q", 15},          {"R", 0},           {"S", 1},     {"T", 1849262357},
        {"U", INT32_MIN},   {"V", 0},           {"W", 12},    {"X", 2},
        {"Y", -16},         {"Missing", 99},
    };
    for (const Case &c : cases)
        EXPECT_EQ(platformProfileInt(path.c_str(), "I", c.key, 99), c.expected) << c.key;
    std::string missing = tree.path("none.ini");
    EXPECT_EQ(platformProfileInt(missing.c_str(), "I", "A", -3), -3);
}

// Where the cut falls inside a double-byte character the targets differ:
// Windows ends the text before the character, Linux cuts at the byte.
TEST_F(Profile, ACutInsideADoubleByteCharacter) {
    if (ansiCodePage() != 0 && ansiCodePage() != 936)
        GTEST_SKIP() << "needs the code page 936 (run with LANG=zh_CN.UTF-8)";
    tree.file("g.ini", "[S]\nK=\xc4\xe3\xba\xc3\xca\xc0\n");
    EXPECT_EQ(read("g.ini", "S", "K", "", 100).text, "\xc4\xe3\xba\xc3\xca\xc0");
    EXPECT_EQ(read("g.ini", "S", "K", "", 5).text, "\xc4\xe3\xba\xc3");
    Read r = read("g.ini", "S", "K", "", 4);
#ifdef _WIN32
    EXPECT_EQ(r.text, "\xc4\xe3");
#else
    EXPECT_EQ(r.text, "\xc4\xe3\xba");
#endif
}

TEST_F(Profile, ReadingAllocatesNothing) {
    tree.file("a.ini", kConnection);
    std::string path = tree.path("a.ini");
    long before = memAllocationCount();
    char buffer[64];
    platformProfileString(path.c_str(), "General", "Key", "", buffer, sizeof buffer);
    platformProfileInt(path.c_str(), "General", "Key", 0);
    EXPECT_EQ(memAllocationCount(), before);
}

#ifndef _WIN32
// Linux only: what is no regular file, and files of every size. A reader that
// hangs or crawls fails these within their time limits.

TEST_F(Profile, WhatIsNoRegularFileReadsAsAFileThatCannotBeOpenedWithoutWaiting) {
    ASSERT_EQ(mkfifo(tree.native("fifo.ini").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", tree.native("zero.ini"));
    tree.dir("folder.ini");
    const char *files[] = {"fifo.ini", "zero.ini", "folder.ini"};
    ASSERT_TRUE(finishesWithin(10, [&] {
        for (const char *file : files) {
            char buffer[16];
            std::string path = tree.path(file);
            platformProfileString(path.c_str(), "S", "K", "", buffer, sizeof buffer);
            platformProfileInt(path.c_str(), "S", "K", 0);
        }
    }));
    for (const char *file : files) {
        EXPECT_EQ(value(file, "S", "K", "'d'"), "'d'") << file;
        EXPECT_EQ(platformProfileInt(tree.path(file).c_str(), "S", "K", -5), -5) << file;
    }
}

TEST_F(Profile, AFileOverTheSizeLimitReadsAsAFileThatCannotBeOpened) {
    const std::string head = "[S]\nK=v\n";
    const std::string tail = "L=end\n";
    std::string atLimit = head + std::string(kPlatformProfileSizeLimit - head.size() - tail.size(), '\n') + tail;
    ASSERT_EQ(atLimit.size(), static_cast<size_t>(kPlatformProfileSizeLimit));
    tree.file("at.ini", atLimit);
    tree.file("over.ini", atLimit + "\n");
    tree.file("sparse.ini", head);
    std::filesystem::resize_file(tree.native("sparse.ini"), 10ull << 30);  // 10 GiB, no blocks
    ASSERT_TRUE(finishesWithin(20, [&] {
        for (int i = 0; i < 20; ++i)
            for (const char *file : {"at.ini", "over.ini", "sparse.ini"})
                platformProfileInt(tree.path(file).c_str(), "S", "L", 0);
    }));
    EXPECT_EQ(value("at.ini", "S", "K"), "v");
    EXPECT_EQ(value("at.ini", "S", "L"), "end");
    EXPECT_EQ(value("over.ini", "S", "K", "'d'"), "'d'");
    EXPECT_EQ(value("sparse.ini", "S", "K", "'d'"), "'d'");
}

// Files just under the limit whose lines are all blank, all one section
// header or all one key, with LF or CR line ends: each read goes through the
// file once. Twenty reads of each take about a second (a reader that seeks
// back for every line or byte took twenty).
TEST_F(Profile, ALargeFileUnderTheLimitIsReadOnceFromItsStart) {
    const size_t fill = kPlatformProfileSizeLimit - 64;
    tree.file("blank.ini", std::string(fill, '\n') + "[S]\nK=blank\n");
    tree.file("header.ini", "[" + std::string(fill, 'h') + "]\n[S]\nK=header\n");
    tree.file("key.ini", "[S]\n" + std::string(fill, 'k') + "=1\nK=key\n");
    tree.file("cr.ini", std::string(fill, '\r') + "[S]\rK=cr\r");
    tree.file("value.ini", "[S]\nK=" + std::string(fill, 'v') + "\n");
    const char *files[] = {"blank.ini", "header.ini", "key.ini", "cr.ini", "value.ini"};
    ASSERT_TRUE(finishesWithin(10, [&] {
        for (int i = 0; i < 20; ++i)
            for (const char *file : files) {
                char buffer[64];
                platformProfileString(tree.path(file).c_str(), "S", "K", "", buffer, sizeof buffer);
            }
    }));
    EXPECT_EQ(value("blank.ini", "S", "K"), "blank");
    EXPECT_EQ(value("header.ini", "S", "K"), "header");
    EXPECT_EQ(value("key.ini", "S", "K"), "key");
    EXPECT_EQ(value("cr.ini", "S", "K"), "cr");
    EXPECT_EQ(value("value.ini", "S", "K"), std::string(99, 'v'));
}

TEST_F(Profile, ANameEndingInADotOrABlankIsNotSeen) {
    tree.file("a.ini", "[S]\nK=a\n");
    tree.file("a.ini.", "[S]\nK=a with a dot\n");
    tree.file("b.ini ", "[S]\nK=b with a blank\n");
    tree.file("sub.\\c.ini", "[S]\nK=c\n");
    EXPECT_EQ(value("a.ini.", "S", "K"), "a");  // Windows drops the dot: a.ini
    EXPECT_EQ(value("b.ini ", "S", "K"), "(default)");
    EXPECT_EQ(value("B.INI ", "S", "K"), "(default)");
    EXPECT_EQ(value("sub.\\c.ini", "S", "K"), "(default)");
    EXPECT_EQ(value("sub..\\c.ini", "S", "K"), "(default)");
}
#endif

}  // namespace
