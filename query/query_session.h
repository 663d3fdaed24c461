// A QuerySession carries out one cbqEdit call: cbqEdit creates one, runs its
// edit once and destroys it.
#ifndef CBQ_QUERY_QUERY_SESSION_H
#define CBQ_QUERY_QUERY_SESSION_H

#include <stdint.h>

#include "cbq90.h"

class ServerConnection;

class QuerySession {
public:
    QuerySession();
    ~QuerySession();
    QuerySession(const QuerySession &) = delete;
    QuerySession &operator=(const QuerySession &) = delete;

    void setHelpMethod(uint32_t method) { helpMethod = method; }

    // One edit of a query over the host's connection. The out-parameters are
    // those of cbqEdit; measureCount, columns and columnCount may be null.
    ResultCode edit(ServerConnection *connection, char **definition, uint8_t *changed,
                    uint8_t *measureCount, const char *helpPath, PWQCOL **columns,
                    uint8_t *columnCount);

    ServerConnection *connection;  // the process-wide connection, not owned
    int32_t newQuery;              // 1 when the host passed no definition
    uint32_t helpMethod;           // handed to the data library
};

#endif  // CBQ_QUERY_QUERY_SESSION_H
