#include "query/server_scripts.h"

#include "host/memory.h"
#include "query/query_session.h"

void releaseCustomMeasures(QuerySession *session) {
    if (session->customMeasures == nullptr)
        return;
    memFree(session->customMeasures);
    session->customMeasures = nullptr;
    session->customMeasureCount = -1;
}
