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
// The refused record is found in the data library's call log of that edit:
// the rebuild's calls come after the query is created and before the
// wizard, in the order of the stored records, and the first of them that the
// server refused stopped the rebuild. Walking the stored records as the
// rebuild does and matching them to its calls names the record.
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
#include "query/query_definition.h"
#include "standins/qvdata/qvdata_standin.h"
#include "text/growable_text.h"
#include "tools/pwhost/host.h"

namespace {

const char kNoChangePlan[] = R"({"name": "reopened and finished without a change", "steps": [], "result": "finished"})";

// One call of the log: its function, its arguments (texts unquoted,
// numbers as written) and its result as written.
struct Call {
    std::string function;
    std::vector<std::string> args;
    std::string result;
};

// Reads a quoted text of the log (C escapes) starting at p; false when it
// is not one.
bool readQuoted(const std::string &s, size_t &p, std::string &out) {
    if (p >= s.size() || s[p] != '"')
        return false;
    out.clear();
    for (++p; p < s.size(); ++p) {
        char c = s[p];
        if (c == '"') {
            ++p;
            return true;
        }
        if (c != '\\' || p + 1 >= s.size()) {
            out += c;
            continue;
        }
        char e = s[++p];
        switch (e) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'x':
            if (p + 2 < s.size()) {
                out += static_cast<char>(strtol(s.substr(p + 1, 2).c_str(), nullptr, 16));
                p += 2;
            }
            break;
        default: out += e;
        }
    }
    return false;
}

// A call entry "F(ARG, ARG) = RESULT" (or without a result); false for notes,
// host-side events and anything else.
bool parseCall(const std::string &entry, Call &call) {
    size_t open = entry.find('(');
    if (entry.compare(0, 2, "QV") != 0 || open == std::string::npos)
        return false;
    call.function = entry.substr(0, open);
    call.args.clear();
    call.result.clear();
    size_t p = open + 1;
    while (p < entry.size() && entry[p] != ')') {
        std::string arg;
        if (entry[p] == '"') {
            if (!readQuoted(entry, p, arg))
                return false;
        } else {
            size_t end = entry.find_first_of(",)", p);
            if (end == std::string::npos)
                return false;
            arg = entry.substr(p, end - p);
            p = end;
        }
        call.args.push_back(arg);
        if (entry.compare(p, 2, ", ") == 0)
            p += 2;
    }
    if (entry.compare(p, 4, ") = ") == 0)
        call.result = entry.substr(p + 4);
    return true;
}

// A record's value; false when the definition has no such record.
bool lookUp(const QueryDefinition &definition, const std::string &name, std::string &out) {
    GrowableText value;
    bool found = definition.findText(name.c_str(), &value) == QueryDefinition::kFound;
    out.assign(value.text(), value.length());
    value.release();
    return found;
}

std::string text(const QueryDefinition &definition, const std::string &name) {
    std::string out;
    lookUp(definition, name, out);
    return out;
}

int number(const QueryDefinition &definition, const std::string &name) {
    int32_t n = 0;
    definition.findNumber(name.c_str(), &n);
    return n;
}

std::string dimensionRecord(int e, int k) {
    return "E" + std::to_string(e) + "Dim" + std::to_string(k) + "Name";
}

