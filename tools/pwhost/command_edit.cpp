// pwhost edit: one cbqEdit as a report designer makes it.
//
//   pwhost --server MODEL.json edit [--definition FILE] [--out FILE]
//          [--connection FILE.qcf] [--wizard PLANS.json] [--domain D] [--user U]
//          [--password P] [--sly-user U] [--sly-password P] [--quorvel-id Q]
//
// The HostConnection holds the simulated server's handle (0 without
// --server, which the data library refuses), the ConnectionSettings read
// from FILE.qcf by the module's own connection-file reader (all zero
// without --connection) and the Credentials from the options (each cut to
// 99 bytes, as the connect dialog's fields are). The definition is the text
// of FILE in a block of pwhost's own (none: a new query). The wizard plays
// the model's next wizard plan, or with --wizard the first of the plans in
// PLANS.json (one plan object or a list, as a model's "wizard" holds them):
// a stored query reopened in a new pwhost meets the model's first plan,
// which was written for a new query, so the reopen names its own.
//
// Prints the result code and its meaning, the changed flag, the measure
// count, the column records as a table and the text the definition pointer
// holds afterwards as records, in `definition show`'s form. --out FILE
// writes that text exactly (nothing when the pointer holds none). What the
// module handed over is freed with cbqFreeMem and cbqFreePWQCOL. With
// --trace the call log follows and its last line counts the calls and the
// server commands. Exit 0 when the edit returns 0, 1 when it fails or an
// input file cannot be read, 2 on a usage error.
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "connection/connection_file.h"
#include "connection/server_connection.h"
#include "host/result_code.h"
#include "host/tsknls.h"
#include "query/query_definition.h"
#include "standins/qvdata/qvdata_standin.h"
#include "text/char_cursor.h"
#include "tools/pwhost/host.h"

namespace {

const char kUsage[] =
    "usage: pwhost --server MODEL.json edit [--definition FILE] [--out FILE] [--connection FILE.qcf]\n"
    "                                       [--wizard PLANS.json] [--domain D] [--user U] [--password P]\n"
    "                                       [--sly-user U] [--sly-password P] [--quorvel-id Q]\n";

// The connection file's settings through the module's own reader.
bool readSettings(const std::string &path, ConnectionSettings *settings) {
    if (fileExists(path.c_str()) == 0)
        return false;
    ServerEntry entry = {};
    ServerAddress address;
    readConnectionFile(path.c_str(), &entry, &address);
    *settings = entry.settings;
    return true;
}

void printColumns(const PWQCOL *columns, int count) {
    printf("columns: %d\n", count);
    if (columns == nullptr || count == 0)
        return;
    std::vector<std::string> names;
    size_t width = 4;
    for (int i = 0; i < count; ++i) {
        const char *name = columns[i].name;
        names.push_back(name == nullptr ? "(none)" : visible(name, strlen(name)));
        if (names.back().size() > width)
            width = names.back().size();
    }
    printf("  position  %-*s  type  precision  scale  size  measure  companion\n", static_cast<int>(width),
           "name");
    for (int i = 0; i < count; ++i) {
        const PWQCOL &c = columns[i];
        printf("  %8u  %-*s  %4u  %9u  %5u  %4ld  %7u  %9u\n", c.position, static_cast<int>(width),
               names[i].c_str(), c.type, c.precision, c.scale, static_cast<long>(c.size), c.isMeasure,
               c.isCompanion);
    }
}

void printDefinition(const char *text) {
    if (text == nullptr) {
        printf("definition: none\n");
        return;
    }
    QueryDefinition definition;
    if (!definition.parseStored(text)) {
        printf("definition: %lu bytes (out of memory reading them)\n", static_cast<unsigned long>(strlen(text)));
        return;
    }
    // Counting walk first, so the heading can say how many follow.
    size_t position = 0;
    QueryDefinition::Record record;
    int count = 0;
    while (definition.nextRecord(&position, &record))
        ++count;
    printf("definition: %lu bytes, %d records\n", static_cast<unsigned long>(strlen(text)), count);
    printRecords(definition);
}

}  // namespace

