// The rebuild of a stored query over the simulated server: the exact
// data-library calls for each kind of definition, the first failure ending
// the rebuild with the record that caused it, scripts assembled from their
// lines, values longer than the old reading widths, allocation failures and
// a double-byte character set.
#include "query/rebuild.h"

#include <stdint.h>
#include <string.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/result_code.h"
#include "query/query_definition.h"
#include "query/query_session.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tests/support/module_fixture.h"
#include "text/nls_string.h"

namespace {

using Records = std::vector<std::pair<std::string, std::string>>;
using Lines = std::vector<std::string>;

// SALES holds REVENUE (TIME, PRODUCT) and UNITS (TIME only); SHOP holds
// VISITS and SPEND (TIME, STORE).
const char kModel[] = R"json({
  "title": "rebuild test server",
  "databases": [
    {"name": "SALES", "path": "C:\\qv\\SALES.DB",
     "dimensions": [{"name": "TIME"}, {"name": "PRODUCT"}],
     "measures": [{"name": "REVENUE"}, {"name": "UNITS", "dimensions": ["TIME"]}]},
    {"name": "SHOP", "path": "C:\\qv\\SHOP.DB",
     "dimensions": [{"name": "TIME"}, {"name": "STORE"}],
     "measures": [{"name": "VISITS"}, {"name": "SPEND"}]}
  ]
})json";

// The stored form of records, as the serialiser writes them: each record
// one line ending in a backslash and LF, backslashes doubled.
std::string stored(const Records &records) {
    std::string out;
    for (const auto &r : records) {
        for (char c : r.first + "=" + r.second) {
            out += c;
            if (c == '\\')
                out += '\\';
        }
        out += "\\\n";
    }
    return out;
}

Records join(Records a, const Records &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One measure, REVENUE of SALES, placed as a new cube places it.
const Records kRevenueOnly = {
    {"DB0", "SALES.DB"}, {"DBCount", "1"}, {"MeasureCount", "1"}, {"Measure0", "REVENUE"},
    {"E0Count", "1"}, {"E1Count", "1"}, {"E2Count", "1"},
    {"E0Dim0Name", "MEASURE"}, {"E1Dim0Name", "TIME"}, {"E2Dim0Name", "PRODUCT"},
};

// The calls that place and script the cube of kRevenueOnly and run it.
Lines revenueCubeCalls(const std::string &timeScript = "\"\", \"\"") {
    return {
        "QVCreateCube(\"QUERY1\") = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 0) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"MEASURE\", 0, 0, 1) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"TIME\", 1, 0, 1) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 2) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"PRODUCT\", 2, 0, 1) = 1",
        "QVSetScript(\"QUERY1\", \"MEASURE\", \"\", \"\") = 1",
        "QVSetScript(\"QUERY1\", \"TIME\", " + timeScript + ") = 1",
        "QVSetScript(\"QUERY1\", \"PRODUCT\", \"\", \"\") = 1",
        "QVRunQuery(\"QUERY1\") = 1",
    };
}

Lines concat(Lines a, const Lines &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Outcome {
    ResultCode code;
    Lines log;             // the data-library calls of the rebuild
    std::string failure;   // "<kind> <record>", "" for kNone
    bool hasInput;         // the session kept an input definition
    Lines edges;           // the query's dimensions per edge afterwards
};

Lines logLines() {
    Lines out;
    for (int32_t i = 0; i < qvStandinLogCount(); ++i)
        out.push_back(qvStandinLogEntry(i));
    return out;
}

std::string edgeText(int32_t e) {
    std::string out;
    int16_t n = QVGetDimEdgeCount("QUERY1", e);
    for (int16_t i = 0; i < n; ++i)
        out += (i > 0 ? " " : "") + std::string(QVGetDimensionName("QUERY1", e, i));
    return out;
}

class RebuildTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        openServer(kModel);
    }
    void TearDown() override {
        qvStandinReset();
        ModuleTest::TearDown();
    }

    void openServer(const char *model) {
        qvStandinReset();
        int16_t handle = qvStandinOpenServerText(model);
        ASSERT_GT(handle, 0) << qvStandinLastError();
        ASSERT_EQ(QVConnectHandle(handle), 1);
        ASSERT_STREQ(QVCreateQuery(), "QUERY1");
    }

    // Rebuilds text into QUERY1 with a session of its own, over a connection
    // whose relational data database is `relational`; with failAt > 0 the
    // failAt-th allocation of the rebuild fails.
    static Outcome rebuild(const std::string &text, const char *relational = "", long failAt = 0) {
        Outcome out;
        ServerConnection connection;
        EXPECT_EQ(connection.relationalDatabase.assign(relational), 1);
        {
            QuerySession session;
            session.connection = &connection;
            EXPECT_TRUE(session.queryName.appendText("QUERY1"));
            qvStandinClearLog();
            RebuildFailure failure;
            memset(&failure, 'x', sizeof failure);
            memFailAt(failAt);
            out.code = rebuildQuery(&session, text.c_str(), &failure);
            memFailAt(0);
            out.log = logLines();
            static const char *const kinds[] = {"", "database", "measure", "dimension"};
            EXPECT_TRUE(failure.kind >= 0 && failure.kind <= 3);
            out.failure = failure.kind <= 0 || failure.kind > 3
                              ? failure.record
                              : std::string(kinds[failure.kind]) + " " + failure.record;
            out.hasInput = session.inputDefinition != nullptr;
            // Read before the session goes, which may delete the query.
            for (int32_t e = 0; e <= 2; ++e)
                out.edges.push_back(edgeText(e));
            qvStandinClearLog();
        }
        return out;
    }
};

