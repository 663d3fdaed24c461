// The scripted wizard: plans from a test, what each step does to the query,
// and the three results.
#include "tests/standins/qvdata_test_support.h"

namespace qvtest {
namespace {

class WizardTest : public QvdataTest {
protected:
    void SetUp() override {
        QvdataTest::SetUp();
        query = QVCreateQuery();
    }
    void plan(const char *json) { ASSERT_EQ(qvStandinSetWizardPlans(handle, json), 1) << qvStandinLastError(); }
    int32_t run() { return QVStartWizard(query.c_str(), 0); }
    Names measures() { return measureNames(query); }

    std::string query;
};

TEST_F(WizardTest, AFinishedPlanBuildsTheQuery) {
    plan(R"({"name": "revenue by product", "steps": [
        {"addMeasure": "REVENUE", "database": "SALES"},
        {"addMeasure": "UNITS", "database": "SALES"},
        {"addMeasure": "C2"},
        {"place": "PRODUCT", "edge": 1, "position": 0},
        {"place": "TIME", "edge": 0, "position": 0},
        {"script": "PRODUCT", "selection": ["limit PRODUCT to 'A'", "limit PRODUCT add 'B'"], "sort": "sort PRODUCT a"},
        {"script": "TIME", "sort": "sort TIME d"}]})");
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(measures(), (Names{"REVENUE", "UNITS", "C2"}));
    EXPECT_EQ(databases(), Names{"SALES"});  // attached by the wizard
    EXPECT_EQ(edge(query, 0), (Names{"TIME", "MEASURE"}));
    EXPECT_EQ(edge(query, 1), Names{"PRODUCT"});
    EXPECT_EQ(edge(query, 2), Names{});
    EXPECT_STREQ(QVGetSelectionScript(query.c_str(), 1, 0), "limit PRODUCT to 'A'\nlimit PRODUCT add 'B'");
    EXPECT_STREQ(QVGetSelectionSortScript(query.c_str(), 1, 0), "sort PRODUCT a");
    EXPECT_STREQ(QVGetSelectionScript(query.c_str(), 0, 0), "");
    EXPECT_STREQ(QVGetSelectionSortScript(query.c_str(), 0, 0), "sort TIME d");
    EXPECT_EQ(QVRunQuery(query.c_str()), 1);  // the cube is up to date
}

TEST_F(WizardTest, RemovingAMeasureTakesItsOwnDimensionsAlong) {
    QVSetOption("DefaultAttachMode", "RO");
    plan(R"({"steps": [
        {"addMeasure": "UNITS", "database": "SALES"},
        {"addMeasure": "VISITS", "database": "SHOP"},
        {"remove": "UNITS"}]})");
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(measures(), Names{"VISITS"});
    EXPECT_EQ(edge(query, 0), Names{"MEASURE"});
    EXPECT_EQ(edge(query, 1), Names{"TIME"});
    EXPECT_EQ(edge(query, 2), Names{"STORE"});
    EXPECT_STREQ(QVGetDimensionDesc(query.c_str(), 1, 0), "Time");  // from SALES, first in the cube
}

TEST_F(WizardTest, PlansRunInTurnAndWithNoneLeftTheUserCloses) {
    plan(R"([{"steps": [{"addMeasure": "REVENUE", "database": "SALES"}]},
             {"steps": [{"remove": "REVENUE"}, {"addMeasure": "UNITS", "database": "SALES"}]}])");
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(measures(), Names{"REVENUE"});
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(measures(), Names{"UNITS"});
    EXPECT_EQ(edge(query, 2), Names{});
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(measures(), Names{"UNITS"});
}

TEST_F(WizardTest, CancelledAndFailedPlansLeaveTheQueryAsItWas) {
    std::string kept = revenueQuery();
    query = kept;
    for (const char *result : {"cancelled", "failed"}) {
        std::string json = std::string(R"({"steps": [{"addMeasure": "UNITS", "database": "SALES"},
            {"place": "PRODUCT", "edge": 1, "position": 0}], "result": ")") + result + "\"}";
        plan(json.c_str());
        EXPECT_EQ(run(), result[0] == 'c' ? 2 : 0);
        EXPECT_EQ(measures(), Names{"REVENUE"});
        EXPECT_EQ(edge(query, 1), Names{"TIME"});
        EXPECT_EQ(edge(query, 2), Names{"PRODUCT"});
    }
}

