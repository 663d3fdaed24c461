// Column descriptors over the simulated server: the column list, the type
// command and its words, the PWQCOL records field by field, the measure
// lists, the host text, the 255-record limit and out-of-memory behaviour.
#include "columns/column_descriptors.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "host/memory.h"
#include "host/result_code.h"
#include "query/query_definition.h"
#include "query/query_session.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tests/support/module_fixture.h"

namespace {

// SALES: three dimensions (REGION without a description) and measures of
// which UNITS has no description and BEST is a relation named in lower case.
// PLAN: a second database. TYPES: a measure of every type word, relations
// whose dimension types are odd, and type texts that are not single words.
const char *kModel = R"json({
  "title": "column test server",
  "naSpelling": "NA",
  "databases": [
    {"name": "SALES", "path": "C:\\qv\\SALES.DB",
     "dimensions": [
       {"name": "TIME", "description": "Time", "type": "DATE"},
       {"name": "PRODUCT", "description": "Product", "type": "TEXT"},
       {"name": "REGION", "description": "", "type": "ID"}],
     "measures": [
       {"name": "REVENUE", "description": "Revenue", "type": "DECIMAL"},
       {"name": "UNITS", "description": "", "type": "INTEGER"},
       {"name": "BEST", "description": "Best product", "type": "product"}]},
    {"name": "PLAN", "path": "C:\\qv\\PLAN.DB",
     "dimensions": [{"name": "TIME", "description": "Time", "type": "DATE"}],
     "measures": [{"name": "FC", "description": "Forecast", "type": "SHORTINTEGER"}]},
    {"name": "TYPES", "path": "C:\\qv\\TYPES.DB",
     "dimensions": [
       {"name": "KEY", "description": "Key", "type": "ID"},
       {"name": "ODD", "description": "Odd", "type": "DATE extra"}],
     "measures": [
       {"name": "MTEXT", "type": "TEXT", "dimensions": ["KEY"]},
       {"name": "MID", "type": "ID", "dimensions": ["KEY"]},
       {"name": "MSHORT", "type": "SHORT", "dimensions": ["KEY"]},
       {"name": "MDEC", "type": "DECIMAL", "dimensions": ["KEY"]},
       {"name": "MINT", "type": "INTEGER", "dimensions": ["KEY"]},
       {"name": "MSINT", "type": "SHORTINTEGER", "dimensions": ["KEY"]},
       {"name": "MDATE", "type": "DATE", "dimensions": ["KEY"]},
       {"name": "MBOOL", "type": "BOOLEAN", "dimensions": ["KEY"]},
       {"name": "MREL", "type": "key", "dimensions": ["KEY"]},
       {"name": "MODD", "type": "ODD", "dimensions": ["KEY"]},
       {"name": "MWORDS", "type": "DATE7BOOLEAN_TEXT ID", "dimensions": ["KEY"]},
       {"name": "MNONE", "type": "", "dimensions": ["KEY"]}]}
  ]
})json";

using Measures = std::vector<std::pair<const char *, const char *>>;  // name, database

class ColumnDescriptorsTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        qvStandinReset();
        openServer(kModel);
        session = new QuerySession();
        session->outputDefinition = memNew<QueryDefinition>();
        ASSERT_NE(session->outputDefinition, nullptr);
    }
    void TearDown() override {
        delete session;
        qvStandinReset();
        ModuleTest::TearDown();
    }

    void openServer(const char *model) {
        int16_t handle = qvStandinOpenServerText(model);
        ASSERT_GT(handle, 0) << qvStandinLastError();
        ASSERT_EQ(QVConnectHandle(handle), 1);
    }

    // Creates a query with the measures and its cube, names it in the session
    // with its measure count and clears the call log.
    void makeQuery(const Measures &measures) {
        for (const auto &m : measures)
            QVDatabaseAttach(m.second);
        query = QVCreateQuery();
        for (const auto &m : measures)
            ASSERT_EQ(QVAddMeasure(query.c_str(), m.first, m.second), 1) << m.first;
        ASSERT_EQ(QVCreateCube(query.c_str()), 1);
        ASSERT_TRUE(session->queryName.appendText(query.c_str()));
        session->measureCount = QVGetMeasureCount(query.c_str());
        qvStandinClearLog();
    }
    void place(const char *dimension, int edge, int position) {
        ASSERT_EQ(QVSetDimensionEdge(query.c_str(), dimension, edge, position, 0), 1) << dimension;
        qvStandinClearLog();
    }
    void addText(const char *name, const char *value) {
        ASSERT_TRUE(session->outputDefinition->addText(name, value));
    }
    void addNumber(const char *name, int32_t number) {
        ASSERT_TRUE(session->outputDefinition->addNumber(name, number));
    }
    // The "DB%d" and "M%dDB" records as the serialiser writes them.
    void databases(const std::vector<const char *> &files, const std::vector<int32_t> &measureDb = {}) {
        char name[QueryDefinition::kNameSize];
        for (size_t n = 0; n < files.size(); ++n) {
            snprintf(name, sizeof name, "DB%zu", n);
            addText(name, files[n]);
        }
        for (size_t i = 0; i < measureDb.size(); ++i) {
            snprintf(name, sizeof name, "M%zuDB", i);
            addNumber(name, measureDb[i]);
        }
    }

    QuerySession *session = nullptr;
    std::string query;
};