// ---------------------------------------------------------------------------
// Databases and measures

struct CallCase {
    const char *what;
    Records records;
    Lines calls;  // up to QVCreateCube; without placement records the cube is
                  // then built and run as it stands
    const char *relational = "";  // the connection's relational data database
};

TEST_F(RebuildTest, DatabasesAndMeasuresGiveExactCalls) {
    const std::vector<CallCase> cases = {
        {"M%dDB 1, 1, 0: SHOP for the first two, then SALES",
         {{"DB0", "SALES.DB"}, {"DB1", "SHOP.DB"}, {"DBCount", "2"}, {"MeasureCount", "3"},
          {"Measure0", "VISITS"}, {"M0DB", "1"}, {"Measure1", "SPEND"}, {"M1DB", "1"},
          {"Measure2", "REVENUE"}, {"M2DB", "0"}},
         {"QVDatabaseAttach(\"SALES.DB\") = 1", "QVDatabaseAttach(\"SHOP.DB\") = 1",
          "QVAddMeasure(\"QUERY1\", \"VISITS\", \"SHOP\") = 1",
          "QVAddMeasure(\"QUERY1\", \"SPEND\", \"SHOP\") = 1",
          "QVAddMeasure(\"QUERY1\", \"REVENUE\", \"SALES\") = 1"}},
        {"no M%dDB record: database 0 for every measure",
         {{"DB0", "SHOP.DB"}, {"DBCount", "1"}, {"MeasureCount", "2"}, {"Measure0", "VISITS"},
          {"Measure1", "SPEND"}},
         {"QVDatabaseAttach(\"SHOP.DB\") = 1", "QVAddMeasure(\"QUERY1\", \"VISITS\", \"SHOP\") = 1",
          "QVAddMeasure(\"QUERY1\", \"SPEND\", \"SHOP\") = 1"}},
        {"a missing M%dDB keeps the previous measure's database",
         {{"DB0", "SALES.DB"}, {"DB1", "SHOP.DB"}, {"DBCount", "2"}, {"MeasureCount", "2"},
          {"Measure0", "VISITS"}, {"M0DB", "1"}, {"Measure1", "SPEND"}},
         {"QVDatabaseAttach(\"SALES.DB\") = 1", "QVDatabaseAttach(\"SHOP.DB\") = 1",
          "QVAddMeasure(\"QUERY1\", \"VISITS\", \"SHOP\") = 1",
          "QVAddMeasure(\"QUERY1\", \"SPEND\", \"SHOP\") = 1"}},
        {"M%dDB -1: an empty database name, kept while the number stays",
         {{"DB0", "SHOP.DB"}, {"DBCount", "1"}, {"MeasureCount", "2"}, {"Measure0", "VISITS"},
          {"M0DB", "-1"}, {"Measure1", "SPEND"}},
         {"QVDatabaseAttach(\"SHOP.DB\") = 1", "QVAddMeasure(\"QUERY1\", \"VISITS\", \"\") = 1",
          "QVAddMeasure(\"QUERY1\", \"SPEND\", \"\") = 1"}},
        {"the relational data database is not attached again",
         {{"DB0", "SALES.DB"}, {"DB1", "SLYDATA.DB"}, {"DB2", "SHOP.DB"}, {"DBCount", "3"},
          {"MeasureCount", "2"}, {"Measure0", "REVENUE"}, {"M0DB", "0"}, {"Measure1", "VISITS"},
          {"M1DB", "2"}},
         {"QVDatabaseAttach(\"SALES.DB\") = 1", "QVDatabaseAttach(\"SHOP.DB\") = 1",
          "QVAddMeasure(\"QUERY1\", \"REVENUE\", \"SALES\") = 1",
          "QVAddMeasure(\"QUERY1\", \"VISITS\", \"SHOP\") = 1"},
         "SLYDATA.DB"},
        {"a stored path passes its stem; a second dot stays",
         {{"DB0", "SALES.DB"}, {"DB1", "C:\\qv\\SHOP.DB"}, {"DB2", "x/SHOP.DB.old"}, {"DBCount", "2"},
          {"MeasureCount", "2"}, {"Measure0", "VISITS"}, {"M0DB", "1"}, {"Measure1", "SPEND"},
          {"M1DB", "2"}},
         {"QVDatabaseAttach(\"SALES.DB\") = 1", "QVDatabaseAttach(\"C:\\\\qv\\\\SHOP.DB\") = 1",
          "QVAddMeasure(\"QUERY1\", \"VISITS\", \"SHOP\") = 1",
          "QVAddMeasure(\"QUERY1\", \"SPEND\", \"SHOP.DB\") = 1"}},
    };
    for (const CallCase &c : cases) {
        SCOPED_TRACE(c.what);
        openServer(kModel);
        Outcome o = rebuild(stored(c.records), c.relational);
        EXPECT_EQ(o.code, kOk);
        EXPECT_EQ(o.log, concat(c.calls, {"QVCreateCube(\"QUERY1\") = 1", "QVRunQuery(\"QUERY1\") = 1"}));
    }
}

