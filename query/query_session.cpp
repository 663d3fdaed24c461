#include "query/query_session.h"

#include "columns/column_descriptors.h"
#include "host/memory.h"
#include "host/result_code.h"
#include "query/query_definition.h"
#include "query/server_scripts.h"

QuerySession::QuerySession()
    : connection(nullptr),
      newQuery(1),
      outputDefinition(nullptr),
      inputDefinition(nullptr),
      columnList(nullptr),
      entryCount(0),
      measureCount(0),
      dimensionCount(0),
      columnRecords(nullptr),
      columnRecordCount(0),
      customMeasures(nullptr),
      customMeasureCount(-1),
      customMeasureRecordCounter(0),
      naSpelling{},
      helpMethod(0) {}

QuerySession::~QuerySession() {
    memDelete(outputDefinition);
    outputDefinition = nullptr;
    memDelete(inputDefinition);
    inputDefinition = nullptr;
    releaseCustomMeasures(this);
    releaseColumnRecords(this);
    releaseColumnList(this);
}

ResultCode QuerySession::edit(ServerConnection *serverConnection, char **, uint8_t *,
                              uint8_t *measureCountOut, const char *, PWQCOL **columns,
                              uint8_t *columnCount) {
    connection = serverConnection;
    if (measureCountOut != nullptr)
        *measureCountOut = 0;
    if (columnCount != nullptr)
        *columnCount = 0;
    if (columns != nullptr)
        *columns = nullptr;
    // The query wizard is not part of this build yet, so it cannot run.
    return kWizardFailed;
}
