// Registry reading and deletion. The same cases run on Linux (the store file,
// one per test through CBQ_REGISTRY) and under Wine (the prefix's registry,
// written with RegSetValueExA through the test writer).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "host/memory.h"
#include "platform/platform.h"
#include "platform/registry_writer.h"
#include "tests/platform/temp_tree.h"

namespace {

const char kTestKey[] = "SOFTWARE\\Tarsik\\olap\\CbqPlatformTest";
const char kSelectionKey[] = "SOFTWARE\\Tarsik\\olap\\QuorvelPDS";
const char kSelectionParent[] = "SOFTWARE\\Tarsik\\olap";

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef _WIN32
        storePath_ = tree.native("registry").string();
        setenv("CBQ_REGISTRY", storePath_.c_str(), 1);
#endif
        platformRegistryDeleteKey(kTestKey);
        platformRegistryDeleteKey(kSelectionKey);
    }
    void TearDown() override {
        platformRegistryDeleteKey(kTestKey);
        platformRegistryDeleteKey(kSelectionKey);
#ifndef _WIN32
        unsetenv("CBQ_REGISTRY");
#endif
    }

    // The value read into size bytes, or "(missing)"; the buffer must hold
    // the empty text after a failed read.
    std::string read(const char *key, const char *name, uint32_t size = 262) {
        char buffer[600];
        memset(buffer, '#', sizeof buffer);
        bool found = platformRegistryRead(key, name, buffer, size);
        if (!found) {
            EXPECT_EQ(buffer[0], '\0') << "a failed read leaves text in the buffer";
            return "(missing)";
        }
        EXPECT_LT(strlen(buffer), size);
        return buffer;
    }

    TempTree tree;
    std::string storePath_;
};

TEST_F(Registry, ReadsAValueWithoutRegardToCase) {
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "LastQCF", "C:\\conn\\a.qcf"));
    EXPECT_EQ(read(kTestKey, "LastQCF"), "C:\\conn\\a.qcf");
    EXPECT_EQ(read("software\\tarsik\\OLAP\\cbqplatformtest", "lastqcf"), "C:\\conn\\a.qcf");
    EXPECT_EQ(read("SOFTWARE\\Tarsik\\olap\\CbqPlatformTest\\", "LastQCF"), "C:\\conn\\a.qcf");
    EXPECT_EQ(read("SOFTWARE\\\\Tarsik\\olap\\CbqPlatformTest", "LastQCF"), "C:\\conn\\a.qcf");
    EXPECT_EQ(read("\\SOFTWARE\\Tarsik\\olap\\CbqPlatformTest", "LastQCF"), "(missing)");
}

TEST_F(Registry, MissingKeysAndValuesAreReportedAndLeaveTheBufferEmpty) {
    EXPECT_EQ(read(kTestKey, "LastQCF"), "(missing)");
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "Other", "x"));
    EXPECT_EQ(read(kTestKey, "LastQCF"), "(missing)");
    EXPECT_EQ(read("SOFTWARE\\Tarsik\\olap\\NoSuchKey", "LastQCF"), "(missing)");
    char buffer[4] = "abc";
    EXPECT_FALSE(platformRegistryRead(kTestKey, "Other", buffer, 0));
    EXPECT_STREQ(buffer, "abc");
}

TEST_F(Registry, AValueMustFitWithItsTerminator) {
    std::string fits(261, 'p');
    std::string tooLong(262, 'p');
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "Fits", fits.c_str()));
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "TooLong", tooLong.c_str()));
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "Empty", ""));
    EXPECT_EQ(read(kTestKey, "Fits", 262), fits);
    EXPECT_EQ(read(kTestKey, "Fits", 261), "(missing)");
    EXPECT_EQ(read(kTestKey, "TooLong", 262), "(missing)");
    EXPECT_EQ(read(kTestKey, "TooLong", 263), tooLong);
    EXPECT_EQ(read(kTestKey, "Empty"), "");
    EXPECT_EQ(read(kTestKey, "Empty", 1), "");
}

TEST_F(Registry, DeletingAValue) {
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "LastQCF", "C:\\conn\\a.qcf"));
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "Other", "kept"));
    EXPECT_TRUE(platformRegistryDeleteValue(kTestKey, "lastqcf"));
    EXPECT_EQ(read(kTestKey, "LastQCF"), "(missing)");
    EXPECT_EQ(read(kTestKey, "Other"), "kept");
    EXPECT_FALSE(platformRegistryDeleteValue(kTestKey, "LastQCF"));
    EXPECT_FALSE(platformRegistryDeleteValue("SOFTWARE\\Tarsik\\olap\\NoSuchKey", "LastQCF"));
    EXPECT_FALSE(platformRegistryDeleteValue("\\SOFTWARE", "LastQCF"));
}

