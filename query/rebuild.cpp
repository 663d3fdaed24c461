#include "query/rebuild.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/qvdata.h"
#include "host/result_code.h"
#include "query/query_session.h"
#include "text/growable_text.h"
#include "text/nls_string.h"
#include "text/text_utils.h"

namespace {

// The width the database name of a measure was first read with. Names that
// fit are reduced to their stem in a buffer of exactly this size, as they
// always were; longer ones in a buffer that holds them whole.
const size_t kDatabaseNameSize = 260;

// Whether text holds exactly the bytes of other (a null text is empty).
bool sameBytes(const GrowableText &text, const char *other) {
    size_t length = other != nullptr ? strlen(other) : 0;
    return text.length() == length && (length == 0 || memcmp(text.text(), other, length) == 0);
}

// The largest n for which "<prefix><n>=" (n in decimal without leading
// zeros) stands anywhere in the text, -1 when none does. A lookup of
// "<prefix><m>" for a larger m cannot succeed.
int32_t largestIndexed(const GrowableText &text, const char *prefix) {
    const size_t prefixLength = strlen(prefix);
    const char *p = text.text();
    const char *end = p + text.length();
    int32_t largest = -1;
    while (static_cast<size_t>(end - p) > prefixLength) {
        const char *hit = static_cast<const char *>(memchr(p, prefix[0], static_cast<size_t>(end - p)));
        if (hit == nullptr || static_cast<size_t>(end - hit) <= prefixLength)
            break;
        p = hit + 1;
        if (memcmp(hit, prefix, prefixLength) != 0)
            continue;
        const char *digits = hit + prefixLength;
        const char *q = digits;
        long long value = 0;
        while (q < end && *q >= '0' && *q <= '9' && value <= INT32_MAX)
            value = value * 10 + (*q++ - '0');
        bool canonical = q > digits && (*digits != '0' || q == digits + 1);
        if (canonical && value <= INT32_MAX && q < end && *q == '=' && value > largest)
            largest = static_cast<int32_t>(value);
    }
    return largest;
}

// The stem of a database value in a buffer of at least kDatabaseNameSize
// bytes, grown to hold longer values whole.
class DatabaseStem {
public:
    DatabaseStem() : block_(nullptr) { fixed_[0] = 0; }
    ~DatabaseStem() { memFree(block_); }
    DatabaseStem(const DatabaseStem &) = delete;
    DatabaseStem &operator=(const DatabaseStem &) = delete;

    const char *text() const { return block_ != nullptr ? block_ : fixed_; }

