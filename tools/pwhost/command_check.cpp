// pwhost check: whether stored queries still reopen on a server.
//
//   pwhost --server MODEL.json check [--connection FILE.qcf] [CREDENTIALS] FILE...
//
// --connection and the credential options (as for edit) give the host's
// side of the connection, which a server with a relational source needs.
// Each FILE is a stored definition text. It is reopened through the module's
// cbqEdit, as a report designer reopens a query, on the simulated server,
// with a wizard that the user finishes at once without a change (each file
// gets such a plan), each on the server freshly opened from its model. One
// line per file:
//
//   FILE: reopens unchanged
//   FILE: reopens changed: NAME, NAME, ...
//       the module handed back a new text although nothing was changed in
//       the wizard: the server answers differently now; the names are the
//       records of the new text that the stored one lacks or holds otherwise
//   FILE: CODE MEANING[: KIND RECORD=VALUE]
//       the edit failed; for a refusal while rebuilding the query the
//       stored record that the server refused: database DB<n>, measure
//       Measure<i> or dimension E<e>Dim<k>Name
//   FILE: cannot be read
//
// The refused record is named by the module's own rebuild, linked into
// pwhost: it runs once more on the server freshly opened from its model, so
// that it meets the answers the edit met, and says which record it stopped
// at. With --trace the log shows that second run too.
//
// Exit 0 when every file reopens unchanged, 1 when any does not, 2 on a
// usage error.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/result_code.h"
#include "connection/server_connection.h"
#include "host/tsknls.h"
#include "query/query_definition.h"
#include "query/query_session.h"
#include "query/rebuild.h"
#include "query/relational_startup.h"
#include "standins/qvdata/qvdata_standin.h"
#include "text/growable_text.h"
#include "tools/pwhost/host.h"

namespace {

const char kNoChangePlan[] = R"({"name": "reopened and finished without a change", "steps": [], "result": "finished"})";

// The stored record that the server refused while the query was rebuilt,
// as "KIND NAME=VALUE"; "" when no single record caused the failure. The
// module's rebuild runs on the server opened afresh, after the relational
// start-up when the settings ask for one, as the edit ran it.
std::string refusedRecord(Host &host, const std::string &stored, Credentials credentials,
                          ConnectionSettings settings) {
    qvStandinCloseServer(host.serverHandle);
    host.serverHandle = qvStandinOpenServer(host.settings.serverModel.c_str());
    if (host.serverHandle == 0)
        return "";
    cbqInit(nlsOpenLanguage(host.settings.charset.c_str()), nlsGlobalContext(), 0, nullptr);
    std::string out;
    {
        ServerConnection connection;
        connection.settings = &settings;
        connection.credentials = &credentials;
        if (QVConnectHandle(host.serverHandle) != 0 &&
            (settings.connectionType != 1 || relationalStartup(&connection) == kOk)) {
            QuerySession session;  // deletes its query when it goes
            session.connection = &connection;
            RebuildFailure failure;
            const char *name = QVCreateQuery();
            if (name[0] != 0 && session.queryName.appendText(name) &&
                rebuildQuery(&session, stored.c_str(), &failure) != kOk &&
                failure.kind != RebuildFailure::kNone && session.inputDefinition != nullptr) {
                static const char *const kKinds[] = {"", "database", "measure", "dimension"};
                QueryDefinition::Record record = {"", 0, "", 0};
                session.inputDefinition->findRecord(failure.record, strlen(failure.record), &record);
                out = std::string(kKinds[failure.kind]) + " " + failure.record + "=" +
                      visible(record.value, record.valueLength);
            }
        }
        QVDisconnect();
    }
    cbqTerm();
    return out;
}

// The names of the records of `now` that `stored` lacks or holds otherwise.
std::string changedRecordNames(const std::string &stored, const char *now) {
    QueryDefinition before, after;
    if (!before.parseStored(stored.c_str()) || !after.parseStored(now))
        return "(out of memory)";
    std::string out;
    for (const RecordChange &change : changedRecords(before, after))
        out += (out.empty() ? "" : ", ") + visible(change.name.data(), change.name.size());
    return out;
}

}  // namespace

int commandCheck(Host &host, const std::vector<std::string> &args) {
    const char kUsage[] = "usage: pwhost --server MODEL.json check [--connection FILE.qcf] [CREDENTIALS] FILE...\n";
    // The host's side of the connection: a server with a relational source
    // needs its connection file's settings and the relational login.
    Credentials baseCredentials = {};
    std::vector<std::pair<char *, std::string>> credentialValues;
    std::string connectionPath;
    size_t first = 0;
    for (; first < args.size() && args[first].compare(0, 2, "--") == 0; first += 2) {
        char *field = credentialField(baseCredentials, args[first]);
        if ((field == nullptr && args[first] != "--connection") || first + 1 >= args.size()) {
            fputs(kUsage, stderr);
            return 2;
        }
        if (field == nullptr)
            connectionPath = args[first + 1];
        else
            credentialValues.emplace_back(field, args[first + 1]);
    }
    const std::vector<std::string> files(args.begin() + static_cast<long>(first), args.end());
    if (files.empty() || host.serverHandle == 0) {
        fputs(kUsage, stderr);
        return 2;
    }
    ConnectionSettings baseSettings = {};
    if (!hostConnectionBlocks(host, credentialValues, connectionPath, &baseSettings)) {
        fprintf(stderr, "pwhost check: no connection file %s\n", connectionPath.c_str());
        return 2;
    }
    int status = 0;
    for (const std::string &path : files) {
        std::string stored;
        if (!readWholeFile(path, stored)) {
            printf("%s: cannot be read\n", path.c_str());
            status = 1;
            continue;
        }
        // Each file on the server as its model describes it: an edit that
        // fails before the wizard leaves its databases attached, which would
        // show up in the next file's query.
        if (&path != &files.front()) {
            qvStandinCloseServer(host.serverHandle);
            host.serverHandle = qvStandinOpenServer(host.settings.serverModel.c_str());
            if (host.serverHandle == 0) {
                fprintf(stderr, "pwhost check: --server: %s\n", qvStandinLastError());
                return 1;
            }
        }
        if (qvStandinSetWizardPlans(host.serverHandle, kNoChangePlan) == 0) {
            fprintf(stderr, "pwhost check: %s\n", qvStandinLastError());
            return 1;
        }
        // Fresh blocks for each file: the relational start-up rewrites the
        // server script in the host's settings.
        HostEdit edit(host, &stored, baseCredentials, baseSettings);
        ResultCode result = edit.run();
        if (result == kOk && edit.changed == 0) {
            printf("%s: reopens unchanged\n", path.c_str());
        } else if (result == kOk) {
            printf("%s: reopens changed: %s\n", path.c_str(),
                   changedRecordNames(stored, edit.definition != nullptr ? edit.definition : "").c_str());
            status = 1;
        } else {
            std::string record;
            if (result >= kRebuildDatabaseRefused && result <= kRebuildPlacementRefused)
                record = refusedRecord(host, stored, baseCredentials, baseSettings);
            printf("%s: %u %s%s%s\n", path.c_str(), static_cast<unsigned>(result), resultCodeName(result),
                   record.empty() ? "" : ": ", record.c_str());
            status = 1;
        }
    }
    host.countCalls = true;
    return status;
}
