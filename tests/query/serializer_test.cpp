// The serialiser and the change test over the simulated server: the demo
// sales query's whole stored text, table-driven cases that decide whether a
// stored report is right, texts far beyond the old work buffers, out of
// memory at every allocation, and the commands the demo query sends.
#include "query/serializer.h"

#include "host/result_code.h"
#include "query/server_scripts.h"
#include "tests/query/serializer_support.h"

namespace sertest {
namespace {

// SALES holds REVENUE and COST, PLAN holds TARGET, both by PRODUCT. Custom
// measures: C1 -> C2 -> C3 (C1 stored in SALES, C2 and C3 in no database),
// X1, and one named NA. Saved selections: OUTER names INNER, LIST3 is a
// list of three values, SELF names itself, LOOP.A and LOOP.B name each
// other.
const char *kModel = R"json({
  "naSpelling": "NA",
  "databases": [
    {"name": "SALES", "path": "C:\\qv\\SALES.DB",
     "dimensions": [{"name": "PRODUCT", "hierarchy": "BRAND", "longLabel": "Product line"}],
     "measures": [{"name": "REVENUE"}, {"name": "COST"}]},
    {"name": "PLAN", "path": "C:\\qv\\PLAN.DB",
     "dimensions": [{"name": "PRODUCT", "hierarchy": "BRAND"}],
     "measures": [{"name": "TARGET"}]}
  ],
  "customMeasures": [
    {"name": "C1", "description": "First", "formula": "C2 + 1", "refers": ["C2"], "database": "SALES"},
    {"name": "C2", "description": "Second", "formula": "C3 * 2", "refers": ["C3"]},
    {"name": "C3", "description": "Third", "formula": "REVENUE - 1"},
    {"name": "X1", "description": "Other", "formula": "COST", "database": "SALES"},
    {"name": "NA", "description": "Not available", "formula": "COST"}
  ],
  "savedSelections": [
    {"name": "OUTER", "type": "SCRIPT", "value": ["call QV_SLSEL('SAVED' 'PRODUCT' 'INNER')", "limit PRODUCT keep 'A'"]},
    {"name": "INNER", "type": "SCRIPT", "value": ["limit PRODUCT to 'P1'"]},
    {"name": "LIST3", "type": "LIST", "value": ["P1", "P2", "P3"]},
    {"name": "SELF", "type": "SCRIPT", "value": ["call QV_SLSEL('SAVED' 'PRODUCT' 'SELF')"]},
    {"name": "LOOP.A", "type": "SCRIPT", "value": ["call QV_SLSEL('SAVED' 'PRODUCT' 'LOOP.B')"]},
    {"name": "LOOP.B", "type": "SCRIPT", "value": ["limit PRODUCT to 'P2'", "call QV_SLSEL('SAVED' 'PRODUCT' 'LOOP.A')"]}
  ]
})json";

class SerializerTest : public ServerTest {
protected:
    // The demo sales server after its wizard plan has run, as the edit
    // leaves it before the serialiser.
    void openSalesAndRunWizard() {
        openFile("demo/servers/sales.json");
        newSession();
        QVSetOption("DefaultAttachMode", "RO");
        ASSERT_EQ(QVStartWizard(query(), 0), 1) << qvStandinLogText();
        readNaSpelling();
    }
    std::string hostText() {
        GrowableText text;
        EXPECT_TRUE(produceHostText(session().outputDefinition, &text));
        return std::string(text.text(), text.length());
    }
    // A query on kModel: the databases attached in order, the measures
    // (name, database) added, the cube built, PRODUCT's scripts set.
    void buildQuery(const Lines &databases, const std::vector<std::pair<std::string, std::string>> &measures,
                    const std::string &selection, const std::string &sort) {
        openText(kModel);
        for (const std::string &db : databases)
            ASSERT_EQ(QVDatabaseAttach(db.c_str()), 1) << db;
        newSession();
        for (const auto &m : measures)
            ASSERT_EQ(QVAddMeasure(query(), m.first.c_str(), m.second.c_str()), 1) << m.first;
        ASSERT_EQ(QVCreateCube(query()), 1);
        ASSERT_EQ(QVSetScript(query(), "PRODUCT", selection.c_str(), sort.c_str()), 1);
    }
};

