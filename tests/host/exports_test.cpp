// The exported functions, called as a host calls them.
#include <string.h>

#include <string>

#include "cbq90.h"
#include "connection/connection_directories.h"
#include "connection/server_connection.h"
#include "connection/server_list.h"
#include "host/module_state.h"
#include "host/result_code.h"
#include "host/tsknls.h"
#include "tests/support/module_fixture.h"

namespace {

class ExportsTest : public ModuleTest {};

TEST_F(ExportsTest, GetVersionWritesExactlyTheGivenPointers) {
    const uint8_t version[5] = {9, 0, 0, 5, 0};
    for (unsigned mask = 0; mask < 32; ++mask) {
        uint8_t bytes[5];
        memset(bytes, 0xEE, sizeof bytes);
        uint8_t *p[5];
        for (int i = 0; i < 5; ++i)
            p[i] = (mask & (1u << i)) ? &bytes[i] : nullptr;
        cbqGetVer(p[0], p[1], p[2], p[3], p[4]);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(bytes[i], (mask & (1u << i)) ? version[i] : 0xEE)
                << "pointer " << i << " with mask " << mask;
    }
}

TEST_F(ExportsTest, GetVersionWithOnlyTheFourthPointerWritesFive) {
    uint8_t fourth = 0;
    cbqGetVer(nullptr, nullptr, nullptr, &fourth, nullptr);
    EXPECT_EQ(fourth, 5);
}

TEST_F(ExportsTest, FreeColumnsWithNothingToFreeReturnsOne) {
    long live = memLiveBlocks();
    EXPECT_EQ(cbqFreePWQCOL(nullptr, 3), kNothingToDo);
    PWQCOL *columns = static_cast<PWQCOL *>(memAllocZero(2 * sizeof(PWQCOL)));
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(cbqFreePWQCOL(columns, 0), kNothingToDo);
    EXPECT_EQ(memLiveBlocks(), live + 1) << "a zero count must free nothing";
    memFree(columns);
}

TEST_F(ExportsTest, FreeColumnsFreesNamesAndArraySkippingNullNames) {
    long live = memLiveBlocks();
    PWQCOL *columns = static_cast<PWQCOL *>(memAllocZero(3 * sizeof(PWQCOL)));
    ASSERT_NE(columns, nullptr);
    columns[0].name = static_cast<char *>(memAlloc(8));
    columns[1].name = nullptr;
    columns[2].name = static_cast<char *>(memAlloc(8));
    ASSERT_EQ(memLiveBlocks(), live + 3);
    EXPECT_EQ(cbqFreePWQCOL(columns, 3), kOk);
    EXPECT_EQ(memLiveBlocks(), live);
}

TEST_F(ExportsTest, FreeMemAcceptsNullAndFreesABlock) {
    long live = memLiveBlocks();
    cbqFreeMem(nullptr);
    void *block = memAlloc(16);
    cbqFreeMem(block);
    EXPECT_EQ(memLiveBlocks(), live);
}

TEST_F(ExportsTest, TermWithoutEditAndTwiceReturnsZero) {
    EXPECT_EQ(cbqTerm(), kOk);
    EXPECT_EQ(cbqTerm(), kOk);
    EXPECT_EQ(moduleState.processConnection, nullptr);
}

TEST_F(ExportsTest, SetHelpStoresPathsAndCutsLongOnesToTheBuffer) {
    struct Case {
        size_t length;
        size_t stored;
    } cases[] = {{0, 0}, {12, 12}, {263, 263}, {264, 263}, {1000, 263}};
    for (const Case &c : cases) {
        std::string path(c.length, 'p');
        for (size_t i = 0; i < c.length; ++i)
            path[i] = static_cast<char>('a' + i % 26);
        memset(moduleState.helpPath, 'x', sizeof moduleState.helpPath);
        EXPECT_EQ(cbqSetHelp(path.c_str()), 0);
        EXPECT_EQ(std::string(moduleState.helpPath), path.substr(0, c.stored))
            << "a path of " << c.length << " bytes";
    }
}

const char *recordedKey;
const char *recordedDefault;
const char kAnswer[] = "answer";

const char *recordingCallback(const char *key, const char *defaultText) {
    recordedKey = key;
    recordedDefault = defaultText;
    return kAnswer;
}

const char *nullCallback(const char *, const char *) { return nullptr; }

TEST_F(ExportsTest, InitStoresItsArgumentsAndASecondCallReplacesThem) {
    resetModuleState();
    EXPECT_EQ(moduleState.terminatorSize, 0u);
    EXPECT_EQ(moduleState.multibyte, 0u);
    int language = 0, context = 0, language2 = 0;
    EXPECT_EQ(cbqInit(&language, &context, 77, recordingCallback), kOk);
    EXPECT_EQ(moduleState.nlsLanguage, static_cast<const void *>(&language));
    EXPECT_EQ(moduleState.nlsContext, static_cast<const void *>(&context));
    EXPECT_EQ(moduleState.hostValue, 77u);
    EXPECT_EQ(moduleState.hostCallback, &recordingCallback);
    EXPECT_EQ(moduleState.terminatorSize, 1u);
    EXPECT_EQ(moduleState.multibyte, 1u);

    EXPECT_EQ(cbqInit(&language2, nullptr, 5, nullCallback), kOk);
    EXPECT_EQ(moduleState.nlsLanguage, static_cast<const void *>(&language2));
    EXPECT_EQ(moduleState.nlsContext, nullptr);
    EXPECT_EQ(moduleState.hostValue, 5u);
    EXPECT_EQ(moduleState.hostCallback, &nullCallback);
    EXPECT_EQ(moduleState.terminatorSize, 1u);
    EXPECT_EQ(moduleState.multibyte, 1u);

    EXPECT_EQ(cbqInit(nullptr, nullptr, 0, nullptr), kOk);
    EXPECT_EQ(moduleState.nlsLanguage, nullptr);
    EXPECT_EQ(moduleState.hostCallback, nullptr);
}

TEST_F(ExportsTest, HostOptionPassesArgumentsAndResultThroughUnchanged) {
    cbqInit(nullptr, nullptr, 0, recordingCallback);
    const char key[] = "options.zcf.version";
    const char defaultText[] = "";
    EXPECT_EQ(hostOption(key, defaultText), kAnswer);
    EXPECT_EQ(recordedKey, key);
    EXPECT_EQ(recordedDefault, defaultText);
    EXPECT_EQ(hostOption(key, nullptr), kAnswer);
    EXPECT_EQ(recordedDefault, nullptr);

    cbqInit(nullptr, nullptr, 0, nullCallback);
    EXPECT_EQ(hostOption(key, defaultText), nullptr);
}

TEST_F(ExportsTest, HostOptionWithoutACallbackIsNull) {
    cbqInit(nullptr, nullptr, 0, nullptr);
    EXPECT_EQ(hostOption("options.hierarchy.indent.count", nullptr), nullptr);
}

struct EditCall {
    Credentials credentials{};
    ConnectionSettings settings{};
    HostConnection host{};
    char *definition = nullptr;
    uint8_t changed = 0xEE, measures = 0xEE, columnCount = 0xEE;
    PWQCOL *columns = reinterpret_cast<PWQCOL *>(&columnCount);

