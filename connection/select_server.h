// selectServer: lists the servers, runs the connect dialog and, on OK, hands
// the host the connect string and the chosen connection file's path.
#ifndef CBQ_CONNECTION_SELECT_SERVER_H
#define CBQ_CONNECTION_SELECT_SERVER_H

#include "cbq90.h"

class ServerConnection;

// Returns 0 on OK, 3004 when the user cancels, 3003 when memory runs out, or
// the failure of finding the connection directories. The buffers are written
// only on 0.
ResultCode selectServer(ServerConnection *connection, char *connectString, char *pathBuffer);

#endif  // CBQ_CONNECTION_SELECT_SERVER_H
