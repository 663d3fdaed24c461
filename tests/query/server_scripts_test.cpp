// The server command scripts on their own, over the simulated server: the
// custom-measure table and its references, the limit-command scan, saved
// selections, the database index, long labels and the hierarchy-indent
// options.
#include "query/server_scripts.h"

#include "host/result_code.h"
#include "text/growable_text.h"
#include "tests/query/serializer_support.h"

namespace sertest {
namespace {

// Custom measures C1 -> C2 -> C3, X1; saved selections of both types;
// PRODUCT has a long label, TIME an empty one, STORE none.
const char *kModel = R"json({
  "naSpelling": "N/A",
  "databases": [
    {"name": "SALES", "path": "C:\\qv\\SALES.DB",
     "dimensions": [{"name": "PRODUCT", "longLabel": "Product (brand / line)"},
                    {"name": "TIME", "properties": {"LONGLABELFRM": ""}}, {"name": "STORE"}],
     "measures": [{"name": "REVENUE"}]}
  ],
  "customMeasures": [
    {"name": "C1", "formula": "C2 + 1", "refers": ["C2"]},
    {"name": "C2", "formula": "C3 * 2", "refers": ["C3"]},
    {"name": "C3", "formula": "REVENUE - 1"},
    {"name": "X1", "formula": "REVENUE", "refers": ["C1", "C3"]}
  ],
  "savedSelections": [
    {"name": "TWO.LINES", "type": "SCRIPT", "value": ["limit PRODUCT to 'A'", "limit PRODUCT keep 'B'"]},
    {"name": "THREE.VALUES", "type": "LIST", "value": ["P1", "P2", "P3"]}
  ]
})json";

class ServerScriptsTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        openText(kModel);
        QVDatabaseAttach("SALES");
        newSession();
        session().outputDefinition = memNew<QueryDefinition>();
        qvStandinClearLog();
    }
    Lines tableNames() {
        Lines out;
        for (int32_t i = 0; i < session().customMeasureCount; ++i)
            out.push_back(session().customMeasures[i].name);
        return out;
    }
    Lines referenced() {
        Lines out;
        for (int32_t i = 0; i < session().customMeasureCount; ++i)
            if (session().customMeasures[i].referenced == 1)
                out.push_back(session().customMeasures[i].name);
        return out;
    }
};

TEST_F(ServerScriptsTest, CustomMeasureTableIsReadOnce) {
    ASSERT_TRUE(loadCustomMeasures(&session()));
    EXPECT_EQ(tableNames(), (Lines{"C1", "C2", "C3", "X1"}));
    EXPECT_EQ(referenced(), Lines{});
    ASSERT_TRUE(loadCustomMeasures(&session()));
    EXPECT_EQ(executedCommands(),
              (Lines{"limit name to obj(property 'CUSTMEAS') eq true", "show charlist(name)"}));
}

TEST_F(ServerScriptsTest, NoCustomMeasuresLeaveNoTableAndWriteNothing) {
    openText(R"json({"naSpelling": "N/A", "databases": [{"name": "SALES", "path": "SALES.DB"}]})json");
    readNaSpelling();
    ASSERT_TRUE(loadCustomMeasures(&session()));
    EXPECT_EQ(session().customMeasures, nullptr);
    EXPECT_EQ(session().customMeasureCount, 0);
    ASSERT_TRUE(markCustomMeasure(&session(), "C1"));
    EXPECT_EQ(writeCustomMeasures(&session()), kOk);
    EXPECT_EQ(session().customMeasureRecordCounter, 0);
    EXPECT_EQ(records(*session().outputDefinition), Lines{});
}

TEST_F(ServerScriptsTest, MarkingAsksEachCustomMeasureOnceAndFlagsOneLevel) {
    ASSERT_TRUE(loadCustomMeasures(&session()));
    qvStandinClearLog();
    ASSERT_TRUE(markCustomMeasure(&session(), "REVENUE"));  // not a custom measure
    ASSERT_TRUE(markCustomMeasure(&session(), "c1"));       // any case of letters
    ASSERT_TRUE(markCustomMeasure(&session(), "C1"));
    ASSERT_TRUE(markCustomMeasure(&session(), "C2"));       // flagged through C1: not asked
    EXPECT_EQ(referenced(), (Lines{"C1", "C2"}));
    ASSERT_TRUE(markCustomMeasure(&session(), "X1"));       // refers to two
    EXPECT_EQ(referenced(), (Lines{"C1", "C2", "C3", "X1"}));
    EXPECT_EQ(executedCommands(), (Lines{"show qv_refs('c1')", "show qv_refs('X1')"}));
}

