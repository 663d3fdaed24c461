// A day in one process. The module, loaded and initialised once for GBK as
// the Chinese host runs it, carries out a few thousand mixed operations of a
// host in a fixed pseudo-random order: new queries, reopened ones (unchanged,
// changed, refused), relational edits, a plain edit after a relational one,
// a refused relational login, a cancelled and a failed wizard, scripted
// selections, GBK edits and a GBK relational login. The data library is
// started afresh for each operation, as the host opens a new connection for
// it, and for about half of them overwrites every text it returned at its
// next call; the module keeps its process-wide connection and its connection
// directories all day.
//
// Every repeat of an operation gives the same bytes as its first run (result,
// changed flag, counts, columns, definition text, call log, the dialog's
// lines); after each one the module holds no block beyond its standing state
// (the process-wide connection with the data database its last start-up
// attached, and the connection directories), and none at all once the day is
// over; the process's memory after the first hundred operations stays flat.
// CBQ_SOAK_OPERATIONS gives the number of operations (default 300); the
// figures are printed.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <unistd.h>
#endif

#include "cbq90.h"
#include "connection/connect_string.h"
#include "connection/connection_directories.h"
#include "connection/connection_file.h"
#include "platform/window_model/dialog_model.h"
#include "connection/select_server.h"
#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/module_state.h"
#include "resources/resource_ids.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tests/support/module_fixture.h"
#include "text/string_list.h"

namespace {

const char kNoChange[] = R"({"name": "no change", "steps": [], "result": "finished"})";

// A plain server holding a database of the name that the demo's relational
// start-up attaches.
const char kPlainSlyModel[] = R"json({"title": "plain server with SLYDATA",
  "databases": [{"name": "SLYDATA", "path": "C:\\qv\\SLYDATA.DB",
    "dimensions": [{"name": "STORE"}], "measures": [{"name": "QTY"}]}],
  "wizard": [{"steps": [{"addMeasure": "QTY", "database": "SLYDATA"}]}]})json";

// GBK names, and descriptions holding characters whose second byte is a
// backslash (B1 5C).
const char kGbkModel[] = R"json({"byteTexts": true, "title": "GBK sales server",
  "databases": [{"name": "\u00cf\u00fa\u00ca\u00db", "path": "C:\\qv\\\u00cf\u00fa\u00ca\u00db.DB",
    "dimensions": [{"name": "\u00ca\u00b1\u00bc\u00e4", "description": "\u00ca\u00b1\u00bc\u00e4 (\u00b1\\)"},
                   {"name": "\u00b2\u00fa\u00c6\u00b7", "longLabel": "\u00b2\u00fa\u00c6\u00b7 \u00b1\\"}],
    "measures": [{"name": "\u00ca\u00d5\u00c8\u00eb", "description": "\u00ca\u00d5\u00c8\u00eb \u00b1\\"}]}],
  "wizard": [{"steps": [{"addMeasure": "\u00ca\u00d5\u00c8\u00eb", "database": "\u00cf\u00fa\u00ca\u00db"}]}]})json";

// A relational server whose relational password is GBK: 95 5C 6E, one
// character whose second byte is the backslash code, then n. (The users'
// names are JSON keys, which stay UTF-8.)
const char kGbkRelationalModel[] = R"json({"byteTexts": true, "title": "GBK relational server",
  "databases": [{"name": "DSCODE", "path": "/srv/sys/DSCODE.db", "readOnly": true},
    {"name": "\u00cf\u00fa\u00ca\u00db", "path": "/srv/sly/\u00cf\u00fa\u00ca\u00db.DB",
     "dimensions": [{"name": "\u00c7\u00f8\u00d3\u00f2"}], "measures": [{"name": "\u00ca\u00d5\u00c8\u00eb"}]}],
  "relational": {"codeDatabase": "DSCODE", "dataDatabase": "\u00cf\u00fa\u00ca\u00db",
                 "users": {"scott": "\u0095\\n"}},
  "wizard": [{"steps": [{"addMeasure": "\u00ca\u00d5\u00c8\u00eb", "database": "\u00cf\u00fa\u00ca\u00db"}]}]})json";

