// The home directory, the version directories and the connection index on
// real directory trees, with TARSIK_HOME set for each case.
#include "connection/connection_directories.h"

#include <functional>
#include <string>
#include <vector>

#include "host/memory.h"
#include "host/result_code.h"
#include "tests/connection/connection_fixture.h"
#include "text/nls_text.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

class DirectoriesTest : public ConnectionTest {
protected:
    // Makes tree/relative a home whose version directory zcfVERSION holds a
    // connection index naming the given text.
    void index(const std::string &home, const std::string &version, const std::string &connectionPath) {
        tree.file(home + "\\olap\\zcf" + version + "\\qconnect.ini",
                  iniText({{"General", {"ConnectionPath=" + connectionPath}}}));
    }

    void setHome(const std::string &home) { setEnvironment("TARSIK_HOME", tree.path(home).c_str()); }

    // The items of a list, joined by " | ".
    static std::string items(StringList &list) {
        std::string text;
        for (int32_t i = 0; i < list.count(); ++i)
            text += std::string(i == 0 ? "" : " | ") + list.item(i)->text();
        return text;
    }

    std::string home0() { return tree.path("h0"); }
};

TEST_F(DirectoriesTest, TheHomeComesFromTheEnvironmentWithoutOneTrailingBackslash) {
    struct Row {
        const char *value;  // null: unset
        int32_t count;
        const char *home;
    } rows[] = {
        {nullptr, 0, ""},
        {"", 0, ""},
        {"C:\\home", 1, "C:\\home"},
        {"C:\\home\\", 1, "C:\\home"},
        {"C:\\home\\\\", 1, "C:\\home\\"},
        {"C:\\home/", 1, "C:\\home/"},
        {"\\", 1, ""},
        {"relative\\home", 1, "relative\\home"},
    };
    for (const Row &r : rows) {
        setEnvironment("TARSIK_HOME", r.value);
        StringList list;
        list.append("stale");
        ResultCode failure = kOk;
        EXPECT_EQ(homeLookup(&list, &failure), r.count) << (r.value ? r.value : "(unset)");
        ASSERT_EQ(list.count(), r.count);
        if (r.count == 1)
            EXPECT_STREQ(list.item(0)->text(), r.home);
        else
            EXPECT_EQ(failure, kNoHomeDirectory);
    }
}

TEST_F(DirectoriesTest, AHomeIsReadUpTo512Bytes) {
    setEnvironment("TARSIK_HOME", (std::string(600, 'h') + "\\").c_str());
    StringList list;
    ASSERT_EQ(homeLookup(&list), 1);
    EXPECT_EQ(std::string(list.item(0)->text()), std::string(512, 'h'));
}

TEST_F(DirectoriesTest, OnlyASingleByteBackslashIsRemovedFromTheHome) {
    StringList list;
    if (followsWine() && ansiCodePage() != 0)
        GTEST_SKIP() << "Wine's environment loses a '\\' that is the second byte of a character";
    use("GBK");
    setEnvironment("TARSIK_HOME", "C:\\\x81\\");  // ends in a character whose second byte is '\'
    ASSERT_EQ(homeLookup(&list), 1);
    EXPECT_STREQ(list.item(0)->text(), "C:\\\x81\\");
    setEnvironment("TARSIK_HOME", "C:\\\x81\\\\");  // and then a backslash of its own
    ASSERT_EQ(homeLookup(&list), 1);
    EXPECT_STREQ(list.item(0)->text(), "C:\\\x81\\");
}

// Fills the stack below the caller with nonzero bytes, so that a byte that
// the next call leaves unwritten in its own buffers reads as no terminator.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
void paintStack() {
    volatile char area[8192];
    for (size_t i = 0; i < sizeof area; ++i)
        area[i] = 'p';
}

