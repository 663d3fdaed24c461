// selectServer end to end on the window model: what reaches the host's
// buffers, the failures before the dialog, memory running out at every
// allocation, and (on Windows) a dialog that cannot be created.
#include "connection/select_server.h"

#include <string.h>

#include <string>
#include <vector>

#include "connection/connect_string.h"
#include "connection/connection_directories.h"
#include "connection/dialog_state.h"
#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/module_state.h"
#include "host/result_code.h"
#include "resources/resource_ids.h"
#include "tests/connection/dialog_fixture.h"

namespace {

class SelectServerTest : public DialogTest {};

const char kSalesHead[] = "server=DAEMON|olap-sales@ncacn_ip_tcp:5001[secure]/sl=1/st=1/ct=0/sv=9";

TEST_F(SelectServerTest, ThePathIsTheDirectoryWithOneBackslashAndTheFileName) {
    struct Case {
        const char *directory;  // as qconnect.ini names it, under the tree
    };
    const Case cases[] = {{"conn"}, {"conn\\"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.directory);
        home(c.directory);
        server("Sales.qcf", "Sales", {"ServerLogin=1", "ServerVersion=9",
                                      "ServerString=DAEMON|olap-sales@ncacn_ip_tcp:5001[secure]"});
        Outcome o = select({type(IDC_DOMAIN, "CORP"), type(IDC_USER_ID, "anna"), type(IDC_PASSWORD, "pa/ss word"),
                            press(IDOK)});
        EXPECT_EQ(o.result, kOk);
        EXPECT_EQ(o.path, tree.root() + "\\conn\\Sales.qcf");
        EXPECT_EQ(o.connectString,
                  std::string(kSalesHead) +
                      "/domain=CORP/user=anna/password=pa//ss word/slyuser=/slypassword=/slyquorvelid=/"
                      "slyserverscript=/slyservername=/slyservertype=/slypersonalconfig=0/slyconnecttype=0/"
                      "slymasterdb=/");
        EXPECT_EQ(dialogState.connection, nullptr);
        EXPECT_EQ(dialogState.credentials, nullptr);
        EXPECT_EQ(dialogState.chosenEntry, nullptr);
        connectionDirectories.clear();
    }
}

TEST_F(SelectServerTest, OnlyOkWritesTheBuffers) {
    home();
    server("a.qcf", "Alpha", {"ServerLogin=1"});
    struct Case {
        const char *name;
        std::vector<Step> steps;
        ResultCode result;
    };
    const std::vector<Case> cases = {
        {"Cancel", {press(IDCANCEL)}, kCancelled},
        {"the close box", {Step{kActionClose}}, kCancelled},
        {"no action at all", {}, kCancelled},
        {"OK", {press(IDOK)}, kOk},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Outcome o = select(c.steps);
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.connectString == "(untouched)", c.result != kOk);
        EXPECT_EQ(o.path == "(untouched)", c.result != kOk);
    }
}

TEST_F(SelectServerTest, FailuresBeforeTheDialogReturnAtOnce) {
    struct Case {
        const char *name;
        void (*prepare)(TempTree &);
        ResultCode result;
    };
    const Case cases[] = {
        {"no home directory", [](TempTree &) {}, kNoHomeDirectory},
        {"no version directory",
         [](TempTree &t) {
             t.dir("home\\olap");
             setEnvironment("TARSIK_HOME", t.path("home").c_str());
         },
         kNoVersionDirectory},
        {"no connection index",
         [](TempTree &t) {
             t.dir("home\\olap\\zcf901");
             setEnvironment("TARSIK_HOME", t.path("home").c_str());
         },
         kNoConnectionIndex},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare(tree);
        Outcome o = select({press(IDOK)});
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.seen.size() + o.notes.size(), 0u) << "no dialog";
        EXPECT_EQ(o.connectString, "(untouched)");
    }
}

// The edits take 99 characters; in a double-byte set they may hold more
// than the 99 bytes of a Credentials text. Such a text is not cut (a cut
// password or name is another one): 3003, buffers untouched.
TEST_F(SelectServerTest, ACredentialLongerThanItsFieldIsNotCut) {
    use("GBK");
    home();
    server("a.qcf", "Alpha", {"ServerLogin=1", "ServerString=alpha@tcp:1"});
    std::string twoByte;
    for (int i = 0; i < 50; ++i)
        twoByte += "\xB0\xA1";
    struct Case {
        const char *name;
        std::string text;
        ResultCode result;
        const char *user;
    };
    const Case cases[] = {
        {"49 two-byte characters and one byte: 99 bytes", twoByte.substr(2) + "u", kOk, "/user="},
        {"50 two-byte characters: 100 bytes", twoByte, kOutOfMemory, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Outcome o = select({type(IDC_PASSWORD, "ok"), type(IDC_USER_ID, c.text), press(IDOK)});
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.notes, std::vector<std::string>{});
        if (c.user != nullptr)
            EXPECT_NE(o.connectString.find(c.user + c.text + "/"), std::string::npos);
        else
            EXPECT_EQ(o.connectString + o.path, "(untouched)(untouched)");
        connectionDirectories.clear();
    }
}

// Every allocation of a scripted selection fails in turn: each run gives
// 3003 and leaves nothing allocated, until one gets through and gives 0.
TEST_F(SelectServerTest, OutOfMemoryAnywhereGives3003AndNoLeak) {
    home();
    server("a.qcf", "Alpha", {"ServerLogin=1", "ConnectionType=1"}, {"PromptForQuorvelID=1"});
    server("b.qcf", "bravo", {"ServerLogin=1"});
    const std::vector<Step> steps = {choose("Alpha"), type(IDC_USER_ID, "anna"), type(IDC_QUORVEL_ID, "Q7"),
                                     press(IDOK)};
    long k = 1;
    for (;; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k));
        connectionDirectories.clear();
        long live = memLiveBlocks();
        Outcome o = select(steps, k);
        connectionDirectories.clear();
        EXPECT_EQ(memLiveBlocks(), live);
        if (o.result == kOk) {
            EXPECT_NE(o.connectString.find("/user=anna/"), std::string::npos);
            break;
        }
        ASSERT_EQ(o.result, kOutOfMemory);
        EXPECT_EQ(o.connectString, "(untouched)");
        ASSERT_LT(k, 200);
    }
    EXPECT_GT(k, 5) << "the credentials, directories, entries, model and items all allocate";
}

#ifdef _WIN32
// Without a module whose resources hold template 101 (a test program has
// none), the platform cannot create the dialog: 3003, buffers untouched.
TEST_F(SelectServerTest, ADialogThatCannotBeCreatedGives3003) {
    home();
    server("a.qcf", "Alpha", {"ServerLogin=1"});
    void *saved = moduleState.instance;
    moduleState.instance = nullptr;
    ServerConnection *connection = memNew<ServerConnection>();
    std::vector<char> connectString(kConnectStringSize, 'x'), path(264, 'x');
    EXPECT_EQ(selectServer(connection, connectString.data(), path.data()), kOutOfMemory);
    memDelete(connection);
    moduleState.instance = saved;
    EXPECT_EQ(connectString[0], 'x');
    EXPECT_EQ(path[0], 'x');
}
#endif

}  // namespace
