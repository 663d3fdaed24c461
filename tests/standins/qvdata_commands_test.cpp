// The simulated server's command language: every form the module sends,
// answered with exact texts, and what unknown objects and bad commands get.
#include "tests/standins/qvdata_test_support.h"

namespace qvtest {
namespace {

struct Exchange {
    const char *command;
    const char *reply;
    int ok;
};

// Sends each command in order through QVExecuteEx and QVExecute's twin and
// checks the reply and the flag.
void expectExchanges(const std::vector<Exchange> &exchanges) {
    for (const Exchange &x : exchanges) {
        int32_t ok = -7;
        std::string reply = QVExecuteEx(x.command, &ok);
        EXPECT_EQ(reply, x.reply) << x.command;
        EXPECT_EQ(ok, x.ok) << x.command;
    }
}

using CommandTest = QvdataTest;

TEST_F(CommandTest, RowPrintsOneTypeWordPerObjectInColumns) {
    expectExchanges({
        {"dtb attach SALES", "", 1},
        {"row w 16 <obj(data, 'REVENUE') obj(data, 'UNITS') obj(data, 'TIME') obj(data, 'NOPE')>",
         "DECIMAL         INTEGER         DATE            NA              ", 1},
        // A relation's type names a dimension; asking about that gives its type.
        {"row w 16 <obj(data, 'TOPPROD')>", "PRODUCT         ", 1},
        {"row w 16 <obj(data, 'PRODUCT')>", "TEXT            ", 1},
        {"row w 16 <obj(data, 'C3') obj(data, 'C2')>", "SHORT           DECIMAL         ", 1},
        // Objects of a database that is not attached do not exist.
        {"row w 16 <obj(data, 'VISITS')>", "NA              ", 1},
        {"row w 4 <'abcd' 'ab' 'abcdefg'>", "abcd ab  abcdefg ", 1},
        {"ROW <'x'>", "x         ", 1},
        {"row w 0 <'x'>", "ERROR: a column width is a number from 1 to 200, not 0", 0},
    });
}

TEST_F(CommandTest, CharlistListsTheNamesInStatusOnePerLine) {
    expectExchanges({
        {"dtb attach SALES", "", 1},
        {"show charlist(name)", "C1\r\nC2\r\nC3\r\nTIME\r\nPRODUCT\r\nREVENUE\r\nUNITS\r\nTOPPROD", 1},
        {"limit name to obj(property 'CUSTMEAS') eq true", "", 1},
        {"show charlist(name)", "C1\r\nC2\r\nC3", 1},
        // NA compares with nothing: objects without the property match neither way.
        {"limit name to obj(property 'CUSTMEAS') ne true", "", 1},
        {"show charlist(name)", "NA", 1},
        {"limit name to obj(type) eq 'DIMENSION'", "", 1},
        {"show charlist(name)", "TIME\r\nPRODUCT", 1},
        {"limit name to 'revenue' 'C2'", "", 1},
        {"show charlist(name)", "REVENUE\r\nC2", 1},
        {"limit name to none", "", 1},
        {"show charlist(name)", "NA", 1},
        {"limit name to all", "", 1},
        {"show charlist(name)", "C1\r\nC2\r\nC3\r\nTIME\r\nPRODUCT\r\nREVENUE\r\nUNITS\r\nTOPPROD", 1},
    });
}

TEST_F(CommandTest, AServerWithoutCustomMeasuresAnswersTheNaSpelling) {
    int16_t other = qvStandinOpenServerText(R"({"naSpelling": "<na>"})");
    ASSERT_GT(other, 0) << qvStandinLastError();
    ASSERT_EQ(QVConnectHandle(other), 1);
    expectExchanges({
        {"limit name to obj(property 'CUSTMEAS') eq true", "", 1},
        {"show charlist(name)", "<na>", 1},
        {"shw naspell", "<na>", 1},
    });
}

TEST_F(CommandTest, ReferencesFormulasDescriptionsAndLongLabels) {
    expectExchanges({
        {"show qv_refs('C1')", "C2", 1},
        {"show qv_refs('c2')", "C3", 1},
        {"show qv_refs('C3')", "NA", 1},
        {"show qv_refs('REVENUE')", "NA", 1},
        {"show qv_refs('NOPE')", "NA", 1},
        {"dsc C1", "\r\nDEFINE C1 FORMULA DECIMAL <TIME PRODUCT>\r\nLD First\r\nEQ C2 + 1", 1},
        {"dsc C2", "\r\nDEFINE C2 FORMULA DECIMAL\r\nLD Second\r\nEQ C3 * 2", 1},
        {"show obj(formula, 'C3')", "REVENUE - 1 ", 1},
        {"show obj(formula, 'REVENUE')", "NA", 1},
        {"dsc REVENUE", "ERROR: REVENUE does not exist in any attached database", 0},
        {"dtb attach SALES", "", 1},
        {"dsc UNITS TIME", "\r\nDEFINE UNITS VARIABLE INTEGER <TIME>\r\n\r\nDEFINE TIME DIMENSION DATE\r\nLD Time", 1},
        {"shw obj(property 'LONGLABELFRM' 'TIME')", "Fiscal time", 1},
        {"shw obj(property 'LONGLABELFRM' 'PRODUCT')", "NA", 1},
        {"shw obj(property 'LONGLABELFRM' 'NOPE')", "NA", 1},
        {"shw obj(type, 'C1')", "FORMULA", 1},
        {"shw obj(ld, 'UNITS')", "NA", 1},
    });
}

TEST_F(CommandTest, SavedSelectionsByTypeAndValue) {
    expectExchanges({
        {"limit QV_SEL TO 'OUTER'", "", 1},
        {"shw QV_SELTYPE", "SCRIPT", 1},
        {"shw QV_SELVALUE", "limit PRODUCT to 'A'\r\ncall QV_SLSEL('SAVED' 'PRODUCT' 'INNER')", 1},
        {"limit QV_SEL TO 'INNER'", "", 1},
        {"shw QV_SELTYPE", "LIST", 1},
        {"shw QV_SELVALUE", "P1\r\nP2\r\nP3", 1},
        // An unknown selection is an error and leaves nothing in status.
        {"limit QV_SEL TO 'NOPE'", "ERROR: 'NOPE' is not a value of QV_SEL", 0},
        {"shw QV_SELTYPE", "NA", 1},
        {"shw QV_SELVALUE", "NA", 1},
    });
}

TEST_F(CommandTest, AttachListsAttachInOrderAndStopAtTheFirstError) {
    int32_t ok;
    EXPECT_EQ(execEx("dtb attach SHOP.DB;dtb attach SALES.DB", ok), "");
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(databases(), (Names{"SALES", "SHOP"}));
    // Attaching the listed databases again in reverse order keeps the order.
    EXPECT_EQ(execEx("dtb attach SHOP.DB;dtb attach SALES.DB", ok), "");
    EXPECT_EQ(databases(), (Names{"SALES", "SHOP"}));
    EXPECT_EQ(execEx("dtb attach SALES.DB LAST", ok), "");
    EXPECT_EQ(databases(), (Names{"SHOP", "SALES"}));
    EXPECT_EQ(exec("dtb list"), "SHOP RO C:\\qv\\SHOP.DB\r\nSALES RO C:\\qv\\SALES.DB");

    qvStandinReset();
    handle = qvStandinOpenServerText(smallModel());
    QVConnectHandle(handle);
    EXPECT_EQ(execEx("dtb attach SALES.DB;dtb attach NOPE.DB;dtb attach SHOP.DB", ok),
              "ERROR: database NOPE.DB does not exist");
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(databases(), Names{"SALES"});
}

TEST_F(CommandTest, FileNamesFollowTheServersCaseRuleAndReadOnlyHolds) {
    expectExchanges({
        {"dtb attach sales.db", "ERROR: database sales.db does not exist", 0},
        {"dtb attach sales", "", 1},
        {"dtb attach C:/qv/SHOP.DB LAST", "", 1},
        {"dtb detach 'C:\\qv\\SHOP.DB'", "", 1},
        {"dtb attach C:\\qv\\SHOP.DB LAST", "", 1},
        {"dtb attach SHOP RW", "ERROR: cannot attach SHOP: database SHOP is read-only", 0},
        {"dtb attach SALES RW", "", 1},
        {"dtb list", "SALES RW C:\\qv\\SALES.DB\r\nSHOP RO C:\\qv\\SHOP.DB", 1},
        {"dtb detach SHOP", "", 1},
        {"dtb detach SHOP", "ERROR: cannot detach SHOP: database is not attached", 0},
        {"dtb attach DSCODE.DB LAST RO", "ERROR: database DSCODE.DB does not exist", 0},
        {"dtb attach DSCODE.db LAST RO", "", 1},
    });
}

TEST_F(CommandTest, VariablesNaSpellingAndPushPop) {
    expectExchanges({
        {"shw naspell", "NA", 1},
        {"qv_otherappdtbs = na", "", 1},
        {"shw qv_otherappdtbs", "NA", 1},
        {"qv_otherappdtbs = 'SALES'", "", 1},
        {"shw QV_OTHERAPPDTBS", "SALES", 1},
        {"push ifcopy;ifcopy=no;shw ifcopy;pop ifcopy;shw ifcopy", "NO\r\nYES", 1},
        {"pop ifcopy", "ERROR: IFCOPY was not pushed", 0},
        {"naspell = 'n/a'", "", 1},
        {"show obj(data, 'NOPE')", "n/a", 1},
        {"nosuch = 1", "ERROR: nosuch does not exist in any attached database", 0},
    });
}

// The relational start-up as the module sends it.
std::string startupCommand(const char *login) {
    return std::string("push ifcopy;ifcopy=no;call DS.STARTUP('QV01',-\n'6',-\n'sales',-\n"
                       "'C:/data/sales.db',-\n'C:/ds/start.prg',-\n'") +
           login + "',-\n'PERSONAL');pop ifcopy";
}

TEST_F(CommandTest, RelationalStartUpMakesTheDataDatabase) {
    expectExchanges({
        {startupCommand("scott\\ntiger\\nORA\\nORACLE\\n").c_str(),
         "ERROR: DS.STARTUP does not exist in any attached database", 0},
        {"show QV_GETSLYDATADB('1')", "ERROR: QV_GETSLYDATADB does not exist in any attached database", 0},
        {"dtb attach DSCODE.db LAST RO", "", 1},
        {"show QV_GETSLYDATADB('1')", "NA", 1},
        {startupCommand("scott\\nwrong\\nORA\\nORACLE\\n").c_str(),
         "ERROR: DS.STARTUP: the relational server refused the login of 'scott'", 0},
        {startupCommand("scott\\ntiger\\nORA\\n").c_str(),
         "ERROR: DS.STARTUP: the login argument must be user\\npassword\\nserver\\ntype\\n", 0},
        {"call DS.STARTUP('a', '6')", "ERROR: DS.STARTUP expects 7 arguments, not 2", 0},
        {"show QV_GETSLYDATADB('1')", "NA", 1},
    });
    EXPECT_EQ(QVDatabaseAttach("SLY.DB"), 0);
    expectExchanges({
        // The failed runs stopped before their "pop ifcopy".
        {"shw ifcopy", "NO", 1},
        {startupCommand("scott\\ntiger\\nORA\\nORACLE\\n").c_str(), "", 1},
        {"show QV_GETSLYDATADB('1')", "SLY.DB", 1},
        {"show QV_GETSLYDATADB('2')", "NA", 1},
    });
    EXPECT_EQ(QVDatabaseAttach("SLY.DB"), 1);
    EXPECT_EQ(databases(), (Names{"DSCODE", "SLY"}));
}

TEST_F(CommandTest, ASuccessfulStartUpRestoresIfcopy) {
    expectExchanges({
        {"dtb attach DSCODE.db LAST RO", "", 1},
        {startupCommand("scott\\ntiger\\nORA\\nORACLE\\n").c_str(), "", 1},
        {"shw ifcopy", "YES", 1},
        {"show QV_GETSLYDATADB('1')", "SLY.DB", 1},
    });
}

TEST_F(CommandTest, UnknownAndMalformedCommandsPrintAnErrorAndClearTheFlag) {
    expectExchanges({
        {"frobnicate", "ERROR: frobnicate is not a command", 0},
        {"show", "ERROR: expected a value at the end of the command", 0},
        {"show 'x", "ERROR: a quoted text is not closed", 0},
        {"show @", "ERROR: unexpected character '@'", 0},
        {"show 'a' 'b'", "ERROR: unexpected at 'b'", 0},
        {"row w 16 <obj(data, 'X')", "ERROR: expected '>' at the end of the command", 0},
        {"limit QV_SEL 'X'", "ERROR: expected TO at 'X'", 0},
        {"limit QV_SEL to", "ERROR: LIMIT needs values or a condition", 0},
        {"limit COLOUR to all", "ERROR: COLOUR is not a dimension", 0},
        {"show obj(colour, 'X')", "ERROR: OBJ has no keyword COLOUR", 0},
        {"show obj(data)", "ERROR: OBJ(DATA) needs the name of an object", 0},
        {"show nosuch", "ERROR: nosuch does not exist in any attached database", 0},
        {"show nosuch('x')", "ERROR: nosuch does not exist in any attached database", 0},
        {"dtb frobnicate", "ERROR: DTB FROBNICATE is not a database command", 0},
        {"dtb attach SALES SIDEWAYS", "ERROR: DTB ATTACH does not take SIDEWAYS", 0},
        {"call NOPROG('x')", "ERROR: NOPROG does not exist in any attached database", 0},
        {"= 3", "ERROR: a command cannot start at =", 0},
        {"dtb attach SALES", "", 1},
        {"limit PRODUCT to 'A'", "ERROR: the simulated server holds no values of dimension PRODUCT", 0},
        {"show REVENUE('x')", "ERROR: REVENUE is not a function", 0},
    });
}

TEST_F(CommandTest, StatementsJoinTheirOutputAndStopAtAnError) {
    expectExchanges({
        {"", "", 1},
        {"shw naspell;shw 'x'", "NA\r\nx", 1},
        {"shw naspell\r\nshw 'x'\nshw 'y'", "NA\r\nx\r\ny", 1},
        {"shw 'a;b'", "a;b", 1},
        {"shw 'a';bogus;shw 'b'", "a\r\nERROR: bogus is not a command", 0},
        {"shw -\n'continued'", "continued", 1},
    });
}

TEST_F(CommandTest, WithoutAServerEveryCommandFails) {
    QVDisconnect();
    int32_t ok;
    EXPECT_EQ(execEx("shw naspell", ok), "ERROR: the data library is not connected to a server");
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(exec("shw naspell"), "ERROR: the data library is not connected to a server");
    EXPECT_STREQ(QVExecuteEx(nullptr, nullptr), "ERROR: the data library is not connected to a server");
}

}  // namespace
}  // namespace qvtest