TEST_F(ServerScriptsTest, LimitCommandsNameMeasuresAtTheirMarkersPositions) {
    struct Scan {
        const char *line;
        Lines referenced;
    } scans[] = {
        {"call QV_SLSEL('SORTVALS' 'x' 'C1')", {}},  // no QV_SLLIMIT
        {"call QV_SLLIMIT('PRODUCT' 'TOP' 'C1' 'C1')", {}},  // no marker
        {"call QV_SLLIMIT('P' 'SORTVALS' 'DESCENDING' 'C3')", {"C3"}},
        {"call QV_SLLIMIT('P' 'SORTVALS' 'DESCENDING')", {}},  // no item 1
        // the first marker of the table wins over one earlier in the line
        {"call QV_SLLIMIT('SORTVALS' 'x' 'C1' 'EXCEPTION' '0' '1' '2' '3' '4' '5' '6' '7' '8' '9' "
         "'10' '11' 'NA' 'C3')", {"C3"}},
        {"call QV_SLLIMIT('EXTREME' '0' '1' '2' '3' '4' '5' '6' '7' '8' '9' 'X1' 'C3')",
         {"C1", "C3", "X1"}},
        // positions count from the first occurrence of the marker
        {"call QV_SLLIMIT('P' 'SORTVALS' 'D' 'C3' 'SORTVALS' 'D' 'C1')", {"C3"}},
    };
    for (const Scan &scan : scans) {
        SCOPED_TRACE(scan.line);
        releaseCustomMeasures(&session());
        ASSERT_TRUE(loadCustomMeasures(&session()));
        ASSERT_TRUE(scanLimitCommand(&session(), scan.line));
        EXPECT_EQ(referenced(), scan.referenced);
    }
}

TEST_F(ServerScriptsTest, SavedSelectionNameIsItemOneAfterTheFirstSaved) {
    struct Name {
        const char *line;
        const char *name;
    } names[] = {
        {"call QV_SLSEL('SAVED' 'PRODUCT' 'TOP.PRODUCTS')", "TOP.PRODUCTS"},
        {"call QV_SLSEL('SAVED' 'P' 'FIRST') call QV_SLSEL('SAVED' 'P' 'SECOND')", "FIRST"},
        {"call QV_SLSEL('SAVED' 'PRODUCT')", ""},
        {"call QV_SLSEL('SAVED' 'PRODUCT' 'OPEN", "OPEN"},
        {"call QV_SLSEL(SAVED 'PRODUCT' 'X')", ""},
        {"limit PRODUCT to all", ""},
    };
    for (const Name &n : names) {
        GrowableText name;
        ASSERT_TRUE(savedSelectionName(n.line, &name));
        EXPECT_STREQ(name.text(), n.name) << n.line;
    }
}

TEST_F(ServerScriptsTest, SavedSelectionTypeAndValue) {
    struct Read {
        const char *name;
        char type;
        const char *value;
    } reads[] = {
        {"TWO.LINES", 'S', "limit PRODUCT to 'A'\r\nlimit PRODUCT keep 'B'"},
        {"THREE.VALUES", 'L', "P1\\nP2\\nP3"},
        {"NO.SUCH", 'L', "N/A"},
    };
    for (const Read &r : reads) {
        char type = 0;
        char *value = nullptr;
        ASSERT_TRUE(readSavedSelection(r.name, &type, &value));
        EXPECT_EQ(type, r.type) << r.name;
        EXPECT_STREQ(value, r.value) << r.name;
        memFree(value);
    }
    EXPECT_EQ(executedCommands(), (Lines{
        "limit QV_SEL TO 'TWO.LINES'", "shw QV_SELTYPE", "shw QV_SELVALUE",
        "limit QV_SEL TO 'THREE.VALUES'", "shw QV_SELTYPE", "shw QV_SELVALUE",
        "limit QV_SEL TO 'NO.SUCH'", "shw QV_SELTYPE", "shw QV_SELVALUE"}));
}

TEST_F(ServerScriptsTest, DatabaseIndexLooksUpToTheFirstMissingRecord) {
    QueryDefinition &out = *session().outputDefinition;
    ASSERT_TRUE(out.addText("DB0", "SALES.DB"));
    ASSERT_TRUE(out.addText("DB1", "PLAN.DB"));
    ASSERT_TRUE(out.addText("DB2", "sales.db"));
    ASSERT_TRUE(out.addText("DB4", "GAP.DB"));
    struct Index {
        const char *file;
        int32_t index;
    } indexes[] = {{"SALES.DB", 0}, {"PLAN.DB", 1}, {"sales.db", 2}, {"GAP.DB", -1}, {"", -1}};
    for (const Index &i : indexes) {
        int32_t index = 99;
        ASSERT_TRUE(databaseIndex(&session(), i.file, &index));
        EXPECT_EQ(index, i.index) << i.file;
    }
}

TEST_F(ServerScriptsTest, LongLabelIsTheReplyOrTheName) {
    struct Label {
        const char *dimension;
        const char *label;
    } labels[] = {
        {"PRODUCT", "Product (brand / line)"},
        {"TIME", "TIME"},    // empty reply
        {"STORE", "STORE"},  // NA
    };
    for (const Label &l : labels) {
        GrowableText label;
        ASSERT_TRUE(longLabel(&session(), l.dimension, &label));
        EXPECT_STREQ(label.text(), l.label) << l.dimension;
    }
    EXPECT_EQ(executedCommands(), (Lines{"shw obj(property 'LONGLABELFRM' 'PRODUCT')",
                                         "shw obj(property 'LONGLABELFRM' 'TIME')",
                                         "shw obj(property 'LONGLABELFRM' 'STORE')"}));
}

