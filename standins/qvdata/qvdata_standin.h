/* Host-side functions of the data-library stand-in: a simulated OLAP server
 * behind the QVDATA functions of host/qvdata.h. The module never calls
 * these; hosts and tests use them to open simulated servers, script the
 * wizard, make calls fail and read the call log.
 *
 * Servers. A server is opened on a model: JSON text, from a file or from a
 * test (see demo/servers/README.md for the format). Opening gives the 16-bit
 * handle that QVConnectHandle attaches to; several servers may be open, the
 * library is attached to one at a time. Each open server keeps its own
 * state: attached databases, queries, the command language's variables,
 * whether the relational start-up has run, and the wizard plans still to
 * run. Handles count up from 1 and are not reused.
 *
 * How the library behaves where its interface leaves room:
 * - Every function copes with null texts (as empty) and with a library that
 *   is attached to no server (texts empty, counts 0, results 0; QVExecute
 *   prints an error). A returned text is never null and stays valid until
 *   the next call into the library, these host-side functions included
 *   (see qvStandinOverwriteReturnedTexts for a library that spoils it then).
 * - QVDisconnect detaches the library from its server; the server keeps its
 *   state, so a later QVConnectHandle finds the queries and databases it
 *   left. QVClose also deletes every query of every server. Options belong
 *   to the library: they outlive both.
 * - QVCreateQuery names queries QUERY1, QUERY2, ... across the library.
 * - Options: any name can be set and read back ("" when never set);
 *   "DefaultAttachMode" starts as "RW" (or as the model's "options" say) and
 *   is the mode of QVDatabaseAttach and of the wizard's attaches: "RO" in any
 *   case means read-only, anything else read-write. A read-only database
 *   refuses a read-write attach.
 * - Databases are named by name (SALES), file name (SALES.DB) or full path.
 *   Names match in any case; file names too, unless the model says the
 *   server's file names are case-sensitive. QVGetDatabase gives the attached
 *   databases in search order, form 0 the name, form 1 the full path (other
 *   forms ""). QVDatabaseAttach adds a database at the end of the order and
 *   succeeds for one attached already (which stays where it is). The
 *   relational data database exists only once the start-up program has run.
 *   QVDatabaseDetach refuses a database that a query's measure comes from.
 * - QVGetMeasures lists a database's measures, then the custom measures
 *   stored in it; it needs the database attached (else 0 and an empty list).
 *   QVGetMeasureDatabase gives "" for a custom measure of no database.
 * - QVAddMeasure: see standins/qvdata/query_cube.h (a measure twice is
 *   refused). QVCreateCube needs a measure; QVRunQuery a cube built since
 *   the measures last changed. QVSetDimensionEdge: flag 1 swaps with the
 *   dimension at that position, flag 0 inserts; a move that would empty edge
 *   0 or 1 is refused (query_cube.h has the rules).
 * - QVStartWizard runs the next wizard plan of the attached server (from its
 *   model or from qvStandinSetWizardPlans); with none left the user closes
 *   the wizard at once: result 2. The flags are ignored. See wizard.h.
 * - QVExecute / QVExecuteEx run a command in the server's command language
 *   (standins/qvdata/command_language.h); the flag is 1 when no statement
 *   failed. A null flag pointer is not written.
 */
#ifndef CBQ_STANDINS_QVDATA_STANDIN_H
#define CBQ_STANDINS_QVDATA_STANDIN_H

#include "host/qvdata.h"

#ifdef __cplusplus
extern "C" {
#endif

/* How often QVPagewright was called, and the flag of the last call. */
QVDATA_API int32_t qvStandinPagewrightCalls(void);
QVDATA_API int32_t qvStandinPagewrightFlag(void);

/* Opens a simulated server on the model in a JSON file, or in JSON text.
 * Returns its handle (1 to 32767), or 0 when the model cannot be read;
 * qvStandinLastError then says why. */
QVDATA_API int16_t qvStandinOpenServer(const char *modelFile);
QVDATA_API int16_t qvStandinOpenServerText(const char *modelJson);
/* Closes a server (detaching the library when attached to it); nonzero when
 * the handle was open. */
QVDATA_API int32_t qvStandinCloseServer(int16_t handle);
/* The handle the library is attached to, 0 when none. */
QVDATA_API int16_t qvStandinAttachedServer(void);
/* Why the last open, plan or failure call failed; "" after a success. */
QVDATA_API const char *qvStandinLastError(void);

/* Replaces the wizard plans still to run on a server with those in JSON
 * text: one plan object or an array of them. On a server whose model has
 * "byteTexts" the plans' texts stand for bytes as the model's do. Nonzero
 * on success. */
QVDATA_API int32_t qvStandinSetWizardPlans(int16_t handle, const char *plansJson);

/* Makes the next count calls of a QV function fail, whatever the server
 * holds (count -1: every call until cleared with 0): an int32_t result is 0,
 * a text is empty, a count 0, QVExecuteEx's flag 0. Such calls change
 * nothing. Nonzero when the function is one of QVDATA's. */
QVDATA_API int32_t qvStandinFailNext(const char *function, int32_t count);
/* The same for server commands: the next count commands of QVExecute and
 * QVExecuteEx that start with prefix (byte for byte) fail, whichever call
 * sends them (count -1: every one until cleared with 0). Nonzero unless the
 * prefix is empty. */
QVDATA_API int32_t qvStandinFailCommand(const char *prefix, int32_t count);

/* The call log (standins/qvdata/call_log.h has its form): entries counted,
 * one entry (empty beyond the end), all of them each followed by LF, and
 * clearing it. */
QVDATA_API int32_t qvStandinLogCount(void);
QVDATA_API const char *qvStandinLogEntry(int32_t index);
QVDATA_API const char *qvStandinLogText(void);
QVDATA_API void qvStandinClearLog(void);

/* With on nonzero, every later call into the library (these host-side
 * functions included) first overwrites each text the library returned
 * before with 'X' bytes, its length kept, as a library may that reuses its
 * return buffers: a caller that keeps a returned text across a call, or
 * passes it back into the library, then sees X's. 0 switches it off (the
 * default). qvStandinReset keeps the setting. */
QVDATA_API void qvStandinOverwriteReturnedTexts(int32_t on);

/* Back to the state of a freshly loaded library: every server closed,
 * options, failures and the log cleared, query numbering restarted. The
 * QVPagewright counters and the overwriting of returned texts are kept. */
QVDATA_API void qvStandinReset(void);

#ifdef __cplusplus
}
#endif

#endif