std::string readFile(const char *path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The host's settings and credentials blocks of one connection.
struct Login {
    ConnectionSettings settings{};
    Credentials credentials{};
};

// The demo's relational server as its connection file describes it, with
// the relational login scott and the given password.
Login retailLogin(const char *password) {
    Login login;
    ServerEntry entry{};
    ServerAddress address{};
    EXPECT_EQ(readConnectionFile("demo\\home\\connections\\central\\retail.qcf", &entry, &address), 1);
    login.settings = entry.settings;
    strcpy(login.credentials.relationalUserId, "scott");
    strcpy(login.credentials.relationalPassword, password);
    return login;
}

// The GBK relational server's settings and its relational login.
Login gbkLogin() {
    Login login;
    login.settings.connectionType = 1;
    strcpy(login.settings.masterDatabase, "/srv/sys/DSCODE.db");
    strcpy(login.settings.serverScript, "DS.STARTUP");
    strcpy(login.credentials.relationalUserId, "scott");
    strcpy(login.credentials.relationalPassword, "\x95\\n");
    return login;
}

// A server opened on a model file or on model text; plans, when given,
// replace its wizard plans.
int16_t openServer(const char *model, const char *plans = nullptr) {
    int16_t handle = model[0] == '{' ? qvStandinOpenServerText(model) : qvStandinOpenServer(model);
    EXPECT_GT(handle, 0) << qvStandinLastError();
    if (plans != nullptr)
        EXPECT_EQ(qvStandinSetWizardPlans(handle, plans), 1) << qvStandinLastError();
    return handle;
}

// One cbqEdit as a host makes it, on the host's own copy of stored (null: a
// new query); what the host got, as text. *handedBack receives the text the
// host's pointer holds afterwards.
std::string edit(int16_t handle, const std::string *stored, Login login = Login(),
                 std::string *handedBack = nullptr) {
    std::vector<char> own;
    char *definition = nullptr;
    if (stored != nullptr) {
        own.assign(stored->begin(), stored->end());
        own.push_back('\0');
        definition = own.data();
    }
    HostConnection host = {0, 0, &login.credentials, &login.settings, handle};
    uint8_t changed = 0xEE, measures = 0xEE, columnCount = 0xEE;
    PWQCOL *columns = nullptr;
    ResultCode result = cbqEdit(&host, &definition, &changed, &measures, &columns, &columnCount, 0);
    std::ostringstream out;
    out << "result " << result << ", changed " << int(changed) << ", measures " << int(measures)
        << ", columns " << int(columnCount) << "\n";
    for (int i = 0; columns != nullptr && i < columnCount; ++i) {
        const PWQCOL &c = columns[i];
        out << "  " << (c.name != nullptr ? c.name : "(null)") << " " << int(c.position) << " " << int(c.type)
            << " " << int(c.precision) << " " << int(c.scale) << " " << c.size << " " << int(c.isMeasure)
            << " " << int(c.isCompanion) << "\n";
    }
    bool kept = stored != nullptr && definition == own.data();
    std::string text = definition != nullptr ? definition : "(null)";
    out << "definition" << (kept ? " (the host's own block)" : "") << ":\n" << text << "\n";
    if (handedBack != nullptr)
        *handedBack = text;
    if (columns != nullptr)
        cbqFreePWQCOL(columns, columnCount);
    if (definition != nullptr && !kept)
        cbqFreeMem(definition);
    return out.str();
}

// A record followed by the data library's call log of the operation (taken
// once the record is complete).
std::string withCalls(const std::string &record) { return record + "calls:\n" + qvStandinLogText(); }

void noteLine(void *context, const char *line) { *static_cast<std::string *>(context) += line + std::string("\n"); }

// cbqSelectServer on the demo home, the dialog driven by actions.
std::string select(const DialogAction *actions, size_t count) {
    std::string notes;
    DialogScript script = {actions, count, noteLine, &notes};
    useDialogScript(&script);
    std::vector<char> connectString(kConnectStringSize, 'x'), path(264, 'x');
    connectString.back() = path.back() = 0;
    ResultCode result = cbqSelectServer(connectString.data(), path.data(), 0, nullptr);
    useDialogScript(nullptr);
    return "result " + std::to_string(result) + "\nconnect string: " + connectString.data() + "\npath: " +
           path.data() + "\ndialog:\n" + notes;
}

struct Demo {
    std::string salesByRegion, costByChannel, returnsByRegion, retailByItem, finishPlan;
};
const Demo *demo = nullptr;

// The operations of the day. Each starts the data library afresh.
std::string newQuery() { return withCalls(edit(openServer("demo/servers/sales.json"), nullptr)); }

std::string reopenUnchanged() {
    return withCalls(edit(openServer("demo/servers/sales.json", kNoChange), &demo->salesByRegion));
}

std::string reopenWithAChange() {
    return withCalls(edit(openServer("demo/servers/sales.json"), &demo->costByChannel));
}

std::string reopenRefused() {
    return withCalls(edit(openServer("demo/servers/sales.json", kNoChange), &demo->returnsByRegion));
}

std::string relationalNewQuery() {
    return withCalls(edit(openServer("demo/servers/retail-sollary.json"), nullptr, retailLogin("tiger")));
}

std::string relationalReopen() {
    return withCalls(edit(openServer("demo/servers/retail-sollary.json", demo->finishPlan.c_str()), &demo->retailByItem,
                retailLogin("tiger")));
}

// A query saved on a plain server, a relational edit, then the plain
// server's query reopened: its database of the relational one's name is
// attached as stored.
std::string plainEditAfterRelational() {
    int16_t plain = openServer(kPlainSlyModel);
    int16_t retail = openServer("demo/servers/retail-sollary.json");
    std::string saved;
    std::string out = edit(plain, nullptr, Login(), &saved);
    out += edit(retail, nullptr, retailLogin("tiger"));
    qvStandinSetWizardPlans(plain, kNoChange);
    out += edit(plain, &saved);
    return withCalls(out);
}

std::string refusedLogin() {
    return withCalls(edit(openServer("demo/servers/retail-sollary.json"), nullptr, retailLogin("lion")));
}

std::string cancelledWizard() {
    return withCalls(edit(openServer("demo/servers/sales.json",
                           R"({"steps": [], "result": "cancelled"})"),
                &demo->salesByRegion));
}

std::string failedWizard() {
    return withCalls(edit(openServer("demo/servers/sales.json", R"({"result": "failed"})"), nullptr));
}

std::string retailSelection() {
    const DialogAction actions[] = {
        {kActionChoose, 0, "Retail warehouse (Sollary)"},
        {kActionType, IDC_RELATIONAL_USER_ID, "scott"},
        {kActionType, IDC_RELATIONAL_PASSWORD, "tiger"},
        {kActionPress, IDOK, nullptr},
    };
    return select(actions, sizeof actions / sizeof actions[0]);
}

std::string cancelledSelection() {
    const DialogAction actions[] = {
        {kActionChoose, 0, "Sales and forecast (central)"},
        {kActionType, IDC_USER_ID, "\xD5\xC5\xC8\xFD"},
        {kActionPress, IDCANCEL, nullptr},
    };
    return select(actions, sizeof actions / sizeof actions[0]);
}

std::string gbkEditAndReopen() {
    int16_t handle = openServer(kGbkModel);
    std::string saved;
    std::string out = edit(handle, nullptr, Login(), &saved);
    qvStandinSetWizardPlans(handle, kNoChange);
    out += edit(handle, &saved);
    return withCalls(out);
}

std::string gbkRelationalLogin() {
    return withCalls(edit(openServer(kGbkRelationalModel), nullptr, gbkLogin()));
}

struct Operation {
    const char *name;
    std::string (*run)();
    const char *results;  // the "result" lines of a run, joined by blanks
};

const Operation kOperations[] = {
    {"new query", newQuery, "0"},
    {"reopen unchanged", reopenUnchanged, "0"},
    {"reopen with a change", reopenWithAChange, "0"},
    {"reopen refused", reopenRefused, "3010"},
    {"relational new query", relationalNewQuery, "0"},
    {"relational reopen", relationalReopen, "0"},
    {"plain edit after a relational one", plainEditAfterRelational, "0 0 0"},
    {"refused relational login", refusedLogin, "2017"},
    {"cancelled wizard", cancelledWizard, "3004"},
    {"failed wizard", failedWizard, "3002"},
    {"scripted selection", retailSelection, "0"},
    {"cancelled selection", cancelledSelection, "3004"},
    {"GBK edit and reopen", gbkEditAndReopen, "0 0"},
    {"GBK relational login", gbkRelationalLogin, "0"},
};
const int kOperationCount = sizeof kOperations / sizeof kOperations[0];

// The numbers of a record's lines that start with "result ", joined by
// blanks.
std::string resultsOf(const std::string &record) {
    std::string out;
    std::istringstream lines(record);
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, 7, "result ") == 0)
            out += (out.empty() ? "" : " ") + line.substr(7, line.find(',') - 7);
    return out;
}