// ---------------------------------------------------------------------------
// Placement

TEST_F(RebuildTest, OnlyEdgeOneDimensionWantedOnEdgeZeroGoesThroughEdgeTwo) {
    // The new cube has MEASURE | TIME | PRODUCT; the query was saved with
    // TIME beside MEASURE on edge 0 and PRODUCT alone on edge 1.
    Outcome o = rebuild(stored({{"DB0", "SALES.DB"}, {"DBCount", "1"}, {"MeasureCount", "1"},
                                {"Measure0", "REVENUE"}, {"E0Count", "2"}, {"E1Count", "1"},
                                {"E2Count", "0"}, {"E0Dim0Name", "MEASURE"}, {"E0Dim1Name", "TIME"},
                                {"E1Dim0Name", "PRODUCT"}}));
    EXPECT_EQ(o.code, kOk);
    EXPECT_EQ(o.failure, "");
    EXPECT_EQ(o.log, (Lines{
        "QVDatabaseAttach(\"SALES.DB\") = 1",
        "QVAddMeasure(\"QUERY1\", \"REVENUE\", \"SALES\") = 1",
        "QVCreateCube(\"QUERY1\") = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 0) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"MEASURE\", 0, 0, 1) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 0) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
        "QVGetDimensionName(\"QUERY1\", 1, 0) = \"TIME\"",
        "QVSetDimensionEdge(\"QUERY1\", \"TIME\", 2, 0, 1) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"TIME\", 0, 1, 0) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"PRODUCT\", 1, 0, 1) = 1",
        "QVSetScript(\"QUERY1\", \"MEASURE\", \"\", \"\") = 1",
        "QVSetScript(\"QUERY1\", \"TIME\", \"\", \"\") = 1",
        "QVSetScript(\"QUERY1\", \"PRODUCT\", \"\", \"\") = 1",
        "QVRunQuery(\"QUERY1\") = 1",
    }));
    EXPECT_EQ(o.edges, (Lines{"MEASURE TIME", "PRODUCT", ""}));
}

TEST_F(RebuildTest, SpecialCaseAsksOnlyWhatItNeeds) {
    // PRODUCT is wanted beyond the end of edge 0, but edge 1's only
    // dimension is TIME: nothing moves to edge 2, PRODUCT is inserted.
    Outcome o = rebuild(stored({{"DB0", "SALES.DB"}, {"DBCount", "1"}, {"MeasureCount", "1"},
                                {"Measure0", "REVENUE"}, {"E0Count", "2"}, {"E1Count", "1"},
                                {"E0Dim0Name", "MEASURE"}, {"E0Dim1Name", "PRODUCT"},
                                {"E1Dim0Name", "TIME"}}));
    EXPECT_EQ(o.code, kOk);
    EXPECT_EQ(Lines(o.log.begin() + 5, o.log.begin() + 10), (Lines{
        "QVGetDimEdgeCount(\"QUERY1\", 0) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
        "QVGetDimensionName(\"QUERY1\", 1, 0) = \"TIME\"",
        "QVSetDimensionEdge(\"QUERY1\", \"PRODUCT\", 0, 1, 0) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
    }));
    EXPECT_EQ(o.edges, (Lines{"MEASURE PRODUCT", "TIME", ""}));
}

