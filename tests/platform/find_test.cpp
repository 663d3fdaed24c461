// File search and file attributes on real directory trees. The same cases
// run on Linux (our own layer) and under Wine (FindFirstFileA and
// GetFileAttributesA); the expected listings are what Wine returns.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/memory.h"
#include "platform/platform.h"
#include "tests/platform/temp_tree.h"

namespace {

std::string hex(uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

class Find : public ::testing::Test {
protected:
    // "name(attributes) ..." in the order returned, or "none". Where the order
    // is the file system's own (real Windows), the names are sorted instead.
    std::string listing(const std::string &pattern) {
        PlatformFind find;
        std::string full = tree.path(pattern);
        if (!find.begin(full.c_str()))
            return "none";
        std::vector<std::string> names;
        do
            names.push_back(std::string(find.name()) + "(" + hex(find.attributes()) + ")");
        while (find.next());
        EXPECT_FALSE(find.next()) << "a finished search starts again";
        if (!followsWine())
            std::sort(names.begin(), names.end());
        std::string text;
        for (const std::string &name : names)
            text += (text.empty() ? "" : " ") + name;
        return text;
    }

    std::string attributes(const std::string &relative) {
        uint32_t value = platformFileAttributes(tree.path(relative).c_str());
        return value == kPlatformAttributesInvalid ? "invalid" : hex(value);
    }

    void makeVersionTree() {
        for (const char *d : {"zcf", "ZCF901", "zcf817", "zcf9i", "zcfx.qcf"})
            tree.dir(d);
        for (const char *f : {"zcf999", "a.qcf", "B.QCF", "c.qcfx", "d.qc", ".hidden.qcf", "e.qcf.bak",
                              "longername.qcf", "ro.qcf"})
            tree.file(f);
        tree.readOnly("ro.qcf");
    }

    TempTree tree;
};

TEST_F(Find, PatternsAsTheCallersUseThem) {
    makeVersionTree();
    const char *everything =
        ".(10) ..(10) .hidden.qcf(22) a.qcf(20) B.QCF(20) c.qcfx(20) d.qc(20) e.qcf.bak(20) "
        "longername.qcf(20) ro.qcf(21) zcf(10) zcf817(10) ZCF901(10) zcf999(20) zcf9i(10) zcfx.qcf(10)";
    struct Case {
        const char *pattern;
        const char *expected;
    } cases[] = {
        {"*", everything},
        {"*.*", everything},
        {"*.", everything},
        {"*.qcf", ".hidden.qcf(22) a.qcf(20) B.QCF(20) c.qcfx(20) longername.qcf(20) ro.qcf(21) zcfx.qcf(10)"},
        {"*.QCF", ".hidden.qcf(22) a.qcf(20) B.QCF(20) c.qcfx(20) longername.qcf(20) ro.qcf(21) zcfx.qcf(10)"},
        {"zcf*", "zcf(10) zcf817(10) ZCF901(10) zcf999(20) zcf9i(10) zcfx.qcf(10)"},
        {"ZCF*", "zcf(10) zcf817(10) ZCF901(10) zcf999(20) zcf9i(10) zcfx.qcf(10)"},
        {"zcf901*", "ZCF901(10)"},
        {"zcf90?", "ZCF901(10)"},
        {"zcf9???", "none"},
        {"zcf???", "zcf817(10) ZCF901(10) zcf999(20)"},
        {"?.qcf", "a.qcf(20) B.QCF(20)"},
        {"zcf", "zcf(10)"},
        {"ZCF901", "ZCF901(10)"},
        {".*", ".(10) ..(10) .hidden.qcf(22)"},
        {"zcf\\*", ".(10) ..(10)"},
        {"nosuch\\*", "none"},
        {"a.qcf\\*", "none"},
        {"z*\\*", "none"},
        {"zcf901\\", "none"},
        {"nothing*", "none"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(listing(c.pattern), c.expected) << c.pattern;
}

TEST_F(Find, LongNamesAlsoMatchByTheirShortForm) {
    for (const char *f : {"abcdefgh.qcfx", "Qcf.qcfzz", "y.qcf1", "x.q+fx", "a.b.qcf", "plain.qcf"})
        tree.file(f);
    EXPECT_EQ(listing("*.qcf"), "a.b.qcf(20) abcdefgh.qcfx(20) plain.qcf(20) Qcf.qcfzz(20) y.qcf1(20)");
    EXPECT_EQ(listing("abcdefgh.qcf"), "none");
    EXPECT_EQ(listing("a*.qcf"), "a.b.qcf(20) abcdefgh.qcfx(20)");
    EXPECT_EQ(listing("*.q_f"), "x.q+fx(20)");
    EXPECT_EQ(listing("*.q+f"), "none");
    EXPECT_EQ(listing("*.qc"), "none");
}

TEST_F(Find, NamesComeInUpperCaseByteOrder) {
    if (!followsWine())
        GTEST_SKIP() << "real Windows lists in the file system's order";
    for (const char *f : {"a_b", "aZb", "a[b", "!x", " x", "-x", "A", "b", "B1", "~t"})
        tree.file(f);
    tree.dir("sub");
    EXPECT_EQ(listing("*"),
              ".(10) ..(10)  x(20) !x(20) -x(20) A(20) aZb(20) a[b(20) a_b(20) b(20) B1(20) sub(10) ~t(20)");
}

TEST_F(Find, TheSearchObjectKeepsItsContract) {
    tree.file("one.qcf");
    tree.file("two.qcf");
    std::string pattern = tree.path("*.qcf");
    std::string none = tree.path("*.none");
    PlatformFind find;
    EXPECT_FALSE(find.next());
    find.end();
    EXPECT_FALSE(find.begin(none.c_str()));
    EXPECT_FALSE(find.next());
    ASSERT_TRUE(find.begin(pattern.c_str()));
    EXPECT_STREQ(find.name(), "one.qcf");
    EXPECT_FALSE(find.isDirectory());
    // Beginning again while open restarts the search.
    ASSERT_TRUE(find.begin(pattern.c_str()));
    EXPECT_STREQ(find.name(), "one.qcf");
    ASSERT_TRUE(find.next());
    EXPECT_STREQ(find.name(), "two.qcf");
    EXPECT_FALSE(find.next());
    EXPECT_FALSE(find.next());
    find.end();
    find.end();
    EXPECT_FALSE(find.next());
    EXPECT_FALSE(find.begin(nullptr));
    tree.dir("d");
    std::string dirPattern = tree.path("d*");
    ASSERT_TRUE(find.begin(dirPattern.c_str()));
    EXPECT_TRUE(find.isDirectory());
    EXPECT_EQ(find.attributes(), kPlatformAttributeDirectory);
}

TEST_F(Find, AttributesOfPaths) {
    makeVersionTree();
    tree.dir("sub\\Deep");
    tree.file("sub\\f");
    tree.file("sub\\Deep\\g");
    tree.dir("rodir");
    tree.readOnly("rodir");
    struct Case {
        const char *path;
        const char *expected;
    } cases[] = {
        {"a.qcf", "20"},
        {"A.QCF", "20"},
        {"zcf901", "10"},
        {"ZCF901\\", "10"},
        {"a.qcf\\", "invalid"},
        {"nosuch", "invalid"},
        {"ro.qcf", "21"},
        {".hidden.qcf", "22"},
        {"rodir", "10"},
        {"zcf901\\..\\a.qcf", "20"},
        {"zcf901\\\\..\\\\a.qcf", "20"},
        {"a.qcf.", "20"},
        {"a.qcf ", "20"},
        {"sub.\\f", "20"},
        {"sub \\f", "invalid"},
        {"sub...\\f", "invalid"},
        {"...\\sub\\f", "invalid"},
        {"sub. \\f", "invalid"},
        {"sub .\\f", "invalid"},
        {"sub\\f. .", "20"},
        {"sub\\f . ", "20"},
        {"sub\\f \\", "invalid"},
        {"sub\\f.\\", "invalid"},
        {"SUB\\DEEP\\G", "20"},
        {"sub\\\\f", "20"},
        {"nosuch\\..\\sub\\f", "20"},
        {"sub\\f\\..\\f", "20"},
        {"sub\\.\\f", "20"},
        {"sub\\f\\.", "20"},
        {"sub\\.", "10"},
        {"sub\\..", "10"},
        {" sub\\f", "invalid"},
        {"sub\\ f", "invalid"},
        {"sub\\deep.\\g.", "20"},
        {"sub\\f*", "invalid"},
        {"sub\\f?", "invalid"},
        {"sub/f", "20"},
        {"sub/Deep/", "10"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(attributes(c.path), c.expected) << c.path;
    EXPECT_EQ(platformFileAttributes(nullptr), kPlatformAttributesInvalid);
    EXPECT_EQ(platformFileAttributes(""), kPlatformAttributesInvalid);
}

TEST_F(Find, PatternsAreNormalisedAsPaths) {
    tree.dir("sub\\Deep");
    tree.file("sub\\f");
    tree.file("sub\\Deep\\g");
    EXPECT_EQ(listing("sub\\f."), "f(20)");
    EXPECT_EQ(listing("sub\\f "), "f(20)");
    EXPECT_EQ(listing("sub.\\*"), ".(10) ..(10) Deep(10) f(20)");
    EXPECT_EQ(listing("sub\\*."), ".(10) ..(10) Deep(10) f(20)");
    EXPECT_EQ(listing("SUB\\deep\\*"), ".(10) ..(10) g(20)");
    EXPECT_EQ(listing("sub\\DEEP."), "Deep(10)");
    EXPECT_EQ(listing("sub\\f\\"), "none");
    EXPECT_EQ(listing("sub \\*"), "none");
    EXPECT_EQ(listing("nosuch\\..\\sub\\*"), ".(10) ..(10) Deep(10) f(20)");
    EXPECT_EQ(listing("sub/Deep/g"), "g(20)");
}

TEST_F(Find, RelativePathsStartAtTheCurrentDirectory) {
    tree.file("sub\\f");
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(tree.native("sub"));
    EXPECT_EQ(platformFileAttributes("f"), kPlatformAttributeArchive);
    EXPECT_EQ(platformFileAttributes("..\\sub\\F"), kPlatformAttributeArchive);
    EXPECT_EQ(platformFileAttributes("g"), kPlatformAttributesInvalid);
    PlatformFind find;
    EXPECT_TRUE(find.begin("F*"));
    EXPECT_STREQ(find.name(), "f");
    find.end();
    std::filesystem::current_path(before);
}

// root\ddd...\nnn...n of exactly the given length.
std::string entryOfLength(const TempTree &tree, size_t length) {
    std::string prefix = std::string(150, 'd') + "\\";
    size_t used = tree.root().size() + 1 + prefix.size();
    return prefix + std::string(length - used, 'n');
}

TEST_F(Find, APathLongerThanTheLimitNamesNothing) {
    std::string fits = entryOfLength(tree, kPlatformPathLimit - 1);
    std::string atLimit = entryOfLength(tree, kPlatformPathLimit);
    std::string over = entryOfLength(tree, kPlatformPathLimit + 1);
    ASSERT_EQ(tree.path(atLimit).size(), static_cast<size_t>(kPlatformPathLimit));
    for (const std::string &entry : {fits, atLimit, over})
        tree.file(entry);
    EXPECT_EQ(attributes(fits), "20");
    EXPECT_EQ(listing(fits), fits.substr(151) + "(20)");
    if (followsWine()) {
        // Real Windows stops one byte earlier (MAX_PATH counts the terminator).
        EXPECT_EQ(attributes(atLimit), "20");
        EXPECT_NE(listing(atLimit), "none");
    }
    EXPECT_EQ(attributes(over), "invalid");
    EXPECT_EQ(listing(over), "none");
    std::string overPattern = over;
    overPattern.back() = '*';
    EXPECT_EQ(listing(overPattern), "none");
}

TEST_F(Find, SearchingAllocatesNothing) {
    tree.file("a.qcf");
    std::string pattern = tree.path("*.qcf");
    long before = memAllocationCount();
    PlatformFind find;
    for (bool more = find.begin(pattern.c_str()); more; more = find.next()) {
    }
    find.end();
    platformFileAttributes(pattern.c_str());
    EXPECT_EQ(memAllocationCount(), before);
}

#ifndef _WIN32
// Linux only: what the file system allows and Windows does not.

TEST_F(Find, LinuxHasNoDriveLettersOrUncNames) {
    EXPECT_EQ(platformFileAttributes("C:\\"), kPlatformAttributesInvalid);
    EXPECT_EQ(platformFileAttributes("c:/tmp"), kPlatformAttributesInvalid);
    EXPECT_EQ(platformFileAttributes("\\\\server\\share"), kPlatformAttributesInvalid);
    EXPECT_EQ(platformFileAttributes("//tmp"), kPlatformAttributesInvalid);
    EXPECT_EQ(platformFileAttributes("\\"), kPlatformAttributeDirectory);
    PlatformFind find;
    EXPECT_FALSE(find.begin("C:\\*"));
    EXPECT_FALSE(find.begin("\\"));
}

TEST_F(Find, OfNamesDifferingOnlyInCaseTheExactOneWinsElseTheFirstListed) {
    tree.file("Dir\\from-Dir");
    tree.file("dir\\from-dir");
    tree.file("DIR\\from-DIR");
    EXPECT_EQ(listing("dir\\from*"), "from-dir(20)");
    EXPECT_EQ(listing("DIR\\from*"), "from-DIR(20)");
    EXPECT_EQ(listing("dIr\\from*"), "from-DIR(20)");
    EXPECT_EQ(listing("d*"), "DIR(10) Dir(10) dir(10)");
}

TEST_F(Find, NamesNoWindowsPathCouldNameAreNotSeen) {
    tree.file("a:b.qcf");
    tree.file("q?.qcf");
    std::filesystem::path odd = tree.native("") / "odd\\name.qcf";
    { FILE *f = fopen(odd.c_str(), "w"); ASSERT_NE(f, nullptr); fclose(f); }
    tree.file("ok.qcf");
    EXPECT_EQ(listing("*.qcf"), "ok.qcf(20)");
    EXPECT_EQ(attributes("a:b.qcf"), "invalid");
    EXPECT_EQ(attributes("q?.qcf"), "invalid");
}

TEST_F(Find, DanglingLinksArePassedOver) {
    tree.file("real.qcf");
    std::filesystem::create_symlink(tree.native("gone"), tree.native("dangling.qcf"));
    std::filesystem::create_symlink(tree.native("real.qcf"), tree.native("link.qcf"));
    EXPECT_EQ(listing("*.qcf"), "link.qcf(20) real.qcf(20)");
    EXPECT_EQ(attributes("dangling.qcf"), "invalid");
}

TEST_F(Find, NamesEndingInADotOrABlankAreNotSeen) {
    tree.file("a.qcf", "a");
    tree.file("a.qcf.", "a with a dot");
    tree.file("b.qcf ", "b with a blank");
    tree.file("c.qcf..", "c");
    tree.dir("d.");
    tree.file("d.\\inner.qcf");
    tree.dir("e ");
    tree.file("e \\inner.qcf");
    EXPECT_EQ(listing("*"), ".(10) ..(10) a.qcf(20)");
    EXPECT_EQ(listing("*.qcf"), "a.qcf(20)");
    EXPECT_EQ(listing("*.qcf."), "a.qcf(20)");
    EXPECT_EQ(listing("b.qcf*"), "none");
    EXPECT_EQ(listing("d.\\*"), "none");
    EXPECT_EQ(listing("e \\*"), "none");
    // A path drops the trailing dots and blanks of its last component first.
    EXPECT_EQ(attributes("a.qcf."), "20");
    EXPECT_EQ(attributes("b.qcf "), "invalid");
    EXPECT_EQ(attributes("c.qcf.."), "invalid");
    EXPECT_EQ(attributes("d."), "invalid");
    EXPECT_EQ(attributes("d.\\inner.qcf"), "invalid");
    EXPECT_EQ(attributes("e \\inner.qcf"), "invalid");
}

// The directory is read once when the search begins: what changes after that
// does not show, and a name that went away is passed over.
TEST_F(Find, TheListingIsTheDirectoryAsTheSearchBegan) {
    for (const char *name : {"b.qcf", "d.qcf", "f.qcf"})
        tree.file(name);
    PlatformFind find;
    ASSERT_TRUE(find.begin(tree.path("*.qcf").c_str()));
    std::string names = find.name();
    tree.file("c.qcf");
    tree.file("e.qcf");
    std::filesystem::remove(tree.native("d.qcf"));
    while (find.next())
        names += std::string(" ") + find.name();
    EXPECT_EQ(names, "b.qcf f.qcf");
}

// Ten thousand names: one read of the directory and one sort, not a scan of
// the directory for every match (which took half a minute).
TEST_F(Find, AListingOfTenThousandNamesTakesNoRescans) {
    for (int i = 0; i < 10000; ++i) {
        char name[32];
        snprintf(name, sizeof name, "n%05d.qcf", (i * 7919) % 10000);
        FILE *f = fopen(tree.native(name).c_str(), "w");
        ASSERT_NE(f, nullptr);
        fclose(f);
    }
    std::string pattern = tree.path("*.qcf");
    ASSERT_TRUE(finishesWithin(15, [&] {
        PlatformFind find;
        for (bool more = find.begin(pattern.c_str()); more; more = find.next()) {
        }
    }));
    PlatformFind find;
    int count = 0;
    std::string previous;
    bool ordered = true;
    for (bool more = find.begin(pattern.c_str()); more; more = find.next(), ++count) {
        ordered = ordered && previous < find.name();
        previous = find.name();
    }
    EXPECT_EQ(count, 10000);
    EXPECT_TRUE(ordered);
    EXPECT_EQ(previous, "n09999.qcf");
}
#endif

}  // namespace
