// The column records that describe a finished query's result to the host.
#ifndef CBQ_COLUMNS_COLUMN_DESCRIPTORS_H
#define CBQ_COLUMNS_COLUMN_DESCRIPTORS_H

#include <stdint.h>

#include "cbq90.h"

class QuerySession;

// One entry of the session's column list.
struct ColumnInfo;

// Builds the column list and the PWQCOL records of the finished query and
// encodes the output definition into the session's definition text. 0, or
// 3003.
ResultCode describeColumns(QuerySession *session);

// Frees the session's column records that were not handed to the host (every
// record's name block, then the array) and sets the count to 0.
void releaseColumnRecords(QuerySession *session);

// Frees the session's column list with the texts of its entries.
void releaseColumnList(QuerySession *session);

#endif  // CBQ_COLUMNS_COLUMN_DESCRIPTORS_H
