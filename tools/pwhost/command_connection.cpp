// pwhost servers / connect-string: what the connect dialog would offer and
// hand the host, shown before anyone opens it.
//
//   pwhost servers
//       the home directory (TARSIK_HOME), the connection directories found
//       from it and its qconnect.ini, and the server list built from the
//       connection files there, in the order found (the dialog shows the
//       descriptions sorted): each entry's description, full path and
//       parsed address; then the remembered last selection.
//   pwhost connect-string FILE.qcf [--domain D] [--user U] [--password P]
//                         [--sly-user U] [--sly-password P] [--quorvel-id Q]
//       the connect string that the connection file and those credentials
//       give (each credential cut to 99 bytes, as the dialog's fields are).
//   Exit 0; 1 when the module's routines fail (the ResultCode and its name
//   are printed) or the file does not exist; 2 on a usage error.
//
// Both run on the module's own routines, linked into pwhost, initialised
// with --charset's handles and the --option callback; they load no module.
// Files and arguments are byte texts, so the two-zero-terminator set UCS2 is
// refused.
#include <stdio.h>
#include <string.h>

#include <string>

#include "connection/connect_string.h"
#include "connection/connection_directories.h"
#include "connection/connection_file.h"
#include "connection/last_selection.h"
#include "connection/server_connection.h"
#include "connection/server_list.h"
#include "host/module_state.h"
#include "host/result_code.h"
#include "host/tsknls.h"
#include "text/char_cursor.h"
#include "text/nls_text.h"
#include "tools/pwhost/host.h"

namespace {

int failed(const char *command, ResultCode code, const char *why = nullptr) {
    fprintf(stderr, "pwhost %s: %u %s%s%s\n", command, static_cast<unsigned>(code), resultCodeName(code),
            why != nullptr ? ": " : "", why != nullptr ? why : "");
    return 1;
}

bool byteTexts(const char *command) {
    if (!twoZeroTerminator())
        return true;
    fprintf(stderr, "pwhost %s: the character set %s has two-byte units; files and arguments are byte texts\n",
            command, moduleState.nlsLanguage->name);
    return false;
}

const char *kindName(int32_t kind) {
    switch (kind) {
    case kAddressNone: return "none";
    case kAddressLocal: return "local";
    case kAddressRemote: return "remote";
    }
    return "unknown";
}

void printEntry(ServerConnection *connection, ServerEntry *entry) {
    char path[kChosenPathSize];
    printf("  %s\n", entry->description);
    if (!entryPath(&connectionDirectories, entry, path, sizeof path)) {
        printf("    path:    (too long)\n");
        return;
    }
    printf("    path:    %s\n", path);
    ServerAddress &a = connection->address;
    readConnectionFile(path, entry, &a);
    printf("    address: %s, host \"%s\", protocol \"%s\", endpoint \"%s\", options \"%s\"\n", kindName(a.kind),
           a.host, a.protocol, a.endpoint, a.options);
    printf("    login:   mode %d, value %d\n", static_cast<int>(a.loginMode), static_cast<int>(a.loginValue));
}

// Copies an argument into a 100-byte credential, cut at a character boundary.
void credential(char *field, const std::string &value) { copyChars(field, 100, value.c_str(), value.size()); }

}  // namespace

int commandServers(Host &, const std::vector<std::string> &args) {
    if (!args.empty()) {
        fprintf(stderr, "usage: pwhost servers\n");
        return 2;
    }
    if (!byteTexts("servers"))
        return 2;
    StringList homes;
    ResultCode result = kOk;
    if (homeLookup(&homes, &result) == 0)
        return failed("servers", result);
    printf("home: %s\n", homes.item(0)->text());
    result = loadConnectionDirectories(&connectionDirectories);
    if (result != kOk)
        return failed("servers", result);
    ServerConnection connection;
    result = buildServerList(&connection, &connectionDirectories);
    if (result != kOk)
        return failed("servers", result);
    printf("connection directories: %d\n", static_cast<int>(connectionDirectories.count()));
    for (int32_t i = 0; i < connectionDirectories.count(); ++i)
        printf("  %s\n", connectionDirectories.item(i)->text());
    printf("servers: %d (in the order found; the dialog sorts them by description)\n",
           static_cast<int>(entryCount(&connection)));
    for (ServerEntry *entry = connection.firstEntry; entry != nullptr; entry = entry->next)
        printEntry(&connection, entry);
    readLastSelection(&connection);
    printf("last selection: %s\n", connection.chosenPath[0] != '\0' ? connection.chosenPath : "none");
    return 0;
}

int commandConnectString(Host &, const std::vector<std::string> &args) {
    const char *usage =
        "usage: pwhost connect-string FILE.qcf [--domain D] [--user U] [--password P]\n"
        "                             [--sly-user U] [--sly-password P] [--quorvel-id Q]\n";
    if (args.empty() || args[0].compare(0, 2, "--") == 0) {
        fputs(usage, stderr);
        return 2;
    }
    Credentials credentials = {};
    for (size_t i = 1; i < args.size(); i += 2) {
        char *field = credentialField(credentials, args[i]);
        if (field == nullptr || i + 1 >= args.size()) {
            fprintf(stderr, "pwhost connect-string: %s %s\n", args[i].c_str(),
                    field == nullptr ? "is no credential option" : "needs a value");
            fputs(usage, stderr);
            return 2;
        }
        credential(field, args[i + 1]);
    }
    if (!byteTexts("connect-string"))
        return 2;
    const std::string &path = args[0];
    if (!fileExists(path.c_str())) {
        fprintf(stderr, "pwhost connect-string: no connection file %s\n", path.c_str());
        return 1;
    }
    ServerEntry entry = {};
    ServerAddress address;
    readConnectionFile(path.c_str(), &entry, &address);
    char text[kConnectStringSize];
    ResultCode result = buildConnectString(text, sizeof text, &entry, &credentials);
    if (result != kOk)
        return failed("connect-string", result, "the connect string would pass its 2000-byte area");
    printf("%s\n", text);
    return 0;
}

// The credential field that a command-line option names; null for none.
char *credentialField(Credentials &credentials, const std::string &option) {
    const struct {
        const char *option;
        char *field;
    } fields[] = {
        {"--domain", credentials.domain},
        {"--user", credentials.userId},
        {"--password", credentials.password},
        {"--sly-user", credentials.relationalUserId},
        {"--sly-password", credentials.relationalPassword},
        {"--quorvel-id", credentials.quorvelId},
    };
    for (const auto &f : fields)
        if (option == f.option)
            return f.field;
    return nullptr;
}