// The blocks the module keeps between operations by design: the
// process-wide connection object and the name of the data database it
// holds (one block when not empty), and the list of connection directories,
// counted by building an equal list.
long standingBlocks() {
    long blocks = 0;
    if (moduleState.processConnection != nullptr)
        blocks += 1 + (moduleState.processConnection->relationalDatabase.length() > 0 ? 1 : 0);
    long before = memLiveBlocks();
    StringList twin;
    for (int32_t i = 0; i < connectionDirectories.count(); ++i)
        twin.append(connectionDirectories.item(i)->text());
    return blocks + memLiveBlocks() - before;
}

// The process's memory: the resident set on Linux, the private bytes on
// Windows.
size_t processMemory() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PagefileUsage;
#else
    unsigned long size = 0, resident = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return 0;
    if (fscanf(statm, "%lu %lu", &size, &resident) != 2)
        resident = 0;
    fclose(statm);
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

// How far the memory may rise after the first hundred operations: the
// allocators' own slack, far below what a leak per operation adds up to in
// a long run. AddressSanitizer holds freed blocks back in its quarantine,
// so that there the figures are printed but not judged.
const size_t kMemorySlack = 512 * 1024;
#if defined(__SANITIZE_ADDRESS__)
const bool kMemoryJudged = false;
#else
const bool kMemoryJudged = true;
#endif