TEST_F(SerializerTest, SalesWizardQueryGivesTheStoredText) {
    hostOptions()["options.hierarchy.indent.count"] = "3";
    hostOptions()["options.hierarchy.indent.string"] = "'. '";
    openSalesAndRunWizard();
    qvStandinClearLog();
    ASSERT_EQ(serializeQuery(&session()), kOk);
    EXPECT_EQ(hostText(), readFile(sourceFile("tests/query/data/sales_wizard.def")));
}

// The commands the demo query sends: one attach command for both databases;
// two that read the custom-measure table; one reference query for
// MARGIN.PCT, the one custom measure among the measures (its use in
// PRODUCT's sort script asks nothing more); three per saved selection
// (TOP.PRODUCTS, the NEW.PRODUCTS it names, EAST.REGIONS); a long label for
// each of the five dimensions that are not the measure dimension; and two
// for each custom measure referenced (MARGIN.PCT and GROSS.MARGIN, which it
// refers to): 1 + 2 + 1 + 9 + 5 + 4 = 22.
TEST_F(SerializerTest, SalesWizardQuerySendsTwentyTwoCommands) {
    openSalesAndRunWizard();
    qvStandinClearLog();
    ASSERT_EQ(serializeQuery(&session()), kOk);
    EXPECT_EQ(executedCommands(), (Lines{
        "dtb attach FORECAST.DB;dtb attach SALES.DB",
        "limit name to obj(property 'CUSTMEAS') eq true",
        "show charlist(name)",
        "show qv_refs('MARGIN.PCT')",
        "shw obj(property 'LONGLABELFRM' 'TIME')",
        "limit QV_SEL TO 'TOP.PRODUCTS'",
        "shw QV_SELTYPE",
        "shw QV_SELVALUE",
        "limit QV_SEL TO 'NEW.PRODUCTS'",
        "shw QV_SELTYPE",
        "shw QV_SELVALUE",
        "shw obj(property 'LONGLABELFRM' 'PRODUCT')",
        "limit QV_SEL TO 'EAST.REGIONS'",
        "shw QV_SELTYPE",
        "shw QV_SELVALUE",
        "shw obj(property 'LONGLABELFRM' 'REGION')",
        "shw obj(property 'LONGLABELFRM' 'CHANNEL')",
        "shw obj(property 'LONGLABELFRM' 'SCENARIO')",
        "dsc GROSS.MARGIN",
        "show obj(formula, 'GROSS.MARGIN')",
        "dsc MARGIN.PCT",
        "show obj(formula, 'MARGIN.PCT')"}));
    EXPECT_EQ(executedCommands().size(), 22u);
}

struct Case {
    const char *title;
    Lines databases;
    std::vector<std::pair<std::string, std::string>> measures;
    std::string selection, sort;
    std::map<std::string, std::string> options;
    Lines expected;      // every record of the definition, in order
    Lines referencesAsked;  // the show qv_refs commands sent
};

