// Arbitrary bytes as a stored definition text: the parse, then every lookup
// on every record found, the walk and the re-encoding, with and without
// memory running out. Checks the results agree with one another.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "host/memory.h"
#include "query/query_definition.h"

namespace {

void check(bool condition) {
    if (!condition)
        abort();
}

void lookUpEverything(const QueryDefinition &d, const QueryDefinition::Record &r) {
    std::string name(r.name, r.nameLength);
    bool plain = memchr(r.name, 0, r.nameLength) == nullptr;
    GrowableText value;
    int found = d.findText(name.c_str(), &value);
    if (found == QueryDefinition::kNoMemory) {
        check(value.empty());
        return;
    }
    if (plain)
        check(found == QueryDefinition::kFound);  // the record itself matches
    if (found != QueryDefinition::kFound)
        return;

    char small[8];
    memset(small, '#', sizeof small);
    int cut = d.findInto(name.c_str(), small, 5);
    check(small[5] == '#' && small[6] == '#' && small[7] == '#');
    size_t expected = value.length() < 5 ? value.length() : 4;
    check(cut == (value.length() < 5 ? QueryDefinition::kFound : QueryDefinition::kCut));
    check(memcmp(small, value.text(), expected) == 0 && small[expected] == 0);

    static char line[1000];
    int whole = d.findInto(name.c_str(), line, sizeof line);
    check(whole != QueryDefinition::kMissing);
    size_t length = value.length() < sizeof line ? value.length() : sizeof line - 1;
    check(memcmp(line, value.text(), length) == 0 && line[length] == 0);

    int32_t number = 12345;
    check(d.findNumber(name.c_str(), &number) == QueryDefinition::kFound);

    GrowableText formatted;
    int viaFormat = d.findTextF(&formatted, "%s", name.c_str());
    if (viaFormat == QueryDefinition::kNoMemory) {
        check(formatted.empty());
    } else if (strlen(name.c_str()) < QueryDefinition::kNameSize) {
        check(viaFormat == QueryDefinition::kFound && formatted.length() == value.length() &&
              memcmp(formatted.text(), value.text(), value.length()) == 0);
    } else {
        check(viaFormat == QueryDefinition::kMissing && formatted.empty());
    }
}

void exercise(const char *stored, size_t size) {
    QueryDefinition d;
    if (!d.parseStored(stored, size)) {
        check(d.workingText().empty());
        return;
    }
    check(d.workingText().length() <= size);
    // Unreadable exactly when the text ends in an odd run of backslashes;
    // every other nonempty text gives some working text.
    size_t run = 0;
    while (run < size && stored[size - 1 - run] == '\\')
        ++run;
    check(d.workingText().empty() == (size == 0 || run % 2 == 1));

    size_t position = 0;
    QueryDefinition::Record r;
    while (d.nextRecord(&position, &r)) {
        check(position <= d.workingText().length());
        lookUpEverything(d, r);
    }
    check(d.isCoveredBy(d) == 1);

    GrowableText hostText;
    if (produceHostText(&d, &hostText)) {
        QueryDefinition reread;
        if (reread.parseStored(hostText.text(), hostText.length()))
            check(d.workingText().empty() || !reread.workingText().empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    long live = memLiveBlocks();
    const char *stored = reinterpret_cast<const char *>(data);
    exercise(stored, size);
    check(memLiveBlocks() == live);
    // The same with the k-th allocation failing and every one after it.
    memFailAt(1 + static_cast<long>(size % 5), true);
    exercise(stored, size);
    memFailAt(0);
    check(memLiveBlocks() == live);
    return 0;
}
