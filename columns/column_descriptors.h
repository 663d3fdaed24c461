// The column records that describe a finished query's result to the host.
//
// describeColumns runs once per edit, after the serialiser has written the
// output definition: it lists the query's columns (collectColumns), asks the
// server for all their data types in one command, builds the PWQCOL array
// (buildColumnRecords) and, as its last step, appends the stored form of the
// output definition to the session's definition text, each segment followed
// by one LF.
//
// Columns: one per measure, in the query's measure order, then one per
// dimension that is not the measure dimension, edge 0, 1, 2 and within an
// edge in dimension order. Records: one per measure column; two per
// dimension column, the dimension's own record followed by its companion
// record "s_" + the column name.
//
// The column list (session->columnList) is one block from memAlloc holding
// the entry count as a 32-bit number in the 4 bytes directly in front of the
// first entry, then the entries. On 32-bit Windows the block starts with
// those 4 bytes; where entries need a stricter alignment (64-bit Linux) the
// block starts with padding up to that alignment and the count fills its
// last 4 bytes. releaseColumnList reads the count there.
//
// Limits. A PWQCOL carries its position, and cbqEdit the record count, in
// one byte, so at most 255 records can be described: buildColumnRecords
// refuses a record count (measure count + 2 x dimension count) above 255
// with 3003 and builds nothing, so no record ever carries a wrapped position
// or count. The session refuses more than 255 measures before this runs.
// Texts (object names, column names, the database name read from the
// definition, the type command) are carried whole: nothing here has a fixed
// buffer.
//
// Failures are 3003 (out of memory, or more than 255 records). After a
// failure of buildColumnRecords no record array is left with the session
// (pointer null, count 0) and every name block made so far is freed; the
// column list stays with the session until releaseColumnList.
#ifndef CBQ_COLUMNS_COLUMN_DESCRIPTORS_H
#define CBQ_COLUMNS_COLUMN_DESCRIPTORS_H

#include <stdint.h>

#include "cbq90.h"
#include "text/growable_text.h"

class QuerySession;

// Type flags of a column, from the server's type word.
enum : uint32_t {
    kTypeInteger = 0x1,
    kTypeShortInteger = 0x2,
    kTypeDecimal = 0x4,
    kTypeShort = 0x8,
    kTypeText = 0x10,
    kTypeBoolean = 0x20,
    kTypeDate = 0x40,
    kTypeId = 0x80,
    kTypeUnknown = 0x800,  // no word, or a word not in the type table
};

// The most records a PWQCOL array may hold (positions and counts are bytes).
enum { kMaxColumnRecords = 255 };

// One entry of the session's column list. Each entry starts with two empty
// texts and kTypeUnknown.
struct ColumnInfo {
    GrowableText objectName;  // the server object's name, used in server commands
    GrowableText columnName;  // the description that the host shows
    uint32_t typeFlags;

    ColumnInfo() : typeFlags(kTypeUnknown) {}
};

// Builds the column list and the PWQCOL records of the finished query and
// encodes the output definition into the session's definition text: runs
// collectColumns, then buildColumnRecords, then the encoding. 0, or 3003.
ResultCode describeColumns(QuerySession *session);

// Fills the column list, the entry count, the dimension count and the type
// flags of every entry from the data library (session->queryName names the
// query) and one batched server command:
//   row w 16 <obj(data, 'A') obj(data, 'B') ...>
// The measure count is set to the data library's count too, so that the list
// and the records always agree. Measure names come from the measure list of
// each measure's database (the "M%dDB" and "DB%d" records of the output
// definition); QVGetMeasures is called once per run of measures that share a
// database index, and not for a first measure whose index is -1. Type words
// are the runs of letters of the output, one per entry in order; a word that
// is not in the type table costs one more command for that word alone, whose
// whole output (trailing white space removed) is then looked up. 0 or 3003
// (out of memory).
ResultCode collectColumns(QuerySession *session);

// The type flags of a server type word, compared byte for byte with the
// table (INTEGER, SHORTINTEGER, DECIMAL, SHORT, DATE, TEXT, ID, BOOLEAN);
// kTypeUnknown for anything else, lower case included.
uint32_t lookupTypeFlags(const char *word);

// Builds the PWQCOL array and its count from the column list. Attributes by
// type flags (t = the terminator size):
//   TEXT 16/0/0/498+t, ID 16/0/0/10+t, SHORT 8/38/127/0, DECIMAL 4/38/127/0,
//   INTEGER or SHORTINTEGER 1/38/0/12, DATE 64/38/0/0, BOOLEAN 32/38/0/4
//   (type/precision/scale/size); a companion record 1/38/0/0. An entry whose
// flags stay kTypeUnknown gets all four zero; the reserved bytes of every
// record are zero. 0, or 3003 with no array left (out of memory, more than
// kMaxColumnRecords records, or counts that do not match the list).
ResultCode buildColumnRecords(QuerySession *session);

// When the session has a record array and last >= 0: frees the name block of
// records 0 to last (those that are not null; never beyond the array) and
// sets those fields to null.
void releaseColumnNames(QuerySession *session, int32_t last);

// Frees the session's column records that were not handed to the host (every
// record's name block, then the array) and sets the count to 0.
void releaseColumnRecords(QuerySession *session);

// Frees the session's column list with the texts of its entries and sets the
// entry count to 0.
void releaseColumnList(QuerySession *session);

#endif  // CBQ_COLUMNS_COLUMN_DESCRIPTORS_H
