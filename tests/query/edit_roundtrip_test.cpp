// A query saved by the module, reopened through cbqEdit on the same server:
// finished without a change it hands the host nothing back; one change in
// the wizard hands back exactly the text of that change. Over the demo sales
// server and over a server whose names, descriptions and scripts are GBK.
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "host/memory.h"
#include "host/result_code.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tests/support/module_fixture.h"

namespace {


std::string sourceFile(const std::string &relative) {
#ifdef _WIN32
    return std::string("Z:") + CBQ_SOURCE_DIR + "/" + relative;
#else
    return std::string(CBQ_SOURCE_DIR) + "/" + relative;
#endif
}

const char kNoChange[] = R"({"name": "no change", "steps": [], "result": "finished"})";

// What one cbqEdit gave the host, copied out before the host frees it.
struct Outcome {
    ResultCode result = 0xFFFF;
    int changed = -1;
    int measures = -1;
    bool pointerKept = false;  // the host's pointer still holds the host's own block
    std::string text;          // what the pointer holds afterwards ("(null)" for none)
    std::vector<std::string> columns;
};

// One edit as a host makes it: stored is the host's own block (null: a new
// query); the wizard plays plan ("": the server's next plan); the host's
// settings and credentials blocks are zero unless given.
Outcome edit(int16_t handle, const char *stored, const std::string &plan,
             ConnectionSettings settings = {}, Credentials credentials = {}) {
    Outcome o;
    if (!plan.empty())
        EXPECT_EQ(qvStandinSetWizardPlans(handle, plan.c_str()), 1) << qvStandinLastError();
    std::vector<char> own;
    char *definition = nullptr;
    if (stored != nullptr) {
        own.assign(stored, stored + strlen(stored) + 1);
        definition = own.data();
    }
    HostConnection host = {0, 0, &credentials, &settings, handle};
    uint8_t changed = 0xEE, measures = 0xEE, columnCount = 0;
    PWQCOL *columns = nullptr;
    o.result = cbqEdit(&host, &definition, &changed, &measures, &columns, &columnCount, 0);
    o.changed = changed;
    o.measures = measures;
    o.pointerKept = stored != nullptr && definition == own.data();
    o.text = definition != nullptr ? definition : "(null)";
    for (int i = 0; i < columnCount; ++i) {
        const PWQCOL &c = columns[i];
        o.columns.push_back(std::string(c.name != nullptr ? c.name : "(null)") + " " +
                            std::to_string(c.position) + " " + std::to_string(c.type) + " " +
                            std::to_string(c.precision) + " " + std::to_string(c.scale) + " " +
                            std::to_string(c.size) + " " + std::to_string(c.isMeasure) + " " +
                            std::to_string(c.isCompanion));
    }
    if (columns != nullptr)
        EXPECT_EQ(cbqFreePWQCOL(columns, columnCount), kOk);
    if (definition != nullptr && !o.pointerKept)
        cbqFreeMem(definition);
    if (stored != nullptr)
        EXPECT_STREQ(own.data(), o.pointerKept ? o.text.c_str() : stored)
            << "the host's own block holds its old text, or the new one when it was reused";
    return o;
}

// text with each stored line old replaced by the lines new ("" removes it);
// every old line must stand in the text exactly once.
std::string edited(const std::string &text, const std::vector<std::pair<std::string, std::string>> &edits) {
    std::string out = text;
    for (const auto &e : edits) {
        std::string line = e.first + "\\\n";
        size_t at = out.find(line);
        EXPECT_NE(at, std::string::npos) << "no line " << e.first;
        if (at == std::string::npos)
            continue;
        EXPECT_EQ(out.find(line, at + 1), std::string::npos) << "the line " << e.first << " twice";
        std::string replacement;
        size_t start = 0;
        while (start < e.second.size()) {  // new lines are separated by LF
            size_t end = e.second.find('\n', start);
            if (end == std::string::npos)
                end = e.second.size();
            replacement += e.second.substr(start, end - start) + "\\\n";
            start = end + 1;
        }
        out.replace(at, line.size(), replacement);
    }
    return out;
}

class EditRoundTripTest : public ModuleTest {
protected:
    void SetUp() override {
        setEnvironment("TARSIK_HOME", "C:\\olap home\\");
        qvStandinReset();
        ModuleTest::SetUp();
    }
    void TearDown() override {
        ModuleTest::TearDown();
        qvStandinReset();
        setEnvironment("TARSIK_HOME", nullptr);
    }