// ---------------------------------------------------------------------------
// Scripts

struct ScriptCase {
    const char *what;
    Records lines;           // script records of TIME (E1Dim0)
    const char *selection;   // as the call log quotes them
    const char *sort;
};

TEST_F(RebuildTest, ScriptsAreJoinedFromTheirLines) {
    const std::vector<ScriptCase> cases = {
        {"no records: two empty scripts", {}, "", ""},
        {"two lines joined by one LF",
         {{"E1Dim0Script", "first"}, {"E1Dim0Script1", "second"}}, "first\\nsecond", ""},
        {"selection and sort apart",
         {{"E1Dim0Script", "limit TIME to 'Q1'"}, {"E1Dim0SortScript", "sort TIME d"},
          {"E1Dim0SortScript1", "x"}},
         "limit TIME to 'Q1'", "sort TIME d\\nx"},
        {"a gap ends the script", {{"E1Dim0Script", "a"}, {"E1Dim0Script2", "c"}}, "a", ""},
        {"an empty line is dropped with its LF",
         {{"E1Dim0Script", "a"}, {"E1Dim0Script1", ""}, {"E1Dim0Script2", "b"}}, "a\\nb", ""},
        {"an empty first line leaves a leading LF",
         {{"E1Dim0SortScript", ""}, {"E1Dim0SortScript1", "b"}}, "", "\\nb"},
        {"only empty lines", {{"E1Dim0Script", ""}, {"E1Dim0Script1", ""}}, "", ""},
    };
    for (const ScriptCase &c : cases) {
        SCOPED_TRACE(c.what);
        openServer(kModel);
        Outcome o = rebuild(stored(join(kRevenueOnly, c.lines)));
        EXPECT_EQ(o.code, kOk);
        std::string scripts = std::string("\"") + c.selection + "\", \"" + c.sort + "\"";
        EXPECT_EQ(o.log, concat({"QVDatabaseAttach(\"SALES.DB\") = 1",
                                 "QVAddMeasure(\"QUERY1\", \"REVENUE\", \"SALES\") = 1"},
                                revenueCubeCalls(scripts)));
    }
}

TEST_F(RebuildTest, ReadScriptFormsTheRecordNames) {
    QueryDefinition d;
    ASSERT_TRUE(d.parseStored(stored({{"E2Dim11Script", "s0"}, {"E2Dim11Script1", "s1"},
                                      {"E2Dim11SortScript", "o0"}, {"E2Dim1Script", "other"}})
                                  .c_str()));
    NlsString out("stale");
    EXPECT_EQ(readScript(d, 2, 11, kSelectionScript, &out), kOk);
    EXPECT_STREQ(out.text(), "s0\ns1");
    EXPECT_EQ(readScript(d, 2, 11, kSortScript, &out), kOk);
    EXPECT_STREQ(out.text(), "o0");
    EXPECT_EQ(readScript(d, 0, 11, kSortScript, &out), kOk);
    EXPECT_STREQ(out.text(), "");
}

// ---------------------------------------------------------------------------
// Failures

struct FailureCase {
    const char *what;
    Records records;            // the records that differ from kRevenueOnly (replacing by name)
    const char *failFunction;   // made to fail once, or null
    ResultCode code;
    const char *failure;
    size_t callsBefore;         // entries of the successful log before the failing call
    Lines failingCall;          // the failing call and its note
};

Records replaced(Records base, const Records &changes) {
    for (const auto &c : changes) {
        bool found = false;
        for (auto &r : base)
            if (r.first == c.first) {
                r.second = c.second;
                found = true;
            }
        if (!found)
            base.push_back(c);
    }
    return base;
}

