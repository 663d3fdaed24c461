// Rebuilding a stored query into the session's freshly created query.
//
// Before the wizard opens on a query the host stored earlier, the session has
// created an empty query in the data library; the rebuild puts the stored
// query back into it, step by step and in this order:
//
//  1. The host's text is parsed (QueryDefinition::parseStored) into the
//     session's input definition, which stays there after the rebuild, also
//     after a failure. An empty or unreadable text gives 3008 before any
//     data-library call; memory running out while parsing gives 3003.
//  2. Databases: "DB0" .. "DB<DBCount - 1>" are attached with
//     QVDatabaseAttach, except a value byte-wise equal to the connection's
//     relational data database, which the relational start-up attached
//     already. A refusal gives 3009.
//  3. Measures: "Measure<i>" is added with QVAddMeasure together with the
//     stem (directory and extension removed, see pathStem) of the "DB<n>"
//     record that "M<i>DB" names; without an "M<i>DB" record a measure keeps
//     the previous measure's database number (0 for the first). The "DB<n>"
//     record is read again only when the number changes; a number without a
//     record passes an empty name. A refusal gives 3010.
//  4. QVCreateCube; a failure gives 3011.
//  5. Placement: each "E<e>Dim<k>Name" goes to edge e, position k, with flag
//     1 (swap) when the edge has a dimension at k already and 0 (insert)
//     when not. Edge 0 has a special case: when the dimension wanted at a
//     position edge 0 does not have yet is the only one on edge 1, it first
//     moves to edge 2, position 0, because the library never empties edge 1.
//     A refusal gives 3012.
//  6. Scripts: each dimension's selection and sort script (readScript) are
//     set with QVSetScript; a refusal gives 3010.
//  7. QVRunQuery; a failure gives 3007.
//
// A missing count reads as 0 and a missing text as empty. The first failure
// ends the rebuild: nothing after it is attempted and nothing done before it
// is undone. Every call about the query passes the session's query name.
//
// Stored values are used whole: a database name or script line longer than
// the widths the stored format was first read with (260 and 1000 bytes) is
// passed on exactly as stored, so that a query reopens as it was saved.
#ifndef CBQ_QUERY_REBUILD_H
#define CBQ_QUERY_REBUILD_H

#include <stdint.h>

#include "cbq90.h"
#include "query/query_definition.h"

class NlsString;
class QuerySession;

// Which record of the input definition the rebuild was restoring when it
// stopped. Tools that check stored queries against a server report it; the
// value is the record's value in the session's input definition
// (findText(record)), which outlives the rebuild.
struct RebuildFailure {
    enum Kind : int32_t {
        kNone = 0,       // success, or a failure no single record caused (3003 while
                         // parsing, 3007, 3008, 3011)
        kDatabase = 1,   // record is "DB<n>": QVDatabaseAttach refused it (3009)
        kMeasure = 2,    // record is "Measure<i>": QVAddMeasure refused it (3010)
        kDimension = 3,  // record is "E<e>Dim<k>Name": placing the dimension (3012),
                         // setting its scripts (3010) or reading them (3003) failed
    };
    int32_t kind;
    char record[QueryDefinition::kNameSize];  // "" with kNone
};

// The session's rebuild step. 0, or 3003 and 3007 to 3012 at the first
// failure. definitionText is the host's stored text (null is taken as empty).
ResultCode rebuildQuery(QuerySession *session, const char *definitionText);
// The same; failure (may be null) receives the record that caused a failure,
// or kNone and "" on success.
ResultCode rebuildQuery(QuerySession *session, const char *definitionText,
                        RebuildFailure *failure);

enum ScriptKind { kSelectionScript = 0, kSortScript = 1 };

// Assembles the selection or sort script of the dimension at (edge,
// position) from the records "E<e>Dim<k>Script", "E<e>Dim<k>Script1", ...
// (with "Sort" before "Script" for the sort script), up to the first record
// number that is missing: the lines joined by one LF, no LF at the end; an
// empty line is dropped with its LF, so a script whose first line is empty
// begins with an LF. No records give the empty text. 0, or 3003 when memory
// runs out (out is then empty).
ResultCode readScript(const QueryDefinition &definition, int32_t edge, int32_t position,
                      ScriptKind which, NlsString *out);

#endif  // CBQ_QUERY_REBUILD_H