    // The demo sales server and the query its own wizard plan builds, saved
    // as a new query.
    void saveSalesQuery() {
        handle = qvStandinOpenServer(sourceFile("demo/servers/sales.json").c_str());
        ASSERT_GT(handle, 0) << qvStandinLastError();
        savedBy(nullptr);
    }
    // Saves a new query with the server's next plan (null: the model's).
    void savedBy(const char *plan) {
        if (plan != nullptr)
            ASSERT_EQ(qvStandinSetWizardPlans(handle, plan), 1) << qvStandinLastError();
        saved = edit(handle, nullptr, "");
        ASSERT_EQ(saved.result, kOk);
        ASSERT_EQ(saved.changed, 1);
        ASSERT_NE(saved.text, "(null)");
    }

    // Reopening without a change: nothing handed back, columns still given.
    void expectUnchangedReopening() {
        Outcome o = edit(handle, saved.text.c_str(), kNoChange);
        EXPECT_EQ(o.result, kOk);
        EXPECT_EQ(o.changed, 0);
        EXPECT_TRUE(o.pointerKept);
        EXPECT_EQ(o.text, saved.text);
        EXPECT_EQ(o.measures, saved.measures);
        EXPECT_FALSE(o.columns.empty());
        EXPECT_EQ(o.columns, saved.columns);
    }

    int16_t handle = 0;
    Outcome saved;
};

TEST_F(EditRoundTripTest, ASavedSalesQueryReopensUnchangedAndHandsNothingBack) {
    saveSalesQuery();
    EXPECT_EQ(saved.measures, 3);
    EXPECT_EQ(saved.columns.size(), 13u);
    expectUnchangedReopening();
    // Reopened again and again, it stays as it was saved.
    expectUnchangedReopening();
}

// The relational edit leaves the name of its data database in the
// process-wide connection; the next edit, of a plain server that has a
// database of that name, must still attach it to reopen a stored query.
TEST_F(EditRoundTripTest, ARelationalEditDoesNotSteerTheNextEditOfAPlainServer) {
    handle = qvStandinOpenServerText(R"({"databases": [{"name": "SLYDATA", "path": "C:\\qv\\SLYDATA.DB",
        "dimensions": [{"name": "STORE"}], "measures": [{"name": "QTY"}]}]})");
    ASSERT_GT(handle, 0) << qvStandinLastError();
    savedBy(R"({"steps": [{"addMeasure": "QTY", "database": "SLYDATA"}]})");
    ASSERT_NE(saved.text.find("DB0=SLYDATA.DB\\\n"), std::string::npos) << saved.text;

    int16_t retail = qvStandinOpenServer(sourceFile("demo/servers/retail-sollary.json").c_str());
    ASSERT_GT(retail, 0) << qvStandinLastError();
    ConnectionSettings settings{};
    settings.connectionType = 1;
    strcpy(settings.masterDatabase, "/srv/quorvel/sys/DSCODE.db");
    strcpy(settings.serverScript, "DS.STARTUP");
    Credentials credentials{};
    strcpy(credentials.relationalUserId, "scott");
    strcpy(credentials.relationalPassword, "tiger");
    ASSERT_EQ(edit(retail, nullptr, "", settings, credentials).result, kOk);

    expectUnchangedReopening();
}