TEST_F(RebuildTest, FirstFailureEndsTheRebuild) {
    const Lines success = concat({"QVDatabaseAttach(\"SALES.DB\") = 1",
                                  "QVAddMeasure(\"QUERY1\", \"REVENUE\", \"SALES\") = 1"},
                                 revenueCubeCalls());
    const std::vector<FailureCase> cases = {
        {"3009: a database the server lacks", {{"DB0", "GONE.DB"}}, nullptr,
         kRebuildDatabaseRefused, "database DB0", 0,
         {"QVDatabaseAttach(\"GONE.DB\") = 0", "  no such database"}},
        {"3009: an attach the library refuses", {}, "QVDatabaseAttach", kRebuildDatabaseRefused,
         "database DB0", 0, {"QVDatabaseAttach(\"SALES.DB\") = 0", "  failure injected"}},
        {"3010: a measure the database lacks", {{"Measure0", "GHOST"}}, nullptr,
         kRebuildMeasureRefused, "measure Measure0", 1,
         {"QVAddMeasure(\"QUERY1\", \"GHOST\", \"SALES\") = 0", "  measure GHOST is not in database SALES"}},
        {"3011: the cube", {}, "QVCreateCube", kRebuildCubeFailed, "", 2,
         {"QVCreateCube(\"QUERY1\") = 0", "  failure injected"}},
        {"3012: a dimension the cube lacks", {{"E1Dim0Name", "STORE"}}, nullptr,
         kRebuildPlacementRefused, "dimension E1Dim0Name", 6,
         {"QVSetDimensionEdge(\"QUERY1\", \"STORE\", 1, 0, 1) = 0", "  the cube has no dimension STORE"}},
        {"3012: a placement the library refuses", {}, "QVSetDimensionEdge", kRebuildPlacementRefused,
         "dimension E0Dim0Name", 4,
         {"QVSetDimensionEdge(\"QUERY1\", \"MEASURE\", 0, 0, 1) = 0", "  failure injected"}},
        {"3010: scripts the library refuses", {{"E0Dim0Script", "x"}}, "QVSetScript",
         kRebuildMeasureRefused, "dimension E0Dim0Name", 9,
         {"QVSetScript(\"QUERY1\", \"MEASURE\", \"x\", \"\") = 0", "  failure injected"}},
        {"3007: the run", {}, "QVRunQuery", kRebuildRunFailed, "", 12,
         {"QVRunQuery(\"QUERY1\") = 0", "  failure injected"}},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.what);
        openServer(kModel);
        if (c.failFunction != nullptr)
            ASSERT_NE(qvStandinFailNext(c.failFunction, 1), 0);
        Outcome o = rebuild(stored(replaced(kRevenueOnly, c.records)));
        EXPECT_EQ(o.code, c.code);
        EXPECT_EQ(o.failure, c.failure);
        EXPECT_TRUE(o.hasInput);
        Lines expected(success.begin(), success.begin() + static_cast<long>(c.callsBefore));
        EXPECT_EQ(o.log, concat(expected, c.failingCall));
    }
}

TEST_F(RebuildTest, SpecialCaseMoveRefusedIs3012) {
    // UNITS has TIME only: its cube leaves edge 2 empty, so TIME has no
    // position on edge 2 to swap with.
    Outcome o = rebuild(stored({{"DB0", "SALES.DB"}, {"DBCount", "1"}, {"MeasureCount", "1"},
                                {"Measure0", "UNITS"}, {"E0Count", "2"}, {"E0Dim0Name", "MEASURE"},
                                {"E0Dim1Name", "TIME"}}));
    EXPECT_EQ(o.code, kRebuildPlacementRefused);
    EXPECT_EQ(o.failure, "dimension E0Dim1Name");
    EXPECT_EQ(Lines(o.log.begin() + 5, o.log.end()), (Lines{
        "QVGetDimEdgeCount(\"QUERY1\", 0) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
        "QVGetDimensionName(\"QUERY1\", 1, 0) = \"TIME\"",
        "QVSetDimensionEdge(\"QUERY1\", \"TIME\", 2, 0, 1) = 0",
        "  edge 2 has no position 0 to swap with",
    }));
}

TEST_F(RebuildTest, EmptyOrUnreadableTextIs3008BeforeAnyCall) {
    for (const std::string &text : {std::string(""), std::string("DB0=SALES.DB\\"),
                                    stored(kRevenueOnly).substr(0, stored(kRevenueOnly).size() - 1)}) {
        SCOPED_TRACE(text);
        Outcome o = rebuild(text);
        EXPECT_EQ(o.code, kRebuildEmptyDefinition);
        EXPECT_EQ(o.failure, "");
        EXPECT_TRUE(o.hasInput);  // kept for the change test
        EXPECT_EQ(o.log, Lines{});
    }
}