// The stored record behind the rebuild's call that the server refused, as
// "KIND NAME=VALUE"; "" when the edit from log entry `start` on shows no
// such refusal.
std::string refusedRecord(const QueryDefinition &definition, int32_t start) {
    std::vector<Call> calls;  // the rebuild's calls
    bool inRebuild = false;
    for (int32_t i = start; i < qvStandinLogCount(); ++i) {
        Call call;
        if (!parseCall(qvStandinLogEntry(i), call))
            continue;
        if (call.function == "QVStartWizard")
            break;
        if (call.function == "QVCreateQuery") {
            inRebuild = true;
            continue;
        }
        if (inRebuild)
            calls.push_back(call);
    }
    // The refused call and how many calls of its function came before it.
    const Call *refused = nullptr;
    for (const Call &call : calls) {
        bool watched = call.function == "QVDatabaseAttach" || call.function == "QVAddMeasure" ||
                       call.function == "QVSetDimensionEdge" || call.function == "QVSetScript";
        if (watched && call.result == "0") {
            refused = &call;
            break;
        }
    }
    if (refused == nullptr)
        return "";
    std::vector<const Call *> same;
    for (const Call &call : calls) {
        if (&call == refused)
            break;
        if (call.function == refused->function)
            same.push_back(&call);
    }
    const size_t before = same.size();
    same.push_back(refused);

    std::string record, kind;
    if (refused->function == "QVDatabaseAttach") {
        // Records equal to the relational data database were skipped
        // without a call; every other one was attached in turn. Skipped
        // records exist, so the walk need not go beyond the records there
        // are and the calls made, whatever "DBCount" says.
        size_t records = 0, position = 0;
        QueryDefinition::Record r;
        while (definition.nextRecord(&position, &r))
            ++records;
        const long long limit = static_cast<long long>(records + same.size());
        size_t next = 0;
        for (int n = 0; n < number(definition, "DBCount") && n <= limit && record.empty(); ++n) {
            std::string name = "DB" + std::to_string(n);
            if (next < same.size() && !same[next]->args.empty() && same[next]->args[0] == text(definition, name)) {
                if (next == before)
                    record = name;
                ++next;
            }
        }
        kind = "database";
    } else if (refused->function == "QVAddMeasure") {
        record = "Measure" + std::to_string(before);
        kind = "measure";
    } else {
        // Placement makes one call per dimension, two for an edge-0
        // dimension that first moves the only edge-1 dimension to edge 2;
        // scripts one per dimension.
        bool placing = refused->function == "QVSetDimensionEdge";
        size_t next = 0;
        for (int e = 0; e <= 2 && record.empty(); ++e) {
            for (int k = 0; k < number(definition, "E" + std::to_string(e) + "Count") && record.empty(); ++k) {
                if (placing && e == 0 && next < same.size() && same[next]->args.size() > 2 &&
                    same[next]->args[2] == "2") {
                    if (next == before)
                        record = dimensionRecord(e, k);
                    ++next;
                }
                if (record.empty() && next == before)
                    record = dimensionRecord(e, k);
                ++next;
            }
        }
        kind = "dimension";
    }
    if (record.empty())
        return "";
    std::string value = text(definition, record);
    return kind + " " + record + "=" + visible(value.data(), value.size());
}

// The names of the records of `now` that `stored` lacks or holds otherwise.
std::string changedRecords(const std::string &stored, const char *now) {
    QueryDefinition before, after;
    if (!before.parseStored(stored.c_str()) || !after.parseStored(now))
        return "(out of memory)";
    std::string out;
    size_t position = 0;
    QueryDefinition::Record record;
    while (after.nextRecord(&position, &record)) {
        std::string name(record.name, record.nameLength);
        std::string was;
        if (lookUp(before, name, was) && was == text(after, name))
            continue;
        out += (out.empty() ? "" : ", ") + visible(name.data(), name.size());
    }
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
        int32_t logStart = qvStandinLogCount();
        // The host's own block, which stays the host's.
        std::vector<char> ownBlock(stored.begin(), stored.end());
        ownBlock.push_back('\0');
        char *definition = ownBlock.data();
        // Fresh blocks for each file: the relational start-up rewrites the
        // server script in the host's settings.
        Credentials credentials = baseCredentials;
        ConnectionSettings settings = baseSettings;
        HostConnection connection = {0, 0, &credentials, &settings, host.serverHandle};
        uint8_t changed = 0, measures = 0, columnCount = 0;
        PWQCOL *columns = nullptr;
        ResultCode result = host.module.edit(&connection, &definition, &changed, &measures, &columns,
                                             &columnCount, 0);
        if (result == kOk && changed == 0) {
            printf("%s: reopens unchanged\n", path.c_str());
        } else if (result == kOk) {
            printf("%s: reopens changed: %s\n", path.c_str(),
                   changedRecords(stored, definition != nullptr ? definition : "").c_str());
            status = 1;
        } else {
            QueryDefinition parsed;
            std::string record;
            if (parsed.parseStored(stored.c_str()))
                record = refusedRecord(parsed, logStart);
            printf("%s: %u %s%s%s\n", path.c_str(), static_cast<unsigned>(result), resultCodeName(result),
                   record.empty() ? "" : ": ", record.c_str());
            status = 1;
        }
        if (definition != nullptr && definition != ownBlock.data())
            host.module.freeMem(definition);
        host.module.freeColumns(columns, columnCount);
    }
    host.countCalls = true;
    return status;
}