TEST_F(EditRoundTripTest, OneChangeInTheWizardHandsBackExactlyTheNewText) {
    saveSalesQuery();
    const struct Case {
        const char *what;
        const char *plan;
        std::vector<std::pair<std::string, std::string>> edits;
        int measures;
    } cases[] = {
        {"a script line",
         R"json({"steps": [{"script": "TIME", "selection": "limit TIME to 'Q1.2024' 'Q2.2024'"}], "result": "finished"})json",
         {{"E0Dim1Script=limit TIME to 'Q1.2024' 'Q2.2024' 'Q3.2024' 'Q4.2024'",
           "E0Dim1Script=limit TIME to 'Q1.2024' 'Q2.2024'"}},
         3},
        {"a line added to a script",
         R"json({"steps": [{"script": "REGION", "selection": ["call QV_SLSEL('SAVED' 'REGION' 'EAST.REGIONS')", "limit REGION keep 'R10'"]}], "result": "finished"})json",
         {{"E2Dim0SSel1D0=R10\\\\nR20", "E2Dim0SSel1D0=R10\\\\nR20\nE2Dim0Script1=limit REGION keep 'R10'"}},
         3},
        {"a measure added",
         R"json({"steps": [{"addMeasure": "COST", "database": "SALES"}], "result": "finished"})json",
         {{"MeasureCount=3", "MeasureCount=4"}, {"M2DB=1", "M2DB=1\nMeasure3=COST\nM3DB=0"}},
         4},
        {"a measure removed",
         R"json({"steps": [{"remove": "MARGIN.PCT"}], "result": "finished"})json",
         {{"MeasureCount=3", "MeasureCount=2"},
          {"Measure1=MARGIN.PCT", "Measure1=FC.SALES"}, {"M1DB=0", "M1DB=1"},
          {"Measure2=FC.SALES", ""}, {"M2DB=1", ""}},
         2},
        {"a placement",
         R"json({"steps": [{"place": "SCENARIO", "edge": 2, "position": 1}], "result": "finished"})json",
         {{"E2Dim1Name=CHANNEL", "E2Dim1Name=SCENARIO"},
          {"E2Dim1DimLName=CHANNEL", "E2Dim1DimLName=Planning scenario (budget, forecast, stretch)"},
          {"E2Dim2Name=SCENARIO", "E2Dim2Name=CHANNEL"},
          {"E2Dim2DimLName=Planning scenario (budget, forecast, stretch)", "E2Dim2DimLName=CHANNEL"}},
         3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Outcome o = edit(handle, saved.text.c_str(), c.plan);
        EXPECT_EQ(o.result, kOk);
        EXPECT_EQ(o.changed, 1);
        EXPECT_EQ(o.measures, c.measures);
        EXPECT_EQ(o.text, edited(saved.text, c.edits));
        EXPECT_EQ(o.pointerKept, o.text.size() <= saved.text.size())
            << "a new block only for a longer text";
        // What was handed back reopens unchanged in its turn.
        Outcome again = edit(handle, o.text.c_str(), kNoChange);
        EXPECT_EQ(again.result, kOk);
        EXPECT_EQ(again.changed, 0);
        EXPECT_EQ(again.text, o.text);
        EXPECT_EQ(again.columns, o.columns);
    }
}

// GBK: SALES (CF FA CA DB) with REVENUE (CA D5 C8 EB) and COST (B3 C9 B1 BE)
// over TIME (CA B1 BC E4), PRODUCT (B2 FA C6 B7) and REGION (C7 F8 D3 F2);
// the custom measure MARGIN (C3 AB C0 FB). Descriptions and scripts hold
// characters whose second byte is a backslash (B1 5C, 81 5C).
const char kGbkModel[] = R"json({
  "byteTexts": true,
  "title": "GBK sales server",
  "naSpelling": "NA",
  "databases": [
    {"name": "\u00cf\u00fa\u00ca\u00db", "path": "C:\\qv\\\u00cf\u00fa\u00ca\u00db.DB",
     "dimensions": [
       {"name": "\u00ca\u00b1\u00bc\u00e4", "description": "\u00ca\u00b1\u00bc\u00e4 (\u00b1\\)", "hierarchy": "FY", "type": "DATE",
        "longLabel": "\u00ca\u00b1\u00bc\u00e4 \u0081\\ \u00c4\u00ea"},
       {"name": "\u00b2\u00fa\u00c6\u00b7", "description": "\u00b2\u00fa\u00c6\u00b7", "hierarchy": "\u00c6\u00b7\u00c5\u00c6",
        "longLabel": "\u00b2\u00fa\u00c6\u00b7 / \u00c6\u00b7\u00c5\u00c6"},
       {"name": "\u00c7\u00f8\u00d3\u00f2", "description": "\u00c7\u00f8\u00d3\u00f2"}],
     "measures": [
       {"name": "\u00ca\u00d5\u00c8\u00eb", "description": "\u00ca\u00d5\u00c8\u00eb \u00b1\\"},
       {"name": "\u00b3\u00c9\u00b1\u00be", "description": "\u00b3\u00c9\u00b1\u00be", "type": "INTEGER"}]}
  ],
  "customMeasures": [
    {"name": "\u00c3\u00ab\u00c0\u00fb", "formula": "\u00ca\u00d5\u00c8\u00eb - \u00b3\u00c9\u00b1\u00be",
     "description": "\u00c3\u00ab\u00c0\u00fb \u0081\\", "database": "\u00cf\u00fa\u00ca\u00db"}
  ]
})json";