// The whole record array, one line per record.
std::string table(const QuerySession &s) {
    std::string out;
    for (int32_t i = 0; i < s.columnRecordCount; ++i) {
        const PWQCOL &r = s.columnRecords[i];
        char line[600];
        snprintf(line, sizeof line, "%u m%u c%u type=%u prec=%u scale=%u size=%d rsv=%u,%u name=%s%s%s\n",
                 r.position, r.isMeasure, r.isCompanion, r.type, r.precision, r.scale, r.size,
                 r.reserved[0], r.reserved[1], r.name ? "\"" : "", r.name ? r.name : "(null)",
                 r.name ? "\"" : "");
        out += line;
    }
    return out;
}

// The column list: object name, column name, type flags.
std::string entries(const QuerySession &s) {
    std::string out;
    for (int32_t j = 0; j < s.entryCount; ++j) {
        const ColumnInfo &e = s.columnList[j];
        char flags[16];
        snprintf(flags, sizeof flags, "0x%X", e.typeFlags);
        out += std::string(e.objectName.text()) + " \"" + e.columnName.text() + "\" " + flags + "\n";
    }
    return out;
}

// The log entries of the named functions only.
std::string logOf(const std::vector<std::string> &functions) {
    std::string out;
    for (int32_t i = 0; i < qvStandinLogCount(); ++i) {
        std::string entry = qvStandinLogEntry(i);
        for (const std::string &f : functions)
            if (entry.compare(0, f.size() + 1, f + "(") == 0)
                out += entry + "\n";
    }
    return out;
}

// The first n lines of text.
std::string firstLines(const std::string &text, int n) {
    size_t end = 0;
    for (int i = 0; i < n && end != std::string::npos; ++i) {
        end = text.find('\n', end);
        if (end != std::string::npos)
            ++end;
    }
    return end == std::string::npos ? text : text.substr(0, end);
}

int executes() {
    int n = 0;
    for (int32_t i = 0; i < qvStandinLogCount(); ++i)
        n += strncmp(qvStandinLogEntry(i), "QVExecute(", 10) == 0;
    return n;
}

// ---------------------------------------------------------------------------
// The record layout of a query with measures and dimensions
// ---------------------------------------------------------------------------