TEST_F(RebuildTest, EveryAllocationFailureIs3003AndLeavesNothing) {
    // Every kind of allocation: the definition, texts looked up, a database
    // stem beyond the old width, script lines and their assembly.
    const std::string text = stored(replaced(
        kRevenueOnly, {{"DB1", "C:\\" + std::string(300, 'd') + "\\SALES.DB"}, {"M0DB", "1"},
                       {"E1Dim0Script", "first"}, {"E1Dim0Script1", "second"},
                       {"E1Dim0SortScript", std::string(1200, 's')}}));
    const Lines full = rebuild(text).log;
    ASSERT_EQ(full.back(), "QVRunQuery(\"QUERY1\") = 1");
    bool succeeded = false;
    long k = 1;
    for (; k < 200 && !succeeded; ++k) {
        SCOPED_TRACE(k);
        openServer(kModel);
        long live = memLiveBlocks();
        Outcome o = rebuild(text, "", k);
        EXPECT_EQ(memLiveBlocks(), live);
        if (o.code == kOk) {
            succeeded = true;
            EXPECT_EQ(o.log, full);
            continue;
        }
        EXPECT_EQ(o.code, kOutOfMemory);
        ASSERT_LE(o.log.size(), full.size());
        EXPECT_EQ(o.log, Lines(full.begin(), full.begin() + static_cast<long>(o.log.size())));
    }
    EXPECT_TRUE(succeeded);
    EXPECT_GT(k, 10);  // the failures above did happen
}

// ---------------------------------------------------------------------------
// Long values and double-byte text

TEST_F(RebuildTest, LongValuesAreUsedWhole) {
    const std::string line(5000, 'w');
    const std::string directory = std::string(400, 'd');
    Records records = replaced(kRevenueOnly, {{"DB1", directory + "\\SALES.DB"}, {"M0DB", "1"},
                                              {"E1Dim0Script", "first"}, {"E1Dim0Script1", line}});
    Outcome o = rebuild(stored(records));
    EXPECT_EQ(o.code, kOk);
    ASSERT_EQ(o.log.size(), 13u);
    EXPECT_EQ(o.log[1], "QVAddMeasure(\"QUERY1\", \"REVENUE\", \"SALES\") = 1");
    EXPECT_EQ(o.log[10], "QVSetScript(\"QUERY1\", \"TIME\", \"first\\n" + line + "\", \"\") = 1");

    // A database named with 400 bytes, attached by its file name and passed
    // as its stem.
    const std::string name(400, 'N');
    const std::string model = std::string(R"json({"databases": [{"name": ")json") + name +
                              R"json(", "path": "C:\\qv\\)json" + name + R"json(.DB",
        "dimensions": [{"name": "TIME"}, {"name": "PRODUCT"}], "measures": [{"name": "REVENUE"}]}]})json";
    openServer(model.c_str());
    o = rebuild(stored(replaced(kRevenueOnly, {{"DB0", name + ".DB"}})));
    EXPECT_EQ(o.code, kOk);
    EXPECT_EQ(o.log, concat({"QVDatabaseAttach(\"" + name + ".DB\") = 1",
                             "QVAddMeasure(\"QUERY1\", \"REVENUE\", \"" + name + "\") = 1"},
                            revenueCubeCalls()));

    // 259 bytes fit the old width; 260 did not: both come through whole.
    for (size_t length : {258u, 259u, 260u, 261u}) {
        SCOPED_TRACE(length);
        openServer(kModel);
        std::string stem = std::string(length - 3, 's');
        o = rebuild(stored(replaced(kRevenueOnly, {{"DBCount", "0"}, {"DB0", stem + ".DB"}})));
        EXPECT_EQ(o.log[0], "QVAddMeasure(\"QUERY1\", \"REVENUE\", \"" + stem + "\") = 0");
    }
}

TEST_F(RebuildTest, HugeDatabaseCountWithoutRecordsEndsAtOnce) {
    Outcome o = rebuild(stored(replaced(kRevenueOnly, {{"DBCount", "2147483647"}})));
    EXPECT_EQ(o.code, kOk);
    EXPECT_EQ(o.log.front(), "QVDatabaseAttach(\"SALES.DB\") = 1");
    EXPECT_EQ(o.log[1], "QVAddMeasure(\"QUERY1\", \"REVENUE\", \"SALES\") = 1");

    // With a relational data database a missing record is an empty name,
    // which the server refuses.
    openServer(kModel);
    o = rebuild(stored(replaced(kRevenueOnly, {{"DBCount", "2147483647"}})), "SLYDATA.DB");
    EXPECT_EQ(o.code, kRebuildDatabaseRefused);
    EXPECT_EQ(o.failure, "database DB1");
    EXPECT_EQ(o.log, (Lines{"QVDatabaseAttach(\"SALES.DB\") = 1", "QVDatabaseAttach(\"\") = 0",
                            "  no such database"}));
}

