// The connection object's construction and destruction, the server list's
// count, removal and entry paths.
#include "connection/server_connection.h"

#include <string.h>

#include <string>

#include "connection/dialog_state.h"
#include "host/memory.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tests/support/module_fixture.h"
#include "text/string_list.h"

namespace {

class ServerConnectionTest : public ModuleTest {
protected:
    // Appends an entry named name to the list.
    ServerEntry *add(ServerConnection *c, const char *name, int32_t directory = 0) {
        ServerEntry *e = static_cast<ServerEntry *>(memAllocZero(sizeof(ServerEntry)));
        strcpy(e->fileName, name);
        e->directoryIndex = directory;
        if (c->lastEntry == nullptr)
            c->firstEntry = e;
        else
            c->lastEntry->next = e;
        c->lastEntry = e;
        return e;
    }

    std::string names(const ServerConnection &c) {
        std::string text;
        for (const ServerEntry *e = c.firstEntry; e != nullptr; e = e->next)
            text += std::string(text.empty() ? "" : " ") + e->fileName;
        return text;
    }
};

TEST_F(ServerConnectionTest, ConstructionLeavesEverythingEmptyAndForgetsTheChosenEntry) {
    ServerEntry marker;
    dialogState.chosenEntry = &marker;
    ServerConnection c;
    EXPECT_EQ(dialogState.chosenEntry, nullptr);
    EXPECT_EQ(c.hostWord1, 0u);
    EXPECT_EQ(c.hostWord2, 0u);
    EXPECT_EQ(c.connectionHandle, 0);
    EXPECT_EQ(c.state, 0u);
    EXPECT_EQ(c.credentials, nullptr);
    EXPECT_EQ(c.firstEntry, nullptr);
    EXPECT_EQ(c.lastEntry, nullptr);
    EXPECT_EQ(c.settings, nullptr);
    EXPECT_STREQ(c.relationalDatabase.text(), "");
    EXPECT_STREQ(c.chosenPath, "");
    EXPECT_EQ(c.helpContext, 0u);
    EXPECT_EQ(c.helpFunction, nullptr);
    const ServerAddress zero = {};
    EXPECT_EQ(memcmp(&c.address, &zero, sizeof zero), 0);
    EXPECT_EQ(entryCount(&c), 0);
}

TEST_F(ServerConnectionTest, DestructionFreesWhatItOwnsAndResetsTheDialogPointers) {
    Credentials hosts = {};
    ConnectionSettings settings = {};
    long before = memLiveBlocks();
    {
        ServerConnection *c = memNew<ServerConnection>();
        add(c, "a.qcf");
        add(c, "b.qcf");
        c->credentials = static_cast<Credentials *>(memAllocZero(sizeof(Credentials)));
        c->state = kOwnsCredentials;
        c->settings = &settings;
        ASSERT_EQ(c->relationalDatabase.assign("SLYDATA"), 1);
        dialogState.chosenEntry = c->firstEntry;
        dialogState.connection = c;
        dialogState.credentials = c->credentials;
        memDelete(c);
    }
    EXPECT_EQ(memLiveBlocks(), before);
    EXPECT_EQ(dialogState.chosenEntry, nullptr);
    EXPECT_EQ(dialogState.connection, nullptr);
    EXPECT_EQ(dialogState.credentials, nullptr);
    {
        // The host's credentials are not the object's to free.
        ServerConnection c;
        c.credentials = &hosts;
    }
    EXPECT_EQ(memLiveBlocks(), before);
}

TEST_F(ServerConnectionTest, DestructionClosesTheDataLibraryOnlyWhenConnected) {
    qvStandinReset();
    { ServerConnection c; }
    EXPECT_EQ(std::string(qvStandinLogText()).find("QVClose"), std::string::npos);
    {
        ServerConnection c;
        c.state = kConnected;
    }
    EXPECT_NE(std::string(qvStandinLogText()).find("QVClose"), std::string::npos);
    qvStandinReset();
}

TEST_F(ServerConnectionTest, RemovingEntriesKeepsTheListLinked) {
    ServerConnection c;
    ServerEntry *a = add(&c, "a");
    ServerEntry *b = add(&c, "b");
    ServerEntry *d = add(&c, "d");
    ServerEntry *e = add(&c, "e");
    EXPECT_EQ(entryCount(&c), 4);

    dialogState.chosenEntry = b;
    EXPECT_EQ(removeEntry(&c, b), 1);  // from the middle
    EXPECT_EQ(dialogState.chosenEntry, nullptr);
    EXPECT_EQ(names(c), "a d e");
    EXPECT_EQ(removeEntry(&c, e), 1);  // the last
    EXPECT_EQ(c.lastEntry, d);
    EXPECT_EQ(names(c), "a d");
    dialogState.chosenEntry = d;
    EXPECT_EQ(removeEntry(&c, a), 1);  // the first
    EXPECT_EQ(dialogState.chosenEntry, d);
    EXPECT_EQ(c.firstEntry, d);
    EXPECT_EQ(entryCount(&c), 1);

    ServerEntry stranger = {};
    EXPECT_EQ(removeEntry(&c, &stranger), 0);
    EXPECT_EQ(removeEntry(&c, nullptr), 0);
    EXPECT_EQ(entryCount(&c), 1);

    EXPECT_EQ(removeEntry(&c, d), 1);  // the only one
    EXPECT_EQ(c.firstEntry, nullptr);
    EXPECT_EQ(c.lastEntry, nullptr);
    EXPECT_EQ(removeEntry(&c, d), 0) << "an empty list removes nothing";
    EXPECT_EQ(entryCount(&c), 0);
}

TEST_F(ServerConnectionTest, FreeingTheListEmptiesIt) {
    ServerConnection c;
    add(&c, "a");
    add(&c, "b");
    long before = memLiveBlocks();
    freeServerList(&c);
    EXPECT_EQ(memLiveBlocks(), before - 2);
    EXPECT_EQ(c.firstEntry, nullptr);
    EXPECT_EQ(c.lastEntry, nullptr);
    freeServerList(&c);
    EXPECT_EQ(entryCount(&c), 0);
}

TEST_F(ServerConnectionTest, TheEntryPathIsItsDirectoryAndItsName) {
    StringList directories;
    directories.append("C:\\conn\\");
    directories.append(std::string(250, 'd').append("\\").c_str());
    ServerConnection c;
    ServerEntry *a = add(&c, "a.qcf", 0);
    ServerEntry *longName = add(&c, "0123456789.qcf", 1);
    ServerEntry *missing = add(&c, "x.qcf", 2);
    char path[264];
    ASSERT_TRUE(entryPath(&directories, a, path, sizeof path));
    EXPECT_STREQ(path, "C:\\conn\\a.qcf");
    EXPECT_FALSE(entryPath(&directories, a, path, strlen("C:\\conn\\a.qcf"))) << "no room for the terminator";
    EXPECT_STREQ(path, "");
    EXPECT_FALSE(entryPath(&directories, longName, path, sizeof path)) << "265 bytes";
    EXPECT_STREQ(path, "");
    strcpy(path, "old");
    EXPECT_FALSE(entryPath(&directories, missing, path, sizeof path));
    EXPECT_STREQ(path, "");
}

}  // namespace
