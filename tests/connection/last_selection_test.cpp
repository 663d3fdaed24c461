// The remembered selection in the registry: the Linux store of each test, or
// the Wine prefix's registry.
#include "connection/last_selection.h"

#include <stdlib.h>
#include <string.h>

#include <string>

#include "connection/server_connection.h"
#include "platform/platform.h"
#include "platform/registry_writer.h"
#include "tests/connection/connection_fixture.h"

namespace {

const char kParentKey[] = "SOFTWARE\\Tarsik\\olap";

class LastSelectionTest : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        platformRegistryDeleteKey(kLastSelectionKey);
    }
    void TearDown() override {
        platformRegistryDeleteKey(kLastSelectionKey);
        platformRegistryDeleteValue(kParentKey, kLastSelectionValue);
        ConnectionTest::TearDown();
    }

    std::string stored(const char *key = kLastSelectionKey) {
        char buffer[600];
        return platformRegistryRead(key, kLastSelectionValue, buffer, sizeof buffer) ? buffer : "(missing)";
    }

    ServerConnection connection;
};

TEST_F(LastSelectionTest, ReadsTheRememberedPath) {
    strcpy(connection.chosenPath, "old");
    readLastSelection(&connection);
    EXPECT_STREQ(connection.chosenPath, "") << "no key";
    ASSERT_TRUE(platformRegistryWriteText(kLastSelectionKey, "Other", "x"));
    strcpy(connection.chosenPath, "old");
    readLastSelection(&connection);
    EXPECT_STREQ(connection.chosenPath, "") << "no value";
    ASSERT_TRUE(platformRegistryWriteText(kLastSelectionKey, kLastSelectionValue, "C:\\conn\\Sales.qcf"));
    readLastSelection(&connection);
    EXPECT_STREQ(connection.chosenPath, "C:\\conn\\Sales.qcf");
}

TEST_F(LastSelectionTest, APathOfMoreThan261BytesIsNotUsed) {
    std::string fits = "C:\\" + std::string(258, 'p');
    ASSERT_TRUE(platformRegistryWriteText(kLastSelectionKey, kLastSelectionValue, fits.c_str()));
    readLastSelection(&connection);
    EXPECT_EQ(std::string(connection.chosenPath), fits);
    ASSERT_TRUE(platformRegistryWriteText(kLastSelectionKey, kLastSelectionValue, (fits + "p").c_str()));
    readLastSelection(&connection);
    EXPECT_STREQ(connection.chosenPath, "");
}

TEST_F(LastSelectionTest, ForgettingDeletesTheValueWhereItIsRead) {
    ASSERT_TRUE(platformRegistryWriteText(kLastSelectionKey, kLastSelectionValue, "C:\\conn\\gone.qcf"));
    ASSERT_TRUE(platformRegistryWriteText(kLastSelectionKey, "Other", "kept"));
    ASSERT_TRUE(platformRegistryWriteText(kParentKey, kLastSelectionValue, "not ours"));
    readLastSelection(&connection);
    forgetLastSelection(&connection);
    EXPECT_STREQ(connection.chosenPath, "");
    EXPECT_EQ(stored(), "(missing)");
    readLastSelection(&connection);
    EXPECT_STREQ(connection.chosenPath, "") << "a forgotten path is not offered again";
    char other[16];
    ASSERT_TRUE(platformRegistryRead(kLastSelectionKey, "Other", other, sizeof other));
    EXPECT_STREQ(other, "kept");
    EXPECT_EQ(stored(kParentKey), "not ours");
}

TEST_F(LastSelectionTest, ForgettingNothingStillEmptiesTheChosenPath) {
    strcpy(connection.chosenPath, "C:\\conn\\a.qcf");
    forgetLastSelection(&connection);
    EXPECT_STREQ(connection.chosenPath, "");
    EXPECT_EQ(stored(), "(missing)");
}

// A value that another program wrote (reg.exe under Wine, a store file
// written by hand on Linux), read and then forgotten. Run by CTest with the
// expected text in the environment; skipped otherwise.
TEST(LastSelectionWrittenElsewhere, IsReadAndForgotten) {
    const char *expected = getenv("CBQ_TEST_LAST_QCF");
    if (expected == nullptr)
        GTEST_SKIP() << "run by CTest after the value is written";
    initModule("LATIN1");
    ServerConnection connection;
    readLastSelection(&connection);
    EXPECT_STREQ(connection.chosenPath, expected);
    forgetLastSelection(&connection);
    readLastSelection(&connection);
    EXPECT_STREQ(connection.chosenPath, "");
    resetModuleState();
}

}  // namespace
