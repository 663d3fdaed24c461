// One edit from the host's call to what the host gets back, through cbqEdit
// over the simulated server. The five steps that other units carry out are
// replaced (editSteps) by stand-ins that announce themselves with a server
// command, so the data library's call log shows the whole order of an edit.
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/module_state.h"
#include "host/result_code.h"
#include "query/edit_steps.h"
#include "query/query_definition.h"
#include "query/query_session.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tests/support/module_fixture.h"

namespace {


const char kModel[] = R"json({
  "title": "session test server",
  "naSpelling": "NA",
  "databases": [
    {"name": "SALES", "path": "C:\\qv\\SALES.DB",
     "dimensions": [{"name": "TIME", "type": "DATE"}, {"name": "PRODUCT"}],
     "measures": [{"name": "REVENUE"}, {"name": "UNITS", "type": "INTEGER"}]},
    {"name": "SHOP", "path": "C:\\qv\\SHOP.DB",
     "dimensions": [{"name": "STORE"}], "measures": [{"name": "VISITS"}]}]
})json";

const char kFinished[] =
    R"({"steps": [{"addMeasure": "REVENUE", "database": "SALES"}, {"addMeasure": "UNITS", "database": "SALES"}]})";

// What the stand-ins for the other units do in the current test.
struct Steps {
    ResultCode relational = kOk;
    ResultCode rebuild = kOk;
    ResultCode serialize = kOk;
    ResultCode describe = kOk;
    int32_t change = 1;
    int32_t records = 3;  // column records that the column description makes
    bool emptyText = false;  // the column description leaves the host's text empty
};
Steps steps;
std::string rebuildText;     // the text the rebuild was given
std::string seenNaSpelling;  // the session's NA spelling when the serialiser ran

void announce(const char *step) { QVExecute((std::string("show '") + step + "'").c_str()); }

ResultCode relationalDouble(ServerConnection *) {
    announce("relational start-up");
    return steps.relational;
}

ResultCode rebuildDouble(QuerySession *, const char *text) {
    announce("rebuild");
    rebuildText = text;
    return steps.rebuild;
}

// Two records: the query's name and the NA spelling.
ResultCode serializeDouble(QuerySession *session) {
    announce("serialise");
    seenNaSpelling = session->naSpelling;
    session->outputDefinition = memNew<QueryDefinition>();
    if (session->outputDefinition == nullptr)
        return kOutOfMemory;
    if (!session->outputDefinition->addText("Query", session->queryName.text()) ||
        !session->outputDefinition->addText("NA", session->naSpelling))
        return kOutOfMemory;
    return steps.serialize;
}

// steps.records records named COL0, COL1, ..., then the host's text.
ResultCode describeDouble(QuerySession *session) {
    announce("describe columns");
    if (steps.describe != kOk)
        return steps.describe;
    session->columnRecords = static_cast<PWQCOL *>(memAllocZero(sizeof(PWQCOL) * steps.records));
    if (session->columnRecords == nullptr)
        return kOutOfMemory;
    session->columnRecordCount = steps.records;
    for (int32_t i = 0; i < steps.records; ++i) {
        std::string name = "COL" + std::to_string(i);
        char *block = static_cast<char *>(memAlloc(name.size() + 1));
        if (block == nullptr)
            return kOutOfMemory;
        memcpy(block, name.c_str(), name.size() + 1);
        session->columnRecords[i].name = block;
        session->columnRecords[i].position = static_cast<uint8_t>(i + 1);
    }
    if (steps.emptyText) {
        session->definitionText.clear();
        return kOk;
    }
    return produceHostText(session->outputDefinition, &session->definitionText) ? kOk : kOutOfMemory;
}

int32_t changeDouble(const QuerySession *) {
    announce("change test");
    return steps.change;
}

const EditSteps kDoubles = {relationalDouble, rebuildDouble, serializeDouble, describeDouble, changeDouble};

// The text the session hands over for the first query of a test.
const char kNewText[] = "Query=QUERY1\\\nNA=NA\\\n";

PWQCOL *const kUntouchedColumns = reinterpret_cast<PWQCOL *>(static_cast<uintptr_t>(0x5A5A5A5A));

// One cbqEdit call as a host makes it, with out-parameters that show what
// was written.
struct HostEdit {
    Credentials credentials{};
    ConnectionSettings settings{};
    HostConnection host{};
    std::vector<char> ownText;  // the host's own definition block, when it has one
    char *definition = nullptr;
    uint8_t changed = 0xEE, measures = 0xEE, columnCount = 0xEE;
    PWQCOL *columns = kUntouchedColumns;

