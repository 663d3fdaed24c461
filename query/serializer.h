// Writing a finished query into the session's output definition, and the
// change test against the input definition.
#ifndef CBQ_QUERY_SERIALIZER_H
#define CBQ_QUERY_SERIALIZER_H

#include <stdint.h>

#include "cbq90.h"

class QuerySession;

// Creates the session's output definition and writes the finished query
// into it. 0, or 3003.
ResultCode serializeQuery(QuerySession *session);

// 1 when the output definition holds a record that the input definition
// lacks or holds with another value, or when there is no input definition;
// else 0.
int32_t changeTest(const QuerySession *session);

#endif  // CBQ_QUERY_SERIALIZER_H