// A new cube: MEASURE alone on edge 0, TIME on edge 1, PRODUCT and REGION on
// edge 2. Edge 0 contributes nothing.
TEST_F(ColumnDescriptorsTest, TwoMeasuresAndThreeDimensionsGiveEightRecords) {
    makeQuery({{"REVENUE", "SALES"}, {"UNITS", "SALES"}});
    databases({"SALES.DB"});
    ASSERT_EQ(describeColumns(session), kOk);

    EXPECT_EQ(session->entryCount, 5);
    EXPECT_EQ(session->measureCount, 2);
    EXPECT_EQ(session->dimensionCount, 3);
    EXPECT_EQ(entries(*session),
              "REVENUE \"Revenue\" 0x4\n"
              "UNITS \"UNITS\" 0x1\n"
              "TIME \"Time\" 0x40\n"
              "PRODUCT \"Product\" 0x10\n"
              "REGION \"\" 0x80\n");
    EXPECT_EQ(table(*session),
              "0 m1 c0 type=4 prec=38 scale=127 size=0 rsv=0,0 name=\"Revenue\"\n"
              "1 m1 c0 type=1 prec=38 scale=0 size=12 rsv=0,0 name=\"UNITS\"\n"
              "2 m0 c0 type=64 prec=38 scale=0 size=0 rsv=0,0 name=\"Time\"\n"
              "3 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_Time\"\n"
              "4 m0 c0 type=16 prec=0 scale=0 size=499 rsv=0,0 name=\"Product\"\n"
              "5 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_Product\"\n"
              "6 m0 c0 type=16 prec=0 scale=0 size=11 rsv=0,0 name=\"\"\n"
              "7 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_\"\n");
    EXPECT_EQ(std::string(qvStandinLogText()),
              "QVGetDimEdgeCount(\"QUERY1\", 0) = 1\n"
              "QVIsMeasureDimension(\"QUERY1\", 0, 0) = 1\n"
              "QVGetDimEdgeCount(\"QUERY1\", 1) = 1\n"
              "QVIsMeasureDimension(\"QUERY1\", 1, 0) = 0\n"
              "QVGetDimEdgeCount(\"QUERY1\", 2) = 2\n"
              "QVIsMeasureDimension(\"QUERY1\", 2, 0) = 0\n"
              "QVIsMeasureDimension(\"QUERY1\", 2, 1) = 0\n"
              "QVGetMeasureCount(\"QUERY1\") = 2\n"
              "QVGetMeasures(\"SALES\") = 3\n"
              "QVGetMeasureName(\"QUERY1\", 0) = \"REVENUE\"\n"
              "QVGetMeasure(0) = \"REVENUE\"\n"
              "QVGetMeasureDesc(0) = \"Revenue\"\n"
              "QVGetMeasureName(\"QUERY1\", 1) = \"UNITS\"\n"
              "QVGetMeasure(0) = \"REVENUE\"\n"
              "QVGetMeasure(1) = \"UNITS\"\n"
              "QVGetMeasureDesc(1) = \"\"\n"
              "QVIsMeasureDimension(\"QUERY1\", 0, 0) = 1\n"
              "QVIsMeasureDimension(\"QUERY1\", 1, 0) = 0\n"
              "QVGetDimensionName(\"QUERY1\", 1, 0) = \"TIME\"\n"
              "QVGetDimensionDesc(\"QUERY1\", 1, 0) = \"Time\"\n"
              "QVIsMeasureDimension(\"QUERY1\", 2, 0) = 0\n"
              "QVGetDimensionName(\"QUERY1\", 2, 0) = \"PRODUCT\"\n"
              "QVGetDimensionDesc(\"QUERY1\", 2, 0) = \"Product\"\n"
              "QVIsMeasureDimension(\"QUERY1\", 2, 1) = 0\n"
              "QVGetDimensionName(\"QUERY1\", 2, 1) = \"REGION\"\n"
              "QVGetDimensionDesc(\"QUERY1\", 2, 1) = \"\"\n"
              "QVExecute(\"row w 16 <obj(data, 'REVENUE') obj(data, 'UNITS') obj(data, 'TIME') "
              "obj(data, 'PRODUCT') obj(data, 'REGION')>\") = "
              "\"DECIMAL         INTEGER         DATE            TEXT            ID              \"\n");
}

// The measure dimension between two others on edge 0 is skipped; an empty
// edge 2 contributes nothing.
TEST_F(ColumnDescriptorsTest, MeasureDimensionBetweenTwoOthersIsSkipped) {
    makeQuery({{"REVENUE", "SALES"}});
    place("PRODUCT", 0, 0);
    place("REGION", 0, 2);
    ASSERT_EQ(std::string(QVGetDimensionName(query.c_str(), 0, 1)), "MEASURE");
    qvStandinClearLog();
    databases({"SALES.DB"});
    ASSERT_EQ(describeColumns(session), kOk);

    EXPECT_EQ(session->dimensionCount, 3);
    EXPECT_EQ(table(*session),
              "0 m1 c0 type=4 prec=38 scale=127 size=0 rsv=0,0 name=\"Revenue\"\n"
              "1 m0 c0 type=16 prec=0 scale=0 size=499 rsv=0,0 name=\"Product\"\n"
              "2 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_Product\"\n"
              "3 m0 c0 type=16 prec=0 scale=0 size=11 rsv=0,0 name=\"\"\n"
              "4 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_\"\n"
              "5 m0 c0 type=64 prec=38 scale=0 size=0 rsv=0,0 name=\"Time\"\n"
              "6 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_Time\"\n");
    EXPECT_EQ(logOf({"QVGetDimEdgeCount", "QVGetDimensionName", "QVExecute"}),
              "QVGetDimEdgeCount(\"QUERY1\", 0) = 3\n"
              "QVGetDimEdgeCount(\"QUERY1\", 1) = 1\n"
              "QVGetDimEdgeCount(\"QUERY1\", 2) = 0\n"
              "QVGetDimensionName(\"QUERY1\", 0, 0) = \"PRODUCT\"\n"
              "QVGetDimensionName(\"QUERY1\", 0, 2) = \"REGION\"\n"
              "QVGetDimensionName(\"QUERY1\", 1, 0) = \"TIME\"\n"
              "QVExecute(\"row w 16 <obj(data, 'REVENUE') obj(data, 'PRODUCT') obj(data, 'REGION') "
              "obj(data, 'TIME')>\") = "
              "\"DECIMAL         TEXT            ID              DATE            \"\n");
}

