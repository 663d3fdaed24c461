// pwhost's simulated server: --server opens a model in the data-library
// stand-in, --trace prints what the module asked it, and the send command
// lets an author talk to the model directly.
#include <stdio.h>

#include <iostream>
#include <string>

#include "standins/qvdata/qvdata_standin.h"
#include "tools/pwhost/host.h"

namespace {

// Server output uses CR LF; a terminal wants LF.
std::string forTerminal(const char *text) {
    std::string out;
    for (const char *p = text; *p != '\0'; ++p)
        if (!(p[0] == '\r' && p[1] == '\n'))
            out += *p;
    return out;
}

// The commands to send: the arguments, else stdin's lines, where a line
// ending in "-" carries on with the next one.
std::vector<std::string> commandsToSend(const std::vector<std::string> &args) {
    if (!args.empty())
        return args;
    std::vector<std::string> out;
    std::string line, pending;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        pending += line;
        size_t last = pending.find_last_not_of(" \t");
        if (last != std::string::npos && pending[last] == '-') {
            pending += '\n';
            continue;
        }
        if (pending.find_first_not_of(" \t") != std::string::npos)
            out.push_back(pending);
        pending.clear();
    }
    if (!pending.empty())
        out.push_back(pending);
    return out;
}

}  // namespace

bool openServer(Host &host) {
    if (host.settings.serverModel.empty())
        return true;
    host.serverHandle = qvStandinOpenServer(host.settings.serverModel.c_str());
    if (host.serverHandle == 0) {
        fprintf(stderr, "pwhost: --server: %s\n", qvStandinLastError());
        return false;
    }
    return true;
}

void printTrace(const Host &host) {
    if (!host.settings.trace)
        return;
    printf("--- data library calls\n%s", qvStandinLogText());
    if (!host.countCalls)
        return;
    // Notes are indented and host-side events start with "--".
    int calls = 0, commands = 0;
    for (int32_t i = 0; i < qvStandinLogCount(); ++i) {
        std::string entry = qvStandinLogEntry(i);
        if (entry.empty() || entry[0] == ' ' || entry[0] == '-')
            continue;
        ++calls;
        if (entry.compare(0, 10, "QVExecute(") == 0 || entry.compare(0, 12, "QVExecuteEx(") == 0)
            ++commands;
    }
    printf("--- %d calls, %d server commands\n", calls, commands);
}

int commandSend(Host &host, const std::vector<std::string> &args) {
    if (host.serverHandle == 0) {
        fprintf(stderr, "pwhost send: needs --server MODEL.json\n");
        return 2;
    }
    if (QVConnectHandle(host.serverHandle) == 0) {
        fprintf(stderr, "pwhost send: the data library did not attach to the server\n");
        return 1;
    }
    int status = 0;
    for (const std::string &command : commandsToSend(args)) {
        int32_t ok = 0;
        std::string reply = forTerminal(QVExecuteEx(command.c_str(), &ok));
        printf("> %s\n", forTerminal(command.c_str()).c_str());
        if (!reply.empty())
            printf("%s\n", reply.c_str());
        if (ok == 0)
            status = 1;
    }
    QVDisconnect();
    return status;
}