bool hostConnectionBlocks(const Host &host, const std::vector<std::pair<char *, std::string>> &credentialValues,
                          const std::string &connectionPath, ConnectionSettings *settings) {
    // The module's own routines inside pwhost, initialised for the charset,
    // read the connection file and cut the credentials at a character
    // boundary to 99 bytes, as the connect dialog's fields are.
    cbqInit(nlsOpenLanguage(host.settings.charset.c_str()), nlsGlobalContext(), 0, nullptr);
    for (const auto &c : credentialValues)
        copyChars(c.first, sizeof(Credentials{}.userId), c.second.c_str(), c.second.size());
    *settings = ConnectionSettings{};
    bool settingsRead = connectionPath.empty() || readSettings(connectionPath, settings);
    cbqTerm();
    return settingsRead;
}

int commandEdit(Host &host, const std::vector<std::string> &args) {
    Credentials credentials = {};
    std::vector<std::pair<char *, std::string>> credentialValues;
    std::string definitionPath, outPath, connectionPath, wizardPath;
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::string &option = args[i];
        if (i + 1 >= args.size()) {
            fprintf(stderr, "pwhost edit: %s needs a value\n%s", option.c_str(), kUsage);
            return 2;
        }
        const std::string &value = args[i + 1];
        const struct {
            const char *option;
            std::string *path;
        } paths[] = {{"--definition", &definitionPath},
                     {"--out", &outPath},
                     {"--connection", &connectionPath},
                     {"--wizard", &wizardPath}};
        std::string *path = nullptr;
        for (const auto &p : paths)
            if (option == p.option)
                path = p.path;
        if (path != nullptr) {
            *path = value;
            continue;
        }
        char *field = credentialField(credentials, option);
        if (field == nullptr) {
            fprintf(stderr, "pwhost edit: unknown option %s\n%s", option.c_str(), kUsage);
            return 2;
        }
        credentialValues.emplace_back(field, value);
    }

    ConnectionSettings settings = {};
    if (!hostConnectionBlocks(host, credentialValues, connectionPath, &settings)) {
        fprintf(stderr, "pwhost edit: no connection file %s\n", connectionPath.c_str());
        return 1;
    }
    std::string stored;
    if (!definitionPath.empty() && !readWholeFile(definitionPath, stored)) {
        fprintf(stderr, "pwhost edit: cannot read %s\n", definitionPath.c_str());
        return 1;
    }

    if (!wizardPath.empty()) {
        std::string plans;
        if (!readWholeFile(wizardPath, plans)) {
            fprintf(stderr, "pwhost edit: cannot read %s\n", wizardPath.c_str());
            return 1;
        }
        if (qvStandinSetWizardPlans(host.serverHandle, plans.c_str()) == 0) {
            fprintf(stderr, "pwhost edit: --wizard %s: %s\n", wizardPath.c_str(), qvStandinLastError());
            return 1;
        }
    }

    HostEdit edit(host, definitionPath.empty() ? nullptr : &stored, credentials, settings);
    ResultCode result = edit.run();
    printf("result: %u %s\n", static_cast<unsigned>(result), resultCodeName(result));
    printf("changed: %u\n", edit.changed);
    printf("measures: %u\n", edit.measures);
    printColumns(edit.columns, edit.columnCount);
    printDefinition(edit.definition);

    int status = result == kOk ? 0 : 1;
    if (!outPath.empty() && edit.definition != nullptr) {
        std::ofstream out(outPath, std::ios::binary);
        out.write(edit.definition, static_cast<std::streamsize>(strlen(edit.definition)));
        if (!out) {
            fprintf(stderr, "pwhost edit: cannot write %s\n", outPath.c_str());
            status = 1;
        }
    }
    host.countCalls = true;
    return status;
}

HostEdit::HostEdit(Host &host, const std::string *stored, const Credentials &credentials,
                   const ConnectionSettings &settings)
    : host_(host), credentials_(credentials), settings_(settings) {
    if (stored != nullptr) {
        ownBlock_.assign(stored->begin(), stored->end());
        ownBlock_.push_back('\0');
        definition = ownBlock_.data();
    }
}

HostEdit::~HostEdit() {
    if (definition != nullptr && definition != ownBlock_.data())
        host_.module.freeMem(definition);
    host_.module.freeColumns(columns, columnCount);
}

ResultCode HostEdit::run() {
    HostConnection connection = {0, 0, &credentials_, &settings_, host_.serverHandle};
    return host_.module.edit(&connection, &definition, &changed, &measures, &columns, &columnCount, 0);
}
