#include "query/query_session.h"

#include "host/result_code.h"

QuerySession::QuerySession() : connection(nullptr), newQuery(1), helpMethod(0) {}

QuerySession::~QuerySession() {}

ResultCode QuerySession::edit(ServerConnection *serverConnection, char **, uint8_t *,
                              uint8_t *measureCount, const char *, PWQCOL **columns,
                              uint8_t *columnCount) {
    connection = serverConnection;
    if (measureCount != nullptr)
        *measureCount = 0;
    if (columnCount != nullptr)
        *columnCount = 0;
    if (columns != nullptr)
        *columns = nullptr;
    // The query wizard is not part of this build yet, so it cannot run.
    return kWizardFailed;
}
