// Record lookups through the definition's index against the plain search of
// the whole working text: texts made of a small alphabet rich in "=", CR, LF
// and backslashes (so that names stand inside values, as suffixes of longer
// names and after a parsed line's LF), parsed and then appended to. Every
// lookup (each record's name, each of its suffixes, each input piece, long
// names past the indexed length) and isCoveredBy must answer exactly as the
// plain search does.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "query/query_definition.h"
#include "query/record_index.h"

namespace {

void check(bool condition) {
    if (!condition)
        abort();
}

// The value the plain search finds for name, or "missing".
bool plainValue(const GrowableText &text, const std::string &name, std::string *value) {
    long at = findRecordPlain(text.text(), text.length(), name.data(), name.size());
    if (at < 0)
        return false;
    const char *start = text.text() + at + name.size() + 1;
    const char *end = text.text() + text.length();
    const char *cr = static_cast<const char *>(memchr(start, '\r', static_cast<size_t>(end - start)));
    value->assign(start, cr == nullptr ? end : cr);
    return true;
}

void checkLookup(const QueryDefinition &d, const std::string &name) {
    if (name.find('\0') != std::string::npos)
        return;
    std::string expected;
    bool found = plainValue(d.workingText(), name, &expected);
    GrowableText value;
    int result = d.findText(name.c_str(), &value);
    check(result == (found ? QueryDefinition::kFound : QueryDefinition::kMissing));
    check(std::string(value.text(), value.length()) == (found ? expected : ""));
}

// isCoveredBy as the plain search answers it.
int plainCoveredBy(const QueryDefinition &mine, const QueryDefinition &other) {
    size_t position = 0;
    QueryDefinition::Record record;
    while (mine.nextRecord(&position, &record)) {
        std::string name(record.name, record.nameLength);
        std::string theirs, own;
        if (!plainValue(other.workingText(), name, &theirs))
            return 0;
        plainValue(mine.workingText(), name, &own);
        if (own != theirs)
            return 0;
    }
    return 1;
}

void checkEverything(const QueryDefinition &d, const std::vector<std::string> &pieces) {
    size_t position = 0;
    QueryDefinition::Record record;
    while (d.nextRecord(&position, &record)) {
        std::string name(record.name, record.nameLength);
        for (size_t from = 0; from <= name.size(); ++from)
            checkLookup(d, name.substr(from));
        checkLookup(d, std::string(RecordIndex::kIndexedLength, 'A') + name);
    }
    for (const std::string &piece : pieces) {
        checkLookup(d, piece);
        checkLookup(d, "\n" + piece);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Bytes below 0x80 map onto a small alphabet; 0x7F splits the input into
    // pieces; bytes from 0x80 stay as they are.
    static const char kAlphabet[] = "AB1=\r\n\\=";
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0x7F)
            pieces.emplace_back();
        else
            pieces.back() += data[i] >= 0x80 ? static_cast<char>(data[i]) : kAlphabet[data[i] % 8];
    }

    // A: the first piece as a stored text, then the others appended as
    // name/value pairs. B: the same pairs appended to an empty definition,
    // with a long run of "A" before every third name.
    QueryDefinition a, b;
    check(a.parseStored(pieces[0].data(), pieces[0].size()));
    checkEverything(a, pieces);
    for (size_t i = 1; i + 1 < pieces.size(); i += 2) {
        std::string longName = i % 3 == 0 ? std::string(70, 'A') + pieces[i] : pieces[i];
        check(a.addText(pieces[i].c_str(), pieces[i + 1].c_str()));
        check(b.addText(longName.c_str(), pieces[i + 1].c_str()));
    }
    checkEverything(a, pieces);
    checkEverything(b, pieces);
    check(a.isCoveredBy(b) == plainCoveredBy(a, b));
    check(b.isCoveredBy(a) == plainCoveredBy(b, a));
    check(a.isCoveredBy(a) == plainCoveredBy(a, a));
    return 0;
}
