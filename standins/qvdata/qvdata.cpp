// Stand-in for the data library with minimal behaviour: it attaches to any
// positive handle, names queries, and holds no databases, measures or
// dimensions.
#include "standins/qvdata/qvdata_standin.h"

#include <stdio.h>
#include <string.h>

namespace {

int32_t pagewrightCalls = 0;
int32_t pagewrightFlag = 0;
int16_t attached = 0;
int32_t queryNumber = 0;
char queryName[32];
char defaultAttachMode[8] = "RW";

const char kEmpty[] = "";

}  // namespace

extern "C" {

int32_t qvStandinPagewrightCalls(void) { return pagewrightCalls; }
int32_t qvStandinPagewrightFlag(void) { return pagewrightFlag; }

int32_t QVPagewright(int32_t flag) {
    ++pagewrightCalls;
    pagewrightFlag = flag;
    return 1;
}

void QVSetTarsikHome(const char *) {}
void QVSetKHVMethod(uint32_t) {}

int32_t QVConnectHandle(int16_t handle) {
    if (handle <= 0)
        return 0;
    attached = handle;
    return 1;
}

void QVDisconnect(void) { attached = 0; }
void QVClose(void) { attached = 0; }

const char *QVCreateQuery(void) {
    if (attached == 0)
        return kEmpty;
    snprintf(queryName, sizeof queryName, "QUERY%d", ++queryNumber);
    return queryName;
}

int32_t QVDeleteQuery(const char *query) { return query != nullptr && query[0] != '\0'; }

const char *QVGetOption(const char *name) {
    if (name != nullptr && strcmp(name, "DefaultAttachMode") == 0)
        return defaultAttachMode;
    return kEmpty;
}

void QVSetOption(const char *name, const char *value) {
    if (name != nullptr && value != nullptr && strcmp(name, "DefaultAttachMode") == 0)
        snprintf(defaultAttachMode, sizeof defaultAttachMode, "%s", value);
}

int32_t QVStartWizard(const char *, int32_t) { return 2; }
const char *QVExecute(const char *) { return kEmpty; }

const char *QVExecuteEx(const char *, int32_t *ok) {
    if (ok != nullptr)
        *ok = 0;
    return kEmpty;
}

int16_t QVGetDatabaseCount(void) { return 0; }
const char *QVGetDatabase(int32_t, int32_t) { return kEmpty; }
int32_t QVDatabaseAttach(const char *) { return 0; }
int32_t QVDatabaseDetach(const char *) { return 0; }
int16_t QVGetMeasureCount(const char *) { return 0; }
const char *QVGetMeasureName(const char *, int32_t) { return kEmpty; }
const char *QVGetMeasureDatabase(const char *, int32_t, int32_t) { return kEmpty; }
int16_t QVGetMeasures(const char *) { return 0; }
const char *QVGetMeasure(int32_t) { return kEmpty; }
const char *QVGetMeasureDesc(int32_t) { return kEmpty; }
int16_t QVGetDimEdgeCount(const char *, int32_t) { return 0; }
const char *QVGetDimensionName(const char *, int32_t, int32_t) { return kEmpty; }
const char *QVGetDimensionDesc(const char *, int32_t, int32_t) { return kEmpty; }
const char *QVGetDimensionHierName(const char *, int32_t, int32_t) { return kEmpty; }
const char *QVGetSelectionScript(const char *, int32_t, int32_t) { return kEmpty; }
const char *QVGetSelectionSortScript(const char *, int32_t, int32_t) { return kEmpty; }
int32_t QVIsMeasureDimension(const char *, int32_t, int32_t) { return 0; }
int32_t QVAddMeasure(const char *, const char *, const char *) { return 0; }
int32_t QVCreateCube(const char *) { return 0; }
int32_t QVRunQuery(const char *) { return 0; }
int32_t QVSetDimensionEdge(const char *, const char *, int32_t, int32_t, int32_t) { return 0; }
int32_t QVSetScript(const char *, const char *, const char *, const char *) { return 0; }

}  // extern "C"