TEST_F(WizardTest, ANumberedResultIsReturnedAsItIsAndLeavesTheQueryAsItWas) {
    query = revenueQuery();
    plan(R"({"steps": [{"addMeasure": "UNITS", "database": "SALES"}], "result": 7})");
    EXPECT_EQ(run(), 7);
    EXPECT_STREQ(qvStandinLogEntry(qvStandinLogCount() - 1), "  wizard: result 7; the query is as it was");
    EXPECT_EQ(measures(), Names{"REVENUE"});
}

TEST_F(WizardTest, AStepThatCannotBeDoneFailsTheRun) {
    struct Case {
        const char *plan;
        const char *note;  // the last log entry of the run
    } cases[] = {
        {R"({"steps": [{"addMeasure": "NOPE", "database": "SALES"}]})",
         "  wizard: add measure NOPE from SALES: measure NOPE is not in database SALES; the wizard fails"},
        {R"({"steps": [{"addMeasure": "REVENUE", "database": "NOPE"}]})",
         "  wizard: add measure REVENUE from NOPE: database NOPE does not exist; the wizard fails"},
        // SHOP is read-only and the library attaches read-write.
        {R"({"steps": [{"addMeasure": "VISITS", "database": "SHOP"}]})",
         "  wizard: add measure VISITS from SHOP: database SHOP is read-only; the wizard fails"},
        {R"({"steps": [{"addMeasure": "UNITS", "database": "SALES"}, {"place": "TIME", "edge": 2}]})",
         "  wizard: place TIME on edge 2 at position 0: edge 1 may not be left empty; the wizard fails"},
        {R"({"steps": [{"addMeasure": "UNITS", "database": "SALES"}, {"script": "STORE", "selection": "x"}]})",
         "  wizard: write the scripts of STORE: the cube has no dimension STORE; the wizard fails"},
        {R"({"steps": [{"remove": "UNITS"}]})",
         "  wizard: remove measure UNITS: the query has no measure UNITS; the wizard fails"},
        {R"({"steps": [{"detach": "SHOP"}]})",
         "  wizard: detach SHOP: database is not attached; the wizard fails"},
    };
    for (const Case &c : cases) {
        plan(c.plan);
        EXPECT_EQ(run(), 0) << c.plan;
        EXPECT_STREQ(qvStandinLogEntry(qvStandinLogCount() - 1), c.note);
        EXPECT_EQ(QVGetMeasureCount(query.c_str()), 0) << c.plan;
    }
}

TEST_F(WizardTest, TheWizardNeedsAServerAndAQuery) {
    plan(R"({"steps": []})");
    EXPECT_EQ(QVStartWizard("QUERY99", 0), 0);
    EXPECT_EQ(QVStartWizard(nullptr, 0), 0);
    QVDisconnect();
    EXPECT_EQ(run(), 0);
    QVConnectHandle(handle);
    EXPECT_EQ(run(), 1);  // the plan was not used up by the failed calls
}

TEST_F(WizardTest, BadPlansAreRefused) {
    EXPECT_EQ(qvStandinSetWizardPlans(handle, R"({"steps": [{"place": "TIME"}]})"), 0);
    EXPECT_STREQ(qvStandinLastError(), "wizard plan, step 1: \"place\" needs an \"edge\"");
    EXPECT_EQ(qvStandinSetWizardPlans(handle, R"({"result": "maybe"})"), 0);
    EXPECT_STREQ(qvStandinLastError(), "wizard plan: \"result\" must be finished, cancelled, failed or a number");
    EXPECT_EQ(qvStandinSetWizardPlans(handle, R"({"result": 4294967296})"), 0);
    EXPECT_STREQ(qvStandinLastError(), "wizard plan: \"result\" must fit 32 bits");
    EXPECT_EQ(qvStandinSetWizardPlans(handle, R"({"steps": [{"place": "TIME", "edge": 3}]})"), 0);
    EXPECT_STREQ(qvStandinLastError(), "wizard plan, step 1: edges are 0 to 2 and positions start at 0");
    EXPECT_EQ(qvStandinSetWizardPlans(99, "{}"), 0);
    EXPECT_STREQ(qvStandinLastError(), "no server has the handle 99");
    EXPECT_EQ(qvStandinSetWizardPlans(handle, nullptr), 0);
}

}  // namespace
}  // namespace qvtest
