// Out of memory anywhere in each whole operation a host can start: a new
// query edited on the demo sales server, a stored query reopened there, an
// edit on the demo relational server, and a scripted selection in the
// connect dialog on the demo home. The k-th allocation fails for every k up
// to the operation's own count: each run returns 3003 or succeeds, leaves
// the host's definition pointer and text valid, and leaks nothing.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cbq90.h"
#include "connection/connect_string.h"
#include "connection/connection_directories.h"
#include "connection/connection_file.h"
#include "platform/window_model/dialog_model.h"
#include "connection/select_server.h"
#include "connection/server_connection.h"
#include "host/memory.h"
#include "resources/resource_ids.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tests/support/module_fixture.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {


std::string readFile(const char *path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The wizard leaves a reopened query as it found it.
const char *kNoChange = R"({"name": "no change", "steps": [], "result": "finished"})";

// One run of an operation: its result, and whether what the host holds
// afterwards is sound.
struct Outcome {
    ResultCode result;
    std::string problem;  // empty when the host's outputs are sound
};

class OutOfMemoryTest : public DemoHomeTest {
protected:

    // An edit through cbqEdit as a host makes it: on model with plans, the
    // host's stored text (null: a new query), the settings of connection
    // file qcf (null: none) and the relational login.
    Outcome edit(const char *model, const char *plans, const char *stored, const char *qcf, long failAt) {
        qvStandinReset();
        int16_t handle = qvStandinOpenServer(model);
        if (handle == 0)
            return {9999, qvStandinLastError()};
        if (plans != nullptr)
            qvStandinSetWizardPlans(handle, plans);
        ServerEntry entry;
        memset(&entry, 0, sizeof entry);
        ServerAddress address;
        memset(&address, 0, sizeof address);
        if (qcf != nullptr && !readConnectionFile(qcf, &entry, &address))
            return {9999, "cannot read the connection file"};
        Credentials credentials;
        memset(&credentials, 0, sizeof credentials);
        strcpy(credentials.relationalUserId, "scott");
        strcpy(credentials.relationalPassword, "tiger");
        HostConnection host = {0, 0, &credentials, &entry.settings, handle};

        char *hostBlock = nullptr;
        std::string storedText;
        if (stored != nullptr) {
            storedText = stored;
            hostBlock = static_cast<char *>(malloc(storedText.size() + 1));
            memcpy(hostBlock, storedText.c_str(), storedText.size() + 1);
        }
        char *definition = hostBlock;
        uint8_t changed = 9, measures = 9, columnCount = 9;
        PWQCOL *columns = nullptr;
        memFailAt(failAt);
        ResultCode result = cbqEdit(&host, &definition, &changed, &measures, &columns, &columnCount, 0);
        memFailAt(0);

        Outcome run = {result, ""};
        if (result != 0 && result != 3003)
            run.problem = "result " + std::to_string(result);
        if (definition == hostBlock) {
            if (hostBlock != nullptr && (result != 0 || changed == 0) && storedText != hostBlock)
                run.problem += " the host's text changed without being handed over";
        } else {
            if (result != 0 || definition == nullptr)
                run.problem += " the host's pointer was replaced on a failure";
            cbqFreeMem(definition);
        }
        if (result != 0 && (columns != nullptr || (columnCount != 0 && columnCount != 9)))
            run.problem += " columns handed over on a failure";
        if (result == 0 && columns != nullptr)
            cbqFreePWQCOL(columns, columnCount);
        free(hostBlock);
        cbqTerm();
        return run;
    }

    // cbqSelectServer on the demo home with the dialog driven by a script:
    // the retail server, a relational login, OK.
    Outcome select(long failAt) {
        const DialogAction actions[] = {
            {kActionChoose, 0, "Retail warehouse (Sollary)"},
            {kActionType, IDC_RELATIONAL_USER_ID, "scott"},
            {kActionType, IDC_RELATIONAL_PASSWORD, "tiger"},
            {kActionPress, IDOK, nullptr},
        };
        DialogScript script = {actions, sizeof actions / sizeof actions[0], nullptr, nullptr};
        useDialogScript(&script);
        std::vector<char> connectString(kConnectStringSize, 'x'), path(264, 'x');
        memFailAt(failAt);
        ResultCode result = cbqSelectServer(connectString.data(), path.data(), 0, nullptr);
        memFailAt(0);
        useDialogScript(nullptr);
        connectionDirectories.clear();
        Outcome run = {result, ""};
        if (result != 0 && result != 3003)
            run.problem = "result " + std::to_string(result);
        if (result != 0 && (connectString[0] != 'x' || path[0] != 'x'))
            run.problem += " buffers written on a failure";
        if (result == 0 && strstr(connectString.data(), "scott") == nullptr)
            run.problem += " the connect string lacks the login";
        return run;
    }

    // Every allocation of the operation fails in turn. Prints the figures
    // and returns the number of allocations of a whole run.
    long sweep(const char *name, const std::function<Outcome(long)> &operation) {
        long live = memLiveBlocks();
        long before = memAllocationCount();
        Outcome whole = operation(0);
        long allocations = memAllocationCount() - before;
        EXPECT_EQ(whole.result, 0) << name << ": " << whole.problem;
        EXPECT_EQ(whole.problem, "") << name;
        EXPECT_EQ(memLiveBlocks(), live) << name;
        long runs = 0, failures = 0, leaks = 0;
        for (long k = 1; k <= allocations; ++k) {
            Outcome run = operation(k);
            ++runs;
            if (run.result == 3003)
                ++failures;
            EXPECT_EQ(run.problem, "") << name << ", allocation " << k;
            if (memLiveBlocks() != live) {
                ++leaks;
                ADD_FAILURE() << name << ", allocation " << k << ": "
                              << memLiveBlocks() - live << " blocks leaked";
                live = memLiveBlocks();
            }
        }
        printf("[ figures  ] %s: %ld allocations, %ld runs, %ld gave 3003, %ld leaks\n", name,
               allocations, runs, failures, leaks);
        return allocations;
    }
};

TEST_F(OutOfMemoryTest, NewQueryEdit) {
    long n = sweep("new-query edit", [this](long k) {
        return edit("demo/servers/sales.json", nullptr, nullptr, nullptr, k);
    });
    EXPECT_GT(n, 100);
}

TEST_F(OutOfMemoryTest, Reopen) {
    std::string stored = readFile("demo/definitions/sales-by-region.def");
    ASSERT_FALSE(stored.empty());
    long n = sweep("reopen", [&](long k) {
        return edit("demo/servers/sales.json", kNoChange, stored.c_str(), nullptr, k);
    });
    EXPECT_GT(n, 100);
}

TEST_F(OutOfMemoryTest, RelationalEdit) {
    long n = sweep("relational edit", [this](long k) {
        return edit("demo/servers/retail-sollary.json", nullptr, nullptr,
                    "demo\\home\\connections\\central\\retail.qcf", k);
    });
    EXPECT_GT(n, 100);
}

TEST_F(OutOfMemoryTest, ScriptedSelection) {
    long n = sweep("scripted selection", [this](long k) { return select(k); });
    EXPECT_GT(n, 10);
}

}  // namespace
