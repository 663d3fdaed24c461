// pwhost generate: the server model of a large generated report query
// (tools/pwhost/generated_query.h), written to standard output.
//
//   pwhost generate [--databases N] [--measures N] [--dimensions N]
//                   [--script-lines N] [--selection-lines N] [--scale K]
//
// --scale multiplies the script and selection lines (after the other
// options). The model's wizard plan builds the query, so
//
//   pwhost generate > GENERATED.json
//   pwhost --server GENERATED.json edit --out QUERY.def
//
// gives its stored definition. Exit 0; 2 on a usage error.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "tools/pwhost/generated_query.h"
#include "tools/pwhost/host.h"

namespace {

const char kUsage[] =
    "usage: pwhost generate [--databases N] [--measures N] [--dimensions N] [--script-lines N]\n"
    "                       [--selection-lines N] [--scale K]\n";

bool readCount(const std::string &text, int &out) {
    char *end = nullptr;
    errno = 0;
    long n = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || n < 1 || n > 1000000)
        return false;
    out = static_cast<int>(n);
    return true;
}

}  // namespace

int commandGenerate(Host &, const std::vector<std::string> &args) {
    GeneratedQuerySizes sizes;
    int scale = 1;
    struct Option {
        const char *name;
        int *value;
    } const options[] = {{"--databases", &sizes.databases},       {"--measures", &sizes.measures},
                         {"--dimensions", &sizes.dimensions},     {"--script-lines", &sizes.scriptLines},
                         {"--selection-lines", &sizes.selectionLines}, {"--scale", &scale}};
    for (size_t i = 0; i < args.size(); i += 2) {
        const Option *option = nullptr;
        for (const Option &o : options)
            if (args[i] == o.name)
                option = &o;
        if (option == nullptr) {
            fprintf(stderr, "pwhost generate: unknown option %s\n%s", args[i].c_str(), kUsage);
            return 2;
        }
        if (i + 1 >= args.size() || !readCount(args[i + 1], *option->value)) {
            fprintf(stderr, "pwhost generate: %s needs a number from 1 to 1000000\n%s", args[i].c_str(), kUsage);
            return 2;
        }
    }
    for (int *lines : {&sizes.scriptLines, &sizes.selectionLines}) {
        if (static_cast<long long>(*lines) * scale > 1000000) {
            fprintf(stderr, "pwhost generate: more than 1000000 lines once scaled\n");
            return 2;
        }
        *lines *= scale;
    }
    std::string error;
    if (!checkQuerySizes(sizes, error)) {
        fprintf(stderr, "pwhost generate: %s\n", error.c_str());
        return 2;
    }
    std::string model = generatedServerModel(sizes);
    fwrite(model.data(), 1, model.size(), stdout);
    return 0;
}