// The output definition reaches the session's text in its stored form, after
// what the text held; a backslash in a value arrives doubled.
TEST_F(ColumnDescriptorsTest, DefinitionIsEncodedForTheHost) {
    makeQuery({{"REVENUE", "SALES"}});
    databases({"SALES.DB"});
    addText("E0Dim0Script", "limit X to 'a\\b'");
    ASSERT_TRUE(session->definitionText.appendText("kept"));
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(std::string(session->definitionText.text()),
              "keptDB0=SALES.DB\\\nE0Dim0Script=limit X to 'a\\\\b'\\\n");
}

// ---------------------------------------------------------------------------
// Names and measure lists
// ---------------------------------------------------------------------------

// Runs of the same database index share one measure list; a measure that its
// database's list lacks gets an empty name in a block of its own.
TEST_F(ColumnDescriptorsTest, MeasureListsPerRunOfDatabaseIndex) {
    makeQuery({{"REVENUE", "SALES"}, {"UNITS", "SALES"}, {"FC", "PLAN"}, {"BEST", "SALES"}});
    // BEST is said to be in PLAN, whose list does not hold it.
    databases({"C:\\qv\\SALES.DB", "PLAN.DB"}, {0, 0, 1, 1});
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(logOf({"QVGetMeasures"}),
              "QVGetMeasures(\"SALES\") = 3\n"
              "QVGetMeasures(\"PLAN\") = 1\n");
    ASSERT_EQ(session->measureCount, 4);
    EXPECT_STREQ(session->columnRecords[0].name, "Revenue");
    EXPECT_STREQ(session->columnRecords[1].name, "UNITS");
    EXPECT_STREQ(session->columnRecords[2].name, "Forecast");
    ASSERT_NE(session->columnRecords[3].name, nullptr);
    EXPECT_STREQ(session->columnRecords[3].name, "");
    EXPECT_EQ(session->columnRecords[3].isMeasure, 1);
}

// The index changes back and forth: one list per run, not per database.
TEST_F(ColumnDescriptorsTest, ReturningToADatabaseFetchesItsListAgain) {
    makeQuery({{"REVENUE", "SALES"}, {"FC", "PLAN"}, {"UNITS", "SALES"}});
    databases({"SALES.DB", "PLAN.DB"}, {0, 1, 0});
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(logOf({"QVGetMeasures"}),
              "QVGetMeasures(\"SALES\") = 3\n"
              "QVGetMeasures(\"PLAN\") = 1\n"
              "QVGetMeasures(\"SALES\") = 3\n");
}

// A first measure of index -1 fetches no list and stays unnamed; a later -1
// asks for the database of the missing record "DB-1": the empty name.
TEST_F(ColumnDescriptorsTest, DatabaseIndexMinusOne) {
    makeQuery({{"REVENUE", "SALES"}, {"UNITS", "SALES"}, {"FC", "PLAN"}});
    databases({"SALES.DB", "PLAN.DB"}, {-1, 0, -1});
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(logOf({"QVGetMeasures", "QVGetMeasure", "QVGetMeasureDesc"}),
              "QVGetMeasures(\"SALES\") = 3\n"
              "QVGetMeasure(0) = \"REVENUE\"\n"
              "QVGetMeasure(1) = \"UNITS\"\n"
              "QVGetMeasureDesc(1) = \"\"\n"
              "QVGetMeasures(\"\") = 0\n");
    EXPECT_EQ(firstLines(entries(*session), 3), "REVENUE \"\" 0x4\nUNITS \"UNITS\" 0x1\nFC \"\" 0x2\n");
    EXPECT_STREQ(session->columnRecords[0].name, "");
    EXPECT_STREQ(session->columnRecords[2].name, "");
}