// A count far beyond the records a text holds costs no more than those
// records, on a lax library that accepts every call: the records there get
// their calls, and of each run of missing ones only the first (with its
// empty name), as a strict library must see it to refuse it.
TEST_F(RebuildTest, HugeCountsCostNoMoreThanTheRecordsThere) {
    std::string lenient = kModel;
    lenient.replace(0, 1, "{\"lenient\": true,");
    const std::string huge = "2147483647";
    struct HugeCase {
        const char *what;
        Records changes;  // to kRevenueOnly
        Lines calls;      // from the first to the last call about the records changed
        size_t from;      // index of the first of them in the log
    };
    const HugeCase cases[] = {
        {"DBCount, DB2147483646 present", {{"DBCount", huge}, {"DB2147483646", "SHOP.DB"}},
         {"QVDatabaseAttach(\"SALES.DB\") = 1", "QVDatabaseAttach(\"SHOP.DB\") = 1"}, 0},
        {"DBCount, DB1000000000 present", {{"DBCount", huge}, {"DB1000000000", "SHOP.DB"}},
         {"QVDatabaseAttach(\"SALES.DB\") = 1", "QVDatabaseAttach(\"SHOP.DB\") = 1"}, 0},
        {"MeasureCount, Measure2147483646 present",
         {{"MeasureCount", huge}, {"Measure2147483646", "UNITS"}},
         {"QVAddMeasure(\"QUERY1\", \"REVENUE\", \"SALES\") = 1",
          "QVAddMeasure(\"QUERY1\", \"\", \"SALES\") = 1", "  accepted all the same: measure  is not in database SALES",
          "QVAddMeasure(\"QUERY1\", \"UNITS\", \"SALES\") = 1"},
         1},
        {"E0Count, E0Dim2147483646Name present",
         {{"E0Count", huge}, {"E0Dim2147483646Name", "STORE"}},
         {"QVGetDimEdgeCount(\"QUERY1\", 0) = 1",
          "QVSetDimensionEdge(\"QUERY1\", \"MEASURE\", 0, 0, 1) = 1",
          "QVGetDimEdgeCount(\"QUERY1\", 0) = 1", "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
          "QVGetDimensionName(\"QUERY1\", 1, 0) = \"TIME\"",
          "QVSetDimensionEdge(\"QUERY1\", \"\", 0, 1, 0) = 1",
          "  accepted all the same: the cube has no dimension ",
          "QVGetDimEdgeCount(\"QUERY1\", 0) = 1", "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
          "QVGetDimensionName(\"QUERY1\", 1, 0) = \"TIME\"",
          "QVSetDimensionEdge(\"QUERY1\", \"STORE\", 0, 2147483646, 0) = 1",
          "  accepted all the same: the cube has no dimension STORE"},
         3},
    };
    for (const HugeCase &c : cases) {
        SCOPED_TRACE(c.what);
        openServer(lenient.c_str());
        auto started = std::chrono::steady_clock::now();
        Outcome o = rebuild(stored(replaced(kRevenueOnly, c.changes)));
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        EXPECT_LT(ms, 10.0);
        EXPECT_LT(o.log.size(), 40u);
        ASSERT_GE(o.log.size(), c.from + c.calls.size());
        EXPECT_EQ(Lines(o.log.begin() + static_cast<long>(c.from),
                        o.log.begin() + static_cast<long>(c.from + c.calls.size())),
                  c.calls);
    }

    // One or two past the last record on a strict library: the first
    // missing record gets its call, whose refusal ends the rebuild.
    for (const char *count : {"2", "3"}) {
        openServer(kModel);
        Outcome o = rebuild(stored(replaced(kRevenueOnly, {{"MeasureCount", count}})));
        EXPECT_EQ(o.code, kRebuildMeasureRefused);
        EXPECT_EQ(o.failure, "measure Measure1");
        EXPECT_EQ(o.log.back(), "  measure  is not in database SALES");
    }
}

// GBK: SALES (CF FA CA DB) with REVENUE (CA D5 C8 EB) over TIME (CA B1 BC E4)
// and PRODUCT (B2 FA C6 B7); a database whose first character's second byte
// is a backslash (B1 5C CA DB) with VISITORS (B7 C3 BF CD) over TIME.
const char kGbkModel[] = R"json({
  "byteTexts": true,
  "title": "rebuild test server, GBK",
  "databases": [
    {"name": "\u00cf\u00fa\u00ca\u00db", "path": "C:\\qv\\\u00cf\u00fa\u00ca\u00db.DB",
     "dimensions": [{"name": "\u00ca\u00b1\u00bc\u00e4"}, {"name": "\u00b2\u00fa\u00c6\u00b7"}],
     "measures": [{"name": "\u00ca\u00d5\u00c8\u00eb"}]},
    {"name": "\u00b1\\\u00ca\u00db", "path": "/qv/B5C.DB",
     "dimensions": [{"name": "\u00ca\u00b1\u00bc\u00e4"}],
     "measures": [{"name": "\u00b7\u00c3\u00bf\u00cd"}]}
  ]
})json";

