// The data library's functions over a simulated server: handles, queries,
// options, databases, measures, the cube and its placement rules, injected
// failures, and the text contract.
#include "tests/standins/qvdata_test_support.h"

namespace qvtest {
namespace {

using LibraryTest = QvdataTest;

TEST_F(LibraryTest, HandlesNameOpenServersAndOnlyThoseAttach) {
    int16_t second = qvStandinOpenServerText("{}");
    EXPECT_EQ(handle, 1);
    EXPECT_EQ(second, 2);
    EXPECT_EQ(qvStandinAttachedServer(), 1);
    for (int16_t bad : {0, -1, 3, 32767})
        EXPECT_EQ(QVConnectHandle(bad), 0) << bad;
    EXPECT_EQ(qvStandinAttachedServer(), 1);  // a failed attach changes nothing
    EXPECT_EQ(QVConnectHandle(second), 1);
    EXPECT_EQ(qvStandinAttachedServer(), 2);
    EXPECT_EQ(qvStandinCloseServer(second), 1);
    EXPECT_EQ(qvStandinAttachedServer(), 0);
    EXPECT_EQ(qvStandinCloseServer(second), 0);
    EXPECT_EQ(QVConnectHandle(second), 0);
    EXPECT_EQ(qvStandinOpenServerText("{}"), 3);  // handles are not reused
}

TEST_F(LibraryTest, ABadModelIsRefusedWithTheReason) {
    struct Case {
        const char *json;
        const char *error;
    } cases[] = {
        {"{\"databses\": []}", "model text: model: unknown key \"databses\""},
        {"{\"databases\": [{\"name\": \"A\"}]}", "model text: database A: \"path\" is missing"},
        {"[1,", "model text: [json.exception.parse_error.101] parse error at line 1, column 4: "
                "syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal"},
        {"{\"customMeasures\": [{\"name\": \"X\", \"formula\": \"1\", \"refers\": [\"Y\"]}]}",
         "model text: custom measure X: refers to \"Y\", which is no custom measure"},
        {"{\"savedSelections\": [{\"name\": \"S\", \"type\": \"TABLE\", \"value\": \"a\"}]}",
         "model text: saved selection S: \"type\" must be SCRIPT or LIST, not \"TABLE\""},
        {"{\"databases\": [{\"name\": \"A B\", \"path\": \"a\"}]}",
         "model text: database: the name \"A B\" may hold only letters, digits and . _ $ #"},
        {"{\"wizard\": {\"steps\": [{\"place\": \"X\", \"remove\": \"Y\", \"edge\": 1}]}}",
         "model text: wizard plan, step 1: needs exactly one action (addMeasure, remove, place, "
         "script, attach or detach)"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(qvStandinOpenServerText(c.json), 0) << c.json;
        EXPECT_STREQ(qvStandinLastError(), c.error);
    }
    EXPECT_EQ(qvStandinOpenServer("/no/such/model.json"), 0);
    EXPECT_STREQ(qvStandinLastError(), "cannot read the model file /no/such/model.json");
    EXPECT_EQ(qvStandinOpenServer(nullptr), 0);
    EXPECT_EQ(qvStandinOpenServerText(nullptr), 0);
    EXPECT_GT(qvStandinOpenServerText("{}"), 0);
    EXPECT_STREQ(qvStandinLastError(), "");
}

TEST_F(LibraryTest, QueriesAreCreatedAndDeletedByName) {
    EXPECT_STREQ(QVCreateQuery(), "QUERY1");
    EXPECT_STREQ(QVCreateQuery(), "QUERY2");
    EXPECT_EQ(QVDeleteQuery("QUERY1"), 1);
    EXPECT_EQ(QVDeleteQuery("QUERY1"), 0);
    EXPECT_EQ(QVDeleteQuery(""), 0);
    EXPECT_EQ(QVDeleteQuery(nullptr), 0);
    // Disconnecting keeps the server's queries; closing the library ends them.
    QVDisconnect();
    EXPECT_STREQ(QVCreateQuery(), "");
    EXPECT_EQ(QVDeleteQuery("QUERY2"), 0);
    ASSERT_EQ(QVConnectHandle(handle), 1);
    EXPECT_STREQ(QVCreateQuery(), "QUERY3");
    QVClose();
    ASSERT_EQ(QVConnectHandle(handle), 1);
    EXPECT_EQ(QVDeleteQuery("QUERY2"), 0);
    EXPECT_EQ(QVDeleteQuery("QUERY3"), 0);
}

TEST_F(LibraryTest, OptionsKeepAnyValueAndChooseTheAttachMode) {
    EXPECT_STREQ(QVGetOption("DefaultAttachMode"), "RW");
    EXPECT_STREQ(QVGetOption("NoSuchOption"), "");
    EXPECT_STREQ(QVGetOption(nullptr), "");
    EXPECT_EQ(QVDatabaseAttach("SHOP"), 0);  // read-only database, read-write attach
    QVSetOption("DefaultAttachMode", "rw");
    EXPECT_STREQ(QVGetOption("DefaultAttachMode"), "rw");
    EXPECT_EQ(QVDatabaseAttach("SHOP"), 0);
    QVSetOption("DefaultAttachMode", "RO");
    QVClose();  // options belong to the library and outlive a close
    EXPECT_STREQ(QVGetOption("DefaultAttachMode"), "RO");
    ASSERT_EQ(QVConnectHandle(handle), 1);
    EXPECT_EQ(QVDatabaseAttach("SHOP"), 1);
    EXPECT_EQ(exec("dtb list"), "SHOP RO C:\\qv\\SHOP.DB");
    QVSetOption(nullptr, "x");
    QVSetOption("Other", nullptr);
    EXPECT_STREQ(QVGetOption("Other"), "");

    qvStandinReset();
    ASSERT_GT(qvStandinOpenServerText(R"({"options": {"DefaultAttachMode": "RO"}})"), 0);
    EXPECT_STREQ(QVGetOption("DefaultAttachMode"), "RO");
}

TEST_F(LibraryTest, DatabasesAttachInOrderAndDetachShrinksTheList) {
    QVSetOption("DefaultAttachMode", "RO");
    EXPECT_EQ(QVDatabaseAttach("SALES"), 1);
    EXPECT_EQ(QVDatabaseAttach("SHOP.DB"), 1);
    EXPECT_EQ(QVDatabaseAttach("SALES.DB"), 1);  // attached already: stays where it is
    EXPECT_EQ(QVDatabaseAttach("sales.db"), 0);  // this server's file names are case-sensitive
    EXPECT_EQ(QVDatabaseAttach("NOPE"), 0);
    EXPECT_EQ(QVDatabaseAttach(""), 0);
    EXPECT_EQ(QVDatabaseAttach(nullptr), 0);
    EXPECT_EQ(QVDatabaseAttach("SLY.DB"), 0);  // no start-up has made it
    EXPECT_EQ(QVGetDatabaseCount(), 2);
    EXPECT_STREQ(QVGetDatabase(0, 0), "SALES");
    EXPECT_STREQ(QVGetDatabase(0, 1), "C:\\qv\\SALES.DB");
    EXPECT_STREQ(QVGetDatabase(1, 1), "C:\\qv\\SHOP.DB");
    EXPECT_STREQ(QVGetDatabase(0, 2), "");
    EXPECT_STREQ(QVGetDatabase(2, 0), "");
    EXPECT_STREQ(QVGetDatabase(-1, 0), "");

    // The module's clean-up: always index 0, as many passes as databases.
    int passes = QVGetDatabaseCount(), detached = 0;
    for (int i = 0; i < passes; ++i) {
        std::string name = QVGetDatabase(0, 0);
        ASSERT_FALSE(name.empty());
        detached += QVDatabaseDetach(name.c_str()) != 0;
    }
    EXPECT_EQ(detached, 2);
    EXPECT_EQ(QVGetDatabaseCount(), 0);
    EXPECT_STREQ(QVGetDatabase(0, 0), "");
    EXPECT_EQ(QVDatabaseDetach("SALES"), 0);
}

TEST_F(LibraryTest, ADatabaseThatAQueryUsesRefusesToDetach) {
    std::string q = revenueQuery();
    EXPECT_EQ(QVDatabaseDetach("SALES"), 0);
    EXPECT_EQ(QVGetDatabaseCount(), 1);
    EXPECT_EQ(QVDeleteQuery(q.c_str()), 1);
    EXPECT_EQ(QVDatabaseDetach("SALES"), 1);
}

TEST_F(LibraryTest, MeasureListsOfADatabase) {
    EXPECT_EQ(QVGetMeasures("SALES"), 0);  // not attached
    EXPECT_STREQ(QVGetMeasure(0), "");
    QVDatabaseAttach("SALES");
    EXPECT_EQ(QVGetMeasures("SALES"), 4);
    const char *names[] = {"REVENUE", "UNITS", "TOPPROD", "C1"};
    const char *descs[] = {"Revenue", "", "Top product", "First"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(QVGetMeasure(i), names[i]);
        EXPECT_STREQ(QVGetMeasureDesc(i), descs[i]);
    }
    EXPECT_STREQ(QVGetMeasure(4), "");
    EXPECT_STREQ(QVGetMeasureDesc(-1), "");
    EXPECT_EQ(QVGetMeasures("SALES.DB"), 4);
    EXPECT_EQ(QVGetMeasures("NOPE"), 0);
    EXPECT_STREQ(QVGetMeasure(0), "");  // the list went with the failed call
    EXPECT_EQ(QVGetMeasures(nullptr), 0);
}

TEST_F(LibraryTest, MeasuresOfAQuery) {
    QVSetOption("DefaultAttachMode", "RO");
    QVDatabaseAttach("SALES");
    QVDatabaseAttach("SHOP");
    std::string q = QVCreateQuery();
    const char *query = q.c_str();
    EXPECT_EQ(QVAddMeasure(query, "REVENUE", "SALES"), 1);
    EXPECT_EQ(QVAddMeasure(query, "c2", "SALES"), 1);  // a custom measure of no database
    EXPECT_EQ(QVAddMeasure(query, "VISITS", ""), 1);
    EXPECT_EQ(QVAddMeasure(query, "REVENUE", ""), 0);  // once only
    EXPECT_EQ(QVAddMeasure(query, "VISITS", "SALES"), 0);
    EXPECT_EQ(QVAddMeasure(query, "QTY", "SLY"), 0);
    EXPECT_EQ(QVAddMeasure(query, "NOPE", ""), 0);
    EXPECT_EQ(QVAddMeasure("QUERY99", "UNITS", "SALES"), 0);
    EXPECT_EQ(QVAddMeasure(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(QVGetMeasureCount(query), 3);
    EXPECT_EQ(QVGetMeasureCount("QUERY99"), 0);
    const char *names[] = {"REVENUE", "C2", "VISITS"};
    const char *paths[] = {"C:\\qv\\SALES.DB", "", "C:\\qv\\SHOP.DB"};
    const char *dbs[] = {"SALES", "", "SHOP"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(QVGetMeasureName(query, i), names[i]);
        EXPECT_STREQ(QVGetMeasureDatabase(query, i, 1), paths[i]);
        EXPECT_STREQ(QVGetMeasureDatabase(query, i, 0), dbs[i]);
    }
    EXPECT_STREQ(QVGetMeasureName(query, 3), "");
    EXPECT_STREQ(QVGetMeasureDatabase(query, -1, 1), "");
}

TEST_F(LibraryTest, TheCubeHoldsTheMeasuresDimensionsOnThreeEdges) {
    QVDatabaseAttach("SALES");
    std::string q = QVCreateQuery();
    const char *query = q.c_str();
    EXPECT_EQ(QVCreateCube(query), 0);  // no measures
    EXPECT_EQ(QVRunQuery(query), 0);
    QVAddMeasure(query, "UNITS", "SALES");
    EXPECT_EQ(QVGetDimEdgeCount(query, 0), 0);
    EXPECT_EQ(QVCreateCube(query), 1);
    EXPECT_EQ(QVRunQuery(query), 1);
    EXPECT_EQ(edge(q, 0), Names{"MEASURE"});
    EXPECT_EQ(edge(q, 1), Names{"TIME"});
    EXPECT_EQ(edge(q, 2), Names{});
    QVAddMeasure(query, "REVENUE", "SALES");
    EXPECT_EQ(QVRunQuery(query), 0);  // the measures changed since the cube was built
    EXPECT_EQ(QVCreateCube(query), 1);
    EXPECT_EQ(QVRunQuery(query), 1);
    EXPECT_EQ(edge(q, 2), Names{"PRODUCT"});
    EXPECT_EQ(QVGetDimEdgeCount(query, 3), 0);
    EXPECT_EQ(QVGetDimEdgeCount(query, -1), 0);

    EXPECT_STREQ(QVGetDimensionDesc(query, 0, 0), "Measure");
    EXPECT_STREQ(QVGetDimensionHierName(query, 0, 0), "");
    EXPECT_STREQ(QVGetDimensionDesc(query, 1, 0), "Time");
    EXPECT_STREQ(QVGetDimensionHierName(query, 1, 0), "FISCAL");
    EXPECT_STREQ(QVGetDimensionHierName(query, 2, 0), "BRAND");
    EXPECT_STREQ(QVGetDimensionName(query, 2, 1), "");
    EXPECT_EQ(QVIsMeasureDimension(query, 0, 0), 1);
    EXPECT_EQ(QVIsMeasureDimension(query, 1, 0), 0);
    EXPECT_EQ(QVIsMeasureDimension(query, 0, 1), 0);
}

TEST_F(LibraryTest, PlacingSwapsWithFlagOneAndInsertsWithFlagZero) {
    std::string q = revenueQuery();  // [MEASURE] [TIME] [PRODUCT]
    const char *query = q.c_str();
    // Moving the only dimension of edge 1 away is refused ...
    EXPECT_EQ(QVSetDimensionEdge(query, "TIME", 0, 1, 0), 0);
    // ... so it first swaps with edge 2's first dimension, then moves.
    EXPECT_EQ(QVSetDimensionEdge(query, "TIME", 2, 0, 1), 1);
    EXPECT_EQ(edge(q, 1), Names{"PRODUCT"});
    EXPECT_EQ(edge(q, 2), Names{"TIME"});
    EXPECT_EQ(QVSetDimensionEdge(query, "TIME", 0, 1, 0), 1);
    EXPECT_EQ(edge(q, 0), (Names{"MEASURE", "TIME"}));
    EXPECT_EQ(edge(q, 2), Names{});
    EXPECT_EQ(QVSetDimensionEdge(query, "TIME", 0, 0, 1), 1);  // swap within an edge
    EXPECT_EQ(edge(q, 0), (Names{"TIME", "MEASURE"}));
    EXPECT_EQ(QVSetDimensionEdge(query, "MEASURE", 2, 5, 0), 1);  // inserted at the end
    EXPECT_EQ(edge(q, 2), Names{"MEASURE"});
    EXPECT_EQ(QVSetDimensionEdge(query, "MEASURE", 1, 0, 0), 1);
    EXPECT_EQ(edge(q, 1), (Names{"MEASURE", "PRODUCT"}));

    EXPECT_EQ(QVSetDimensionEdge(query, "TIME", 2, 0, 1), 0);  // no dimension there to swap with
    EXPECT_EQ(QVSetDimensionEdge(query, "NOPE", 0, 0, 0), 0);
    EXPECT_EQ(QVSetDimensionEdge(query, "TIME", 3, 0, 0), 0);
    EXPECT_EQ(QVSetDimensionEdge(query, "PRODUCT", 0, -1, 0), 0);
    EXPECT_EQ(QVSetDimensionEdge("QUERY99", "TIME", 0, 0, 0), 0);
    EXPECT_EQ(QVSetDimensionEdge(nullptr, nullptr, 0, 0, 0), 0);
}

TEST_F(LibraryTest, ScriptsBelongToTheCubesDimensions) {
    std::string q = revenueQuery();
    const char *query = q.c_str();
    EXPECT_STREQ(QVGetSelectionScript(query, 1, 0), "");
    EXPECT_EQ(QVSetScript(query, "time", "limit TIME to 'Q1'\nlimit TIME keep 'Q2'", "sort TIME d"), 1);
    EXPECT_STREQ(QVGetSelectionScript(query, 1, 0), "limit TIME to 'Q1'\nlimit TIME keep 'Q2'");
    EXPECT_STREQ(QVGetSelectionSortScript(query, 1, 0), "sort TIME d");
    EXPECT_EQ(QVSetScript(query, "TIME", nullptr, nullptr), 1);
    EXPECT_STREQ(QVGetSelectionScript(query, 1, 0), "");
    EXPECT_EQ(QVSetScript(query, "STORE", "x", "y"), 0);
    EXPECT_STREQ(QVGetSelectionSortScript(query, 1, 1), "");
}

TEST_F(LibraryTest, InjectedFailuresTakeTheNextCalls) {
    std::string q = revenueQuery();
    EXPECT_EQ(qvStandinFailNext("QVDeleteQuery", 1), 1);
    EXPECT_EQ(QVDeleteQuery(q.c_str()), 0);
    EXPECT_EQ(QVDeleteQuery(q.c_str()), 1);

    EXPECT_EQ(qvStandinFailNext("QVGetDatabase", -1), 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_STREQ(QVGetDatabase(0, 0), "");
    qvStandinFailNext("QVGetDatabase", 0);
    EXPECT_STREQ(QVGetDatabase(0, 0), "SALES");

    qvStandinFailNext("QVExecuteEx", 1);
    int32_t ok;
    EXPECT_EQ(execEx("shw naspell", ok), "");
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(execEx("shw naspell", ok), "NA");
    EXPECT_EQ(ok, 1);

    qvStandinFailNext("QVDatabaseDetach", 2);
    EXPECT_EQ(QVDatabaseDetach("SALES"), 0);
    EXPECT_EQ(QVDatabaseDetach("SALES"), 0);
    EXPECT_EQ(QVDatabaseDetach("SALES"), 1);

    EXPECT_EQ(qvStandinFailNext("QVNoSuch", 1), 0);
    EXPECT_STREQ(qvStandinLastError(), "the data library has no function QVNoSuch");
    EXPECT_EQ(qvStandinFailNext(nullptr, 1), 0);

    ASSERT_GT(qvStandinOpenServerText(R"({"failures": {"QVCreateQuery": 1}})"), 0);
    QVConnectHandle(2);
    EXPECT_STREQ(QVCreateQuery(), "");
    EXPECT_STREQ(QVCreateQuery(), "QUERY2");
}

TEST_F(LibraryTest, InjectedCommandFailuresTakeTheNextCommandsWithThePrefix) {
    EXPECT_EQ(qvStandinFailCommand("shw na", 2), 1);
    int32_t ok;
    EXPECT_EQ(execEx("show 'x'", ok), "x");
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(execEx("shw naspell", ok), "");
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(exec("shw naspell"), "");  // QVExecute takes the second one
    EXPECT_EQ(execEx("shw naspell", ok), "NA");
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(qvStandinFailCommand("dtb", -1), 1);
    EXPECT_EQ(execEx("dtb attach SALES", ok), "");
    EXPECT_EQ(execEx("dtb list", ok), "");
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(qvStandinFailCommand("dtb", 0), 1);
    EXPECT_EQ(execEx("dtb attach SALES", ok), "");
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(databases(), (std::vector<std::string>{"SALES"}));
    EXPECT_EQ(qvStandinFailCommand("", 1), 0);
    EXPECT_EQ(qvStandinFailCommand(nullptr, 1), 0);
    EXPECT_STREQ(qvStandinLastError(), "a failing command needs a prefix");
}

TEST_F(LibraryTest, ATextHandedBackAsAnArgumentIsReadBeforeItIsReplaced) {
    QVDatabaseAttach("SALES");
    EXPECT_EQ(QVDatabaseDetach(QVGetDatabase(0, 0)), 1);
    EXPECT_EQ(QVGetDatabaseCount(), 0);
    EXPECT_EQ(exec(QVExecute("show 'shw naspell'")), "NA");
}

// In the overwriting mode a text handed back reads as X's of its length,
// whichever call comes next, and the mode outlives a reset.
TEST_F(LibraryTest, TheOverwritingModeSpoilsEachReturnedTextAtTheNextCall) {
    qvStandinOverwriteReturnedTexts(1);
    qvStandinReset();
    EXPECT_EQ(qvStandinOpenServerText(smallModel()), 1);
    QVConnectHandle(1);
    QVDatabaseAttach("SALES");
    const char *name = QVGetDatabase(0, 0);
    EXPECT_STREQ(name, "SALES");
    EXPECT_EQ(QVDatabaseDetach(name), 0);
    EXPECT_STREQ(name, "XXXXX");
    const char *option = QVGetOption("DefaultAttachMode");
    qvStandinLogCount();
    EXPECT_STREQ(option, "XX");
    qvStandinOverwriteReturnedTexts(0);
    EXPECT_EQ(QVDatabaseDetach(QVGetDatabase(0, 0)), 1);
}

TEST_F(LibraryTest, ResetClosesEverythingButKeepsTheLoadCount) {
    int32_t calls = qvStandinPagewrightCalls();
    EXPECT_EQ(QVPagewright(1), 1);
    EXPECT_EQ(qvStandinPagewrightCalls(), calls + 1);
    QVSetOption("DefaultAttachMode", "RO");
    QVCreateQuery();
    qvStandinReset();
    EXPECT_EQ(qvStandinLogCount(), 0);
    EXPECT_EQ(qvStandinPagewrightCalls(), calls + 1);
    EXPECT_EQ(qvStandinPagewrightFlag(), 1);
    EXPECT_EQ(qvStandinAttachedServer(), 0);
    EXPECT_EQ(QVConnectHandle(handle), 0);
    EXPECT_STREQ(QVGetOption("DefaultAttachMode"), "RW");
    ASSERT_EQ(qvStandinOpenServerText("{}"), 1);
    QVConnectHandle(1);
    EXPECT_STREQ(QVCreateQuery(), "QUERY1");
}

}  // namespace
}  // namespace qvtest