    explicit HostEdit(int16_t handle) { host = {1, 2, &credentials, &settings, handle}; }
    ~HostEdit() { release(); }

    // A stored definition in a block of the host's own.
    void stored(const std::string &text) {
        ownText.assign(text.begin(), text.end());
        ownText.push_back('\0');
        definition = ownText.data();
    }
    bool replaced() const { return definition != nullptr && (ownText.empty() || definition != ownText.data()); }
    ResultCode run() { return cbqEdit(&host, &definition, &changed, &measures, &columns, &columnCount, 7); }
    // Gives back what the module handed over, as a host does.
    void release() {
        if (columns != kUntouchedColumns && columns != nullptr)
            EXPECT_EQ(cbqFreePWQCOL(columns, columnCount), kOk);
        columns = kUntouchedColumns;
        if (replaced())
            cbqFreeMem(definition);
        definition = ownText.empty() ? nullptr : ownText.data();
    }
};

class QuerySessionTest : public ModuleTest {
protected:
    void SetUp() override {
        setEnvironment("TARSIK_HOME", "C:\\olap home\\");
        qvStandinReset();
        ModuleTest::SetUp();
        handle = qvStandinOpenServerText(kModel);
        ASSERT_GT(handle, 0) << qvStandinLastError();
        plan(kFinished);
        steps = Steps();
        rebuildText = "(not called)";
        seenNaSpelling = "(not called)";
        editSteps = kDoubles;
        qvStandinClearLog();
    }
    void TearDown() override {
        ModuleTest::TearDown();
        editSteps = kModuleEditSteps;
        qvStandinReset();
        setEnvironment("TARSIK_HOME", nullptr);
    }
    void plan(const std::string &json) {
        ASSERT_EQ(qvStandinSetWizardPlans(handle, json.c_str()), 1) << qvStandinLastError();
    }
    // The call log without the stand-in's notes, one call a line.
    static std::string calls() {
        std::string out;
        for (int32_t i = 0; i < qvStandinLogCount(); ++i) {
            std::string entry = qvStandinLogEntry(i);
            if (entry.compare(0, 2, "  ") != 0)
                out += entry + "\n";
        }
        return out;
    }
    static bool connectedFlag() {
        return moduleState.processConnection != nullptr && (moduleState.processConnection->state & kConnected) != 0;
    }

    int16_t handle = 0;
};

// What every path through the wizard ends with: the query deleted, the
// databases the wizard attached detached, the data library disconnected.
const char kEnd[] =
    "QVDeleteQuery(\"QUERY1\") = 1\n"
    "QVGetDatabaseCount() = 1\n"
    "QVGetDatabase(0, 0) = \"SALES\"\n"
    "QVDatabaseDetach(\"SALES\") = 1\n"
    "QVDisconnect()\n";

TEST_F(QuerySessionTest, ANewQueryRunsEveryStepInOrderAndHandsOverTextAndColumns) {
    HostEdit edit(handle);
    edit.settings.connectionType = 1;
    EXPECT_EQ(edit.run(), kOk);
    EXPECT_EQ(calls(), std::string("QVSetTarsikHome(\"C:\\\\olap home\")\n"
                                   "QVSetKHVMethod(7)\n"
                                   "QVConnectHandle(1) = 1\n"
                                   "QVExecute(\"show 'relational start-up'\") = \"relational start-up\"\n"
                                   "QVCreateQuery() = \"QUERY1\"\n"
                                   "QVGetOption(\"DefaultAttachMode\") = \"RW\"\n"
                                   "QVSetOption(\"DefaultAttachMode\", \"RO\")\n"
                                   "QVStartWizard(\"QUERY1\", 0) = 1\n"
                                   "QVExecute(\"qv_otherappdtbs = na\") = \"\"\n"
                                   "QVExecute(\"shw naspell\") = \"NA\"\n"
                                   "QVGetMeasureCount(\"QUERY1\") = 2\n"
                                   "QVExecute(\"show 'serialise'\") = \"serialise\"\n"
                                   "QVExecute(\"show 'describe columns'\") = \"describe columns\"\n"
                                   "QVExecute(\"show 'change test'\") = \"change test\"\n") +
                           kEnd);
    EXPECT_EQ(rebuildText, "(not called)");
    EXPECT_EQ(seenNaSpelling, "NA");
    EXPECT_EQ(edit.changed, 1);
    EXPECT_EQ(edit.measures, 2);
    ASSERT_NE(edit.definition, nullptr);
    EXPECT_STREQ(edit.definition, kNewText);
    EXPECT_EQ(memLastBlockSize(), sizeof kNewText) << "a new block of exactly n + 1 bytes";
    ASSERT_EQ(edit.columnCount, 3);
    ASSERT_NE(edit.columns, nullptr);
    EXPECT_STREQ(edit.columns[0].name, "COL0");
    EXPECT_STREQ(edit.columns[2].name, "COL2");
    EXPECT_TRUE(connectedFlag()) << "never cleared";

    qvStandinClearLog();
    EXPECT_EQ(cbqTerm(), kOk);
    EXPECT_EQ(calls(), "QVClose()\n");
}

