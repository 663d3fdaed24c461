#include "query/rebuild.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/qvdata.h"
#include "host/result_code.h"
#include "query/query_session.h"
#include "text/growable_text.h"
#include "text/nls_string.h"
#include "text/nls_text.h"
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

// A sorted set of record numbers.
class RecordNumbers {
public:
    RecordNumbers() : numbers_(nullptr), count_(0), capacity_(0) {}
    ~RecordNumbers() { memFree(numbers_); }
    RecordNumbers(const RecordNumbers &) = delete;
    RecordNumbers &operator=(const RecordNumbers &) = delete;

    const int32_t *begin() const { return numbers_; }
    const int32_t *end() const { return numbers_ + count_; }

    // Adds a number; false when memory ran out. Call sort() after the last.
    bool add(int32_t number) {
        if (count_ == capacity_) {
            size_t capacity = capacity_ == 0 ? 16 : capacity_ * 2;
            int32_t *numbers = static_cast<int32_t *>(memAlloc(capacity * sizeof(int32_t)));
            if (numbers == nullptr)
                return false;
            if (count_ > 0)
                memcpy(numbers, numbers_, count_ * sizeof(int32_t));
            memFree(numbers_);
            numbers_ = numbers;
            capacity_ = capacity;
        }
        numbers_[count_++] = number;
        return true;
    }

    // Ascending, each number once.
    void sort() {
        std::sort(numbers_, numbers_ + count_);
        count_ = static_cast<size_t>(std::unique(numbers_, numbers_ + count_) - numbers_);
    }

private:
    int32_t *numbers_;
    size_t count_;
    size_t capacity_;
};

// Which numbered records a stored text holds: for each kind, the numbers n
// for which "<prefix><n><suffix>=" stands anywhere in the text (n in decimal
// without leading zeros, as record names are formatted), which are exactly
// the n whose record a lookup of the formatted name finds. The loops over
// the counts the text names visit these (see NumberedWalk), so that a loop
// costs no more than the records the text holds, however large its count.
struct StoredNumbers {
    RecordNumbers databases;     // DB<n>
    RecordNumbers measures;      // Measure<i>, M<i>DB
    RecordNumbers placed[3];     // E<e>Dim<k>Name
    RecordNumbers scripted[3];   // E<e>Dim<k>Name, E<e>Dim<k>Script, E<e>Dim<k>SortScript

    // One pass over the text; false when memory ran out.
    bool collect(const GrowableText &text) {
        struct Kind {
            const char *prefix;
            const char *suffix;
            RecordNumbers *numbers;
            size_t prefixLength;
            size_t suffixLength;
        };
        static const char *const kEdgePrefixes[3] = {"E0Dim", "E1Dim", "E2Dim"};
        Kind kinds[3 + 3 + 3 * 3];
        size_t count = 0;
        auto add = [&](const char *prefix, const char *suffix, RecordNumbers *numbers) {
            kinds[count++] = Kind{prefix, suffix, numbers, strlen(prefix), strlen(suffix)};
        };
        add("DB", "", &databases);
        add("Measure", "", &measures);
        add("M", "DB", &measures);
        for (int e = 0; e < 3; ++e)
            add(kEdgePrefixes[e], "Name", &placed[e]);
        for (int e = 0; e < 3; ++e)
            for (const char *suffix : {"Name", "Script", "SortScript"})
                add(kEdgePrefixes[e], suffix, &scripted[e]);
        const char *start = text.text();
        const char *end = start + text.length();
        for (const char *equals = start;
             (equals = static_cast<const char *>(memchr(equals, '=', static_cast<size_t>(end - equals)))) != nullptr;
             ++equals) {
            for (const Kind &kind : kinds) {
                int32_t n;
                if (numberBefore(start, equals, kind, &n) && !kind.numbers->add(n))
                    return false;
            }
        }
        for (const Kind &kind : kinds)
            kind.numbers->sort();
        return true;
    }

