// pwhost definition: stored query definitions read as a person reads them.
//
//   pwhost definition show FILE
//       prints each record of the stored definition text in FILE as
//       NAME=VALUE, one a line, with backslash, CR, LF, tab and any other
//       byte outside printable ASCII made visible (\\ \r \n \t \xHH).
//       Exit 0; 1 when the text is unreadable (it ends in a single
//       backslash, which the module reads as an empty definition).
//   pwhost definition diff OLD NEW
//       the change test's view: prints the records of NEW that OLD lacks
//       ("added NAME=VALUE") or holds with another value ("changed
//       NAME=VALUE (old: VALUE)"); records only OLD has are not looked at.
//       Exit 0 when NEW is covered by OLD (nothing printed), 1 when it is
//       not.
//   Both exit 2 on a usage error, a file that cannot be read, an unreadable
//   definition given to diff, or memory running out.
//
// These commands use the module's QueryDefinition directly; they load no
// module.
#include <stdio.h>

#include <fstream>
#include <iterator>
#include <string>

#include "query/query_definition.h"
#include "text/growable_text.h"
#include "tools/pwhost/host.h"

std::string visible(const char *bytes, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        char hex[5];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

bool readWholeFile(const std::string &path, std::string &contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

namespace {

enum Loaded { kLoaded, kUnreadable, kFailed };

// Reads FILE and parses it as a stored definition. A nonempty text that
// parses to nothing ended in a single backslash: every other byte of a
// stored text yields at least one byte of working text.
Loaded loadDefinition(const char *command, const std::string &path, QueryDefinition &definition) {
    std::string stored;
    if (!readWholeFile(path, stored)) {
        fprintf(stderr, "pwhost definition %s: cannot read %s\n", command, path.c_str());
        return kFailed;
    }
    if (!definition.parseStored(stored.data(), stored.size())) {
        fprintf(stderr, "pwhost definition %s: out of memory reading %s\n", command, path.c_str());
        return kFailed;
    }
    if (!stored.empty() && definition.workingText().empty()) {
        printf("%s: unreadable: the text ends in a single backslash (a stored definition ends "
               "with a backslash and a line feed), so it reads as an empty definition\n",
               path.c_str());
        return kUnreadable;
    }
    return kLoaded;
}

int show(const std::string &path) {
    QueryDefinition definition;
    switch (loadDefinition("show", path, definition)) {
    case kFailed: return 2;
    case kUnreadable: return 1;
    case kLoaded: break;
    }
    if (printRecords(definition) == 0)
        printf("%s: no records\n", path.c_str());
    return 0;
}

std::string valueText(const QueryDefinition::Record &record) {
    return std::string(record.value, record.valueLength);
}

int diff(const std::string &oldPath, const std::string &newPath) {
    QueryDefinition oldDefinition;
    QueryDefinition newDefinition;
    if (loadDefinition("diff", oldPath, oldDefinition) != kLoaded ||
        loadDefinition("diff", newPath, newDefinition) != kLoaded)
        return 2;
    for (const RecordChange &change : changedRecords(oldDefinition, newDefinition)) {
        std::string name = visible(change.name.data(), change.name.size());
        std::string value = visible(change.value.data(), change.value.size());
        if (change.added)
            printf("added %s=%s\n", name.c_str(), value.c_str());
        else
            printf("changed %s=%s (old: %s)\n", name.c_str(), value.c_str(),
                   visible(change.oldValue.data(), change.oldValue.size()).c_str());
    }
    return newDefinition.isCoveredBy(oldDefinition) == 1 ? 0 : 1;
}

}  // namespace

std::vector<RecordChange> changedRecords(const QueryDefinition &before, const QueryDefinition &after) {
    // The same comparison as isCoveredBy, but over every record instead of
    // stopping at the first difference.
    std::vector<RecordChange> changes;
    size_t position = 0;
    QueryDefinition::Record record;
    while (after.nextRecord(&position, &record)) {
        QueryDefinition::Record now, was;
        after.findRecord(record.name, record.nameLength, &now);  // found: the record itself matches
        bool added = !before.findRecord(record.name, record.nameLength, &was);
        if (added || valueText(now) != valueText(was))
            changes.push_back(RecordChange{std::string(record.name, record.nameLength), valueText(now), added,
                                           added ? std::string() : valueText(was)});
    }
    return changes;
}

int printRecords(const QueryDefinition &definition) {
    size_t position = 0;
    QueryDefinition::Record record;
    int count = 0;
    while (definition.nextRecord(&position, &record)) {
        printf("%s=%s\n", visible(record.name, record.nameLength).c_str(),
               visible(record.value, record.valueLength).c_str());
        ++count;
    }
    return count;
}

int commandDefinition(Host &, const std::vector<std::string> &args) {
    if (args.size() == 2 && args[0] == "show")
        return show(args[1]);
    if (args.size() == 3 && args[0] == "diff")
        return diff(args[1], args[2]);
    fprintf(stderr,
            "usage: pwhost definition show FILE\n"
            "       pwhost definition diff OLD NEW   (exit 0: NEW is covered by OLD, 1: it is not)\n");
    return 2;
}