// The failures before the wizard: the calls up to the failing one (and the
// query deleted as the session goes), no disconnect, the count and column
// outputs as the edit first set them, the changed flag written only by the
// wizard.
TEST_F(QuerySessionTest, EarlyFailuresStopAtTheirStepAndKeepTheConnection) {
    const std::string attach = "QVSetTarsikHome(\"C:\\\\olap home\")\nQVSetKHVMethod(7)\nQVConnectHandle(1) = ";
    const std::string created = attach + "1\nQVCreateQuery() = \"QUERY1\"\n"
                                         "QVGetOption(\"DefaultAttachMode\") = \"RW\"\n"
                                         "QVSetOption(\"DefaultAttachMode\", \"RO\")\n";
    const std::string deleted = "QVDeleteQuery(\"QUERY1\") = 1\n";
    struct Case {
        const char *name;
        ResultCode result;
        std::string log;
        uint8_t changed;
        bool connected;
    } cases[] = {
        {"no home", kNoHomeDirectory, "", 0xEE, false},
        {"refused attach", kAttachRefused, attach + "0\n", 0xEE, false},
        {"relational start-up", kRelationalStartupFailed,
         attach + "1\nQVExecute(\"show 'relational start-up'\") = \"relational start-up\"\n", 0xEE, true},
        {"empty query name", kNoQueryCreated, attach + "1\nQVCreateQuery() = \"\"\n", 0xEE, true},
        {"rebuild", kRebuildDatabaseRefused,
         created + "QVExecute(\"show 'rebuild'\") = \"rebuild\"\n" + deleted, 0xEE, true},
        {"wizard 0", kWizardFailed, created + "QVStartWizard(\"QUERY1\", 0) = 0\n" + deleted, 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        cbqTerm();
        qvStandinReset();
        handle = qvStandinOpenServerText(kModel);
        plan(kFinished);
        steps = Steps();
        HostEdit edit(handle);
        std::string name = c.name;
        if (name == "no home")
            setEnvironment("TARSIK_HOME", nullptr);
        if (name == "refused attach")
            qvStandinFailNext("QVConnectHandle", 1);
        if (name == "relational start-up") {
            edit.settings.connectionType = 1;
            steps.relational = kRelationalStartupFailed;
        }
        if (name == "empty query name")
            qvStandinFailNext("QVCreateQuery", 1);
        if (name == "rebuild") {
            edit.stored("Query=QUERY9\\\n");
            steps.rebuild = kRebuildDatabaseRefused;
        }
        if (name == "wizard 0")
            plan(R"({"result": "failed"})");
        qvStandinClearLog();

        EXPECT_EQ(edit.run(), c.result);
        EXPECT_EQ(calls(), c.log);
        EXPECT_EQ(edit.changed, c.changed);
        EXPECT_EQ(edit.measures, 0);
        EXPECT_EQ(edit.columnCount, 0);
        EXPECT_EQ(edit.columns, nullptr);
        EXPECT_FALSE(edit.replaced());
        EXPECT_EQ(connectedFlag(), c.connected);
        qvStandinClearLog();
        cbqTerm();
        EXPECT_EQ(calls(), c.connected ? "QVClose()\n" : "") << "cbqTerm closes what an edit attached";
        setEnvironment("TARSIK_HOME", "C:\\olap home\\");
    }
}

// The outcomes after the wizard: each still deletes the query, detaches and
// disconnects, and only a 0 hands columns over.
TEST_F(QuerySessionTest, OutcomesAfterTheWizard) {
    struct Case {
        const char *name;
        ResultCode result;
        uint8_t changed, measures, columnCount;
        const char *text;  // what the host's definition pointer holds: null, or the text
    } cases[] = {
        {"cancelled", kCancelled, 0, 0, 0, nullptr},
        {"wizard result 7", kCancelled, 0, 0, 0, nullptr},
        {"no measures", kCancelled, 0, 0, 0, nullptr},
        {"serialiser fails", kOutOfMemory, 0, 2, 0, nullptr},
        {"column description fails", kOutOfMemory, 0, 2, 0, nullptr},
        {"delete refused", kDeleteRefused, 1, 2, 0, kNewText},
        {"255 column records", kOk, 1, 2, 255, kNewText},
        {"256 column records", kOutOfMemory, 0, 2, 0, nullptr},
        {"unchanged", kOk, 0, 2, 3, nullptr},
        {"empty text for a new query", kOk, 1, 2, 3, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        cbqTerm();
        qvStandinReset();
        handle = qvStandinOpenServerText(kModel);
        plan(kFinished);
        steps = Steps();
        std::string name = c.name;
        if (name == "cancelled")
            plan(R"({"steps": [{"addMeasure": "REVENUE", "database": "SALES"}], "result": "cancelled"})");
        if (name == "wizard result 7")
            plan(R"({"steps": [{"addMeasure": "REVENUE", "database": "SALES"}], "result": 7})");
        if (name == "no measures")
            plan(R"({"steps": [{"attach": "SALES"}]})");
        if (name == "serialiser fails")
            steps.serialize = kOutOfMemory;
        if (name == "column description fails")
            steps.describe = kOutOfMemory;
        if (name == "delete refused")
            qvStandinFailNext("QVDeleteQuery", 1);
        if (name == "255 column records")
            steps.records = 255;
        if (name == "256 column records")
            steps.records = 256;
        if (name == "unchanged")
            steps.change = 0;
        if (name == "empty text for a new query")
            steps.emptyText = true;
        qvStandinClearLog();

        HostEdit edit(handle);
        EXPECT_EQ(edit.run(), c.result);
        EXPECT_EQ(edit.changed, c.changed);
        EXPECT_EQ(edit.measures, c.measures);
        EXPECT_EQ(edit.columnCount, c.columnCount);
        EXPECT_EQ(edit.columns == nullptr, c.columnCount == 0);
        if (c.columnCount != 0)
            EXPECT_STREQ(edit.columns[c.columnCount - 1].name, ("COL" + std::to_string(c.columnCount - 1)).c_str());
        if (c.text == nullptr)
            EXPECT_EQ(edit.definition, nullptr);
        else
            EXPECT_STREQ(edit.definition, c.text);
        std::string log = calls();
        std::string end = name == "delete refused"
                              ? "QVDeleteQuery(\"QUERY1\") = 0\nQVGetDatabaseCount() = 1\nQVGetDatabase(0, 0) = "
                                "\"SALES\"\nQVDatabaseDetach(\"SALES\") = 0\nQVDisconnect()\n"
                              : kEnd;
        ASSERT_GE(log.size(), end.size());
        EXPECT_EQ(log.substr(log.size() - end.size()), end);
        edit.release();
        qvStandinClearLog();
        cbqTerm();
        EXPECT_EQ(calls(), "QVClose()\n") << "the session deleted its query; only the library is closed";
    }
}

TEST_F(QuerySessionTest, AStoredDefinitionEvenEmptyIsRebuiltAndItsBlockReusedWhenLongEnough) {
    const std::string n(kNewText);
    struct Case {
        std::string stored;
        bool reused;
    } cases[] = {
        {"", false},
        {std::string(n.size() - 1, 'x'), false},
        {std::string(n.size(), 'x'), true},
        {std::string(n.size() + 5, 'x'), true},
    };
    int query = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.size());
        plan(kFinished);
        HostEdit edit(handle);
        edit.stored(c.stored);
        char *own = edit.definition;
        EXPECT_EQ(edit.run(), kOk);
        EXPECT_EQ(rebuildText, c.stored);
        EXPECT_EQ(edit.changed, 1);
        EXPECT_EQ(edit.replaced(), !c.reused);
        ++query;
        EXPECT_STREQ(edit.definition, ("Query=QUERY" + std::to_string(query) + "\\\nNA=NA\\\n").c_str());
        if (c.reused) {
            EXPECT_EQ(edit.definition, own);
            if (c.stored.size() > n.size())
                EXPECT_EQ(std::string(own + n.size() + 1), c.stored.substr(n.size() + 1))
                << "nothing beyond the new text's terminator is written";
        } else {
            EXPECT_EQ(memLastBlockSize(), n.size() + 1);
            EXPECT_EQ(std::string(own), c.stored) << "the host's old block is left as it was";
        }
    }
}