// Without "M%dDB" records (one database) every measure is in DB0; without
// "DB0" the list of the empty name is asked for.
TEST_F(ColumnDescriptorsTest, MissingRecordsReadAsIndexZeroAndEmptyName) {
    makeQuery({{"REVENUE", "SALES"}, {"UNITS", "SALES"}});
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(logOf({"QVGetMeasures", "QVGetMeasure"}), "QVGetMeasures(\"\") = 0\n");
    EXPECT_EQ(firstLines(table(*session), 2),
              "0 m1 c0 type=4 prec=38 scale=127 size=0 rsv=0,0 name=\"\"\n"
              "1 m1 c0 type=1 prec=38 scale=0 size=12 rsv=0,0 name=\"\"\n");
}

// A database file name far beyond a path buffer reaches QVGetMeasures whole,
// as its stem.
TEST_F(ColumnDescriptorsTest, DatabaseNameIsCarriedWhole) {
    makeQuery({{"REVENUE", "SALES"}});
    std::string stem(600, 'L');
    databases({("C:\\very\\deep\\" + stem + ".DB").c_str()});
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(logOf({"QVGetMeasures"}), "QVGetMeasures(\"" + stem + "\") = 0\n");
}

// ---------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------

TEST(LookupTypeFlags, WholeWordsByteForByte) {
    const std::pair<const char *, uint32_t> cases[] = {
        {"INTEGER", 0x1}, {"SHORTINTEGER", 0x2}, {"DECIMAL", 0x4}, {"SHORT", 0x8},
        {"DATE", 0x40}, {"TEXT", 0x10}, {"ID", 0x80}, {"BOOLEAN", 0x20},
        {"integer", 0x800}, {"Text", 0x800}, {"TEXTS", 0x800}, {"IDS", 0x800},
        {"TEXT ", 0x800}, {" ID", 0x800}, {"SHORT INTEGER", 0x800}, {"", 0x800}, {"NA", 0x800},
    };
    for (const auto &c : cases)
        EXPECT_EQ(lookupTypeFlags(c.first), c.second) << "\"" << c.first << "\"";
}

// Every type word gives its attributes; one command types them all.
TEST_F(ColumnDescriptorsTest, AttributesOfEveryTypeWord) {
    makeQuery({{"MTEXT", "TYPES"}, {"MID", "TYPES"}, {"MSHORT", "TYPES"}, {"MDEC", "TYPES"},
               {"MINT", "TYPES"}, {"MSINT", "TYPES"}, {"MDATE", "TYPES"}, {"MBOOL", "TYPES"}});
    databases({"TYPES.DB"});
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(table(*session),
              "0 m1 c0 type=16 prec=0 scale=0 size=499 rsv=0,0 name=\"MTEXT\"\n"
              "1 m1 c0 type=16 prec=0 scale=0 size=11 rsv=0,0 name=\"MID\"\n"
              "2 m1 c0 type=8 prec=38 scale=127 size=0 rsv=0,0 name=\"MSHORT\"\n"
              "3 m1 c0 type=4 prec=38 scale=127 size=0 rsv=0,0 name=\"MDEC\"\n"
              "4 m1 c0 type=1 prec=38 scale=0 size=12 rsv=0,0 name=\"MINT\"\n"
              "5 m1 c0 type=1 prec=38 scale=0 size=12 rsv=0,0 name=\"MSINT\"\n"
              "6 m1 c0 type=64 prec=38 scale=0 size=0 rsv=0,0 name=\"MDATE\"\n"
              "7 m1 c0 type=32 prec=38 scale=0 size=4 rsv=0,0 name=\"MBOOL\"\n"
              "8 m0 c0 type=16 prec=0 scale=0 size=11 rsv=0,0 name=\"Key\"\n"
              "9 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_Key\"\n");
    EXPECT_EQ(executes(), 1);
}