namespace qvtest {
namespace {

// Every prefix of every command form, cut anywhere: the server answers each,
// and a failure always prints an error.
TEST_F(CommandTest, EveryPrefixOfEveryCommandGetsAnAnswer) {
    const std::string commands[] = {
        "row w 16 <obj(data, 'REVENUE') obj(data, 'TIME')>",
        "limit name to obj(property 'CUSTMEAS') eq true",
        "show charlist(name)",
        "show qv_refs('C1')",
        "dsc C1",
        "show obj(formula, 'C3')",
        "shw obj(property 'LONGLABELFRM' 'TIME')",
        "limit QV_SEL TO 'OUTER'",
        "shw QV_SELVALUE",
        "dtb attach SALES.DB;dtb attach SHOP.DB",
        "qv_otherappdtbs = na",
        "dtb attach DSCODE.db LAST RO",
        "push ifcopy;ifcopy=no;call DS.STARTUP('QV01',-\n'6',-\n'sales',-\n'C:/data/sales.db',-\n"
        "'C:/ds/start.prg',-\n'scott\\ntiger\\nORA\\nORACLE\\n',-\n'PERSONAL');pop ifcopy",
        "show QV_GETSLYDATADB('1')",
    };
    int answered = 0;
    for (const std::string &command : commands)
        for (size_t n = 0; n <= command.size(); ++n) {
            std::string prefix = command.substr(0, n);
            int32_t ok;
            std::string reply = execEx(prefix, ok);
            ASSERT_TRUE(ok == 0 || ok == 1) << prefix;
            if (ok == 0)
                ASSERT_NE(reply.find("ERROR: "), std::string::npos) << prefix;
            ++answered;
        }
    EXPECT_EQ(answered, 521);
}

}  // namespace
}  // namespace qvtest