// Measure 1's database is read from a path whose last backslash is a
// character of its own, and the backslash before it the second byte of a
// double-byte character.
const Records kGbkRecords = {
    {"DB0", "\xCF\xFA\xCA\xDB.DB"}, {"DB1", "\xB1\\\xCA\xDB"}, {"DB2", "\xCF\xFA\\\xB1\\\xCA\xDB.x"},
    {"DBCount", "2"}, {"MeasureCount", "2"},
    {"Measure0", "\xCA\xD5\xC8\xEB"}, {"M0DB", "0"}, {"Measure1", "\xB7\xC3\xBF\xCD"}, {"M1DB", "2"},
    {"E0Count", "2"}, {"E1Count", "1"}, {"E2Count", "0"},
    {"E0Dim0Name", "MEASURE"}, {"E0Dim1Name", "\xCA\xB1\xBC\xE4"},
    {"E0Dim1Script", "limit \xCA\xB1\xBC\xE4 to '\xB1\\'"}, {"E0Dim1Script1", "\xB2\xFA\xC6\xB7"},
    {"E1Dim0Name", "\xB2\xFA\xC6\xB7"}, {"E1Dim0SortScript", "sort \xB2\xFA\xC6\xB7 a"},
};

TEST_F(RebuildTest, DoubleByteNamesAndScriptsComeBackWhole) {
    initModule("GBK");
    openServer(kGbkModel);
    Outcome o = rebuild(stored(kGbkRecords));
    EXPECT_EQ(o.code, kOk);
    EXPECT_EQ(o.log, (Lines{
        "QVDatabaseAttach(\"\xCF\xFA\xCA\xDB.DB\") = 1",
        "QVDatabaseAttach(\"\xB1\\\\\xCA\xDB\") = 1",
        "QVAddMeasure(\"QUERY1\", \"\xCA\xD5\xC8\xEB\", \"\xCF\xFA\xCA\xDB\") = 1",
        "QVAddMeasure(\"QUERY1\", \"\xB7\xC3\xBF\xCD\", \"\xB1\\\\\xCA\xDB\") = 1",
        "QVCreateCube(\"QUERY1\") = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 0) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"MEASURE\", 0, 0, 1) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 0) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
        "QVGetDimensionName(\"QUERY1\", 1, 0) = \"\xCA\xB1\xBC\xE4\"",
        "QVSetDimensionEdge(\"QUERY1\", \"\xCA\xB1\xBC\xE4\", 2, 0, 1) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"\xCA\xB1\xBC\xE4\", 0, 1, 0) = 1",
        "QVGetDimEdgeCount(\"QUERY1\", 1) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"\xB2\xFA\xC6\xB7\", 1, 0, 1) = 1",
        "QVSetScript(\"QUERY1\", \"MEASURE\", \"\", \"\") = 1",
        "QVSetScript(\"QUERY1\", \"\xCA\xB1\xBC\xE4\", "
        "\"limit \xCA\xB1\xBC\xE4 to '\xB1\\\\'\\n\xB2\xFA\xC6\xB7\", \"\") = 1",
        "QVSetScript(\"QUERY1\", \"\xB2\xFA\xC6\xB7\", \"\", \"sort \xB2\xFA\xC6\xB7 a\") = 1",
        "QVRunQuery(\"QUERY1\") = 1",
    }));
    EXPECT_EQ(o.edges, (Lines{"MEASURE \xCA\xB1\xBC\xE4", "\xB2\xFA\xC6\xB7", ""}));

    // Read byte by byte the trailing byte of B1 5C ends the directory, and
    // the server has no database CA DB.
    initModule("LATIN1");
    openServer(kGbkModel);
    o = rebuild(stored(kGbkRecords));
    EXPECT_EQ(o.code, kRebuildMeasureRefused);
    EXPECT_EQ(o.failure, "measure Measure1");
    EXPECT_EQ(o.log[3], "QVAddMeasure(\"QUERY1\", \"\xB7\xC3\xBF\xCD\", \"\xCA\xDB\") = 0");
}

}  // namespace
