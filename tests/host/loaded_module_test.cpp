// The built module, loaded at run time as a host loads it.
#include <gtest/gtest.h>

#include "host/tsknls.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tools/pwhost/host.h"

namespace {

TEST(LoadedModule, ExportsAllEightAndAnnouncesTheHostOnLoad) {
    int32_t callsBefore = qvStandinPagewrightCalls();
    LoadedModule module;
    std::string error;
    ASSERT_TRUE(loadModule("", module, error)) << error;
    EXPECT_EQ(qvStandinPagewrightCalls(), callsBefore + 1);
    EXPECT_EQ(qvStandinPagewrightFlag(), 1);

    uint8_t v[5] = {1, 1, 1, 1, 1};
    module.getVersion(&v[0], &v[1], &v[2], &v[3], &v[4]);
    EXPECT_EQ(v[0], 9);
    EXPECT_EQ(v[1], 0);
    EXPECT_EQ(v[2], 0);
    EXPECT_EQ(v[3], 5);
    EXPECT_EQ(v[4], 0);

    EXPECT_EQ(module.init(nlsOpenLanguage("LATIN1"), nlsGlobalContext(), 0, nullptr), 0);
    EXPECT_EQ(module.setHelp("C:\\help\\pagewright.hlp"), 0);
    EXPECT_EQ(module.freeColumns(nullptr, 0), 1);
    module.freeMem(nullptr);
    EXPECT_EQ(module.term(), 0);
    EXPECT_EQ(module.term(), 0);
    unloadModule(module);
}

TEST(LoadedModule, ReportsAMissingFile) {
    LoadedModule module;
    std::string error;
    EXPECT_FALSE(loadModule(programDirectory() + "no-such-module", module, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(module.library, nullptr);
}

}  // namespace
