#include "query/serializer.h"

#include <string.h>

#include "host/memory.h"
#include "host/qvdata.h"
#include "host/result_code.h"
#include "query/query_definition.h"
#include "query/query_session.h"
#include "query/server_scripts.h"
#include "text/growable_text.h"
#include "text/nls_text.h"
#include "text/text_utils.h"

namespace {

// The file-name part of a path, whole.
bool baseName(const char *path, GrowableText *name) {
    name->clear();
    TextBlock buffer;
    if (!buffer.allocateFor(path))
        return false;
    pathBaseName(buffer.get(), buffer.capacity(), path);
    return name->appendText(buffer.get());
}

bool copyOf(const char *text, GrowableText *copy) {
    copy->clear();
    return copy->appendText(text);
}

// The databases (DB<n>, DBCount), and the command that attaches them in
// reverse order so that the server searches them in the listed order.
ResultCode writeDatabases(QueryDefinition *out, int32_t *databaseCount) {
    GrowableText name;
    int32_t n = 0;
    for (;; ++n) {
        const char *path = QVGetDatabase(n, 1);
        if (path[0] == 0)
            break;
        if (!baseName(path, &name) || !out->addTextF(name.text(), "DB%d", n))
            return kOutOfMemory;
    }
    *databaseCount = n;
    if (!out->addNumber("DBCount", n))
        return kOutOfMemory;

    GrowableText command;
    for (int32_t i = n - 1; i >= 0; --i) {
        if (out->findTextF(&name, "DB%d", i) == QueryDefinition::kNoMemory)
            return kOutOfMemory;
        if (!command.appendText("dtb attach ") || !command.appendText(name.text()))
            return kOutOfMemory;
        if (i > 0 && !command.appendByte(';'))
            return kOutOfMemory;
    }
    QVExecute(command.text());
    return kOk;
}

// The measures (MeasureCount, Measure<i>), the database of each when the
// query has more than one (M<i>DB), and the custom measures they are.
ResultCode writeMeasures(QuerySession *session, int32_t databaseCount) {
    QueryDefinition *out = session->outputDefinition;
    const char *query = session->queryName.text();
    int32_t count = QVGetMeasureCount(query);
    if (!out->addNumber("MeasureCount", count))
        return kOutOfMemory;
    GrowableText name, fileName;
    for (int32_t i = 0; i < count; ++i) {
        if (!copyOf(QVGetMeasureName(query, i), &name) ||
            !out->addTextF(name.text(), "Measure%d", i))
            return kOutOfMemory;
        if (databaseCount > 1) {
            int32_t index = -1;
            if (!baseName(QVGetMeasureDatabase(query, i, 1), &fileName) ||
                !databaseIndex(session, fileName.text(), &index) ||
                !out->addNumberF(index, "M%dDB", i))
                return kOutOfMemory;
        }
        if (!markCustomMeasure(session, name.text()))
            return kOutOfMemory;
    }
    return kOk;
}

// One script of a dimension, a record per line (line 0
// E<e>Dim<k>Script, line d E<e>Dim<k>Script<d>; Sort before Script for the
// sort script). A selection-script line (savedCounter given) is followed at
// once by the saved selections it names; every line is scanned for a limit
// command.
ResultCode writeScript(QuerySession *session, const char *script, int32_t edge, int32_t position,
                       int32_t *savedCounter) {
    const bool sort = savedCounter == nullptr;
    QueryDefinition *out = session->outputDefinition;
    TextBlock copy(dupText(script, 0));
    TextBlock lineBlock;  // as large as the script, so no line is cut
    if (copy.get() == nullptr || !lineBlock.allocateFor(copy.get()))
        return kOutOfMemory;
    char *line = lineBlock.get();
    LineReader lines(copy.get());
    for (int32_t d = 0; lines.next(line, lineBlock.capacity()) == 1; ++d) {
        bool added;
        if (d == 0)
            added = sort ? out->addTextF(line, "E%dDim%dSortScript", edge, position)
                         : out->addTextF(line, "E%dDim%dScript", edge, position);
        else
            added = sort ? out->addTextF(line, "E%dDim%dSortScript%d", edge, position, d)
                         : out->addTextF(line, "E%dDim%dScript%d", edge, position, d);
        if (!added)
            return kOutOfMemory;
        if (!sort && strstr(line, "'SAVED'") != nullptr &&
            !recordSavedSelections(session, line, edge, position, savedCounter))
            return kOutOfMemory;
        if (!scanLimitCommand(session, line))
            return kOutOfMemory;
    }
    return kOk;
}

// One dimension: its name, its selection script with the saved selections
// it names (E<e>Dim<k>SS counts them), its sort script and, for a dimension
// that is not the measure dimension, its long label and hierarchy.
ResultCode writeDimension(QuerySession *session, int32_t edge, int32_t position) {
    QueryDefinition *out = session->outputDefinition;
    const char *query = session->queryName.text();
    GrowableText name;
    if (!copyOf(QVGetDimensionName(query, edge, position), &name) ||
        !out->addTextF(name.text(), "E%dDim%dName", edge, position))
        return kOutOfMemory;

    int32_t savedCounter = 0;
    ResultCode result = writeScript(session, QVGetSelectionScript(query, edge, position), edge,
                                    position, &savedCounter);
    if (result != kOk)
        return result;
    if (savedCounter > 0 && !out->addNumberF(savedCounter, "E%dDim%dSS", edge, position))
        return kOutOfMemory;
    result = writeScript(session, QVGetSelectionSortScript(query, edge, position), edge, position,
                         nullptr);
    if (result != kOk)
        return result;

    if (QVIsMeasureDimension(query, edge, position) == 0) {
        GrowableText label;
        if (!longLabel(session, name.text(), &label) ||
            !out->addTextF(label.text(), "E%dDim%dDimLName", edge, position) ||
            !out->addTextF(QVGetDimensionHierName(query, edge, position), "E%dDim%dHier", edge,
                      position))
            return kOutOfMemory;
    }
    return kOk;
}

}  // namespace