    EditCall(uint32_t word1, uint32_t word2, int16_t handle) {
        host = {word1, word2, &credentials, &settings, handle};
    }
    ResultCode run() {
        return cbqEdit(&host, &definition, &changed, &measures, &columns, &columnCount, 0);
    }
};

TEST_F(ExportsTest, EditsShareOneConnectionWhoseHostFieldsTheLastCallSets) {
    EditCall first(11, 12, 7), second(21, 22, 9);
    first.run();
    ServerConnection *connection = moduleState.processConnection;
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->hostWord1, 11u);
    EXPECT_EQ(connection->connectionHandle, 7);
    EXPECT_EQ(connection->credentials, &first.credentials);

    second.run();
    EXPECT_EQ(moduleState.processConnection, connection);
    EXPECT_EQ(connection->hostWord1, 21u);
    EXPECT_EQ(connection->hostWord2, 22u);
    EXPECT_EQ(connection->credentials, &second.credentials);
    EXPECT_EQ(connection->settings, &second.settings);
    EXPECT_EQ(connection->connectionHandle, 9);

    EXPECT_EQ(cbqTerm(), kOk);
    EXPECT_EQ(moduleState.processConnection, nullptr);
}

TEST_F(ExportsTest, EditClearsTheCountAndColumnOutputsFirst) {
    EditCall call(1, 2, 3);
    call.run();
    EXPECT_EQ(call.measures, 0);
    EXPECT_EQ(call.columnCount, 0);
    EXPECT_EQ(call.columns, nullptr);
    EXPECT_EQ(call.definition, nullptr);
}