    // Replaces the stem by that of value; false when memory ran out.
    bool set(const GrowableText &value) {
        memFree(block_);
        block_ = nullptr;
        if (value.length() < kDatabaseNameSize) {
            pathStem(fixed_, sizeof fixed_, value.text());
            return true;
        }
        size_t capacity = value.length() + terminatorSize();
        block_ = static_cast<char *>(memAlloc(capacity));
        if (block_ == nullptr) {
            fixed_[0] = 0;
            return false;
        }
        pathStem(block_, capacity, value.text());
        return true;
    }

private:
    char fixed_[kDatabaseNameSize];
    char *block_;
};

void noteFailure(RebuildFailure *failure, int32_t kind, const char *format, int32_t a, int32_t b = 0) {
    if (failure == nullptr)
        return;
    failure->kind = kind;
    if (!formatRecordName(failure->record, format, a, b))
        failure->kind = RebuildFailure::kNone;
}

// Step 2: the databases.
ResultCode attachDatabases(const QueryDefinition &definition, const char *relationalDatabase,
                           RebuildFailure *failure) {
    int32_t count = 0;
    definition.findNumber("DBCount", &count);
    // A missing record reads as the empty text; when the relational data
    // database is empty too it is skipped without a call, so records beyond
    // the last one that exists need not be looked at.
    if (relationalDatabase[0] == 0) {
        int32_t largest = largestIndexed(definition.workingText(), "DB");
        if (count > largest + 1)
            count = largest + 1;
    }
    GrowableText name;
    for (int32_t n = 0; n < count; ++n) {
        if (definition.findTextF(&name, "DB%d", n) == QueryDefinition::kNoMemory)
            return kOutOfMemory;
        if (sameBytes(name, relationalDatabase))
            continue;  // attached by the relational start-up
        if (QVDatabaseAttach(name.text()) == 0) {
            noteFailure(failure, RebuildFailure::kDatabase, "DB%d", n);
            return kRebuildDatabaseRefused;
        }
    }
    return kOk;
}

// Step 3: the measures, each with the stem of its database.
ResultCode addMeasures(const QueryDefinition &definition, const char *query,
                       RebuildFailure *failure) {
    int32_t count = 0;
    definition.findNumber("MeasureCount", &count);
    int32_t current = 0;
    int32_t lastLoaded = -1;
    GrowableText measure;
    GrowableText database;
    DatabaseStem stem;
    for (int32_t i = 0; i < count; ++i) {
        if (definition.findTextF(&measure, "Measure%d", i) == QueryDefinition::kNoMemory)
            return kOutOfMemory;
        definition.findNumberF(&current, "M%dDB", i);  // missing: the previous measure's number
        if (current != lastLoaded) {
            if (definition.findTextF(&database, "DB%d", current) == QueryDefinition::kNoMemory ||
                !stem.set(database))
                return kOutOfMemory;
            lastLoaded = current;
        }
        if (QVAddMeasure(query, measure.text(), stem.text()) == 0) {
            noteFailure(failure, RebuildFailure::kMeasure, "Measure%d", i);
            return kRebuildMeasureRefused;
        }
    }
    return kOk;
}

// Step 5: every dimension to its edge and position.
ResultCode placeDimensions(const QueryDefinition &definition, const char *query,
                           RebuildFailure *failure) {
    GrowableText name;
    for (int32_t e = 0; e <= 2; ++e) {
        int32_t count = 0;
        definition.findNumberF(&count, "E%dCount", e);
        for (int32_t k = 0; k < count; ++k) {
            if (definition.findTextF(&name, "E%dDim%dName", e, k) == QueryDefinition::kNoMemory)
                return kOutOfMemory;
            int32_t present = QVGetDimEdgeCount(query, e);
            bool beyond = k >= present;
            // Edge 1 is never left empty, so its only dimension must make
            // way through edge 2 before it can go to edge 0.
            if (e == 0 && beyond && QVGetDimEdgeCount(query, 1) == 1 &&
                sameBytes(name, QVGetDimensionName(query, 1, 0)) &&
                QVSetDimensionEdge(query, name.text(), 2, 0, 1) == 0) {
                noteFailure(failure, RebuildFailure::kDimension, "E%dDim%dName", e, k);
                return kRebuildPlacementRefused;
            }
            if (QVSetDimensionEdge(query, name.text(), e, k, beyond ? 0 : 1) == 0) {
                noteFailure(failure, RebuildFailure::kDimension, "E%dDim%dName", e, k);
                return kRebuildPlacementRefused;
            }
        }
    }
    return kOk;
}

// Step 6: every dimension's selection and sort script.
ResultCode setScripts(const QueryDefinition &definition, const char *query,
                      RebuildFailure *failure) {
    GrowableText name;
    NlsString selection;
    NlsString sort;
    for (int32_t e = 0; e <= 2; ++e) {
        int32_t count = 0;
        definition.findNumberF(&count, "E%dCount", e);
        for (int32_t k = 0; k < count; ++k) {
            ResultCode result = kOk;
            if (definition.findTextF(&name, "E%dDim%dName", e, k) == QueryDefinition::kNoMemory)
                result = kOutOfMemory;
            if (result == kOk)
                result = readScript(definition, e, k, kSelectionScript, &selection);
            if (result == kOk)
                result = readScript(definition, e, k, kSortScript, &sort);
            if (result == kOk && QVSetScript(query, name.text(), selection.text(), sort.text()) == 0)
                result = kRebuildMeasureRefused;
            if (result != kOk) {
                noteFailure(failure, RebuildFailure::kDimension, "E%dDim%dName", e, k);
                return result;
            }
        }
    }
    return kOk;
}

}  // namespace

ResultCode readScript(const QueryDefinition &definition, int32_t edge, int32_t position,
                      ScriptKind which, NlsString *out) {
    const char *part = which == kSortScript ? "Sort" : "";
    out->clear();
    GrowableText line;
    for (int32_t d = 0;; ++d) {
        int found = d == 0 ? definition.findTextF(&line, "E%dDim%d%sScript", edge, position, part)
                           : definition.findTextF(&line, "E%dDim%d%sScript%d", edge, position, part, d);
        if (found == QueryDefinition::kMissing)
            return kOk;
        if (found == QueryDefinition::kNoMemory ||
            (!line.empty() && ((d != 0 && !out->append("\n")) || !out->append(line.text())))) {
            out->clear();
            return kOutOfMemory;
        }
    }
}

ResultCode rebuildQuery(QuerySession *session, const char *definitionText) {
    return rebuildQuery(session, definitionText, nullptr);
}

ResultCode rebuildQuery(QuerySession *session, const char *definitionText,
                        RebuildFailure *failure) {
    if (failure != nullptr) {
        failure->kind = RebuildFailure::kNone;
        failure->record[0] = 0;
    }
    memDelete(session->inputDefinition);
    session->inputDefinition = memNew<QueryDefinition>();
    if (session->inputDefinition == nullptr)
        return kOutOfMemory;
    if (!session->inputDefinition->parseStored(definitionText != nullptr ? definitionText : "")) {
        memDelete(session->inputDefinition);
        session->inputDefinition = nullptr;
        return kOutOfMemory;
    }
    const QueryDefinition &definition = *session->inputDefinition;
    if (definition.workingText().empty())
        return kRebuildEmptyDefinition;

    const char *query = session->queryName.text();
    const char *relationalDatabase =
        session->connection != nullptr ? session->connection->relationalDatabase.text() : "";
    ResultCode result = attachDatabases(definition, relationalDatabase, failure);
    if (result == kOk)
        result = addMeasures(definition, query, failure);
    if (result == kOk && QVCreateCube(query) == 0)
        result = kRebuildCubeFailed;
    if (result == kOk)
        result = placeDimensions(definition, query, failure);
    if (result == kOk)
        result = setScripts(definition, query, failure);
    if (result == kOk && QVRunQuery(query) == 0)
        result = kRebuildRunFailed;
    return result;
}
