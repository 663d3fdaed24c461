// pwhost: a host harness that loads the module as a report designer does and
// drives it from the command line.
#ifndef CBQ_TOOLS_PWHOST_HOST_H
#define CBQ_TOOLS_PWHOST_HOST_H

#include <string>
#include <utility>
#include <vector>

#include "cbq90.h"

// The module as the host sees it: a loaded library and its eight exports.
struct LoadedModule {
    void *library = nullptr;
    cbqInitFn init = nullptr;
    cbqTermFn term = nullptr;
    cbqSelectServerFn selectServer = nullptr;
    cbqEditFn edit = nullptr;
    cbqFreePWQCOLFn freeColumns = nullptr;
    cbqFreeMemFn freeMem = nullptr;
    cbqGetVerFn getVersion = nullptr;
    cbqSetHelpFn setHelp = nullptr;
};

// Loads the module from path (when empty: the module beside pwhost, or
// when there is none, the one in ../bin, as the release's demo folder has it) and
// resolves every export by name. On failure returns false and says why in
// error.
bool loadModule(const std::string &path, LoadedModule &module, std::string &error);
void unloadModule(LoadedModule &module);

// The folder pwhost itself runs from, with a trailing separator.
std::string programDirectory();

// What the command line set for the whole run.
struct HostSettings {
    std::string charset = "LATIN1";
    std::string modulePath;
    std::vector<std::pair<std::string, std::string>> options;  // --option key=value
    std::string serverModel;  // --server: a simulated server's model file
    bool trace = false;       // --trace: print the data library's call log at the end
};

// The state a subcommand works with: the module, initialised with the
// charset's NLS handles and an option callback answering from --option.
struct Host {
    HostSettings settings;
    LoadedModule module;
    int16_t serverHandle = 0;  // the simulated server's connection handle (--server), else 0
    bool countCalls = false;   // --trace ends with a line counting the calls and server commands
};

// A subcommand: its arguments after the name; returns the exit status.
using Command = int (*)(Host &host, const std::vector<std::string> &args);

int commandVersion(Host &host, const std::vector<std::string> &args);
int commandDefinition(Host &host, const std::vector<std::string> &args);
int commandSend(Host &host, const std::vector<std::string> &args);
int commandServers(Host &host, const std::vector<std::string> &args);
int commandConnectString(Host &host, const std::vector<std::string> &args);

// The host's blocks of a connection as edit and check take them from the
// command line: each (credential field, value) pair copied into its field,
// cut at a character boundary to 99 bytes as the connect dialog's fields
// are, and settings read from the connection file (all zero without one).
// False when the connection file does not exist.
bool hostConnectionBlocks(const Host &host, const std::vector<std::pair<char *, std::string>> &credentialValues,
                          const std::string &connectionPath, ConnectionSettings *settings);

// The field of credentials that a credential option (--domain, --user,
// --password, --sly-user, --sly-password, --quorvel-id) names; null for any
// other text.
char *credentialField(Credentials &credentials, const std::string &option);
int commandEdit(Host &host, const std::vector<std::string> &args);

// One cbqEdit through the loaded module as a report designer makes it, for
// edit and check: the HostConnection holds the simulated server's handle and
// the edit's own copies of the credentials and settings (the relational
// start-up rewrites the server script in the host's settings); the stored
// text (null: a new query) lies in a block of the host's own, which stays
// the host's whatever the module does with the pointer. run() makes the call
// once; the destructor gives back what the module handed over, through
// cbqFreeMem and cbqFreePWQCOL.
class HostEdit {
public:
    HostEdit(Host &host, const std::string *stored, const Credentials &credentials,
             const ConnectionSettings &settings);
    ~HostEdit();
    HostEdit(const HostEdit &) = delete;
    HostEdit &operator=(const HostEdit &) = delete;

    ResultCode run();

    // cbqEdit's out-parameters: the definition pointer as the host holds it
    // afterwards, the changed flag, the measure count and the column records.
    char *definition = nullptr;
    uint8_t changed = 0, measures = 0, columnCount = 0;
    PWQCOL *columns = nullptr;

private:
    Host &host_;
    Credentials credentials_;
    ConnectionSettings settings_;
    std::vector<char> ownBlock_;
};
int commandCheck(Host &host, const std::vector<std::string> &args);
int commandGenerate(Host &host, const std::vector<std::string> &args);

class QueryDefinition;

// `definition show`'s form (tools/pwhost/command_definition.cpp): bytes with
// backslash, CR, LF, tab and anything outside printable ASCII made visible
// (\\ \r \n \t \xHH); and every record of a definition printed as
// NAME=VALUE, one a line, returning how many.
std::string visible(const char *bytes, size_t length);

// The whole contents of a file, as bytes; false when it cannot be read.
bool readWholeFile(const std::string &path, std::string &contents);
int printRecords(const QueryDefinition &definition);

// A record of one definition that an older one lacks (added) or holds with
// another value (oldValue), as the change test compares them: each name (any
// bytes, zero bytes too) looked up in both with findRecord.
struct RecordChange {
    std::string name;
    std::string value;
    bool added;
    std::string oldValue;  // empty when added
};
// The records of `after` that `before` lacks or holds otherwise, in the
// order they stand in `after` (`definition diff`'s view, which check shares).
std::vector<RecordChange> changedRecords(const QueryDefinition &before, const QueryDefinition &after);
int commandSelect(Host &host, const std::vector<std::string> &args);

// The simulated server (tools/pwhost/server.cpp): opens --server's model
// into host.serverHandle (false and a message on failure), and prints the
// data library's call log for --trace (and, when the command asked for it,
// a last line counting the calls and the server commands among them).
bool openServer(Host &host);
void printTrace(const Host &host);

#endif