TEST_F(Registry, RewritingAValueReplacesIt) {
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "LastQCF", "first"));
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "LASTQCF", "second"));
    EXPECT_EQ(read(kTestKey, "LastQCF"), "second");
    EXPECT_TRUE(platformRegistryDeleteValue(kTestKey, "LastQCF"));
    EXPECT_EQ(read(kTestKey, "LastQCF"), "(missing)");
}

// The value the connect dialog remembers, where it is read and where its
// deletion may be addressed.
TEST_F(Registry, TheLastSelectionKey) {
    ASSERT_TRUE(platformRegistryWriteText(kSelectionKey, "LastQCF", "C:\\conn\\Sales.qcf"));
    EXPECT_EQ(read(kSelectionKey, "LastQCF"), "C:\\conn\\Sales.qcf");
    EXPECT_FALSE(platformRegistryDeleteValue(kSelectionParent, "LastQCF"));
    EXPECT_EQ(read(kSelectionKey, "LastQCF"), "C:\\conn\\Sales.qcf");
    EXPECT_TRUE(platformRegistryDeleteValue(kSelectionKey, "LastQCF"));
    EXPECT_EQ(read(kSelectionKey, "LastQCF"), "(missing)");
}

TEST_F(Registry, ReadingAllocatesNothing) {
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "LastQCF", "x"));
    long before = memAllocationCount();
    char buffer[262];
    platformRegistryRead(kTestKey, "LastQCF", buffer, sizeof buffer);
    platformRegistryDeleteValue(kTestKey, "LastQCF");
    EXPECT_EQ(memAllocationCount(), before);
}

#ifdef _WIN32
// Windows only: values of other types and without a terminator, which only
// another program could store (the Linux store holds texts).
TEST_F(Registry, ValuesOfAnyTypeReadAsTerminatedBytes) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "NoTerminator", 0, REG_SZ, reinterpret_cast<const BYTE *>("abc"), 3);
    RegSetValueExA(key, "Binary", 0, REG_BINARY, reinterpret_cast<const BYTE *>("xyz"), 3);
    DWORD number = 0x41424344;
    RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), 4);
    RegSetValueExA(key, "Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>("%TEMP%\\x"), 9);
    RegSetValueExA(key, "ZeroBytes", 0, REG_SZ, reinterpret_cast<const BYTE *>(""), 0);
    RegCloseKey(key);
    EXPECT_EQ(read(kTestKey, "NoTerminator"), "abc");
    EXPECT_EQ(read(kTestKey, "Binary"), "xyz");
    EXPECT_EQ(read(kTestKey, "Binary", 3), "(missing)");
    EXPECT_EQ(read(kTestKey, "Number"), "DCBA");
    EXPECT_EQ(read(kTestKey, "Expand"), "%TEMP%\\x");
    EXPECT_EQ(read(kTestKey, "ZeroBytes"), "");
}
#else
// Linux only: the store file itself.
}  // namespace

#include "platform/registry_store_posix.h"

