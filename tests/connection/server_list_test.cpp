// The server list built from connection files in real directory trees.
#include "connection/server_list.h"

#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/result_code.h"
#include "tests/connection/connection_fixture.h"
#include "text/string_list.h"

namespace {

class ServerListTest : public ConnectionTest {
protected:
    // "description|file|directory" of each entry, in list order.
    std::string listing(const ServerConnection &c) {
        std::string text;
        for (const ServerEntry *e = c.firstEntry; e != nullptr; e = e->next)
            text += std::string(text.empty() ? "" : " ; ") + e->description + "|" + e->fileName + "|" +
                    std::to_string(e->directoryIndex);
        return text;
    }
};

TEST_F(ServerListTest, ListsOnlyServerTypeOneWithADescription) {
    tree.file("conn\\sales.qcf", qcf("Sales"));
    tree.file("conn\\type2.qcf", iniText({{"Quorvel", {"ServerType=2", "ServerDescription=Local pipe"}}}));
    tree.file("conn\\type0.qcf", iniText({{"Quorvel", {"ServerType=0", "ServerDescription=None"}}}));
    tree.file("conn\\notype.qcf", iniText({{"Quorvel", {"ServerDescription=No type"}}}));
    tree.file("conn\\nodescription.qcf", iniText({{"Quorvel", {"ServerType=1"}}}));
    tree.file("conn\\emptydescription.qcf", iniText({{"Quorvel", {"ServerType=1", "ServerDescription="}}}));
    tree.file("conn\\othersection.qcf", iniText({{"General", {"ServerType=1", "ServerDescription=Elsewhere"}}}));
    tree.file("conn\\notes.txt", qcf("Not a connection file"));
    tree.file("conn\\empty.qcf", "");
    tree.dir("conn\\folder.qcf");
    tree.file("conn\\folder.qcf\\inner.qcf", qcf("Inside a folder"));
    StringList directories;
    directories.append(tree.path("conn").c_str());
    ServerConnection c;
    EXPECT_EQ(buildServerList(&c, &directories), kOk);
    EXPECT_EQ(listing(c), "Sales|sales.qcf|0");
}

TEST_F(ServerListTest, DirectoriesGetOneTrailingBackslashAndTheirIndex) {
    tree.file("one\\b.qcf", qcf("Bravo"));
    tree.file("one\\a.qcf", qcf("Alpha"));
    tree.file("two\\c.qcf", qcf("Alpha"));  // equal descriptions are both listed
    tree.dir("none");
    StringList directories;
    directories.append(tree.path("one").c_str());
    directories.append("");
    directories.append((tree.path("none") + "\\").c_str());
    directories.append((tree.path("two") + "\\").c_str());
    ServerConnection c;
    EXPECT_EQ(buildServerList(&c, &directories), kOk);
    EXPECT_EQ(listing(c), "Alpha|a.qcf|0 ; Bravo|b.qcf|0 ; Alpha|c.qcf|3");
    EXPECT_EQ(directories.item(0)->text(), tree.path("one") + "\\");
    EXPECT_STREQ(directories.item(1)->text(), "");
    EXPECT_EQ(directories.item(2)->text(), tree.path("none") + "\\");
    EXPECT_EQ(directories.item(3)->text(), tree.path("two") + "\\");

    // A second build adds the entries again and no second backslash.
    EXPECT_EQ(buildServerList(&c, &directories), kOk);
    EXPECT_EQ(entryCount(&c), 6);
    EXPECT_EQ(directories.item(0)->text(), tree.path("one") + "\\");
    char path[264];
    ASSERT_TRUE(entryPath(&directories, c.lastEntry, path, sizeof path));
    EXPECT_EQ(std::string(path), tree.path("two\\c.qcf"));
}

TEST_F(ServerListTest, NoDirectoriesGiveAnEmptyList) {
    StringList directories;
    ServerConnection c;
    EXPECT_EQ(buildServerList(&c, &directories), kOk);
    EXPECT_EQ(c.firstEntry, nullptr);
    directories.append(tree.path("missing").c_str());
    EXPECT_EQ(buildServerList(&c, &directories), kOk);
    EXPECT_EQ(c.firstEntry, nullptr);
}

TEST_F(ServerListTest, DescriptionsAreCutToNinetyNineBytes) {
    std::string long150(150, 'x');
    for (int i = 0; i < 150; ++i)
        long150[i] = static_cast<char>('a' + i % 26);
    tree.file("conn\\long.qcf", qcf(long150));
    tree.file("conn\\exact.qcf", qcf(std::string(99, 'e')));
    StringList directories;
    directories.append(tree.path("conn").c_str());
    ServerConnection c;
    ASSERT_EQ(buildServerList(&c, &directories), kOk);
    ASSERT_EQ(entryCount(&c), 2);
    EXPECT_EQ(std::string(c.firstEntry->description), std::string(99, 'e'));
    EXPECT_EQ(std::string(c.lastEntry->description), long150.substr(0, 99));
}

TEST_F(ServerListTest, ADoubleByteDescriptionIsNotCutInsideACharacter) {
    use("GBK");
    // 98 single bytes, then a two-byte character across the 99-byte limit.
    tree.file("conn\\gbk.qcf", qcf(std::string(98, 'g') + "\xC4\xE3" + "z"));
    StringList directories;
    directories.append(tree.path("conn").c_str());
    ServerConnection c;
    ASSERT_EQ(buildServerList(&c, &directories), kOk);
    ASSERT_EQ(entryCount(&c), 1);
    EXPECT_EQ(std::string(c.firstEntry->description), std::string(98, 'g'));
}

TEST_F(ServerListTest, OutOfMemoryKeepsTheEntriesMadeSoFar) {
    tree.file("conn\\a.qcf", qcf("A"));
    tree.file("conn\\b.qcf", qcf("B"));
    tree.file("conn\\c.qcf", qcf("C"));
    StringList directories;
    directories.append((tree.path("conn") + "\\").c_str());
    ServerConnection c;
    memFailAt(3);
    EXPECT_EQ(buildServerList(&c, &directories), kOutOfMemory);
    memFailAt(0);
    EXPECT_EQ(listing(c), "A|a.qcf|0 ; B|b.qcf|0");
}

#ifndef _WIN32
// Linux only: files in a connection directory that no listing may wait on or
// crawl through (a FIFO, a 10 GiB sparse file, files over the profile size
// limit with a huge header or many blank lines), and names Windows can't
// hold, which would list a file twice or list one that can't be read.
TEST_F(ServerListTest, FilesThatAreNoConnectionFilesNeitherStallNorDoubleTheList) {
    const size_t twoMiB = 2u << 20;
    tree.file("conn\\a.qcf", qcf("Alpha"));
    tree.file("conn\\a.qcf.", qcf("Alpha with a dot"));
    tree.file("conn\\b.qcf ", qcf("Bravo with a blank"));
    tree.file("conn\\c.qcf", qcf("Charlie"));
    ASSERT_EQ(mkfifo(tree.native("conn\\fifo.qcf").c_str(), 0600), 0);
    tree.file("conn\\sparse.qcf", qcf("Sparse"));
    std::filesystem::resize_file(tree.native("conn\\sparse.qcf"), 10ull << 30);
    tree.file("conn\\blank.qcf", qcf("Blank lines") + std::string(twoMiB, '\n'));
    tree.file("conn\\header.qcf", "[" + std::string(twoMiB, 'h') + "]\n" + qcf("Header"));
    StringList directories;
    directories.append(tree.path("conn").c_str());
    ASSERT_TRUE(finishesWithin(10, [&] {
        ServerConnection c;
        buildServerList(&c, &directories);
    }));
    ServerConnection c;
    EXPECT_EQ(buildServerList(&c, &directories), kOk);
    EXPECT_EQ(listing(c), "Alpha|a.qcf|0 ; Charlie|c.qcf|0");
}
#endif

}  // namespace
