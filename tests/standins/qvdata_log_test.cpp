// The call log: every call with its arguments and result, in order, with
// exact quoting, and the notes that explain what a call did.
#include "tests/standins/qvdata_test_support.h"

namespace qvtest {
namespace {

Names logEntries() {
    Names out;
    for (int i = 0; i < qvStandinLogCount(); ++i)
        out.push_back(qvStandinLogEntry(i));
    return out;
}

using LogTest = QvdataTest;

TEST_F(LogTest, EveryCallIsLoggedWithArgumentsAndResult) {
    qvStandinClearLog();
    int32_t ok;
    QVSetTarsikHome("C:\\Tarsik");
    QVSetKHVMethod(7);
    QVGetOption("DefaultAttachMode");
    QVSetOption("DefaultAttachMode", "RO");
    QVExecuteEx("shw naspell", &ok);
    QVExecuteEx("bogus", nullptr);
    QVExecute("shw 'a\r\nb\\c\"d\te\x01'");
    QVCreateQuery();
    QVDatabaseAttach("SALES");
    QVGetDatabaseCount();
    QVGetDatabase(0, 1);
    QVAddMeasure("QUERY1", "REVENUE", nullptr);
    QVSetDimensionEdge("QUERY1", "TIME", 2, 0, 1);
    QVGetDimensionName("QUERY1", 0, 0);
    QVDisconnect();
    EXPECT_EQ(logEntries(), (Names{
        "QVSetTarsikHome(\"C:\\\\Tarsik\")",
        "QVSetKHVMethod(7)",
        "QVGetOption(\"DefaultAttachMode\") = \"RW\"",
        "QVSetOption(\"DefaultAttachMode\", \"RO\")",
        "QVExecuteEx(\"shw naspell\", &ok) = \"NA\" ok=1",
        "QVExecuteEx(\"bogus\", NULL) = \"ERROR: bogus is not a command\" ok=0",
        "QVExecute(\"shw 'a\\r\\nb\\\\c\\\"d\\te\\x01'\") = \"a\\r\\nb\\\\c\\\"d\\te\\x01\"",
        "QVCreateQuery() = \"QUERY1\"",
        "QVDatabaseAttach(\"SALES\") = 1",
        "QVGetDatabaseCount() = 1",
        "QVGetDatabase(0, 1) = \"C:\\\\qv\\\\SALES.DB\"",
        "QVAddMeasure(\"QUERY1\", \"REVENUE\", NULL) = 1",
        "QVSetDimensionEdge(\"QUERY1\", \"TIME\", 2, 0, 1) = 0",
        "  the cube has no dimension TIME",
        "QVGetDimensionName(\"QUERY1\", 0, 0) = \"\"",
        "QVDisconnect()",
    }));
    EXPECT_EQ(std::string(qvStandinLogText()).rfind("QVSetTarsikHome(\"C:\\\\Tarsik\")\nQVSetKHVMethod(7)\n", 0), 0u);
    EXPECT_STREQ(qvStandinLogEntry(-1), "");
    EXPECT_STREQ(qvStandinLogEntry(qvStandinLogCount()), "");
}

TEST_F(LogTest, NotesFollowTheCallTheyExplain) {
    qvStandinClearLog();
    qvStandinFailNext("QVRunQuery", 1);
    QVRunQuery("QUERY9");
    QVDatabaseAttach("SHOP");
    qvStandinSetWizardPlans(handle, R"({"name": "p", "steps": [{"addMeasure": "UNITS", "database": "SALES"}], "result": "cancelled"})");
    std::string q = QVCreateQuery();
    QVStartWizard(q.c_str(), 0);
    QVStartWizard(q.c_str(), 0);
    EXPECT_EQ(logEntries(), (Names{
        "QVRunQuery(\"QUERY9\") = 0",
        "  failure injected",
        "QVDatabaseAttach(\"SHOP\") = 0",
        "  database SHOP is read-only",
        "QVCreateQuery() = \"QUERY1\"",
        "QVStartWizard(\"QUERY1\", 0) = 2",
        "  wizard: plan \"p\"",
        "  wizard: add measure UNITS from SALES",
        "  wizard: cancelled; the query is as it was",
        "QVStartWizard(\"QUERY1\", 0) = 2",
        "  wizard: no plan left; the user closes the wizard",
    }));
}

TEST_F(LogTest, HostSideEventsAreMarkedAndHostCallsAreNotLogged) {
    qvStandinClearLog();
    int16_t other = qvStandinOpenServerText(R"({"title": "other"})");
    qvStandinCloseServer(other);
    qvStandinLogCount();
    qvStandinLastError();
    qvStandinAttachedServer();
    EXPECT_EQ(logEntries(), (Names{"-- server 2 opened: other", "-- server 2 closed"}));
    qvStandinClearLog();
    EXPECT_EQ(qvStandinLogCount(), 0);
    EXPECT_STREQ(qvStandinLogText(), "");
}

}  // namespace
}  // namespace qvtest