    // Whether the bytes before `equals` end in prefix, a number and suffix;
    // the number into *n.
    template <class Kind>
    static bool numberBefore(const char *start, const char *equals, const Kind &kind, int32_t *n) {
        const char *prefix = kind.prefix;
        const char *suffix = kind.suffix;
        const size_t prefixLength = kind.prefixLength;
        const size_t suffixLength = kind.suffixLength;
        if (static_cast<size_t>(equals - start) < suffixLength + 1 + prefixLength)
            return false;
        const char *digitsEnd = equals - suffixLength;
        if (memcmp(digitsEnd, suffix, suffixLength) != 0)
            return false;
        const char *digits = digitsEnd;
        while (digits > start && digits[-1] >= '0' && digits[-1] <= '9')
            --digits;
        size_t width = static_cast<size_t>(digitsEnd - digits);
        if (width == 0 || width > 10 || (width > 1 && *digits == '0') ||
            static_cast<size_t>(digits - start) < prefixLength ||
            memcmp(digits - prefixLength, prefix, prefixLength) != 0)
            return false;
        int64_t value = 0;
        for (const char *d = digits; d < digitsEnd; ++d)
            value = value * 10 + (*d - '0');
        if (value > INT32_MAX)
            return false;
        *n = static_cast<int32_t>(value);
        return true;
    }
};

// The indices 0 .. count - 1 that a loop over numbered records visits: each
// one whose record the text holds, and the first of each run of indices
// without one. Within such a run every index would repeat the first one's
// calls with the same empty texts; the first still makes them, so that a
// library that refuses an empty name answers as it always did, and the
// rest are not asked for.
class NumberedWalk {
public:
    NumberedWalk(const RecordNumbers &present, int32_t count)
        : at_(present.begin()), end_(present.end()), next_(0), count_(count) {}

    bool next(int32_t *index) {
        if (next_ >= count_)
            return false;
        *index = next_;
        while (at_ < end_ && *at_ < next_)
            ++at_;
        if (at_ < end_ && *at_ == next_) {
            ++at_;
            ++next_;  // below count_, which is at most INT32_MAX
        } else {
            next_ = at_ < end_ ? *at_ : count_;
        }
        return true;
    }

private:
    const int32_t *at_;
    const int32_t *end_;
    int32_t next_;
    int32_t count_;
};

// The dimensions the text places, edge 0 to 2, on each edge the positions
// of a NumberedWalk over its "E<e>Count" (read when the edge is reached),
// each with its stored name "E<e>Dim<k>Name".
class DimensionWalk {
public:
    DimensionWalk(const QueryDefinition &definition, const RecordNumbers (&present)[3])
        : definition_(definition), present_(present), edge_(-1), positions_(present[0], 0) {}

    // kFound with the next dimension's edge, position and name; kMissing
    // after the last; kNoMemory (with edge and position) when its name could
    // not be read.
    int next(int32_t *edge, int32_t *position, GrowableText *name) {
        while (edge_ < 0 || !positions_.next(position)) {
            if (++edge_ > 2)
                return QueryDefinition::kMissing;
            int32_t count = 0;
            definition_.findNumberF(&count, "E%dCount", edge_);
            positions_ = NumberedWalk(present_[edge_], count);
        }
        *edge = edge_;
        if (definition_.findTextF(name, "E%dDim%dName", edge_, *position) == QueryDefinition::kNoMemory)
            return QueryDefinition::kNoMemory;
        return QueryDefinition::kFound;
    }

private:
    const QueryDefinition &definition_;
    const RecordNumbers (&present_)[3];
    int32_t edge_;
    NumberedWalk positions_;
};

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