// The records every case on kModel starts and ends with.
Lines salesHead(const Lines &measures) {
    Lines out{"DB0=SALES.DB", "DBCount=1", "MeasureCount=" + std::to_string(measures.size())};
    for (size_t i = 0; i < measures.size(); ++i)
        out.push_back("Measure" + std::to_string(i) + "=" + measures[i]);
    for (const char *r : {"E0Count=1", "E1Count=1", "E2Count=0", "E0Dim0Name=MEASURE", "E1Dim0Name=PRODUCT"})
        out.push_back(r);
    return out;
}
Lines concat(Lines a, const Lines &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
const Lines kProductTail{"E1Dim0DimLName=Product line", "E1Dim0Hier=BRAND"};

const std::vector<Case> &cases() {
    static const std::vector<Case> all = {
        {"nested saved selections: s = 1 name, type, line 0, then s = 2, then s = 1 line 1",
         {"SALES"}, {{"REVENUE", "SALES"}}, "call QV_SLSEL('SAVED' 'PRODUCT' 'OUTER')", "", {},
         concat(concat(salesHead({"REVENUE"}), {
             "E1Dim0Script=call QV_SLSEL('SAVED' 'PRODUCT' 'OUTER')",
             "E1Dim0SSel1=OUTER", "E1Dim0SSel1T=S",
             "E1Dim0SSel1D0=call QV_SLSEL('SAVED' 'PRODUCT' 'INNER')",
             "E1Dim0SSel2=INNER", "E1Dim0SSel2T=S", "E1Dim0SSel2D0=limit PRODUCT to 'P1'",
             "E1Dim0SSel1D1=limit PRODUCT keep 'A'",
             "E1Dim0SS=2"}), concat(kProductTail, {"QL=1"})),
         {}},
        {"a list selection of three lines is one value line joined by backslash-n",
         {"SALES"}, {{"REVENUE", "SALES"}}, "limit PRODUCT to all\ncall QV_SLSEL('SAVED' 'PRODUCT' 'LIST3')", "", {},
         concat(concat(salesHead({"REVENUE"}), {
             "E1Dim0Script=limit PRODUCT to all",
             "E1Dim0Script1=call QV_SLSEL('SAVED' 'PRODUCT' 'LIST3')",
             "E1Dim0SSel1=LIST3", "E1Dim0SSel1T=L", "E1Dim0SSel1D0=P1\\nP2\\nP3",
             "E1Dim0SS=1"}), concat(kProductTail, {"QL=1"})),
         {}},
        {"a custom measure used as a measure and in a limit command is asked about once; "
         "its reference is flagged, the reference's reference is not",
         {"SALES"}, {{"REVENUE", "SALES"}, {"C1", "SALES"}}, "",
         "call QV_SLLIMIT('PRODUCT' 'SORTVALS' 'DESCENDING' 'C1')", {},
         concat(concat(salesHead({"REVENUE", "C1"}), {
             "E1Dim0SortScript=call QV_SLLIMIT('PRODUCT' 'SORTVALS' 'DESCENDING' 'C1')"}),
             concat(kProductTail, {
             "CMeasure0d=DEFINE C1 FORMULA DECIMAL <PRODUCT>", "CMeasure0f=C2 + 1",
             "CMeasure1d=DEFINE C2 FORMULA DECIMAL", "CMeasure1f=C3 * 2", "QL=1"})),
         {"show qv_refs('C1')"}},
        {"NA in a SORTVALS limit is ignored, in any case of letters",
         {"SALES"}, {{"REVENUE", "SALES"}}, "call QV_SLLIMIT('PRODUCT' 'SORTVALS' 'ASCENDING' 'na')",
         "call QV_SLLIMIT('PRODUCT' 'SORTVALS' 'DESCENDING' 'NA')", {},
         concat(concat(salesHead({"REVENUE"}), {
             "E1Dim0Script=call QV_SLLIMIT('PRODUCT' 'SORTVALS' 'ASCENDING' 'na')",
             "E1Dim0SortScript=call QV_SLLIMIT('PRODUCT' 'SORTVALS' 'DESCENDING' 'NA')"}),
             concat(kProductTail, {"QL=1"})),
         {}},
        {"EXCEPTION names its measures at items 12 and 13 after the marker; EXTREME at 10",
         {"SALES"}, {{"REVENUE", "SALES"}},
         "call QV_SLLIMIT('PRODUCT' 'EXCEPTION' 'i0' 'i1' 'i2' 'i3' 'i4' 'i5' 'i6' 'i7' 'i8' 'i9' "
         "'i10' 'i11' 'C3' 'X1' 'C1')",
         "call QV_SLLIMIT('PRODUCT' 'EXTREME' 'i0' 'i1' 'i2' 'i3' 'i4' 'i5' 'i6' 'i7' 'i8' 'C1' 'C2')", {},
         concat(concat(salesHead({"REVENUE"}), {
             "E1Dim0Script=call QV_SLLIMIT('PRODUCT' 'EXCEPTION' 'i0' 'i1' 'i2' 'i3' 'i4' 'i5' 'i6' "
             "'i7' 'i8' 'i9' 'i10' 'i11' 'C3' 'X1' 'C1')",
             "E1Dim0SortScript=call QV_SLLIMIT('PRODUCT' 'EXTREME' 'i0' 'i1' 'i2' 'i3' 'i4' 'i5' 'i6' "
             "'i7' 'i8' 'C1' 'C2')"}),
             concat(kProductTail, {
             "CMeasure0d=DEFINE C2 FORMULA DECIMAL", "CMeasure0f=C3 * 2",
             "CMeasure1d=DEFINE C3 FORMULA DECIMAL", "CMeasure1f=REVENUE - 1",
             "CMeasure2d=DEFINE X1 FORMULA DECIMAL <PRODUCT>", "CMeasure2f=COST", "QL=1"})),
         {"show qv_refs('C3')", "show qv_refs('X1')", "show qv_refs('C2')"}},
        {"M%dDB with two databases, -1 for a measure whose database is no DB%d",
         {"SALES", "PLAN"}, {{"REVENUE", "SALES"}, {"TARGET", "PLAN"}, {"C1", "SALES"}, {"C3", ""}}, "", "", {},
         {"DB0=SALES.DB", "DB1=PLAN.DB", "DBCount=2", "MeasureCount=4",
          "Measure0=REVENUE", "M0DB=0", "Measure1=TARGET", "M1DB=1", "Measure2=C1", "M2DB=0",
          "Measure3=C3", "M3DB=-1",
          "E0Count=1", "E1Count=1", "E2Count=0", "E0Dim0Name=MEASURE", "E1Dim0Name=PRODUCT",
          "E1Dim0DimLName=Product line", "E1Dim0Hier=BRAND",
          "CMeasure0d=DEFINE C1 FORMULA DECIMAL <PRODUCT>", "CMeasure0f=C2 + 1",
          "CMeasure1d=DEFINE C2 FORMULA DECIMAL", "CMeasure1f=C3 * 2",
          "CMeasure2d=DEFINE C3 FORMULA DECIMAL", "CMeasure2f=REVENUE - 1", "QL=1"},
         {"show qv_refs('C1')", "show qv_refs('C3')"}},
        {"a three-line script with an empty middle line; sort lines numbered again from 0",
         {"SALES"}, {{"REVENUE", "SALES"}}, "limit PRODUCT to all\r\n\r\nlimit PRODUCT keep 'A'",
         "sort PRODUCT a PRODUCT\nlimit PRODUCT keep first 3\n", {},
         concat(concat(salesHead({"REVENUE"}), {
             "E1Dim0Script=limit PRODUCT to all", "E1Dim0Script1=", "E1Dim0Script2=limit PRODUCT keep 'A'",
             "E1Dim0SortScript=sort PRODUCT a PRODUCT", "E1Dim0SortScript1=limit PRODUCT keep first 3"}),
             concat(kProductTail, {"QL=1"})),
         {}},
        {"HI and HIC when the options are not the defaults",
         {"SALES"}, {{"REVENUE", "SALES"}}, "", "",
         {{"options.hierarchy.indent.count", " +4"}, {"options.hierarchy.indent.string", "\"--\""}},
         concat(salesHead({"REVENUE"}), concat(kProductTail, {"QL=1", "HI=4", "HIC=--"})), {}},
        {"HI and HIC absent at the defaults 2 and a single space",
         {"SALES"}, {{"REVENUE", "SALES"}}, "", "",
         {{"options.hierarchy.indent.count", "2"}, {"options.hierarchy.indent.string", "' '"}},
         concat(salesHead({"REVENUE"}), concat(kProductTail, {"QL=1"})), {}},
        {"an indent count of 0 writes neither",
         {"SALES"}, {{"REVENUE", "SALES"}}, "", "",
         {{"options.hierarchy.indent.count", "0"}, {"options.hierarchy.indent.string", "--"}},
         concat(salesHead({"REVENUE"}), concat(kProductTail, {"QL=1"})), {}},
        {"an empty indent text writes neither",
         {"SALES"}, {{"REVENUE", "SALES"}}, "", "",
         {{"options.hierarchy.indent.count", "5"}, {"options.hierarchy.indent.string", "''"}},
         concat(salesHead({"REVENUE"}), concat(kProductTail, {"QL=1"})), {}},
        {"an indent count of 11 behaves as none; the text alone gives HIC",
         {"SALES"}, {{"REVENUE", "SALES"}}, "", "",
         {{"options.hierarchy.indent.count", "11"}, {"options.hierarchy.indent.string", "\t"}},
         concat(salesHead({"REVENUE"}), concat(kProductTail, {"QL=1", "HIC=\t"})), {}},
        {"an indent text longer than 19 bytes is cut to 19",
         {"SALES"}, {{"REVENUE", "SALES"}}, "", "",
         {{"options.hierarchy.indent.count", "-1"},
          {"options.hierarchy.indent.string", "'abcdefghijklmnopqrstuvwxyz'"}},
         concat(salesHead({"REVENUE"}), concat(kProductTail, {"QL=1", "HIC=abcdefghijklmnopqrs"})), {}},
    };
    return all;
}

TEST_F(SerializerTest, RecordsAsAStoredReportNeedsThem) {
    for (const Case &c : cases()) {
        SCOPED_TRACE(c.title);
        hostOptions() = c.options;
        buildQuery(c.databases, c.measures, c.selection, c.sort);
        qvStandinClearLog();
        ASSERT_EQ(serializeQuery(&session()), kOk);
        EXPECT_EQ(records(*session().outputDefinition), c.expected);
        Lines asked;
        for (const std::string &command : executedCommands())
            if (command.compare(0, 12, "show qv_refs") == 0)
                asked.push_back(command);
        EXPECT_EQ(asked, c.referencesAsked);
        session_.reset();
        qvStandinReset();
    }
}

TEST_F(SerializerTest, SavedSelectionsThatNameThemselvesEnd) {
    struct Loop {
        const char *selection;
        Lines expected;
    } loops[] = {
        {"SELF", {"E1Dim0SSel1=SELF", "E1Dim0SSel1T=S",
                  "E1Dim0SSel1D0=call QV_SLSEL('SAVED' 'PRODUCT' 'SELF')",
                  "E1Dim0SSel2=SELF", "E1Dim0SSel2T=S", "E1Dim0SS=2"}},
        {"LOOP.A", {"E1Dim0SSel1=LOOP.A", "E1Dim0SSel1T=S",
                    "E1Dim0SSel1D0=call QV_SLSEL('SAVED' 'PRODUCT' 'LOOP.B')",
                    "E1Dim0SSel2=LOOP.B", "E1Dim0SSel2T=S", "E1Dim0SSel2D0=limit PRODUCT to 'P2'",
                    "E1Dim0SSel2D1=call QV_SLSEL('SAVED' 'PRODUCT' 'LOOP.A')",
                    "E1Dim0SSel3=LOOP.A", "E1Dim0SSel3T=S", "E1Dim0SS=3"}},
    };
    for (const Loop &loop : loops) {
        SCOPED_TRACE(loop.selection);
        std::string line = std::string("call QV_SLSEL('SAVED' 'PRODUCT' '") + loop.selection + "')";
        buildQuery({"SALES"}, {{"REVENUE", "SALES"}}, line, "");
        ASSERT_EQ(serializeQuery(&session()), kOk);
        Lines expected = concat(salesHead({"REVENUE"}), {"E1Dim0Script=" + line});
        expected = concat(concat(expected, loop.expected), concat(kProductTail, {"QL=1"}));
        EXPECT_EQ(records(*session().outputDefinition), expected);
        session_.reset();
        qvStandinReset();
    }
}

// A chain of distinct saved selections deeper than the bound: the first 32
// are expanded, the 33rd is recorded with its name and type only.
TEST_F(SerializerTest, SavedSelectionChainsStopAtTheDepthBound) {
    std::string model = R"json({"naSpelling": "NA", "databases": [{"name": "SALES", "path": "SALES.DB",
        "dimensions": [{"name": "PRODUCT"}], "measures": [{"name": "REVENUE"}]}], "savedSelections": [)json";
    for (int i = 1; i <= 40; ++i)
        model += std::string(i > 1 ? "," : "") + "{\"name\": \"S" + std::to_string(i) +
                 "\", \"type\": \"SCRIPT\", \"value\": [\"call QV_SLSEL('SAVED' 'PRODUCT' 'S" +
                 std::to_string(i + 1) + "')\"]}";
    model += "]}";
    openText(model);
    QVDatabaseAttach("SALES");
    newSession();
    ASSERT_EQ(QVAddMeasure(query(), "REVENUE", "SALES"), 1);
    ASSERT_EQ(QVCreateCube(query()), 1);
    ASSERT_EQ(QVSetScript(query(), "PRODUCT", "call QV_SLSEL('SAVED' 'PRODUCT' 'S1')", ""), 1);
    ASSERT_EQ(serializeQuery(&session()), kOk);
    Lines expected = concat(salesHead({"REVENUE"}), {"E1Dim0Script=call QV_SLSEL('SAVED' 'PRODUCT' 'S1')"});
    for (int s = 1; s <= kMaxSavedSelectionDepth; ++s) {
        std::string n = std::to_string(s);
        expected.push_back("E1Dim0SSel" + n + "=S" + n);
        expected.push_back("E1Dim0SSel" + n + "T=S");
        expected.push_back("E1Dim0SSel" + n + "D0=call QV_SLSEL('SAVED' 'PRODUCT' 'S" +
                           std::to_string(s + 1) + "')");
    }
    expected.push_back("E1Dim0SSel33=S33");
    expected.push_back("E1Dim0SSel33T=S");
    expected.push_back("E1Dim0SS=33");
    expected = concat(expected, {"E1Dim0DimLName=PRODUCT", "E1Dim0Hier=", "QL=1"});
    EXPECT_EQ(records(*session().outputDefinition), expected);
}

