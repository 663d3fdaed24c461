// pwhost: loads the module as the report designer does, initialises it with
// the NLS handles of a character set and an option callback, and runs one
// subcommand.
#include <stdio.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "host/tsknls.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tools/pwhost/host.h"

namespace {

struct CommandEntry {
    const char *name;
    const char *usage;
    const char *summary;
    Command run;
    bool standalone = false;  // runs without loading the module
    bool internal = false;    // runs on the module's own routines linked into pwhost
};

const CommandEntry kCommands[] = {
    {"version", "version", "print the module's version", commandVersion},
    {"definition", "definition show FILE | diff OLD NEW",
     "print a stored definition's records; or the records of NEW that OLD lacks or holds "
     "otherwise (exit 0: none, 1: some, 2: error)",
     commandDefinition, true},
    {"send", "send [COMMAND...]", "send server commands (or stdin's lines) to --server's model", commandSend},
    {"servers", "servers",
     "the connection directories and the servers that the connect dialog offers (from TARSIK_HOME)",
     commandServers, false, true},
    {"connect-string", "connect-string FILE.qcf [CREDENTIALS]",
     "the connect string of FILE.qcf and the credentials --domain, --user, --password, --sly-user, "
     "--sly-password, --quorvel-id",
     commandConnectString, false, true},
    {"edit", "edit [--definition FILE] [--out FILE] [--connection FILE.qcf] [CREDENTIALS]",
     "one cbqEdit on --server's model (its next wizard plan): result, changed flag, measure count, "
     "column table and the definition handed back; --out writes that text",
     commandEdit},
    {"select", "select [--choose D] [--type FIELD=TEXT] [--press B]",
     "run cbqSelectServer: the connect dialog, driven by these actions when given (FIELD: domain, user, "
     "password, sly-user, sly-password, quorvel-id; B: ok, cancel, help); --show-secrets shows passwords",
     commandSelect},
    {"check", "check [--connection FILE.qcf] [CREDENTIALS] FILE...",
     "reopen each stored definition on --server's model, finishing the wizard without a change: "
     "unchanged, or what the server refused (exit 1 when any file does not reopen unchanged)",
     commandCheck},
    {"generate", "generate [--databases N] [--measures N] [--dimensions N] [--script-lines N] "
                 "[--selection-lines N] [--scale K]",
     "write the server model of a large generated report query, whose wizard plan builds it (defaults "
     "10, 55, 100, 10, 10: 1,927 records; --scale multiplies the script and selection lines)",
     commandGenerate, true},
};

Host *currentHost = nullptr;

// The host's option lookup: the value given with --option, else the default.
const char *optionCallback(const char *key, const char *defaultText) {
    if (currentHost != nullptr && key != nullptr)
        for (const auto &o : currentHost->settings.options)
            if (o.first == key)
                return o.second.c_str();
    return defaultText;
}

void printHelp(FILE *out) {
    fprintf(out,
            "usage: pwhost [options] COMMAND [arguments]\n"
            "\n"
            "Loads the cbq90 module as a report designer does and drives it.\n"
            "\n"
            "options:\n"
            "  --charset NAME       character set of the NLS environment: LATIN1 (default),\n"
            "                       GBK, SOSI (shift-sensitive) or UCS2 (two-zero terminator)\n"
            "  --option KEY=VALUE   answer the module's option KEY with VALUE (repeatable)\n"
            "  --module PATH        load the module from PATH instead of beside pwhost (or ../bin)\n"
            "  --server MODEL.json  open a simulated server on MODEL.json (the host's connection)\n"
            "  --trace              print the data library's call log after the command\n"
            "  --overwrite-texts    the data library overwrites every text it returned with\n"
            "                       X's at its next call, as one that reuses its buffers may\n"
            "  --help               print this help\n"
            "\n"
            "commands:\n");
    for (const CommandEntry &c : kCommands)
        fprintf(out, "  %-40s %s\n", c.usage, c.summary);
}

}  // namespace

int main(int argc, char **argv) {
#ifdef _WIN32
    // The C runtime's text mode would write every LF as CR LF; pwhost's
    // output is the same bytes on Windows as on Linux, so that the output
    // tests compare it byte for byte with one expected file.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    Host host;
    int i = 1;
    for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
        std::string a = argv[i];
        if (a == "--help") {
            printHelp(stdout);
            return 0;
        }
        if ((a == "--charset" || a == "--option" || a == "--module" || a == "--server") && i + 1 >= argc) {
            fprintf(stderr, "pwhost: %s needs a value\n", a.c_str());
            return 2;
        }
        if (a == "--charset") {
            host.settings.charset = argv[++i];
        } else if (a == "--module") {
            host.settings.modulePath = argv[++i];
        } else if (a == "--server") {
            host.settings.serverModel = argv[++i];
        } else if (a == "--trace") {
            host.settings.trace = true;
        } else if (a == "--overwrite-texts") {
            qvStandinOverwriteReturnedTexts(1);
        } else if (a == "--option") {
            std::string kv = argv[++i];
            size_t eq = kv.find('=');
            if (eq == std::string::npos || eq == 0) {
                fprintf(stderr, "pwhost: --option takes KEY=VALUE, not '%s'\n", kv.c_str());
                return 2;
            }
            host.settings.options.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
        } else {
            fprintf(stderr, "pwhost: unknown option %s (see pwhost --help)\n", a.c_str());
            return 2;
        }
    }
    if (i >= argc) {
        printHelp(stderr);
        return 2;
    }
    const CommandEntry *command = nullptr;
    for (const CommandEntry &c : kCommands)
        if (strcmp(c.name, argv[i]) == 0)
            command = &c;
    if (command == nullptr) {
        fprintf(stderr, "pwhost: unknown command '%s' (see pwhost --help)\n", argv[i]);
        return 2;
    }
    std::vector<std::string> args(argv + i + 1, argv + argc);
    if (command->standalone)
        return command->run(host, args);

    void *language = nlsOpenLanguage(host.settings.charset.c_str());
    if (language == nullptr) {
        fprintf(stderr, "pwhost: unknown character set '%s'\n", host.settings.charset.c_str());
        return 2;
    }
    if (command->internal) {
        // The module's copy linked into pwhost, initialised as a host would.
        currentHost = &host;
        cbqInit(language, nlsGlobalContext(), 0, optionCallback);
        int status = command->run(host, args);
        cbqTerm();
        currentHost = nullptr;
        return status;
    }
    std::string error;
    if (!loadModule(host.settings.modulePath, host.module, error)) {
        fprintf(stderr, "pwhost: %s\n", error.c_str());
        return 1;
    }
    if (!openServer(host)) {
        unloadModule(host.module);
        return 1;
    }
    currentHost = &host;
    host.module.init(language, nlsGlobalContext(), 0, optionCallback);
    int status = command->run(host, args);
    host.module.term();
    printTrace(host);
    currentHost = nullptr;
    unloadModule(host.module);
    return status;
}
