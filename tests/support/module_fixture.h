// Test support: a module freshly initialised with a character set of the
// national-language stand-in, and allocation accounting.
#ifndef CBQ_TESTS_SUPPORT_MODULE_FIXTURE_H
#define CBQ_TESTS_SUPPORT_MODULE_FIXTURE_H

#include <gtest/gtest.h>

#include "cbq90.h"
#include "host/memory.h"

// Puts the module-wide state back as it is right after loading: no NLS
// handles, terminator size 0, multibyte switch off, no callback, no help path,
// no process-wide connection, no connection directories, no connect dialog
// pointers.
void resetModuleState();

// Sets (null: unsets) a variable of the process environment, where the core
// library's stand-in reads it.
void setEnvironment(const char *name, const char *value);

// Initialises the module with the stand-in's handles for charset (resetting
// it first) and the given option callback.
void initModule(const char *charset, HostCallback callback = nullptr);

// Each test starts from a freshly loaded module initialised for LATIN1 and
// checks that it leaves no block allocated and no fault injection armed.
class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    long liveAtStart_ = 0;
};

// The same on the demo's home (run from the repository's root), without a
// registry; afterwards the data-library stand-in and the connection
// directories are emptied again.
class DemoHomeTest : public ModuleTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

#endif