// What the user wrote reaches the definition whole, however long: a 5,000
// byte script line, a 100-byte custom-measure name with a 3,000-byte formula
// and a 1,500-byte description, a 600-byte saved-selection name with a
// 2,000-byte value line, a 1,000-byte long label, and an attach command of
// databases whose names are 400 bytes long.
TEST_F(SerializerTest, LongTextsAreStoredWhole) {
    std::string dbA(400, 'A'), dbB(400, 'B'), measure(100, 'M'), label(1000, 'L');
    std::string selectionName(600, 'S'), valueLine = "limit PRODUCT to '" + std::string(2000, 'v') + "'";
    std::string formula, description(1500, 'd');
    while (formula.size() < 3000)
        formula += "REVENUE + ";
    formula += "1";
    std::string model = R"json({"naSpelling": "NA", "databases": [
        {"name": ")json" + dbA + R"json(", "path": "C:\\qv\\)json" + dbA + R"json(.DB",
         "dimensions": [{"name": "PRODUCT", "hierarchy": "BRAND", "longLabel": ")json" + label + R"json("}],
         "measures": [{"name": "REVENUE"}]},
        {"name": ")json" + dbB + R"json(", "path": "C:\\qv\\)json" + dbB + R"json(.DB",
         "dimensions": [{"name": "PRODUCT"}], "measures": [{"name": "UNITS"}]}],
      "customMeasures": [{"name": ")json" + measure + R"json(", "database": ")json" + dbA +
        R"json(", "description": ")json" + description + R"json(", "formula": ")json" + formula + R"json("}],
      "savedSelections": [{"name": ")json" + selectionName + R"json(", "type": "SCRIPT",
        "value": [")json" + valueLine + R"json("]}]})json";
    openText(model);
    ASSERT_EQ(QVDatabaseAttach(dbA.c_str()), 1);
    ASSERT_EQ(QVDatabaseAttach(dbB.c_str()), 1);
    newSession();
    ASSERT_EQ(QVAddMeasure(query(), measure.c_str(), dbA.c_str()), 1) << qvStandinLogText();
    ASSERT_EQ(QVCreateCube(query()), 1);
    std::string scriptLine = "limit PRODUCT to " + std::string(5000, 'x');
    std::string savedLine = "call QV_SLSEL('SAVED' 'PRODUCT' '" + selectionName + "')";
    ASSERT_EQ(QVSetScript(query(), "PRODUCT", (scriptLine + "\n" + savedLine).c_str(), ""), 1);
    qvStandinClearLog();
    ASSERT_EQ(serializeQuery(&session()), kOk);
    EXPECT_EQ(records(*session().outputDefinition), (Lines{
        "DB0=" + dbA + ".DB", "DB1=" + dbB + ".DB", "DBCount=2", "MeasureCount=1",
        "Measure0=" + measure, "M0DB=0", "E0Count=1", "E1Count=1", "E2Count=0",
        "E0Dim0Name=MEASURE", "E1Dim0Name=PRODUCT",
        "E1Dim0Script=" + scriptLine, "E1Dim0Script1=" + savedLine,
        "E1Dim0SSel1=" + selectionName, "E1Dim0SSel1T=S", "E1Dim0SSel1D0=" + valueLine,
        "E1Dim0SS=1", "E1Dim0DimLName=" + label, "E1Dim0Hier=BRAND",
        "CMeasure0d=DEFINE " + measure + " FORMULA DECIMAL <PRODUCT>", "CMeasure0f=" + formula,
        "QL=1"}));
    EXPECT_EQ(executedCommands().at(0), "dtb attach " + dbB + ".DB;dtb attach " + dbA + ".DB");
}

