// The demo servers: both fixtures load, and the module's road through an
// edit (start-up, wizard, the serialiser's and column builder's questions,
// clean-up) gets the answers the fixtures were written for.
#include "tests/standins/qvdata_test_support.h"

namespace qvtest {
namespace {

std::string demoServer(const char *file) {
#ifdef _WIN32
    return std::string("Z:") + CBQ_SOURCE_DIR + "/demo/servers/" + file;
#else
    return std::string(CBQ_SOURCE_DIR) + "/demo/servers/" + file;
#endif
}

class FixtureTest : public ::testing::Test {
protected:
    void SetUp() override { qvStandinReset(); }
    void TearDown() override { qvStandinReset(); }

    void open(const char *file) {
        int16_t handle = qvStandinOpenServer(demoServer(file).c_str());
        ASSERT_GT(handle, 0) << qvStandinLastError();
        ASSERT_EQ(QVConnectHandle(handle), 1);
    }
    // The session's steps up to the finished wizard.
    std::string createAndRunWizard() {
        std::string q = QVCreateQuery();
        EXPECT_STREQ(QVGetOption("DefaultAttachMode"), "RW");
        QVSetOption("DefaultAttachMode", "RO");
        EXPECT_EQ(QVStartWizard(q.c_str(), 0), 1);
        EXPECT_STREQ(QVExecute("qv_otherappdtbs = na"), "");
        return q;
    }
    // Deletes the query and detaches as the session does; returns the count.
    static int finish(const std::string &q) {
        EXPECT_EQ(QVDeleteQuery(q.c_str()), 1);
        int passes = QVGetDatabaseCount(), detached = 0;
        for (int i = 0; i < passes; ++i) {
            std::string name = QVGetDatabase(0, 0);
            if (name.empty())
                break;
            detached += QVDatabaseDetach(name.c_str()) != 0;
        }
        QVDisconnect();
        return detached;
    }
};

TEST_F(FixtureTest, SalesServerAnswersAnEdit) {
    open("sales.json");
    std::string q = createAndRunWizard();
    EXPECT_STREQ(QVExecute("shw naspell"), "NA");
    EXPECT_EQ(measureNames(q), (Names{"SALES", "MARGIN.PCT", "FC.SALES"}));
    EXPECT_EQ(edgeNames(q, 0), (Names{"MEASURE", "TIME"}));
    EXPECT_EQ(edgeNames(q, 1), Names{"PRODUCT"});
    EXPECT_EQ(edgeNames(q, 2), (Names{"REGION", "CHANNEL", "SCENARIO"}));
    EXPECT_STREQ(QVGetDatabase(0, 1), "C:\\Quorvel\\data\\SALES.DB");
    EXPECT_STREQ(QVGetDatabase(1, 1), "C:\\Quorvel\\data\\FORECAST.DB");
    EXPECT_STREQ(QVGetMeasureDatabase(q.c_str(), 1, 1), "C:\\Quorvel\\data\\SALES.DB");
    EXPECT_STREQ(QVGetMeasureDatabase(q.c_str(), 2, 1), "C:\\Quorvel\\data\\FORECAST.DB");
    EXPECT_STREQ(QVExecute("dtb attach FORECAST.DB;dtb attach SALES.DB"), "");

    // Custom measures: MARGIN.PCT refers to GROSS.MARGIN, which refers on.
    QVExecute("limit name to obj(property 'CUSTMEAS') eq true");
    EXPECT_STREQ(QVExecute("show charlist(name)"), "NET.SALES\r\nGROSS.MARGIN\r\nMARGIN.PCT");
    EXPECT_STREQ(QVExecute("show qv_refs('MARGIN.PCT')"), "GROSS.MARGIN");
    EXPECT_STREQ(QVExecute("show qv_refs('GROSS.MARGIN')"), "NET.SALES");
    EXPECT_STREQ(QVExecute("show qv_refs('SALES')"), "NA");
    EXPECT_STREQ(QVExecute("dsc MARGIN.PCT"),
                 "\r\nDEFINE MARGIN.PCT FORMULA DECIMAL <TIME PRODUCT REGION CHANNEL>\r\n"
                 "LD Gross margin in percent of sales\r\nEQ GROSS.MARGIN / SALES * 100");
    EXPECT_STREQ(QVExecute("show obj(formula, 'MARGIN.PCT')"), "GROSS.MARGIN / SALES * 100");

    // The selection scripts name saved selections, one inside another.
    EXPECT_STREQ(QVGetSelectionScript(q.c_str(), 1, 0),
                 "limit PRODUCT to all\ncall QV_SLSEL('SAVED' 'PRODUCT' 'TOP.PRODUCTS')");
    EXPECT_STREQ(QVGetSelectionSortScript(q.c_str(), 1, 0),
                 "call QV_SLLIMIT('PRODUCT' 'SORTVALS' 'DESCENDING' 'MARGIN.PCT')");
    QVExecute("limit QV_SEL TO 'TOP.PRODUCTS'");
    EXPECT_STREQ(QVExecute("shw QV_SELTYPE"), "SCRIPT");
    EXPECT_STREQ(QVExecute("shw QV_SELVALUE"),
                 "limit PRODUCT to 'P100' 'P200' 'P300'\r\ncall QV_SLSEL('SAVED' 'PRODUCT' 'NEW.PRODUCTS')");
    QVExecute("limit QV_SEL TO 'NEW.PRODUCTS'");
    EXPECT_STREQ(QVExecute("shw QV_SELTYPE"), "LIST");
    EXPECT_STREQ(QVExecute("shw QV_SELVALUE"), "P400\r\nP410\r\nP420");

    EXPECT_STREQ(QVExecute("shw obj(property 'LONGLABELFRM' 'PRODUCT')"), "Product (brand / line / item)");
    EXPECT_STREQ(QVExecute("shw obj(property 'LONGLABELFRM' 'CHANNEL')"), "NA");
    EXPECT_STREQ(QVGetDimensionHierName(q.c_str(), 2, 0), "GEOGRAPHY");

    // Columns: the measures, then the dimensions that are not the measure dimension.
    EXPECT_STREQ(QVExecute("row w 16 <obj(data, 'SALES') obj(data, 'MARGIN.PCT') obj(data, 'FC.SALES') "
                           "obj(data, 'TIME') obj(data, 'PRODUCT') obj(data, 'REGION') "
                           "obj(data, 'CHANNEL') obj(data, 'SCENARIO')>"),
                 "DECIMAL         DECIMAL         DECIMAL         DATE            TEXT            "
                 "ID              TEXT            TEXT            ");
    EXPECT_EQ(QVGetMeasures("SALES"), 8);
    EXPECT_STREQ(QVGetMeasureDesc(7), "Gross margin in percent of sales");
    EXPECT_EQ(finish(q), 2);
}

TEST_F(FixtureTest, RelationalServerStartsItsSourceFirst) {
    open("retail-sollary.json");
    int32_t ok = 0;
    QVExecuteEx("dtb attach DSCODE.DB LAST RO", &ok);
    EXPECT_EQ(ok, 0);  // the server's file names are case-sensitive
    QVExecuteEx("dtb attach DSCODE.db LAST RO", &ok);
    EXPECT_EQ(ok, 1);
    EXPECT_STREQ(QVExecuteEx("push ifcopy;ifcopy=no;call DS.STARTUP('QV01',-\n'6',-\n'retail',-\n"
                             "'/srv/quorvel/retail.db',-\n'/srv/quorvel/start.prg',-\n"
                             "'analyst\\nolap\\nWAREHOUSE\\nORACLE\\n',-\n'GUEST');pop ifcopy",
                             &ok),
                 "");
    EXPECT_EQ(ok, 1);
    std::string data = QVExecuteEx("show QV_GETSLYDATADB('1')", &ok);
    EXPECT_EQ(data, "SLYDATA.DB");
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(QVDatabaseAttach(data.c_str()), 1);

    std::string q = createAndRunWizard();
    EXPECT_STREQ(QVExecute("shw naspell"), "n/a");
    EXPECT_EQ(measureNames(q), (Names{"REVENUE", "QTY", "AVG.TICKET", "ITEM.CODE"}));
    EXPECT_EQ(edgeNames(q, 0), (Names{"DAY", "MEASURE"}));
    EXPECT_EQ(edgeNames(q, 1), (Names{"ITEM", "STORE"}));
    EXPECT_EQ(edgeNames(q, 2), Names{});
    EXPECT_STREQ(QVGetDatabase(0, 1), "/srv/quorvel/sys/DSCODE.db");
    EXPECT_STREQ(QVGetDatabase(1, 1), "/srv/quorvel/sly/SLYDATA.DB");
    EXPECT_STREQ(QVExecute("row w 16 <obj(data, 'ITEM.CODE') obj(data, 'DAY') obj(data, 'ITEM')>"),
                 "ID              DATE            TEXT            ");
    EXPECT_EQ(QVGetMeasures("SLYDATA"), 7);
    EXPECT_STREQ(QVGetMeasureDesc(5), "");  // ITEM.CODE has no description
    EXPECT_EQ(finish(q), 2);
}

}  // namespace
}  // namespace qvtest