// Texts that end in two zero bytes are read in two-byte units: a home of an
// odd number of bytes is completed by a zero byte, so that its terminator
// stands where measuring looks for it (and measuring stops inside the work
// buffer).
TEST_F(DirectoriesTest, AnOddLengthHomeInTwoByteUnitsEndsInAWholeUnit) {
    use("UCS2");
    for (size_t length : {1u, 2u, 3u, 510u, 511u, 512u, 513u}) {
        setEnvironment("TARSIK_HOME", std::string(length, 'h').c_str());
        StringList list;
        paintStack();
        ASSERT_EQ(homeLookup(&list), 1) << length;
        size_t kept = length > kHomeValueSize ? kHomeValueSize : length;
        std::string expected = std::string(kept, 'h') + std::string(kept % 2, '\0');
        ASSERT_EQ(textLength(list.item(0)->text()), expected.size()) << length;
        EXPECT_EQ(std::string(list.item(0)->text(), expected.size()), expected) << length;
    }
}

TEST_F(DirectoriesTest, AHomeThatCannotBeKeptIsOutOfMemory) {
    setEnvironment("TARSIK_HOME", "C:\\home");
    for (long k = 1; k <= 3; ++k) {
        StringList list;
        ResultCode failure = kOk;
        memFailAt(k);
        EXPECT_EQ(homeLookup(&list, &failure), 0) << k;
        memFailAt(0);
        EXPECT_EQ(failure, kOutOfMemory) << k;
        EXPECT_EQ(list.count(), 0) << k;
    }
}

TEST_F(DirectoriesTest, TheIndexOfTheHighestVersionNamesTheDirectories) {
    tree.dir("c901");
    tree.dir("c817");
    tree.dir("c901b");
    index("h0", "817", tree.path("c817"));
    index("h0", "901", tree.path("c901") + ";;" + tree.path("missing") + ";" + tree.path("c901b") + ";");
    setHome("h0");
    StringList list;
    EXPECT_EQ(loadConnectionDirectories(&list), kOk);
    EXPECT_EQ(items(list), tree.path("c901") + " | " + tree.path("c901b"));
}

TEST_F(DirectoriesTest, TheHostsVersionIsUsedWhenItHasADirectory) {
    tree.dir("c901");
    tree.dir("c817");
    index("h0", "817", tree.path("c817"));
    index("h0", "901", tree.path("c901"));
    setHome("h0");
    struct Row {
        const char *option;  // null: the host answers null
        const char *directory;
    } rows[] = {{"817", "c817"}, {"901", "c901"}, {"950", "c901"}, {"", "c901"}, {kNull, "c901"}};
    for (const Row &r : rows) {
        options["options.zcf.version"] = r.option;
        StringList list;
        EXPECT_EQ(loadConnectionDirectories(&list), kOk) << r.option;
        EXPECT_EQ(items(list), tree.path(r.directory)) << r.option;
    }
    // No callback at all: as an empty answer.
    initModule("LATIN1");
    StringList list;
    EXPECT_EQ(loadConnectionDirectories(&list), kOk);
    EXPECT_EQ(items(list), tree.path("c901"));
}

TEST_F(DirectoriesTest, AVersionTooLongForItsWorkAreaNamesNoDirectory) {
    tree.dir("c901");
    index("h0", "901", tree.path("c901"));
    setHome("h0");
    options["options.zcf.version"] = std::string(263, '9');
    StringList list;
    EXPECT_EQ(loadConnectionDirectories(&list), kOk);
    EXPECT_EQ(items(list), tree.path("c901"));
    list.clear();
    options["options.zcf.version"] = std::string(264, '9');
    EXPECT_EQ(loadConnectionDirectories(&list), kOk);
    EXPECT_EQ(items(list), tree.path("c901"));
}

TEST_F(DirectoriesTest, APrefixMatchFindsTheHomeButNotTheIndex) {
    tree.dir("c");
    index("h0", "9015", tree.path("c"));
    setHome("h0");
    options["options.zcf.version"] = "901";
    StringList list;
    EXPECT_EQ(loadConnectionDirectories(&list), kNoConnectionIndex);
    EXPECT_EQ(list.count(), 0);
}