// A word in lower case (a relation to KEY) costs exactly one more command,
// and that command's whole output types the entry. A relation to ODD, whose
// type prints "DATE extra", costs one more too and stays untyped.
TEST_F(ColumnDescriptorsTest, WordNotInTheTableIsAskedOnce) {
    makeQuery({{"MREL", "TYPES"}, {"MODD", "TYPES"}, {"MINT", "TYPES"}});
    databases({"TYPES.DB"});
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(logOf({"QVExecute"}),
              "QVExecute(\"row w 16 <obj(data, 'MREL') obj(data, 'MODD') obj(data, 'MINT') "
              "obj(data, 'KEY')>\") = "
              "\"key             ODD             INTEGER         ID              \"\n"
              "QVExecute(\"row w 16 <obj(data, 'key')>\") = \"ID              \"\n"
              "QVExecute(\"row w 16 <obj(data, 'ODD')>\") = \"DATE extra      \"\n");
    EXPECT_EQ(entries(*session),
              "MREL \"MREL\" 0x80\n"
              "MODD \"MODD\" 0x800\n"
              "MINT \"MINT\" 0x1\n"
              "KEY \"Key\" 0x80\n");
    EXPECT_EQ(firstLines(table(*session), 2),
              "0 m1 c0 type=16 prec=0 scale=0 size=11 rsv=0,0 name=\"MREL\"\n"
              "1 m1 c0 type=0 prec=0 scale=0 size=0 rsv=0,0 name=\"MODD\"\n");
}

// Digits, underscores and blanks end a word; extra words are ignored. The
// one cell "DATE7BOOLEAN_TEXT ID" types four entries.
TEST_F(ColumnDescriptorsTest, DigitsUnderscoresAndBlanksEndAWord) {
    makeQuery({{"MWORDS", "TYPES"}, {"MINT", "TYPES"}, {"MTEXT", "TYPES"}, {"MDEC", "TYPES"}});
    databases({"TYPES.DB"});
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(entries(*session),
              "MWORDS \"MWORDS\" 0x40\n"
              "MINT \"MINT\" 0x20\n"
              "MTEXT \"MTEXT\" 0x10\n"
              "MDEC \"MDEC\" 0x80\n"
              "KEY \"Key\" 0x1\n");
    EXPECT_EQ(executes(), 1);
}

// When the words run out the remaining entries keep 0x800 and their records
// are all zero but for names and positions.
TEST_F(ColumnDescriptorsTest, MissingWordsLeaveZeroedRecords) {
    makeQuery({{"MNONE", "TYPES"}, {"MINT", "TYPES"}});
    databases({"TYPES.DB"});
    ASSERT_EQ(describeColumns(session), kOk);
    // MNONE prints an empty cell: its word is MINT's, MINT takes KEY's.
    EXPECT_EQ(entries(*session),
              "MNONE \"MNONE\" 0x1\n"
              "MINT \"MINT\" 0x80\n"
              "KEY \"Key\" 0x800\n");
    EXPECT_EQ(table(*session),
              "0 m1 c0 type=1 prec=38 scale=0 size=12 rsv=0,0 name=\"MNONE\"\n"
              "1 m1 c0 type=16 prec=0 scale=0 size=11 rsv=0,0 name=\"MINT\"\n"
              "2 m0 c0 type=0 prec=0 scale=0 size=0 rsv=0,0 name=\"Key\"\n"
              "3 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_Key\"\n");
}

TEST_F(ColumnDescriptorsTest, NoOutputLeavesEveryEntryUntyped) {
    makeQuery({{"REVENUE", "SALES"}});
    databases({"SALES.DB"});
    ASSERT_EQ(qvStandinFailNext("QVExecute", 1), 1);
    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(table(*session),
              "0 m1 c0 type=0 prec=0 scale=0 size=0 rsv=0,0 name=\"Revenue\"\n"
              "1 m0 c0 type=0 prec=0 scale=0 size=0 rsv=0,0 name=\"Time\"\n"
              "2 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_Time\"\n"
              "3 m0 c0 type=0 prec=0 scale=0 size=0 rsv=0,0 name=\"Product\"\n"
              "4 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_Product\"\n"
              "5 m0 c0 type=0 prec=0 scale=0 size=0 rsv=0,0 name=\"\"\n"
              "6 m0 c1 type=1 prec=38 scale=0 size=0 rsv=0,0 name=\"s_\"\n");
    EXPECT_EQ(executes(), 1);
}

