// The five steps of an edit that other units carry out: the relational
// start-up, the rebuild, the serialiser, the column description and the
// change test. The session reaches them through this one table, so that its
// own outcomes (result codes, what the host receives, what is released) can
// be tested with stand-ins for them.
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