TEST_F(DirectoriesTest, FailuresLeaveTheListAsItWas) {
    struct Row {
        const char *what;
        std::function<void()> make;
        ResultCode result;
    } rows[] = {
        {"no home", [] { setEnvironment("TARSIK_HOME", nullptr); }, kNoHomeDirectory},
        {"no olap", [this] { tree.dir("h1"); setHome("h1"); }, kNoVersionDirectory},
        {"only zcf", [this] { tree.dir("h2\\olap\\zcf"); setHome("h2"); },
         kNoVersionDirectory},
        {"only zcf000", [this] { tree.dir("h3\\olap\\zcf000"); setHome("h3"); },
         kNoVersionDirectory},
        {"a file zcf901", [this] { tree.file("h4\\olap\\zcf901"); setHome("h4"); },
         kNoVersionDirectory},
        {"no index", [this] { tree.dir("h5\\olap\\zcf901"); setHome("h5"); },
         kNoConnectionIndex},
        {"no key",
         [this] {
             tree.file("h6\\olap\\zcf901\\qconnect.ini", iniText({{"General", {"Other=x"}}}));
             setHome("h6");
         },
         kNoConnectionIndex},
        {"empty key", [this] { index("h7", "901", ""); setHome("h7"); },
         kNoConnectionIndex},
        {"blank key", [this] { index("h8", "901", "   "); setHome("h8"); },
         kNoConnectionIndex},
    };
    for (const Row &r : rows) {
        r.make();
        StringList list;
        list.append("kept");
        EXPECT_EQ(loadConnectionDirectories(&list), r.result) << r.what;
        EXPECT_EQ(items(list), "kept") << r.what;
    }
}

TEST_F(DirectoriesTest, NoExistingDirectoryIsNoFailure) {
    index("h0", "901", tree.path("missing") + ";" + tree.path("gone"));
    setHome("h0");
    StringList list;
    EXPECT_EQ(loadConnectionDirectories(&list), kOk);
    EXPECT_EQ(list.count(), 0);
}

TEST_F(DirectoriesTest, AnUpperCasedVersionComposesTheIndexPath) {
    tree.dir("c");
    index("h0", "9i", tree.path("c"));
    setHome("h0");
    StringList homes;
    homes.append(home0().c_str());
    char version[kVersionSize];
    EXPECT_EQ(findHighestVersion(&homes, version, sizeof version), 0);
    EXPECT_STREQ(version, "9I");
    StringList list;
    EXPECT_EQ(loadConnectionDirectories(&list), kOk);
    EXPECT_EQ(items(list), tree.path("c"));
}

TEST_F(DirectoriesTest, OutOfMemoryAnywhereLeavesTheListEmpty) {
    tree.dir("a");
    tree.dir("b");
    index("h0", "901", tree.path("a") + ";" + tree.path("b"));
    setHome("h0");
    int failures = 0;
    for (long k = 1;; ++k) {
        StringList list;
        memFailAt(k);
        ResultCode result = loadConnectionDirectories(&list);
        memFailAt(0);
        if (result == kOk) {
            EXPECT_EQ(list.count(), 2);
            break;
        }
        ++failures;
        EXPECT_EQ(result, kOutOfMemory) << k;
        EXPECT_EQ(list.count(), 0) << k;
        ASSERT_LT(k, 50);
    }
    // The home, the value buffer and each of the two directories.
    EXPECT_EQ(failures, 3 + 1 + 3 + 3);
}

TEST_F(DirectoriesTest, TheHighestVersionAcrossHomes) {
    for (const char *d : {"h0\\olap\\zcf817", "h0\\olap\\zcf", "h1\\olap\\zcf901", "h1\\olap\\zcf9015",
                          "h2\\olap\\zcf901", "h3\\olap\\zcf000", "h3\\olap\\zcf00"})
        tree.dir(d);
    tree.file("h0\\olap\\zcf999");
    tree.file("h3\\olap\\zcfzzz");
    struct Row {
        std::vector<std::string> homes;
        int32_t result;
        const char *version;
    } rows[] = {
        {{"h0", "h1", "h2"}, 1, "901"},  // equal versions: the first home keeps it
        {{"h2", "h1"}, 0, "901"},
        {{"h0"}, 0, "817"},
        {{"h3"}, -1, ""},
        {{"missing", "h3", "h0"}, 2, "817"},
        {{}, -1, ""},
    };
    for (const Row &r : rows) {
        StringList homes;
        for (const std::string &h : r.homes)
            homes.append(tree.path(h).c_str());
        char version[kVersionSize] = "old";
        EXPECT_EQ(findHighestVersion(&homes, version, sizeof version), r.result) << r.version;
        EXPECT_STREQ(version, r.version);
    }
}