TEST_F(ExportsTest, EditAcceptsNullCountAndColumnPointers) {
    EditCall call(1, 2, 3);
    uint8_t changed = 0;
    ResultCode result = cbqEdit(&call.host, &call.definition, &changed, nullptr, nullptr,
                                nullptr, 0);
    EXPECT_NE(result, kOk);
}

TEST_F(ExportsTest, EditOutOfMemoryForTheConnectionLeavesNone) {
    EditCall call(1, 2, 3);
    memFailAt(1);
    EXPECT_EQ(call.run(), kOutOfMemory);
    EXPECT_EQ(moduleState.processConnection, nullptr);
}

TEST_F(ExportsTest, EditOutOfMemoryForTheSessionKeepsTheNewConnection) {
    EditCall call(1, 2, 3);
    memFailAt(2);
    EXPECT_EQ(call.run(), kOutOfMemory);
    ASSERT_NE(moduleState.processConnection, nullptr);
    EXPECT_EQ(moduleState.processConnection->hostWord1, 0u)
        << "host fields are copied only once the session exists";
}

TEST_F(ExportsTest, SelectServerNeverTouchesTheProcessConnection) {
    char connectString[2000] = "untouched";
    char path[264] = "untouched";
    EXPECT_NE(cbqSelectServer(connectString, path, 0, nullptr), kOk);
    EXPECT_EQ(moduleState.processConnection, nullptr);

    EditCall call(31, 32, 5);
    call.run();
    ServerConnection *connection = moduleState.processConnection;
    ASSERT_NE(connection, nullptr);
    ResultCode result = cbqSelectServer(connectString, path, 0, nullptr);
    EXPECT_EQ(moduleState.processConnection, connection);
    EXPECT_EQ(connection->hostWord1, 31u);
    EXPECT_EQ(connection->connectionHandle, 5);
    EXPECT_EQ(connection->helpFunction, nullptr);
    if (result != kOk) {
        EXPECT_STREQ(connectString, "untouched");
        EXPECT_STREQ(path, "untouched");
    }
}

TEST_F(ExportsTest, SelectServerOutOfMemoryReturns3003) {
    char connectString[2000] = "", path[264] = "";
    memFailAt(1);
    EXPECT_EQ(cbqSelectServer(connectString, path, 0, nullptr), kOutOfMemory);
}

TEST(ResultCodes, EveryCodeOfTheTableHasAName) {
    const ResultCode codes[] = {0, 1, 2015, 2016, 2017, 2033, 3001, 3002, 3003, 3004,
                                3005, 3006, 3007, 3008, 3009, 3010, 3011, 3012, 3013, 3014};
    for (ResultCode c : codes)
        EXPECT_STRNE(resultCodeName(c), "unknown") << c;
    EXPECT_STREQ(resultCodeName(2), "unknown");
    EXPECT_STREQ(resultCodeName(3015), "unknown");
}

// Texts kept from the first cbqInit are in its character set: a second one
// with another language must not leave them where the new one measures them.
TEST_F(ExportsTest, ASecondInitWithAnotherLanguageEmptiesTheConnectionDirectories) {
    ASSERT_GE(connectionDirectories.append("C:\\conn"), 0);
    cbqInit(const_cast<NlsLanguage *>(moduleState.nlsLanguage), nlsGlobalContext(), 0, nullptr);
    EXPECT_EQ(connectionDirectories.count(), 1) << "the same language keeps them";
    cbqInit(nlsOpenLanguage("UCS2"), nlsGlobalContext(), 0, nullptr);
    EXPECT_EQ(connectionDirectories.count(), 0);
    // The server list reads the directories measured in two-byte units.
    ServerConnection connection;
    EXPECT_EQ(buildServerList(&connection, &connectionDirectories), kOk);
    EXPECT_EQ(connection.firstEntry, nullptr);
}

}  // namespace
