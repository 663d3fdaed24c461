// Definitions built from arbitrary records, encoded, cut into segments and
// joined with LF as the host receives them, then parsed back: every record
// comes back in order with its value, and each definition covers the other.
//
// The format guarantees the round trip for records whose names are not
// empty and hold no "=", CR, LF or zero byte and do not start with a
// backslash (after a record's CR a backslash would read as belonging to the
// value before it), and whose values hold no CR or zero byte (a CR ends the
// record). The generator keeps to that.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "host/memory.h"
#include "query/query_definition.h"

namespace {

void check(bool condition) {
    if (!condition)
        abort();
}

std::string without(std::string text, const char *bytes) {
    std::string out;
    for (char c : text)
        if (memchr(bytes, c, strlen(bytes) + 1) == nullptr)
            out += c;
    return out;
}

using Records = std::vector<std::pair<std::string, std::string>>;

Records walk(const QueryDefinition &d) {
    Records seen;
    size_t position = 0;
    QueryDefinition::Record r;
    while (d.nextRecord(&position, &r))
        seen.emplace_back(std::string(r.name, r.nameLength), std::string(r.value, r.valueLength));
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    long live = memLiveBlocks();
    {
        FuzzedDataProvider input(data, size);
        QueryDefinition built;
        Records records;
        size_t count = input.ConsumeIntegralInRange<size_t>(0, 64);
        for (size_t i = 0; i < count && input.remaining_bytes() > 0; ++i) {
            std::string name = without(input.ConsumeRandomLengthString(60), "=\r\n");
            name.erase(0, name.find_first_not_of('\\') == std::string::npos ? name.size()
                                                                             : name.find_first_not_of('\\'));
            if (name.empty())
                name = "R" + std::to_string(i);
            std::string value = without(input.ConsumeRandomLengthString(200), "\r");
            check(built.addText(name.c_str(), value.c_str()));
            records.emplace_back(name, value);
        }
        check(walk(built) == records);

        GrowableText host;
        check(produceHostText(&built, &host));
        check(host.empty() == records.empty());
        check(host.empty() || memcmp(host.text() + host.length() - 2, "\\\n", 2) == 0);

        QueryDefinition parsed;
        check(parsed.parseStored(host.text(), host.length()));
        check(walk(parsed) == records);
        check(built.isCoveredBy(parsed) == 1);
        check(parsed.isCoveredBy(built) == 1);
        for (const auto &r : records) {
            GrowableText a, b;
            check(built.findText(r.first.c_str(), &a) == QueryDefinition::kFound);
            check(parsed.findText(r.first.c_str(), &b) == QueryDefinition::kFound);
            check(a.length() == b.length() && memcmp(a.text(), b.text(), a.length()) == 0);
        }
    }
    check(memLiveBlocks() == live);
    return 0;
}
