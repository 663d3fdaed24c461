#include "columns/column_descriptors.h"

#include <stddef.h>
#include <string.h>

#include <new>

#include "host/memory.h"
#include "host/qvdata.h"
#include "host/result_code.h"
#include "platform/platform.h"
#include "query/query_definition.h"
#include "query/query_session.h"
#include "text/char_cursor.h"
#include "text/nls_text.h"
#include "text/text_utils.h"

namespace {

// ---------------------------------------------------------------------------
// The column list block: [padding][count: 4 bytes][entries...]
// ---------------------------------------------------------------------------

constexpr size_t kListHeader = alignof(ColumnInfo) < sizeof(int32_t) ? sizeof(int32_t)
                                                                       : alignof(ColumnInfo);
static_assert(kListHeader % alignof(ColumnInfo) == 0, "entries stay aligned");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(kListHeader == sizeof(int32_t), "on 32-bit Windows the block starts with the count");
#endif

ColumnInfo *newColumnList(int32_t count) {
    size_t bytes = kListHeader + static_cast<size_t>(count) * sizeof(ColumnInfo);
    char *block = static_cast<char *>(memAlloc(bytes));
    if (block == nullptr)
        return nullptr;
    memcpy(block + kListHeader - sizeof(int32_t), &count, sizeof count);
    ColumnInfo *entries = reinterpret_cast<ColumnInfo *>(block + kListHeader);
    for (int32_t i = 0; i < count; ++i)
        new (&entries[i]) ColumnInfo();
    return entries;
}

int32_t storedEntryCount(const ColumnInfo *entries) {
    int32_t count;
    memcpy(&count, reinterpret_cast<const char *>(entries) - sizeof(int32_t), sizeof count);
    return count;
}

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

// The data library's texts are copied at once: the next call may reuse them.
const char *orEmpty(const char *text) { return text == nullptr ? "" : text; }

bool assignText(GrowableText *to, const char *text) {
    to->clear();
    return to->appendText(orEmpty(text));
}

// A private copy of a command's output with its trailing white space removed;
// null when memory is short. A null output counts as empty.
char *trimmedOutput(const char *output) {
    char *copy = dupText(orEmpty(output), 0);
    if (copy != nullptr)
        trimRight(copy);
    return copy;
}

// Appends the item obj(data, 'NAME') to the type command, after one space
// unless it is the first item.
bool appendTypeItem(GrowableText *command, bool first, const char *objectName) {
    return (first || command->appendByte(' ')) && command->appendText("obj(data, '") &&
           command->appendText(objectName) && command->appendText("')");
}

// The next type word of text from *position: characters that are not letters
// are skipped, then the longest run of letters is taken. A letter is a
// single-byte character that the platform counts as alphabetic; the bytes of
// a multibyte character never are. The word goes into word (empty when the
// text is used up) and *position moves past it. False when memory is short.
bool nextTypeWord(const char **position, GrowableText *word) {
    word->clear();
    CharCursor cursor(*position);
    while (!cursor.atEnd() && !(cursor.singleByte() && platformIsCharAlpha(*cursor.position())))
        cursor.step();
    const char *start = cursor.position();
    while (!cursor.atEnd() && cursor.singleByte() && platformIsCharAlpha(*cursor.position()))
        cursor.step();
    *position = cursor.position();
    return word->append(start, static_cast<size_t>(cursor.position() - start));
}

// ---------------------------------------------------------------------------
// Collecting the columns
// ---------------------------------------------------------------------------

int32_t nonNegative(int32_t count) { return count < 0 ? 0 : count; }

// Chooses the measure list of the database with the given index in the
// output definition: its file name ("DB%d", empty when missing) reduced to
// its stem is passed to QVGetMeasures, whose answer goes to *listed. False
// when memory is short.
bool selectMeasureList(const QueryDefinition *definition, int32_t databaseIndex, int32_t *listed) {
    GrowableText fileName;
    if (definition != nullptr &&
        definition->findTextF(&fileName, "DB%d", databaseIndex) == QueryDefinition::kNoMemory)
        return false;
    char *stem = dupText(fileName.text(), 0);
    if (stem == nullptr)
        return false;
    pathStem(stem, textLength(stem) + terminatorSize(), stem);
    *listed = QVGetMeasures(stem);
    memFree(stem);
    return true;
}

// The column name of a measure: the description that its database's measure
// list gives for the object name, the object name when that is empty, empty
// when the list does not hold the measure.
bool nameMeasure(ColumnInfo *entry, int32_t listed) {
    const char *objectName = entry->objectName.text();
    for (int32_t k = 0; k < listed; ++k) {
        if (strcmp(orEmpty(QVGetMeasure(k)), objectName) != 0)
            continue;
        const char *description = orEmpty(QVGetMeasureDesc(k));
        return assignText(&entry->columnName, *description != '\0' ? description : objectName);
    }
    return true;
}

// Types every entry from the output of the type command.
bool readTypes(QuerySession *session, const char *output) {
    GrowableText word;
    GrowableText second;
    const char *position = output;
    for (int32_t j = 0; j < session->entryCount; ++j) {
        ColumnInfo &entry = session->columnList[j];
        if (!nextTypeWord(&position, &word))
            return false;
        if (word.empty())
            break;  // the output is used up: the rest keep kTypeUnknown
        entry.typeFlags = lookupTypeFlags(word.text());
        if (entry.typeFlags != kTypeUnknown)
            continue;
        // Not a type word (a relation names its dimension, for instance): ask
        // for the type of the object that the word names.
        second.clear();
        if (!second.appendText("row w 16 <") || !appendTypeItem(&second, true, word.text()) ||
            !second.appendByte('>'))
            return false;
        char *answer = trimmedOutput(QVExecute(second.text()));
        if (answer == nullptr)
            return false;
        entry.typeFlags = lookupTypeFlags(answer);
        memFree(answer);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Building the records
// ---------------------------------------------------------------------------

// The record attributes by type flags, tested in this order. size is
// sizeBase plus the terminator size where withTerminator is set.
struct Attributes {
    uint32_t flags;
    uint8_t type, precision, scale;
    int32_t sizeBase;
    bool withTerminator;
};
const Attributes kAttributes[] = {
    {kTypeText, 16, 0, 0, 498, true},
    {kTypeId, 16, 0, 0, 10, true},
    {kTypeShort, 8, 38, 127, 0, false},
    {kTypeDecimal, 4, 38, 127, 0, false},
    {kTypeInteger | kTypeShortInteger, 1, 38, 0, 12, false},
    {kTypeDate, 64, 38, 0, 0, false},
    {kTypeBoolean, 32, 38, 0, 4, false},
};
const Attributes kCompanion = {0, 1, 38, 0, 0, false};

void setAttributes(PWQCOL *record, const Attributes &a) {
    record->type = a.type;
    record->precision = a.precision;
    record->scale = a.scale;
    record->size = a.sizeBase + (a.withTerminator ? static_cast<int32_t>(terminatorSize()) : 0);
}

// Flags that match no row (kTypeUnknown) leave the zeroes of a new record.
void setAttributes(PWQCOL *record, uint32_t flags) {
    for (const Attributes &a : kAttributes) {
        if ((flags & a.flags) != 0) {
            setAttributes(record, a);
            return;
        }
    }
}

// "s_" + the column name, in a block of the name's length + 5 bytes.
char *companionName(const char *columnName) {
    char *name = static_cast<char *>(memAlloc(textLength(columnName) + 5));
    if (name == nullptr)
        return nullptr;
    copyText(name, "s_");
    appendText(name, columnName);
    return name;
}

}  // namespace

uint32_t lookupTypeFlags(const char *word) {
    static const struct {
        const char *word;
        uint32_t flags;
    } kTable[] = {
        {"INTEGER", kTypeInteger}, {"SHORTINTEGER", kTypeShortInteger},
        {"DECIMAL", kTypeDecimal}, {"SHORT", kTypeShort},
        {"DATE", kTypeDate},       {"TEXT", kTypeText},
        {"ID", kTypeId},           {"BOOLEAN", kTypeBoolean},
    };
    for (const auto &row : kTable)
        if (strcmp(orEmpty(word), row.word) == 0)
            return row.flags;
    return kTypeUnknown;
}

ResultCode collectColumns(QuerySession *session) {
    releaseColumnList(session);
    const char *query = session->queryName.text();

    // Non-measure dimensions per edge.
    int32_t edgeCounts[3];
    int32_t dimensions = 0;
    for (int32_t edge = 0; edge < 3; ++edge) {
        edgeCounts[edge] = nonNegative(QVGetDimEdgeCount(query, edge));
        int32_t contributes = edgeCounts[edge];
        for (int32_t j = 0; j < edgeCounts[edge]; ++j)
            if (QVIsMeasureDimension(query, edge, j) != 0)
                --contributes;
        dimensions += contributes;
    }
    int32_t measures = nonNegative(QVGetMeasureCount(query));
    session->dimensionCount = dimensions;
    session->measureCount = measures;

    ColumnInfo *list = newColumnList(measures + dimensions);
    if (list == nullptr)
        return kOutOfMemory;
    session->columnList = list;
    session->entryCount = measures + dimensions;

    GrowableText command;
    if (!command.appendText("row w 16 <"))
        return kOutOfMemory;

    // Measures, named from the measure list of their database.
    const QueryDefinition *definition = session->outputDefinition;
    int32_t lastDatabase = -1;
    int32_t listed = 0;
    for (int32_t i = 0; i < measures; ++i) {
        ColumnInfo &entry = list[i];
        int32_t database = 0;
        if (definition != nullptr)
            definition->findNumberF(&database, "M%dDB", i);
        if (database != lastDatabase) {
            if (!selectMeasureList(definition, database, &listed))
                return kOutOfMemory;
            lastDatabase = database;
        }
        if (!assignText(&entry.objectName, QVGetMeasureName(query, i)))
            return kOutOfMemory;
        if (listed > 0 && !nameMeasure(&entry, listed))
            return kOutOfMemory;
        if (!appendTypeItem(&command, i == 0, entry.objectName.text()))
            return kOutOfMemory;
    }

    // Dimensions other than the measure dimension, in edge order. The list
    // never takes more than it was made for, whatever the library answers.
    int32_t next = measures;
    for (int32_t edge = 0; edge < 3; ++edge) {
        for (int32_t j = 0; j < edgeCounts[edge] && next < session->entryCount; ++j) {
            if (QVIsMeasureDimension(query, edge, j) != 0)
                continue;
            ColumnInfo &entry = list[next];
            if (!assignText(&entry.objectName, QVGetDimensionName(query, edge, j)) ||
                !assignText(&entry.columnName, QVGetDimensionDesc(query, edge, j)) ||
                !appendTypeItem(&command, next == 0, entry.objectName.text()))
                return kOutOfMemory;
            ++next;
        }
    }

    if (!command.appendByte('>'))
        return kOutOfMemory;
    char *output = trimmedOutput(QVExecute(command.text()));
    if (output == nullptr)
        return kOutOfMemory;
    command.release();
    bool typed = readTypes(session, output);
    memFree(output);
    return typed ? kOk : kOutOfMemory;
}

// Out of memory while naming the records: the names made so far (the rest
// are still null in the zero-filled array) go with the array.
static ResultCode failRecords(QuerySession *session) {
    releaseColumnRecords(session);
    return kOutOfMemory;
}

ResultCode buildColumnRecords(QuerySession *session) {
    releaseColumnRecords(session);
    int32_t measures = session->measureCount;
    int32_t dimensions = session->dimensionCount;
    if (measures < 0 || dimensions < 0 ||
        static_cast<int64_t>(measures) + dimensions != session->entryCount ||
        (session->entryCount > 0 && session->columnList == nullptr))
        return kOutOfMemory;
    int64_t count = static_cast<int64_t>(measures) + 2 * static_cast<int64_t>(dimensions);
    if (count > kMaxColumnRecords)
        return kOutOfMemory;
    if (count == 0)
        return kOk;  // nothing to describe: no array

    // Zero-filled: the reserved bytes and the attributes of untyped columns
    // stay 0.
    PWQCOL *records = static_cast<PWQCOL *>(memAllocZero(static_cast<size_t>(count) * sizeof(PWQCOL)));
    if (records == nullptr)
        return kOutOfMemory;
    session->columnRecords = records;
    session->columnRecordCount = static_cast<int32_t>(count);

    int32_t r = 0;
    for (int32_t j = 0; j < session->entryCount; ++j) {
        const ColumnInfo &entry = session->columnList[j];
        PWQCOL &record = records[r];
        record.name = dupText(entry.columnName.text(), 0);
        if (record.name == nullptr)
            return failRecords(session);
        record.position = static_cast<uint8_t>(r);
        record.isCompanion = 0;
        record.isMeasure = j < measures ? 1 : 0;
        setAttributes(&record, entry.typeFlags);
        if (j < measures) {
            r += 1;
            continue;
        }
        PWQCOL &companion = records[r + 1];
        companion.name = companionName(entry.columnName.text());
        if (companion.name == nullptr)
            return failRecords(session);
        companion.isCompanion = 1;
        companion.position = static_cast<uint8_t>(r + 1);
        companion.isMeasure = 0;
        setAttributes(&companion, kCompanion);
        r += 2;
    }
    return kOk;
}

ResultCode describeColumns(QuerySession *session) {
    ResultCode result = collectColumns(session);
    if (result == kOk)
        result = buildColumnRecords(session);
    if (result != kOk)
        return result;
    if (session->outputDefinition != nullptr &&
        !produceHostText(session->outputDefinition, &session->definitionText)) {
        // The host receives no columns without their definition.
        releaseColumnRecords(session);
        return kOutOfMemory;
    }
    return kOk;
}

void releaseColumnNames(QuerySession *session, int32_t last) {
    if (session->columnRecords == nullptr || last < 0)
        return;
    if (last >= session->columnRecordCount)
        last = session->columnRecordCount - 1;
    for (int32_t i = 0; i <= last; ++i) {
        memFree(session->columnRecords[i].name);
        session->columnRecords[i].name = nullptr;
    }
}

void releaseColumnRecords(QuerySession *session) {
    if (session->columnRecords == nullptr)
        return;
    releaseColumnNames(session, session->columnRecordCount - 1);
    memFree(session->columnRecords);
    session->columnRecords = nullptr;
    session->columnRecordCount = 0;
}

void releaseColumnList(QuerySession *session) {
    ColumnInfo *entries = session->columnList;
    if (entries != nullptr) {
        int32_t count = storedEntryCount(entries);
        for (int32_t i = 0; i < count; ++i)
            entries[i].~ColumnInfo();
        memFree(reinterpret_cast<char *>(entries) - kListHeader);
    }
    session->columnList = nullptr;
    session->entryCount = 0;
}