class SoakTest : public DemoHomeTest {};

TEST_F(SoakTest, ADayOfMixedOperationsInOneLoadedModule) {
    const char *length = getenv("CBQ_SOAK_OPERATIONS");
    const long operations = length != nullptr && atol(length) > 0 ? atol(length) : 300;
    Demo files = {readFile("demo/definitions/sales-by-region.def"),
                  readFile("demo/definitions/cost-by-channel.def"),
                  readFile("demo/definitions/returns-by-region.def"),
                  readFile("demo/definitions/retail-by-item.def"),
                  readFile("demo/servers/wizard-finish.json")};
    ASSERT_FALSE(files.salesByRegion.empty() || files.retailByItem.empty() || files.finishPlan.empty());
    demo = &files;
    initModule("GBK");

    std::map<int, std::string> first;
    long differences = 0, strayBlocks = 0;
    size_t memoryAtStart = processMemory(), memoryAfter100 = memoryAtStart;
    uint32_t seed = 20;
    for (long n = 0; n < operations; ++n) {
        seed = seed * 1103515245u + 12345u;
        int kind = static_cast<int>((seed >> 16) % kOperationCount);
        qvStandinOverwriteReturnedTexts((seed >> 8) & 1);
        qvStandinReset();
        std::string record = kOperations[kind].run();

        auto known = first.find(kind);
        if (known == first.end()) {
            first[kind] = record;
            EXPECT_EQ(resultsOf(record), kOperations[kind].results) << kOperations[kind].name << ":\n" << record;
        } else if (record != known->second && ++differences <= 3) {
            ADD_FAILURE() << kOperations[kind].name << ", operation " << n << ", differs from its first run:\n"
                          << record << "\nfirst run:\n" << known->second;
        }
        long stray = memLiveBlocks() - liveAtStart_ - standingBlocks();
        if (stray != 0 && ++strayBlocks <= 3)
            ADD_FAILURE() << kOperations[kind].name << ", operation " << n << ": " << stray
                          << " blocks beyond the standing state";
        if (n + 1 == 100)
            memoryAfter100 = processMemory();
    }
    size_t memoryAtEnd = processMemory();
    cbqTerm();
    connectionDirectories.clear();
    long liveAtEnd = memLiveBlocks() - liveAtStart_;

    if (operations >= 100)
        EXPECT_EQ(static_cast<int>(first.size()), kOperationCount) << "every kind of operation ran";
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(strayBlocks, 0);
    EXPECT_EQ(liveAtEnd, 0);
    if (kMemoryJudged && operations > 100)
        EXPECT_LE(memoryAtEnd, memoryAfter100 + kMemorySlack) << "memory grows after the first 100 operations";
    printf("[ figures  ] soak: %ld operations of %d kinds, %ld differences, %ld with blocks beyond the standing "
           "state, %ld live blocks at the end; memory %zu KiB at the start, %zu KiB after 100, %zu KiB at the end\n",
           operations, static_cast<int>(first.size()), differences, strayBlocks, liveAtEnd, memoryAtStart / 1024,
           memoryAfter100 / 1024, memoryAtEnd / 1024);
    demo = nullptr;
}

}  // namespace