// ---------------------------------------------------------------------------
// The column list block and the record limit
// ---------------------------------------------------------------------------

TEST_F(ColumnDescriptorsTest, ListHoldsItsCountInFrontOfTheFirstEntry) {
    makeQuery({{"REVENUE", "SALES"}, {"UNITS", "SALES"}});
    databases({"SALES.DB"});
    ASSERT_EQ(collectColumns(session), kOk);
    int32_t stored = 0;
    memcpy(&stored, reinterpret_cast<const char *>(session->columnList) - 4, 4);
    EXPECT_EQ(stored, 5);
    EXPECT_EQ(session->columnRecords, nullptr);
    releaseColumnList(session);
    EXPECT_EQ(session->columnList, nullptr);
    EXPECT_EQ(session->entryCount, 0);
}

TEST_F(ColumnDescriptorsTest, ReleaseColumnNamesStopsAtTheGivenRecord) {
    makeQuery({{"REVENUE", "SALES"}});
    databases({"SALES.DB"});
    ASSERT_EQ(describeColumns(session), kOk);
    long live = memLiveBlocks();
    releaseColumnNames(session, -1);
    EXPECT_EQ(memLiveBlocks(), live);
    releaseColumnNames(session, 2);
    EXPECT_EQ(memLiveBlocks(), live - 3);
    EXPECT_EQ(session->columnRecords[2].name, nullptr);
    EXPECT_STREQ(session->columnRecords[3].name, "Product");
    releaseColumnNames(session, 1000);  // never beyond the array
    EXPECT_EQ(memLiveBlocks(), live - 7);
}

// A model whose one database has `dimensions` dimensions and one measure.
std::string wideModel(int dimensions) {
    std::string dims;
    for (int d = 0; d < dimensions; ++d)
        dims += std::string(d ? "," : "") + "{\"name\": \"D" + std::to_string(d) +
                "\", \"description\": \"D" + std::to_string(d) + "\"}";
    return "{\"databases\": [{\"name\": \"WIDE\", \"path\": \"C:\\\\qv\\\\WIDE.DB\", \"dimensions\": [" +
           dims + "], \"measures\": [{\"name\": \"M\", \"description\": \"m\"}]}]}";
}

// 1 + 2 x 127 = 255 records are described, the last at position 254.
TEST_F(ColumnDescriptorsTest, TwoHundredFiftyFiveRecordsAreDescribed) {
    openServer(wideModel(127).c_str());
    makeQuery({{"M", "WIDE"}});
    databases({"WIDE.DB"});
    ASSERT_EQ(describeColumns(session), kOk);
    ASSERT_EQ(session->columnRecordCount, 255);
    EXPECT_EQ(session->columnRecords[254].position, 254);
    EXPECT_STREQ(session->columnRecords[254].name, "s_D126");
}

// 1 + 2 x 128 = 257 records cannot travel in a byte: 3003, nothing built.
TEST_F(ColumnDescriptorsTest, MoreThanTwoHundredFiftyFiveRecordsAreRefused) {
    openServer(wideModel(128).c_str());
    makeQuery({{"M", "WIDE"}});
    databases({"WIDE.DB"});
    ASSERT_EQ(collectColumns(session), kOk);
    long live = memLiveBlocks();
    EXPECT_EQ(buildColumnRecords(session), kOutOfMemory);
    EXPECT_EQ(session->columnRecords, nullptr);
    EXPECT_EQ(session->columnRecordCount, 0);
    EXPECT_EQ(memLiveBlocks(), live);
}

// ---------------------------------------------------------------------------
// Out of memory
// ---------------------------------------------------------------------------

// The array and each of the eight name blocks in turn: 3003, no array, the
// names made so far freed.
TEST_F(ColumnDescriptorsTest, OutOfMemoryAtTheArrayAndEachName) {
    makeQuery({{"REVENUE", "SALES"}, {"UNITS", "SALES"}});
    databases({"SALES.DB"});
    ASSERT_EQ(collectColumns(session), kOk);
    long live = memLiveBlocks();
    for (long k = 1; k <= 9; ++k) {
        memFailAt(k);
        EXPECT_EQ(buildColumnRecords(session), kOutOfMemory) << k;
        memFailAt(0);
        EXPECT_EQ(session->columnRecords, nullptr) << k;
        EXPECT_EQ(session->columnRecordCount, 0) << k;
        EXPECT_EQ(memLiveBlocks(), live) << k;
    }
    memFailAt(10);
    EXPECT_EQ(buildColumnRecords(session), kOk);
    memFailAt(0);
    EXPECT_EQ(memLiveBlocks(), live + 9);
}