TEST_F(QuerySessionTest, AnUnchangedQueryLeavesTheHostTextAndPointerAndStillHandsOverColumns) {
    steps.change = 0;
    HostEdit edit(handle);
    edit.stored("Query=OLD\\\n");
    char *own = edit.definition;
    EXPECT_EQ(edit.run(), kOk);
    EXPECT_EQ(edit.changed, 0);
    EXPECT_EQ(edit.definition, own);
    EXPECT_STREQ(own, "Query=OLD\\\n");
    EXPECT_EQ(edit.columnCount, 3);
    EXPECT_NE(edit.columns, nullptr);
}

TEST_F(QuerySessionTest, OnlyExactlyRWBecomesRO) {
    for (const char *mode : {"RW", "rw", "RO", "RW ", ""}) {
        SCOPED_TRACE(mode);
        plan(kFinished);
        QVSetOption("DefaultAttachMode", mode);
        qvStandinClearLog();
        HostEdit edit(handle);
        EXPECT_EQ(edit.run(), kOk);
        std::string set = "QVSetOption(\"DefaultAttachMode\", \"RO\")\n";
        EXPECT_EQ(calls().find(set) != std::string::npos, strcmp(mode, "RW") == 0);
        EXPECT_STREQ(QVGetOption("DefaultAttachMode"), strcmp(mode, "RW") == 0 ? "RO" : mode);
    }
}