const char kGbkPlan[] = R"json({"steps": [
  {"addMeasure": "\u00ca\u00d5\u00c8\u00eb", "database": "\u00cf\u00fa\u00ca\u00db"},
  {"addMeasure": "\u00c3\u00ab\u00c0\u00fb"},
  {"place": "\u00b2\u00fa\u00c6\u00b7", "edge": 1, "position": 0},
  {"script": "\u00ca\u00b1\u00bc\u00e4",
   "selection": ["limit \u00ca\u00b1\u00bc\u00e4 to '\u00b1\\'", "limit \u00ca\u00b1\u00bc\u00e4 keep '\u0081\\\\'"],
   "sort": "sort \u00ca\u00b1\u00bc\u00e4 d"}],
  "result": "finished"})json";

TEST_F(EditRoundTripTest, DoubleByteNamesDescriptionsAndScriptsRoundTrip) {
    initModule("GBK");
    handle = qvStandinOpenServerText(kGbkModel);
    ASSERT_GT(handle, 0) << qvStandinLastError();
    savedBy(kGbkPlan);
    // The saved text holds the bytes as the server gave them.
    EXPECT_NE(saved.text.find("Measure0=\xCA\xD5\xC8\xEB\\\n"), std::string::npos) << saved.text;
    EXPECT_NE(saved.text.find("Script=limit \xCA\xB1\xBC\xE4 to '\xB1\\\\'\\\n"), std::string::npos) << saved.text;
    EXPECT_NE(saved.text.find("CMeasure0d=DEFINE \xC3\xAB\xC0\xFB FORMULA DECIMAL"), std::string::npos)
        << saved.text;
    expectUnchangedReopening();

    // One script line changed, one measure added, one placement: exactly
    // that comes back.
#define GBK_TIME "\xCA\xB1\xBC\xE4"
#define GBK_PRODUCT "\xB2\xFA\xC6\xB7"
    const std::string timeLines[] = {
        "Name=" GBK_TIME, "Script=limit " GBK_TIME " to '\xB1\\\\'",
        "Script1=limit " GBK_TIME " keep '\x81\\\\\\\\'", "SortScript=sort " GBK_TIME " d",
        "DimLName=" GBK_TIME " \x81\\\\ \xC4\xEA", "Hier=FY"};
    const std::string productLines[] = {"Name=" GBK_PRODUCT, "DimLName=" GBK_PRODUCT " / \xC6\xB7\xC5\xC6",
                                        "Hier=\xC6\xB7\xC5\xC6"};
    // Placing TIME first on edge 1: the two dimensions' records change places.
    std::vector<std::pair<std::string, std::string>> swapped;
    std::string timeFirst, productSecond;
    for (const std::string &line : timeLines)
        timeFirst += (timeFirst.empty() ? "E1Dim0" : "\nE1Dim0") + line;
    for (const std::string &line : productLines)
        productSecond += (productSecond.empty() ? "E1Dim1" : "\nE1Dim1") + line;
    swapped.push_back({"E1Dim0" + productLines[0], timeFirst});
    swapped.push_back({"E1Dim0" + productLines[1], ""});
    swapped.push_back({"E1Dim0" + productLines[2], ""});
    swapped.push_back({"E1Dim1" + timeLines[0], productSecond});
    for (size_t i = 1; i < sizeof timeLines / sizeof timeLines[0]; ++i)
        swapped.push_back({"E1Dim1" + timeLines[i], ""});
    const struct Case {
        const char *what;
        const char *plan;
        std::vector<std::pair<std::string, std::string>> edits;
    } cases[] = {
        {"a script line",
         R"json({"steps": [{"script": "\u00ca\u00b1\u00bc\u00e4",
            "selection": ["limit \u00ca\u00b1\u00bc\u00e4 to '\u00b1\\'", "limit \u00ca\u00b1\u00bc\u00e4 keep '\u00c4\u00ea'"],
            "sort": "sort \u00ca\u00b1\u00bc\u00e4 d"}], "result": "finished"})json",
         {{"E1Dim1" + timeLines[2], "E1Dim1Script1=limit " GBK_TIME " keep '\xC4\xEA'"}}},
        {"a measure",
         R"json({"steps": [{"addMeasure": "\u00b3\u00c9\u00b1\u00be", "database": "\u00cf\u00fa\u00ca\u00db"}], "result": "finished"})json",
         {{"MeasureCount=2", "MeasureCount=3"},
          {"Measure1=\xC3\xAB\xC0\xFB", "Measure1=\xC3\xAB\xC0\xFB\nMeasure2=\xB3\xC9\xB1\xBE"}}},
        {"a placement",
         R"json({"steps": [{"place": "\u00ca\u00b1\u00bc\u00e4", "edge": 1, "position": 0}], "result": "finished"})json",
         swapped},
    };
