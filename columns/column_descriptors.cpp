#include "columns/column_descriptors.h"

#include "host/memory.h"
#include "host/result_code.h"
#include "query/query_session.h"

// Not built yet: no column can be described, so the edit fails.
ResultCode describeColumns(QuerySession *) { return kOutOfMemory; }

void releaseColumnRecords(QuerySession *session) {
    if (session->columnRecords == nullptr)
        return;
    for (int32_t i = 0; i < session->columnRecordCount; ++i)
        memFree(session->columnRecords[i].name);
    memFree(session->columnRecords);
    session->columnRecords = nullptr;
    session->columnRecordCount = 0;
}

void releaseColumnList(QuerySession *session) {
    // The list's entries hold no texts yet.
    memFree(session->columnList);
    session->columnList = nullptr;
    session->entryCount = 0;
}
