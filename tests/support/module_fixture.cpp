#include "tests/support/module_fixture.h"

#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cbq90.h"
#include "connection/connection_directories.h"
#include "connection/dialog_state.h"
#include "host/module_state.h"
#include "host/tsknls.h"
#include "standins/qvdata/qvdata_standin.h"

void setEnvironment(const char *name, const char *value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value);
#else
    if (value == nullptr)
        unsetenv(name);
    else
        setenv(name, value, 1);
#endif
}

void resetModuleState() {
    cbqTerm();
    memFailAt(0);
    connectionDirectories.clear();
    dialogState.reset();
    void *instance = moduleState.instance;
    memset(&moduleState, 0, sizeof moduleState);
    moduleState.instance = instance;
}

void initModule(const char *charset, HostCallback callback) {
    resetModuleState();
    void *language = nlsOpenLanguage(charset);
    ASSERT_NE(language, nullptr) << "the NLS stand-in has no character set " << charset;
    cbqInit(language, nlsGlobalContext(), 0, callback);
}

void ModuleTest::SetUp() {
    initModule("LATIN1");
    liveAtStart_ = memLiveBlocks();
}

void ModuleTest::TearDown() {
    cbqTerm();
    memFailAt(0);
    EXPECT_EQ(memLiveBlocks(), liveAtStart_) << "the test leaves blocks allocated";
}

void DemoHomeTest::SetUp() {
    setEnvironment("TARSIK_HOME", "demo\\home");
    setEnvironment("CBQ_REGISTRY", "build-no-registry");
    ModuleTest::SetUp();
}

void DemoHomeTest::TearDown() {
    qvStandinOverwriteReturnedTexts(0);
    qvStandinReset();
    connectionDirectories.clear();
    ModuleTest::TearDown();
}