TEST_F(QuerySessionTest, NullOptionalOutputsAndNoSettingsBlockGiveTheSameEdit) {
    HostEdit edit(handle);
    edit.host.settings = nullptr;
    uint8_t changed = 0xEE;
    EXPECT_EQ(cbqEdit(&edit.host, &edit.definition, &changed, nullptr, nullptr, nullptr, 7), kOk);
    EXPECT_EQ(changed, 1);
    ASSERT_NE(edit.definition, nullptr);
    EXPECT_STREQ(edit.definition, kNewText);
    EXPECT_EQ(calls().find("relational"), std::string::npos);
    // The column records stayed with the session, which freed them (the
    // fixture checks that no block is left).
}

TEST_F(QuerySessionTest, TheNaSpellingIsCutTo19BytesAtACharacterBoundary) {
    // 18 letters, a two-byte GBK character over bytes 19 and 20, one more.
    const char spelling[] = "ABCDEFGHIJKLMNOPQR\xB0\xA1Z";
    struct Case {
        const char *charset;
        std::string kept;
    } cases[] = {{"GBK", "ABCDEFGHIJKLMNOPQR"}, {"LATIN1", "ABCDEFGHIJKLMNOPQR\xB0"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.charset);
        initModule(c.charset);
        plan(kFinished);
        QVConnectHandle(handle);
        QVExecute((std::string("naspell = '") + spelling + "'").c_str());
        QVDisconnect();
        HostEdit edit(handle);
        EXPECT_EQ(edit.run(), kOk);
        EXPECT_EQ(seenNaSpelling, c.kept);
    }
}

TEST_F(QuerySessionTest, ARefusedDetachIsAskedForAgainInEachOfTheStartingPasses) {
    plan(R"({"steps": [{"addMeasure": "REVENUE", "database": "SALES"}, {"attach": "SHOP"}]})");
    qvStandinFailNext("QVDatabaseDetach", 2);
    HostEdit edit(handle);
    EXPECT_EQ(edit.run(), kOk);
    std::string log = calls();
    const std::string end =
        "QVDeleteQuery(\"QUERY1\") = 1\n"
        "QVGetDatabaseCount() = 2\n"
        "QVGetDatabase(0, 0) = \"SALES\"\n"
        "QVDatabaseDetach(\"SALES\") = 0\n"
        "QVGetDatabase(0, 0) = \"SALES\"\n"
        "QVDatabaseDetach(\"SALES\") = 0\n"
        "QVDisconnect()\n";
    ASSERT_GE(log.size(), end.size());
    EXPECT_EQ(log.substr(log.size() - end.size()), end);
}

