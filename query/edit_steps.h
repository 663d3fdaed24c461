// The five parts of an edit that other units carry out: the relational
// start-up, the rebuild, the serialiser, the column description and the
// change test. The session reaches them through this one table.
//
// Why a table rather than direct calls: the session's own outcomes (which
// result code an edit returns, when the changed flag is written, what the
// host receives and what is released on each path) are tested by putting
// stand-ins in its place that succeed or fail at will
// (tests/query/query_session_test.cpp), and the benchmark of whole edits
// reads the change test's input through it. The tests link the very objects
// that ship in the module, so a seam compiled only into a test build would
// have them test other code than the module; the table costs one indirect
// call per part of an edit.
//
// editSteps holds the real functions from the moment the module is loaded
// and the module itself never changes it; kModuleEditSteps keeps them, so a
// test that replaced an entry puts the table back with
// `editSteps = kModuleEditSteps;`.
#ifndef CBQ_QUERY_EDIT_STEPS_H
#define CBQ_QUERY_EDIT_STEPS_H

#include <stdint.h>

#include "cbq90.h"

class QuerySession;
class ServerConnection;

struct EditSteps {
    // relationalStartup (query/relational_startup.h)
    ResultCode (*relationalStartup)(ServerConnection *connection);
    // rebuildQuery (query/rebuild.h), with the host's stored text
    ResultCode (*rebuild)(QuerySession *session, const char *definitionText);
    // serializeQuery (query/serializer.h)
    ResultCode (*serialize)(QuerySession *session);
    // describeColumns (columns/column_descriptors.h)
    ResultCode (*describeColumns)(QuerySession *session);
    // changeTest (query/serializer.h): 1 changed, 0 not
    int32_t (*changeTest)(const QuerySession *session);
};

extern const EditSteps kModuleEditSteps;
extern EditSteps editSteps;

#endif  // CBQ_QUERY_EDIT_STEPS_H
