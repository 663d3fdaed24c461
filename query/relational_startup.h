// The start-up of a relational data source, run before the query exists
// when the server's connection type is 1.
#ifndef CBQ_QUERY_RELATIONAL_STARTUP_H
#define CBQ_QUERY_RELATIONAL_STARTUP_H

#include "cbq90.h"

class ServerConnection;

// Attaches the data-source code database, runs the start-up program and
// attaches the data database it makes available, leaving its name in the
// connection's relationalDatabase. 0, or 2015, 2016, 2017 or 3003.
ResultCode relationalStartup(ServerConnection *connection);

#endif  // CBQ_QUERY_RELATIONAL_STARTUP_H