// A model with `count` measures in one database and a finished plan that
// takes them all.
std::string wideModel(int count, std::string *planJson) {
    std::string measures, stepsJson;
    for (int i = 0; i < count; ++i) {
        measures += std::string(i ? "," : "") + "{\"name\": \"M" + std::to_string(i) + "\"}";
        stepsJson += std::string(i ? "," : "") + "{\"addMeasure\": \"M" + std::to_string(i) + "\", \"database\": \"WIDE\"}";
    }
    *planJson = "{\"steps\": [" + stepsJson + "]}";
    return "{\"databases\": [{\"name\": \"WIDE\", \"path\": \"C:\\\\qv\\\\WIDE.DB\", "
           "\"dimensions\": [{\"name\": \"TIME\"}], \"measures\": [" + measures + "]}]}";
}

// Measure counts travel to the host in one byte: 255 is the most, more is
// refused before anything is written or handed over.
TEST_F(QuerySessionTest, MoreThan255MeasuresAreRefusedWith3003) {
    for (int count : {255, 256}) {
        SCOPED_TRACE(count);
        std::string planJson;
        int16_t wide = qvStandinOpenServerText(wideModel(count, &planJson).c_str());
        ASSERT_GT(wide, 0) << qvStandinLastError();
        ASSERT_EQ(qvStandinSetWizardPlans(wide, planJson.c_str()), 1) << qvStandinLastError();
        qvStandinClearLog();
        HostEdit edit(wide);
        seenNaSpelling = "(not called)";
        ResultCode result = edit.run();
        std::string log = calls();
        EXPECT_NE(log.find("QVGetMeasureCount(\"QUERY" ), std::string::npos);
        EXPECT_NE(log.find(") = " + std::to_string(count) + "\n"), std::string::npos);
        if (count == 255) {
            EXPECT_EQ(result, kOk);
            EXPECT_EQ(edit.measures, 255);
            EXPECT_EQ(edit.changed, 1);
            continue;
        }
        EXPECT_EQ(result, kOutOfMemory);
        EXPECT_EQ(edit.changed, 0);
        EXPECT_EQ(edit.measures, 0);
        EXPECT_EQ(edit.columnCount, 0);
        EXPECT_EQ(edit.columns, nullptr);
        EXPECT_EQ(edit.definition, nullptr);
        EXPECT_EQ(seenNaSpelling, "(not called)") << "the serialiser does not run";
        const std::string end = "QVGetDatabase(0, 0) = \"WIDE\"\nQVDatabaseDetach(\"WIDE\") = 1\nQVDisconnect()\n";
        ASSERT_GE(log.size(), end.size());
        EXPECT_EQ(log.substr(log.size() - end.size()), end);
        EXPECT_NE(log.find("QVDeleteQuery("), std::string::npos);
    }
}

// Every allocation of an edit in turn fails: the edit reports 3003, leaves
// nothing allocated, and a failed new block leaves the host's pointer and
// text as they were.
TEST_F(QuerySessionTest, OutOfMemoryAtEachAllocationGives3003AndNoLeak) {
    cbqTerm();
    long live = memLiveBlocks();
    int failures = 0;
    for (long k = 1;; ++k) {
        SCOPED_TRACE(k);
        plan(kFinished);
        HostEdit edit(handle);
        edit.stored("x");
        memFailAt(k);
        ResultCode result = edit.run();
        memFailAt(0);
        if (result == kOk) {
            std::string handed = edit.definition;
            EXPECT_EQ(handed.compare(0, 11, "Query=QUERY"), 0) << handed;
            EXPECT_EQ(handed.substr(handed.size() - 7), "NA=NA\\\n") << handed;
            EXPECT_EQ(edit.columnCount, 3);
            edit.release();
            cbqTerm();
            EXPECT_EQ(memLiveBlocks(), live);
            break;
        }
        ++failures;
        EXPECT_EQ(result, kOutOfMemory);
        // Untouched when the connection or the session could not be made.
        EXPECT_TRUE(edit.columns == nullptr || edit.columns == kUntouchedColumns);
        ASSERT_NE(edit.definition, nullptr);
        EXPECT_STREQ(edit.definition, "x");
        EXPECT_FALSE(edit.replaced());
        edit.release();
        cbqTerm();
        EXPECT_EQ(memLiveBlocks(), live);
        ASSERT_LT(k, 200);
    }
    EXPECT_GT(failures, 10);
}

}  // namespace