ResultCode serializeQuery(QuerySession *session) {
    memDelete(session->outputDefinition);
    session->outputDefinition = memNew<QueryDefinition>();
    QueryDefinition *out = session->outputDefinition;
    if (out == nullptr)
        return kOutOfMemory;

    int32_t databaseCount = 0;
    ResultCode result = writeDatabases(out, &databaseCount);
    if (result != kOk)
        return result;
    if (!loadCustomMeasures(session))
        return kOutOfMemory;
    result = writeMeasures(session, databaseCount);
    if (result != kOk)
        return result;

    const char *query = session->queryName.text();
    int32_t edgeCount[3];
    for (int32_t e = 0; e < 3; ++e) {
        edgeCount[e] = QVGetDimEdgeCount(query, e);
        if (!out->addNumberF(edgeCount[e], "E%dCount", e))
            return kOutOfMemory;
    }
    for (int32_t e = 0; e < 3; ++e) {
        for (int32_t k = 0; k < edgeCount[e]; ++k) {
            result = writeDimension(session, e, k);
            if (result != kOk)
                return result;
        }
    }

    result = writeCustomMeasures(session);
    if (result != kOk)
        return result;
    if (!out->addText("QL", "1"))
        return kOutOfMemory;

    int32_t indentCount = 2;
    char indentText[kIndentTextSize];
    readHierarchyIndent(&indentCount, indentText);
    if (indentCount != 0 && indentText[0] != 0) {
        if (indentCount != 2 && !out->addNumber("HI", indentCount))
            return kOutOfMemory;
        if (strcmp(indentText, " ") != 0 && !out->addText("HIC", indentText))
            return kOutOfMemory;
    }
    return kOk;
}

int32_t changeTest(const QuerySession *session) {
    if (session->outputDefinition == nullptr)
        return session->inputDefinition != nullptr ? 1 : 0;
    if (session->inputDefinition == nullptr)
        return 1;
    return session->outputDefinition->isCoveredBy(*session->inputDefinition) == 0 ? 1 : 0;
}
