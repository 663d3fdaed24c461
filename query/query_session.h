// QuerySession: one cbqEdit call from start to end. cbqEdit creates one
// session, runs its edit once and destroys it.
//
// The edit attaches the data library to the host's connection, runs the
// relational start-up for a server with a relational source, creates a
// query, rebuilds it from the host's stored definition, runs the wizard and,
// when the user finishes, serialises the query, describes its columns, hands
// the new definition text and the columns to the host and releases the query
// in the data library again.
//
// The fields are public: the steps that fill them (relational start-up,
// rebuild, serialiser and server scripts, column description) are plain
// functions over the session, each in its own file.
//
// The parts that other units carry out are reached through editSteps
// (query/edit_steps.h says why).
//
// Ownership: the session owns the output and input definitions, the column
// list, the column records (with their name blocks) until they are handed to
// the host, and the custom-measure table. It never owns the connection.
#ifndef CBQ_QUERY_QUERY_SESSION_H
#define CBQ_QUERY_QUERY_SESSION_H

#include <stdint.h>

#include "cbq90.h"
#include "text/growable_text.h"

class ServerConnection;
class QueryDefinition;
struct ColumnInfo;     // columns/column_descriptors.h
struct CustomMeasure;  // query/server_scripts.h

enum { kNaSpellingSize = 20 };  // at most 19 bytes of text and a terminator

class QuerySession {
public:
    QuerySession();   // the initial values listed with the fields
    // Releases, in this order: the output and input definitions, a query that
    // still exists in the data library (QVDeleteQuery), the custom-measure
    // table, the column records not handed over, the column list, the texts.
    ~QuerySession();
    QuerySession(const QuerySession &) = delete;
    QuerySession &operator=(const QuerySession &) = delete;

    void setHelpMethod(uint32_t method) { helpMethod = method; }

    // One edit of a query over the host's connection. The out-parameters are
    // those of cbqEdit; measureCount, columns and columnCount may be null and
    // start as 0, null and 0. helpPath is not used.
    //
    // The connection's relational data database is emptied first: only a
    // start-up of this edit sets it, so that the rebuild skips a stored
    // database as "attached by the start-up" only when this edit's start-up
    // attached it.
    //
    // The steps run in this order: home directory to the data library, help
    // method, attach to the connection handle (connected flag set), the
    // relational start-up for connection type 1, create the query,
    // "DefaultAttachMode" "RW" becomes "RO", rebuild a stored definition (a
    // definition pointer holding any text, even an empty one), the wizard.
    // A failure up to here returns at once (2033, 3005, the start-up's code,
    // 3001, the rebuild's code, 3002 for the wizard's 0) without deleting the
    // query or disconnecting; only the wizard's 0 writes the changed flag.
    //
    // After the wizard: NA spelling (setNaSpelling), measure count,
    // serialiser, column description, change test, text to the host. Every
    // such path writes the changed flag (1 only when the change test says
    // so), deletes the query, detaches the databases and disconnects.
    // Outcomes: 3004 when the wizard was not finished or the query has no
    // measures; 3003 when it has more than 255 measures or more than 255
    // column records (their counts travel in one byte), with nothing handed
    // over; the serialiser's or column description's code; 3003 when the NA
    // spelling cannot be kept, or when the host's new block cannot be
    // allocated (the host's definition pointer and its text then stay as
    // they were); 3006 when the query cannot be deleted. Only with 0 do the
    // column records pass to the host. A host whose pointer holds null gets
    // a block of its own even for an empty text.
    ResultCode edit(ServerConnection *connection, char **definition, uint8_t *changed,
                    uint8_t *measureCount, const char *helpPath, PWQCOL **columns,
                    uint8_t *columnCount);

    // Keeps the server's NA spelling as "shw naspell" printed it: whole in
    // naSpellingText, which every comparison of a server reply uses, and its
    // first 19 bytes, cut at a character boundary, in the fixed field
    // naSpelling. false when memory runs out (naSpellingText is then empty).
    bool setNaSpelling(const char *spelling);

    // Detaches the databases of the data library, reading index 0 in at most
    // as many passes as there were databases at the start; 0 without a
    // query. Returns the number detached.
    int32_t detachDatabases();

private:
    // The parts of edit, in the order they run. setUp: the home directory,
    // the help method, the attachment, the relational start-up, the query,
    // the attach mode and the rebuild; its first failure returns at once.
    ResultCode setUp(char **definition);
    ResultCode createQuery();
    // After a finished wizard: the NA spelling, the measure count, the
    // serialiser, the column description, the change test (*changed, left
    // 0 by every failure before it) and the text to the host.
    ResultCode finish(char **definition, uint8_t *changed, uint8_t *measureCountOut);
    // The one clean-up of every path through the wizard: the output
    // definition, the query (3006 when it cannot be deleted and nothing
    // failed before), the column records to the host when all went well,
    // the databases detached, the data library disconnected.
    ResultCode endEdit(ResultCode result, PWQCOL **columns, uint8_t *columnCount);

public:
    ServerConnection *connection;       // null; the process-wide connection, not owned
    GrowableText queryName;             // empty while no query exists in the data library
    GrowableText definitionText;        // the stored-form text produced for the host
    int32_t newQuery;                   // 1: the host passed no definition
    QueryDefinition *outputDefinition;  // owned; written by the serialiser
    QueryDefinition *inputDefinition;   // owned; parsed by the rebuild
    ColumnInfo *columnList;             // owned; one entry per measure and dimension
    int32_t entryCount;                 // entries in the column list
    int32_t measureCount;               // QVGetMeasureCount of the finished query
    int32_t dimensionCount;             // non-measure dimensions on the edges
    PWQCOL *columnRecords;              // owned until handed to the host
    int32_t columnRecordCount;          // records in columnRecords
    CustomMeasure *customMeasures;      // owned; the custom-measure table
    int32_t customMeasureCount;         // -1 while the table has not been read
    int32_t customMeasureRecordCounter; // numbers the CMeasure%dd / %df records
    char naSpelling[kNaSpellingSize];   // the NA spelling's first 19 bytes; compared with nothing
    GrowableText naSpellingText;        // the server's not-available spelling, whole
    uint32_t helpMethod;                // handed to QVSetKHVMethod
};

#endif  // CBQ_QUERY_QUERY_SESSION_H