#undef GBK_TIME
#undef GBK_PRODUCT
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Outcome o = edit(handle, saved.text.c_str(), c.plan);
        EXPECT_EQ(o.result, kOk);
        EXPECT_EQ(o.changed, 1);
        EXPECT_EQ(o.text, edited(saved.text, c.edits));
        Outcome again = edit(handle, o.text.c_str(), kNoChange);
        EXPECT_EQ(again.changed, 0);
        EXPECT_EQ(again.text, o.text);
    }
}

}  // namespace

namespace {

// The one thing a reopening does not keep: an empty line inside a script is
// left out when the script is put back together, so the text handed back
// lacks it.
TEST_F(EditRoundTripTest, AnEmptyLineInsideAScriptIsDroppedWhenReopened) {
    saveSalesQuery();
    Outcome o = edit(handle, saved.text.c_str(),
                     R"json({"steps": [{"script": "TIME", "selection": ["limit TIME to 'Q1.2024'", "", "limit TIME add 'Q2.2024'"]}], "result": "finished"})json");
    ASSERT_EQ(o.result, kOk);
    const std::string withEmptyLine =
        edited(saved.text, {{"E0Dim1Script=limit TIME to 'Q1.2024' 'Q2.2024' 'Q3.2024' 'Q4.2024'",
                             "E0Dim1Script=limit TIME to 'Q1.2024'\nE0Dim1Script1=\nE0Dim1Script2=limit TIME add 'Q2.2024'"}});
    EXPECT_EQ(o.text, withEmptyLine);
    Outcome again = edit(handle, o.text.c_str(), kNoChange);
    EXPECT_EQ(again.changed, 1);
    EXPECT_EQ(again.text, edited(withEmptyLine, {{"E0Dim1Script1=", "E0Dim1Script1=limit TIME add 'Q2.2024'"},
                                                 {"E0Dim1Script2=limit TIME add 'Q2.2024'", ""}}));
}

}  // namespace