TEST_F(SerializerTest, OutOfMemoryAtEachAllocationGives3003AndLeaksNothing) {
    hostOptions()["options.hierarchy.indent.count"] = "3";
    openSalesAndRunWizard();
    long before = memAllocationCount();
    ASSERT_EQ(serializeQuery(&session()), kOk);
    long allocations = memAllocationCount() - before;
    ASSERT_GT(allocations, 40);
    for (long k = 1; k <= allocations; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k));
        session_.reset();
        qvStandinReset();
        ASSERT_EQ(memLiveBlocks(), liveAtStart_);
        openSalesAndRunWizard();
        memFailAt(k);
        EXPECT_EQ(serializeQuery(&session()), kOutOfMemory);
        memFailAt(0);
    }
}

// The change test: a script that lost its last line (nothing else changed)
// is no change, a changed value and a new query are.
TEST_F(SerializerTest, ChangeTestComparesTheRecordsTheOutputHolds) {
    const std::string stored =
        "DB0=SALES.DB\\\nDBCount=1\\\nE1Dim0Script=limit PRODUCT to all\\\n"
        "E1Dim0Script1=limit PRODUCT keep 'A'\\\nQL=1\\\n";
    struct ChangeCase {
        const char *title;
        std::string input;   // stored text; empty: no input definition
        Lines output;        // records; none: no output definition
        int32_t expected;
    } changes[] = {
        {"a script lost its last line", stored,
         {"DB0=SALES.DB", "DBCount=1", "E1Dim0Script=limit PRODUCT to all", "QL=1"}, 0},
        {"a value changed", stored,
         {"DB0=SALES.DB", "DBCount=1", "E1Dim0Script=limit PRODUCT to none", "QL=1"}, 1},
        {"a record added", stored, {"DB0=SALES.DB", "DBCount=1", "HI=4"}, 1},
        {"a new query", "", {"DB0=SALES.DB", "QL=1"}, 1},
        {"no output, an input", stored, {}, 1},
        {"neither", "", {}, 0},
    };
    for (const ChangeCase &c : changes) {
        SCOPED_TRACE(c.title);
        QuerySession s;
        if (!c.input.empty()) {
            s.inputDefinition = memNew<QueryDefinition>();
            ASSERT_TRUE(s.inputDefinition->parseStored(c.input.c_str()));
        }
        if (!c.output.empty()) {
            s.outputDefinition = memNew<QueryDefinition>();
            for (const std::string &r : c.output) {
                size_t eq = r.find('=');
                ASSERT_TRUE(s.outputDefinition->addText(r.substr(0, eq).c_str(), r.c_str() + eq + 1));
            }
        }
        EXPECT_EQ(changeTest(&s), c.expected);
    }
}

// A new query, serialised: the change test reports it.
TEST_F(SerializerTest, ANewSerialisedQueryIsAChange) {
    openSalesAndRunWizard();
    ASSERT_EQ(serializeQuery(&session()), kOk);
    EXPECT_EQ(changeTest(&session()), 1);
    ASSERT_TRUE((session().inputDefinition = memNew<QueryDefinition>()) != nullptr);
    ASSERT_TRUE(session().inputDefinition->parseStored(hostText().c_str()));
    EXPECT_EQ(changeTest(&session()), 0);
}

}  // namespace
}  // namespace sertest
