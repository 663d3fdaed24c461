// Rebuilding a stored query into the session's freshly created query.
#ifndef CBQ_QUERY_REBUILD_H
#define CBQ_QUERY_REBUILD_H

#include "cbq90.h"

class QuerySession;

// Parses the host's stored definition text into the session's input
// definition and restores databases, measures, cube, placement and scripts,
// then runs the query. 0, or 3003 and 3007 to 3012 at the first failure.
ResultCode rebuildQuery(QuerySession *session, const char *definitionText);

#endif  // CBQ_QUERY_REBUILD_H
