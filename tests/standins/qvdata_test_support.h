// Shared by the stand-in's tests: a small server model, and a fixture that
// starts every test from a freshly reset library attached to it.
#ifndef CBQ_TESTS_STANDINS_QVDATA_TEST_SUPPORT_H
#define CBQ_TESTS_STANDINS_QVDATA_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standins/qvdata/qvdata_standin.h"

namespace qvtest {

// Two databases (SHOP is read-only and stores a custom measure), a chain of
// custom measures C1 -> C2 -> C3, saved selections of both types, long
// labels, and a relational source whose file names are case-sensitive.
inline const char *smallModel() {
    return R"json({
  "title": "small test server",
  "naSpelling": "NA",
  "caseSensitiveFileNames": true,
  "databases": [
    {"name": "SALES", "path": "C:\\qv\\SALES.DB",
     "dimensions": [
       {"name": "TIME", "description": "Time", "hierarchy": "FISCAL", "type": "DATE", "longLabel": "Fiscal time"},
       {"name": "PRODUCT", "description": "Product", "hierarchy": "BRAND", "type": "TEXT"}],
     "measures": [
       {"name": "REVENUE", "description": "Revenue", "type": "DECIMAL"},
       {"name": "UNITS", "description": "", "type": "INTEGER", "dimensions": ["TIME"]},
       {"name": "TOPPROD", "description": "Top product", "type": "PRODUCT"}]},
    {"name": "SHOP", "path": "C:\\qv\\SHOP.DB", "readOnly": true,
     "dimensions": [
       {"name": "TIME", "description": "Shop time", "type": "DATE"},
       {"name": "STORE", "description": "Store", "hierarchy": "GEO", "type": "ID"}],
     "measures": [{"name": "VISITS", "description": "Visits", "type": "SHORTINTEGER"}]},
    {"name": "DSCODE", "path": "/srv/sys/DSCODE.db"},
    {"name": "SLY", "path": "/srv/sly/SLY.DB",
     "dimensions": [{"name": "ITEM", "description": "Item", "type": "TEXT"}],
     "measures": [{"name": "QTY", "description": "Quantity", "type": "INTEGER"}]}
  ],
  "customMeasures": [
    {"name": "C1", "description": "First", "formula": "C2 + 1", "refers": ["C2"], "database": "SALES"},
    {"name": "C2", "description": "Second", "formula": "C3 * 2", "refers": ["C3"]},
    {"name": "C3", "description": "Third", "formula": "REVENUE - 1 ", "type": "SHORT"}
  ],
  "savedSelections": [
    {"name": "OUTER", "type": "SCRIPT", "value": ["limit PRODUCT to 'A'", "call QV_SLSEL('SAVED' 'PRODUCT' 'INNER')"]},
    {"name": "INNER", "type": "LIST", "value": ["P1", "P2", "P3"]}
  ],
  "relational": {"codeDatabase": "DSCODE", "dataDatabase": "SLY", "users": {"scott": "tiger"}}
})json";
}

using Names = std::vector<std::string>;

// A query's measure names, and one edge's dimension names.
inline Names measureNames(const std::string &q) {
    Names out;
    for (int i = 0; i < QVGetMeasureCount(q.c_str()); ++i)
        out.push_back(QVGetMeasureName(q.c_str(), i));
    return out;
}

inline Names edgeNames(const std::string &q, int e) {
    Names out;
    for (int i = 0; i < QVGetDimEdgeCount(q.c_str(), e); ++i)
        out.push_back(QVGetDimensionName(q.c_str(), e, i));
    return out;
}

class QvdataTest : public ::testing::Test {
protected:
    void SetUp() override {
        qvStandinReset();
        handle = qvStandinOpenServerText(smallModel());
        ASSERT_GT(handle, 0) << qvStandinLastError();
        ASSERT_EQ(QVConnectHandle(handle), 1);
    }
    void TearDown() override { qvStandinReset(); }

    static std::string exec(const std::string &command) { return QVExecute(command.c_str()); }
    static std::string execEx(const std::string &command, int32_t &ok) {
        ok = -7;
        return QVExecuteEx(command.c_str(), &ok);
    }
    // The attached databases' names in search order.
    static std::vector<std::string> databases() {
        std::vector<std::string> out;
        for (int i = 0; i < QVGetDatabaseCount(); ++i)
            out.push_back(QVGetDatabase(i, 0));
        return out;
    }
    // A query with REVENUE (and so a cube of MEASURE, TIME, PRODUCT).
    static std::string revenueQuery() {
        QVDatabaseAttach("SALES");
        std::string q = QVCreateQuery();
        QVAddMeasure(q.c_str(), "REVENUE", "SALES");
        QVCreateCube(q.c_str());
        return q;
    }
    static Names edge(const std::string &q, int e) { return edgeNames(q, e); }

    int16_t handle = 0;
};

}  // namespace qvtest

#endif