TEST_F(DirectoriesTest, AtMostFiftyVersionsAreLookedAt) {
    for (int v = 100; v < 150; ++v)
        tree.dir("h0\\olap\\zcf" + std::to_string(v));
    tree.dir("h1\\olap\\zcf999");
    StringList homes;
    homes.append(home0().c_str());
    homes.append(tree.path("h1").c_str());
    char version[kVersionSize];
    EXPECT_EQ(findHighestVersion(&homes, version, sizeof version), 0);
    EXPECT_STREQ(version, "149");
    tree.dir("h0\\olap\\zcf150");  // the 51st is never listed
    EXPECT_EQ(findHighestVersion(&homes, version, sizeof version), 0);
    EXPECT_STREQ(version, "149");
}

TEST_F(DirectoriesTest, TheVersionHomeIsTheFirstWithADirectory) {
    tree.dir("h0\\olap\\zcf817");
    tree.file("h0\\olap\\zcf901");
    tree.dir("h1\\olap\\zcf9015");
    tree.dir("h2\\olap\\zcf901");
    StringList homes;
    for (const char *h : {"h0", "h1", "h2"})
        homes.append(tree.path(h).c_str());
    EXPECT_EQ(findVersionHome(&homes, "901"), 1);
    EXPECT_EQ(findVersionHome(&homes, "817"), 0);
    EXPECT_EQ(findVersionHome(&homes, "9015"), 1);
    EXPECT_EQ(findVersionHome(&homes, "902"), -1);
}

TEST_F(DirectoriesTest, SplittingTheConnectionPath) {
    tree.dir("a");
    tree.dir("b");
    tree.dir("c");
    std::string a = tree.path("a"), b = tree.path("b"), c = tree.path("c");
    struct Row {
        std::string text;
        int32_t count;
        std::string items;
    } rows[] = {
        {a + ";;" + b + ";", 2, a + " | " + b},
        {"  \t" + a + ";" + b, 2, a + " | " + b},
        {a + "; " + b, 1, a},  // the blank stays part of the segment
        {a + ";" + tree.path("missing") + ";" + c, 2, a + " | " + c},
        {a + "\\" + std::string(300, 'x') + ";" + b, 1, b},
        {";;;", 0, ""},
        {"", 0, ""},
        {b + "\\", 1, b + "\\"},
    };
    for (const Row &r : rows) {
        StringList list;
        EXPECT_EQ(splitConnectionPath(r.text.c_str(), &list), r.count) << r.text;
        EXPECT_EQ(items(list), r.items) << r.text;
    }
}

TEST_F(DirectoriesTest, ASemicolonInsideADoubleByteCharacterSeparatesNothing) {
    use("GBK");
    tree.dir("a");
    tree.dir("c");
    std::string text = tree.path("a") + ";" + tree.path("b") + "\x81;" + tree.path("c");
    StringList list;
    EXPECT_EQ(splitConnectionPath(text.c_str(), &list), 1);
    EXPECT_EQ(items(list), tree.path("a"));
}

TEST_F(DirectoriesTest, SplittingOutOfMemoryKeepsWhatWasAppended) {
    tree.dir("a");
    tree.dir("b");
    std::string text = tree.path("a") + ";" + tree.path("b");
    for (long k = 4; k <= 6; ++k) {
        StringList list;
        memFailAt(k);
        EXPECT_EQ(splitConnectionPath(text.c_str(), &list), -1) << k;
        memFailAt(0);
        EXPECT_EQ(items(list), tree.path("a")) << k;
    }
}

#ifndef _WIN32
// Linux only: an index that is a FIFO is one that can't be read, at once.
TEST_F(DirectoriesTest, AnIndexThatIsAFifoIsAMissingIndex) {
    tree.dir("h0\\olap\\zcf901");
    ASSERT_EQ(mkfifo(tree.native("h0\\olap\\zcf901\\qconnect.ini").c_str(), 0600), 0);
    setHome("h0");
    ASSERT_TRUE(finishesWithin(10, [] {
        StringList list;
        loadConnectionDirectories(&list);
    }));
    StringList list;
    EXPECT_EQ(loadConnectionDirectories(&list), kNoConnectionIndex);
    EXPECT_EQ(list.count(), 0);
}
#endif

}  // namespace
