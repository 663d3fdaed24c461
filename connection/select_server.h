// selectServer: lists the servers, runs the connect dialog and, on OK, hands
// the host the connect string and the chosen connection file's path.
#ifndef CBQ_CONNECTION_SELECT_SERVER_H
#define CBQ_CONNECTION_SELECT_SERVER_H

#include "cbq90.h"

class ServerConnection;

// Allocates the connection's own Credentials block, finds the connection
// directories on the first call, builds the server list and runs the
// connect dialog: replacementDialog when one is set, else the platform's
// dialog (runPlatformDialog). On OK the
// connect string (connectString must hold kConnectStringSize bytes) and the
// chosen connection file's full path (pathBuffer, at least 264 bytes) are
// written; the server list is freed in every case.
//
// Returns 0 on OK; 3004 when the user cancels; 3003 when memory runs out,
// when the connect string, the path or a typed credential (more than 99
// bytes, which a cut would turn into another one) does not fit, and when the platform
// cannot create the dialog (the module's template is missing or the window
// system is out of resources: the user made no choice, and the host hears
// of a failure rather than of a cancel); or the failure of
// loadConnectionDirectories (2033, 3013, 3014). The buffers are written only
// on 0.
ResultCode selectServer(ServerConnection *connection, char *connectString, char *pathBuffer);

// The dialog that runs in place of the platform's, for tests: the window
// model driven by a script of the test's, set with useDialogScript
// (platform/window_model/dialog_model.h). It returns what runPlatformDialog
// returns. Null (the default) runs the platform's dialog; nothing in the
// module sets it, so on Windows the window model need not be part of
// cbq90.dll.
extern int (*replacementDialog)(ServerConnection *connection);

#endif  // CBQ_CONNECTION_SELECT_SERVER_H