// A spelling longer than 19 bytes is still the NA spelling: no long label
// is made of it, no custom-measure table of the list it answers.
TEST_F(ServerScriptsTest, ALongNaSpellingIsComparedWhole) {
    openText(R"json({"naSpelling": "NOT.AVAILABLE.ON.THIS.SERVER",
      "databases": [{"name": "SALES", "path": "SALES.DB", "dimensions": [{"name": "STORE"}]}]})json");
    readNaSpelling();
    GrowableText label;
    ASSERT_TRUE(longLabel(&session(), "STORE", &label));
    EXPECT_STREQ(label.text(), "STORE");
    ASSERT_TRUE(loadCustomMeasures(&session()));
    EXPECT_EQ(session().customMeasures, nullptr);
    EXPECT_EQ(session().customMeasureCount, 0);
}

TEST_F(ServerScriptsTest, CustomMeasureRecordsFollowTheTableOrderAndTheCounter) {
    ASSERT_TRUE(loadCustomMeasures(&session()));
    ASSERT_TRUE(markCustomMeasure(&session(), "C2"));
    session().customMeasureRecordCounter = 5;
    qvStandinClearLog();
    EXPECT_EQ(writeCustomMeasures(&session()), kOk);
    EXPECT_EQ(records(*session().outputDefinition),
              (Lines{"CMeasure5d=DEFINE C2 FORMULA DECIMAL", "CMeasure5f=C3 * 2",
                     "CMeasure6d=DEFINE C3 FORMULA DECIMAL", "CMeasure6f=REVENUE - 1"}));
    EXPECT_EQ(session().customMeasureRecordCounter, 7);
    EXPECT_EQ(executedCommands(), (Lines{"dsc C2", "show obj(formula, 'C2')", "dsc C3",
                                         "show obj(formula, 'C3')"}));
}

struct Indent {
    const char *count;   // null: the host has no such option
    const char *text;
    int32_t expectedCount;
    const char *expectedText;
};

void checkIndents(const std::vector<Indent> &indents) {
    for (const Indent &i : indents) {
        SCOPED_TRACE(std::string(i.count ? i.count : "(none)") + " / " + (i.text ? i.text : "(none)"));
        hostOptions().clear();
        if (i.count != nullptr)
            hostOptions()["options.hierarchy.indent.count"] = i.count;
        if (i.text != nullptr)
            hostOptions()["options.hierarchy.indent.string"] = i.text;
        int32_t count = -99;
        char text[kIndentTextSize + 8];
        memset(text, 'Z', sizeof text);
        readHierarchyIndent(&count, text);
        EXPECT_EQ(count, i.expectedCount);
        EXPECT_STREQ(text, i.expectedText);
        for (size_t b = kIndentTextSize; b < sizeof text; ++b)
            EXPECT_EQ(text[b], 'Z') << "written beyond the indent text at " << b;
    }
}

TEST_F(ServerScriptsTest, HierarchyIndentOptions) {
    checkIndents({
        {nullptr, nullptr, 2, " "},
        {"0", "''", 0, ""},
        {"  7", "'>> '", 7, ">> "},
        {"+10", "\"|\"", 10, "|"},
        {"11", "ab", 2, "ab"},
        {"-1", " 'x", 2, "x"},
        {"4294967300", "x'", 2, "x'"},
        {"3abc", "   ", 3, "   "},
        {"abc", "", 0, ""},
        {"5", "'123456789012345678901234'", 5, "1234567890123456789"},
    });
}

// In a double-byte character set the indent text is cut before a character
// that would not fit whole.
TEST_F(ServerScriptsTest, HierarchyIndentTextIsCutWithoutSplittingACharacter) {
    session_.reset();
    start("GBK");
    checkIndents({
        {"2", "'123456789012345678\xB0\xA1'", 2, "123456789012345678"},
        {"2", "'12345678901234567\xB0\xA1'", 2, "12345678901234567\xB0\xA1"},
    });
}

TEST_F(ServerScriptsTest, OutOfMemoryIsReported) {
    ASSERT_TRUE(loadCustomMeasures(&session()));
    releaseCustomMeasures(&session());
    memFailAt(1);
    EXPECT_FALSE(loadCustomMeasures(&session()));
    memFailAt(0);
    EXPECT_EQ(session().customMeasures, nullptr);
    EXPECT_EQ(session().customMeasureCount, 0);

    ASSERT_TRUE(loadCustomMeasures(&session()));
    ASSERT_TRUE(markCustomMeasure(&session(), "C1"));
    for (long k = 1;; ++k) {
        long before = memAllocationCount();
        session().customMeasureRecordCounter = 0;
        memFailAt(k);
        ResultCode result = writeCustomMeasures(&session());
        memFailAt(0);
        if (memAllocationCount() - before < k) {
            EXPECT_EQ(result, kOk);
            break;
        }
        EXPECT_EQ(result, kOutOfMemory) << "allocation " << k;
        memDelete(session().outputDefinition);
        session().outputDefinition = memNew<QueryDefinition>();
    }
}

}  // namespace
}  // namespace sertest