// The databases.
ResultCode attachDatabases(const QueryDefinition &definition, const RecordNumbers &present,
                           const char *relationalDatabase, RebuildFailure *failure) {
    int32_t count = 0;
    definition.findNumber("DBCount", &count);
    GrowableText name;
    int32_t n;
    for (NumberedWalk walk(present, count); walk.next(&n);) {
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

// The measures, each with the stem of its database.
ResultCode addMeasures(const QueryDefinition &definition, const RecordNumbers &present,
                       const char *query, RebuildFailure *failure) {
    int32_t count = 0;
    definition.findNumber("MeasureCount", &count);
    int32_t current = 0;
    int32_t lastLoaded = -1;
    GrowableText measure;
    GrowableText database;
    DatabaseStem stem;
    int32_t i;
    for (NumberedWalk walk(present, count); walk.next(&i);) {
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

// Every dimension to its edge and position.
ResultCode placeDimensions(const QueryDefinition &definition, const StoredNumbers &numbers,
                           const char *query, RebuildFailure *failure) {
    GrowableText name;
    int32_t e, k;
    for (DimensionWalk walk(definition, numbers.placed);;) {
        int step = walk.next(&e, &k, &name);
        if (step != QueryDefinition::kFound)
            return step == QueryDefinition::kNoMemory ? kOutOfMemory : kOk;
        int32_t present = QVGetDimEdgeCount(query, e);
        bool beyond = k >= present;
        // Edge 1 is never left empty, so its only dimension must make way
        // through edge 2 before it can go to edge 0.
        if ((e == 0 && beyond && QVGetDimEdgeCount(query, 1) == 1 &&
             sameBytes(name, QVGetDimensionName(query, 1, 0)) &&
             QVSetDimensionEdge(query, name.text(), 2, 0, 1) == 0) ||
            QVSetDimensionEdge(query, name.text(), e, k, beyond ? 0 : 1) == 0) {
            noteFailure(failure, RebuildFailure::kDimension, "E%dDim%dName", e, k);
            return kRebuildPlacementRefused;
        }
    }
}

// Every dimension's selection and sort script.
ResultCode setScripts(const QueryDefinition &definition, const StoredNumbers &numbers,
                      const char *query, RebuildFailure *failure) {
    GrowableText name;
    NlsString selection;
    NlsString sort;
    int32_t e, k;
    for (DimensionWalk walk(definition, numbers.scripted);;) {
        int step = walk.next(&e, &k, &name);
        if (step == QueryDefinition::kMissing)
            return kOk;
        ResultCode result = step == QueryDefinition::kNoMemory ? kOutOfMemory : kOk;
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

}  // namespace

ResultCode readScript(const QueryDefinition &definition, int32_t edge, int32_t position,
                      ScriptKind which, NlsString *out) {
    static const char kLineEnd[4] = "\n";  // zero-padded for any terminator
    static const char kTerminator[4] = {0, 0, 0, 0};
    const char *part = which == kSortScript ? "Sort" : "";
    out->clear();
    // Assembled in a text that grows ahead and copied into out once: an
    // NlsString grows to the exact size at every append, so a script built
    // line by line in one would cost the square of its length.
    GrowableText script;
    GrowableText line;
    for (int32_t d = 0;; ++d) {
        int found = d == 0 ? definition.findTextF(&line, "E%dDim%d%sScript", edge, position, part)
                           : definition.findTextF(&line, "E%dDim%d%sScript%d", edge, position, part, d);
        if (found == QueryDefinition::kMissing)
            break;
        if (found == QueryDefinition::kNoMemory ||
            (!line.empty() && ((d != 0 && !script.append(kLineEnd, textLength(kLineEnd))) ||
                               !script.append(line.text(), textLength(line.text())))))
            return kOutOfMemory;
    }
    if (!script.empty() &&
        (!script.append(kTerminator, terminatorSize()) || out->assign(script.text()) == 0)) {
        out->clear();
        return kOutOfMemory;
    }
    return kOk;
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
    StoredNumbers numbers;
    if (!numbers.collect(definition.workingText()))
        return kOutOfMemory;
    ResultCode result = attachDatabases(definition, numbers.databases, relationalDatabase, failure);
    if (result == kOk)
        result = addMeasures(definition, numbers.measures, query, failure);
    if (result == kOk && QVCreateCube(query) == 0)
        result = kRebuildCubeFailed;
    if (result == kOk)
        result = placeDimensions(definition, numbers, query, failure);
    if (result == kOk)
        result = setScripts(definition, numbers, query, failure);
    if (result == kOk && QVRunQuery(query) == 0)
        result = kRebuildRunFailed;
    return result;
}
