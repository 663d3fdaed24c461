#include "tests/connection/dialog_fixture.h"

#include <string.h>

#include "connection/connect_string.h"
#include "connection/connection_directories.h"
#include "connection/dialog_state.h"
#include "connection/last_selection.h"
#include "connection/select_server.h"
#include "connection/server_connection.h"
#include "connection/server_list.h"
#include "host/memory.h"
#include "platform/platform.h"
#include "platform/registry_writer.h"

namespace {

Outcome *current = nullptr;

void noteLine(void *, const char *line) { current->notes.push_back(line); }

void observeModel(DialogModel &model, void *context) {
    const Step *step = static_cast<const Step *>(context);
    if (step->hook)
        step->hook();
    else
        current->seen.push_back(described(model));
}

int32_t helpCall(uint32_t context, int32_t topic) {
    current->help.push_back(std::to_string(context) + "/" + std::to_string(topic));
    return 0;
}

// The script of steps; the texts stay in steps.
std::vector<DialogAction> actions(const std::vector<Step> &steps) {
    std::vector<DialogAction> list;
    for (const Step &s : steps)
        list.push_back(DialogAction{s.kind, s.control, s.text.c_str(),
                                    s.kind == kActionObserve ? observeModel : nullptr,
                                    const_cast<Step *>(&s)});
    return list;
}

}  // namespace

Step choose(const std::string &description) { return Step{kActionChoose, 0, description, nullptr}; }
Step type(int control, const std::string &text) { return Step{kActionType, control, text, nullptr}; }
Step press(int control) { return Step{kActionPress, control, "", nullptr}; }
Step observe() { return Step{kActionObserve, 0, "", nullptr}; }
Step meanwhile(std::function<void()> hook) { return Step{kActionObserve, 0, "", std::move(hook)}; }

std::string described(DialogModel &model) {
    char text[1024];
    model.describe(text, sizeof text);
    return text;
}

void DialogTest::SetUp() {
    ConnectionTest::SetUp();
    platformRegistryDeleteKey(kLastSelectionKey);
}

void DialogTest::TearDown() {
    useDialogScript(nullptr);
    platformRegistryDeleteKey(kLastSelectionKey);
    ConnectionTest::TearDown();
}

void DialogTest::home(const std::string &directory) {
    tree.file("home\\olap\\zcf901\\qconnect.ini",
              iniText({{"General", {"ConnectionPath=" + tree.path(directory)}}}));
    tree.dir("conn");
    setEnvironment("TARSIK_HOME", tree.path("home").c_str());
}

void DialogTest::server(const std::string &name, const std::string &description,
                        const std::vector<std::string> &quorvel, const std::vector<std::string> &sollary) {
    std::vector<std::string> lines = {"ServerType=1", "ServerDescription=" + description};
    lines.insert(lines.end(), quorvel.begin(), quorvel.end());
    std::vector<std::pair<std::string, std::vector<std::string>>> sections = {{"Quorvel", lines}};
    if (!sollary.empty())
        sections.push_back({"Sollary", sollary});
    tree.file("conn\\" + name, iniText(sections));
}

Outcome DialogTest::select(const std::vector<Step> &steps, long failAt) {
    Outcome outcome;
    current = &outcome;
    std::vector<DialogAction> list = actions(steps);
    DialogScript script = {list.data(), list.size(), noteLine, nullptr};
    useDialogScript(&script);
    ServerConnection *connection = memNew<ServerConnection>();
    connection->helpContext = 77;
    connection->helpFunction = helpCall;
    std::vector<char> connectString(kConnectStringSize, 'x'), path(264, 'x');
    memFailAt(failAt);
    outcome.result = selectServer(connection, connectString.data(), path.data());
    memFailAt(0);
    memDelete(connection);
    useDialogScript(nullptr);
    outcome.connectString = connectString[0] == 'x' ? "(untouched)" : connectString.data();
    outcome.path = path[0] == 'x' ? "(untouched)" : path.data();
    current = nullptr;
    return outcome;
}

Outcome DialogTest::dialogAfter(const std::function<void()> &prepare, const std::vector<Step> &steps, int *left) {
    Outcome outcome;
    current = &outcome;
    std::vector<DialogAction> list = actions(steps);
    DialogScript script = {list.data(), list.size(), noteLine, nullptr};
    ServerConnection connection;
    EXPECT_EQ(loadConnectionDirectories(&connectionDirectories), 0);
    EXPECT_EQ(buildServerList(&connection, &connectionDirectories), 0);
    prepare();
    Credentials credentials = {};
    dialogState.credentials = &credentials;
    dialogState.compact = 0;
    outcome.result = static_cast<ResultCode>(runModelDialog(&connection, &script));
    *left = entryCount(&connection);
    dialogState.credentials = nullptr;
    current = nullptr;
    return outcome;
}

std::string DialogTest::remembered() {
    char buffer[600];
    return platformRegistryRead(kLastSelectionKey, kLastSelectionValue, buffer, sizeof buffer) ? buffer
                                                                                               : "(missing)";
}

void DialogTest::remember(const std::string &path) {
    ASSERT_TRUE(platformRegistryWriteText(kLastSelectionKey, kLastSelectionValue, path.c_str()));
}
