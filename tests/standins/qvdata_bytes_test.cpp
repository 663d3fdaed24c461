// Models whose texts stand for bytes ("byteTexts"): names and scripts in a
// double-byte character set reach the library functions byte for byte.
#include "tests/standins/qvdata_test_support.h"

namespace qvtest {
namespace {

// The GBK names SALES (CF FA CA DB), REVENUE (CA D5 C8 EB), TIME (CA B1 BC
// E4), and a name whose second character's second byte is a backslash.
const char kGbkModel[] = R"json({
  "byteTexts": true,
  "databases": [
    {"name": "\u00cf\u00fa\u00ca\u00db", "path": "C:\\qv\\\u00cf\u00fa\u00ca\u00db.DB",
     "dimensions": [{"name": "\u00ca\u00b1\u00bc\u00e4", "description": "\u00ca\u00b1"}],
     "measures": [{"name": "\u00ca\u00d5\u00c8\u00eb"}]},
    {"name": "A\u00b1\\", "path": "/qv/A.DB"}
  ]
})json";

TEST(ByteTextsTest, TextsAreTheirCharactersAsBytes) {
    qvStandinReset();
    int16_t handle = qvStandinOpenServerText(kGbkModel);
    ASSERT_GT(handle, 0) << qvStandinLastError();
    ASSERT_EQ(QVConnectHandle(handle), 1);
    EXPECT_EQ(QVDatabaseAttach("\xCF\xFA\xCA\xDB.DB"), 1);
    EXPECT_EQ(QVDatabaseAttach("A\xB1\\"), 1);
    EXPECT_STREQ(QVGetDatabase(0, 1), "C:\\qv\\\xCF\xFA\xCA\xDB.DB");
    std::string q = QVCreateQuery();
    EXPECT_EQ(QVAddMeasure(q.c_str(), "\xCA\xD5\xC8\xEB", "\xCF\xFA\xCA\xDB"), 1);
    EXPECT_EQ(QVCreateCube(q.c_str()), 1);
    EXPECT_EQ(edgeNames(q, 1), (Names{"\xCA\xB1\xBC\xE4"}));
    EXPECT_STREQ(QVGetDimensionDesc(q.c_str(), 1, 0), "\xCA\xB1");
    qvStandinReset();
}

TEST(ByteTextsTest, OnlyCharactersUpToFFAndDoubleByteNames) {
    qvStandinReset();
    EXPECT_EQ(qvStandinOpenServerText(R"({"byteTexts": true, "title": "\u0100"})"), 0);
    EXPECT_STREQ(qvStandinLastError(),
                 "model text: byteTexts: the text \"\xC4\x80\" holds a character above U+00FF");
    // The flag is a flag; a lone lead byte at the end of a name is no
    // character.
    EXPECT_EQ(qvStandinOpenServerText(R"({"byteTexts": "yes"})"), 0);
    EXPECT_STREQ(qvStandinLastError(), "model text: model: \"byteTexts\" must be true or false");
    EXPECT_EQ(qvStandinOpenServerText(
                  R"({"byteTexts": true, "databases": [{"name": "A\u00b1", "path": "a"}]})"),
              0);
    EXPECT_STREQ(qvStandinLastError(),
                 "model text: database: the name \"A\xB1\" may hold only letters, digits and . _ $ #");
    qvStandinReset();
}

// Plans given to a byteTexts server later are byte texts too, and the
// command language takes double-byte characters in names.
TEST(ByteTextsTest, LaterPlansAndCommandsUseTheBytes) {
    qvStandinReset();
    int16_t handle = qvStandinOpenServerText(kGbkModel);
    ASSERT_GT(handle, 0) << qvStandinLastError();
    ASSERT_EQ(qvStandinSetWizardPlans(handle, R"({"steps": [{"addMeasure": "\u00ca\u00d5\u00c8\u00eb",
        "database": "\u00cf\u00fa\u00ca\u00db"}], "result": "finished"})"), 1) << qvStandinLastError();
    ASSERT_EQ(QVConnectHandle(handle), 1);
    std::string q = QVCreateQuery();
    EXPECT_EQ(QVStartWizard(q.c_str(), 0), 1);
    EXPECT_EQ(measureNames(q), (Names{"\xCA\xD5\xC8\xEB"}));
    int32_t ok = 0;
    EXPECT_STREQ(QVExecuteEx("shw obj(property 'LONGLABELFRM' '\xCA\xB1\xBC\xE4')", &ok), "NA");
    EXPECT_EQ(ok, 1);
    EXPECT_STREQ(QVExecuteEx("dsc \xCA\xD5\xC8\xEB", &ok), "\r\nDEFINE \xCA\xD5\xC8\xEB VARIABLE DECIMAL <\xCA\xB1\xBC\xE4>");
    EXPECT_EQ(ok, 1);
    qvStandinReset();
}

}  // namespace
}  // namespace qvtest