// The column list itself: 3003 before any server command.
TEST_F(ColumnDescriptorsTest, OutOfMemoryAtTheColumnList) {
    makeQuery({{"REVENUE", "SALES"}});
    databases({"SALES.DB"});
    memFailAt(1);
    EXPECT_EQ(describeColumns(session), kOutOfMemory);
    memFailAt(0);
    EXPECT_EQ(session->columnList, nullptr);
    EXPECT_EQ(session->columnRecords, nullptr);
    EXPECT_EQ(executes(), 0);
}

// Every allocation of describeColumns in turn: 3003 with no array left with
// the session, until it succeeds; the session frees the rest (the fixture
// checks that nothing leaks).
TEST_F(ColumnDescriptorsTest, OutOfMemoryAnywhere) {
    makeQuery({{"REVENUE", "SALES"}, {"BEST", "SALES"}});
    databases({"SALES.DB"});
    long k = 1;
    for (;; ++k) {
        session->queryName.clear();  // the query stays for the next round
        delete session;
        session = new QuerySession();
        ASSERT_TRUE(session->queryName.appendText(query.c_str()));
        session->measureCount = 2;
        session->outputDefinition = memNew<QueryDefinition>();
        ASSERT_TRUE(session->outputDefinition->addText("DB0", "SALES.DB"));
        memFailAt(k);
        ResultCode result = describeColumns(session);
        memFailAt(0);
        if (result == kOk)
            break;
        EXPECT_EQ(result, kOutOfMemory) << k;
        EXPECT_EQ(session->columnRecords, nullptr) << k;
        EXPECT_EQ(session->columnRecordCount, 0) << k;
        EXPECT_TRUE(session->definitionText.empty()) << k;
        ASSERT_LT(k, 200);
    }
    EXPECT_GT(k, 12);
    EXPECT_EQ(session->columnRecordCount, 8);
}

// ---------------------------------------------------------------------------
// The demo
// ---------------------------------------------------------------------------

// The demo server's wizard plan: SALES, MARGIN.PCT (a custom measure stored
// in SALES) and FC.SALES; PRODUCT on edge 1; TIME beside the measure
// dimension on edge 0. One server command types every column.
TEST_F(ColumnDescriptorsTest, DemoSalesQuery) {
    qvStandinReset();
    int16_t handle = qvStandinOpenServer(CBQ_SOURCE_DIR "/demo/servers/sales.json");
    ASSERT_GT(handle, 0) << qvStandinLastError();
    ASSERT_EQ(QVConnectHandle(handle), 1);
    QVSetOption("DefaultAttachMode", "RO");  // as the edit sets it
    query = QVCreateQuery();
    ASSERT_EQ(QVStartWizard(query.c_str(), 0), 1) << qvStandinLogText();
    ASSERT_TRUE(session->queryName.appendText(query.c_str()));
    session->measureCount = QVGetMeasureCount(query.c_str());
    databases({"SALES.DB", "FORECAST.DB"}, {0, 0, 1});
    qvStandinClearLog();

    ASSERT_EQ(describeColumns(session), kOk);
    EXPECT_EQ(entries(*session),
              "SALES \"Sales revenue\" 0x4\n"
              "MARGIN.PCT \"Gross margin in percent of sales\" 0x4\n"
              "FC.SALES \"Forecast revenue\" 0x4\n"
              "TIME \"Fiscal period\" 0x40\n"
              "PRODUCT \"Product\" 0x10\n"
              "REGION \"Sales region\" 0x80\n"
              "CHANNEL \"Sales channel\" 0x10\n"
              "SCENARIO \"Planning scenario\" 0x10\n");
    EXPECT_EQ(session->columnRecordCount, 13);
    EXPECT_EQ(executes(), 1);
    EXPECT_EQ(logOf({"QVGetMeasures"}),
              "QVGetMeasures(\"SALES\") = 8\n"
              "QVGetMeasures(\"FORECAST\") = 3\n");
    EXPECT_EQ(qvStandinLogCount(), 45) << qvStandinLogText();
}

}  // namespace