namespace {

std::string contents(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

TEST_F(Registry, TheStoreIsATextFileOfKeysAndValues) {
    ASSERT_TRUE(platformRegistryWriteText(kSelectionKey, "LastQCF", "/srv/conn/a.qcf"));
    ASSERT_TRUE(platformRegistryWriteText(kTestKey, "A", "1"));
    ASSERT_TRUE(platformRegistryWriteText(kSelectionKey, "Other", "2"));
    EXPECT_EQ(contents(storePath_),
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarsik\\olap\\QuorvelPDS]\n"
              "LastQCF=/srv/conn/a.qcf\n"
              "Other=2\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarsik\\olap\\CbqPlatformTest]\n"
              "A=1\n");
    EXPECT_TRUE(platformRegistryDeleteKey(kSelectionKey));
    EXPECT_EQ(contents(storePath_), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarsik\\olap\\CbqPlatformTest]\nA=1\n");
}

TEST_F(Registry, AHandWrittenStoreReadsAndKeepsItsShape) {
    std::string longLine = "Long=" + std::string(kStoreLineSize, 'x');
    std::string text =
        "# written by hand\r\n"
        "\r\n"
        "[hkey_local_machine\\\\software\\tarsik\\olap\\quorvelpds\\]\r\n"
        "; a comment\r\n"
        "LastQCF=  /srv/with blanks.qcf \r\n"
        "NoEquals\r\n" +
        longLine + "\r\n"
        "=default value\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarsik\\olap\\QuorvelPDS]\r\n"
        "Second=in a repeated section\r\n"
        "no line end=x";
    writeFile(storePath_, text);
    EXPECT_EQ(read(kSelectionKey, "LastQCF"), "  /srv/with blanks.qcf ");
    EXPECT_EQ(read(kSelectionKey, nullptr), "default value");
    EXPECT_EQ(read(kSelectionKey, ""), "default value");
    EXPECT_EQ(read(kSelectionKey, "Second"), "in a repeated section");
    EXPECT_EQ(read(kSelectionKey, "no line end"), "x");
    EXPECT_EQ(read(kSelectionKey, "NoEquals"), "(missing)");
    EXPECT_EQ(read(kSelectionKey, "Long", 600), "(missing)");
    // Deleting one value keeps every other line byte for byte.
    EXPECT_TRUE(platformRegistryDeleteValue(kSelectionKey, "LastQCF"));
    std::string expected = text;
    expected.erase(expected.find("LastQCF="), strlen("LastQCF=  /srv/with blanks.qcf \r\n"));
    EXPECT_EQ(contents(storePath_), expected);
}

TEST_F(Registry, TheWriterRefusesWhatTheStoreCannotHold) {
    EXPECT_FALSE(platformRegistryWriteText(kTestKey, "a=b", "x"));
    EXPECT_FALSE(platformRegistryWriteText(kTestKey, "line\nbreak", "x"));
    EXPECT_FALSE(platformRegistryWriteText(kTestKey, "Name", "line\r\nbreak"));
    EXPECT_FALSE(platformRegistryWriteText("\\Leading", "Name", "x"));
    EXPECT_FALSE(platformRegistryDeleteKey(kTestKey));
    EXPECT_FALSE(std::ifstream(storePath_).good()) << "a refused write created the store";
}

TEST_F(Registry, TheStoreLocationComesFromTheEnvironment) {
    tree.dir("home");
    std::string home = tree.native("home").string();
    std::string savedHome = getenv("HOME") != nullptr ? getenv("HOME") : "";
    unsetenv("CBQ_REGISTRY");
    setenv("HOME", home.c_str(), 1);
    EXPECT_TRUE(platformRegistryWriteText(kTestKey, "Where", "home"));
    EXPECT_EQ(contents(home + "/.cbq90/registry"),
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarsik\\olap\\CbqPlatformTest]\nWhere=home\n");
    EXPECT_EQ(read(kTestKey, "Where"), "home");
    setenv("CBQ_REGISTRY", "", 1);
    EXPECT_EQ(read(kTestKey, "Where"), "home");
    unsetenv("HOME");
    unsetenv("CBQ_REGISTRY");
    EXPECT_EQ(read(kTestKey, "Where"), "(missing)");
    EXPECT_FALSE(platformRegistryWriteText(kTestKey, "Where", "nowhere"));
    setenv("HOME", savedHome.c_str(), 1);
    setenv("CBQ_REGISTRY", storePath_.c_str(), 1);
    EXPECT_EQ(read(kTestKey, "Where"), "(missing)");
}

// A store that is no regular file is neither read nor replaced, and never
// waited on.
TEST_F(Registry, AStoreThatIsNoRegularFileIsAnEmptyRegistry) {
    std::string fifo = tree.native("fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    tree.dir("folder");
    for (const std::string &store : {fifo, tree.native("folder").string()}) {
        setenv("CBQ_REGISTRY", store.c_str(), 1);
        ASSERT_TRUE(finishesWithin(10, [] {
            char buffer[16];
            platformRegistryRead(kTestKey, "LastQCF", buffer, sizeof buffer);
            platformRegistryDeleteValue(kTestKey, "LastQCF");
            platformRegistryWriteText(kTestKey, "LastQCF", "x");
        })) << store;
        EXPECT_EQ(read(kTestKey, "LastQCF"), "(missing)") << store;
        EXPECT_FALSE(platformRegistryDeleteValue(kTestKey, "LastQCF")) << store;
        EXPECT_FALSE(platformRegistryWriteText(kTestKey, "LastQCF", "x")) << store;
    }
    struct stat status;
    ASSERT_EQ(stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_FALSE(std::filesystem::exists(fifo + ".tmp"));
    setenv("CBQ_REGISTRY", storePath_.c_str(), 1);
}
#endif

// A value that another program wrote: reg.exe under Wine, a store file
// written by hand on Linux. Run by CTest with the key, value name and
// expected text in the environment; skipped otherwise.
TEST(RegistryWrittenElsewhere, ReadsTheValue) {
    const char *key = getenv("CBQ_TEST_REGISTRY_KEY");
    const char *name = getenv("CBQ_TEST_REGISTRY_NAME");
    const char *expected = getenv("CBQ_TEST_REGISTRY_TEXT");
    if (key == nullptr || name == nullptr || expected == nullptr)
        GTEST_SKIP() << "run by CTest after the value is written";
    char buffer[262];
    ASSERT_TRUE(platformRegistryRead(key, name, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, expected);
}

}  // namespace
