// The module-wide state of the connect dialog that the connection records
// reset: one modal dialog runs at a time, on the host's thread, so these are
// plain globals without a lock.
#ifndef CBQ_CONNECTION_DIALOG_STATE_H
#define CBQ_CONNECTION_DIALOG_STATE_H

#include "cbq90.h"

class ServerConnection;
struct ServerEntry;

// The entry that the dialog last applied; null when none.
extern ServerEntry *chosenEntry;
// The connection whose dialog is open; null outside a dialog.
extern ServerConnection *dialogConnection;
// The credentials block that selectServer allocated for the dialog.
extern Credentials *dialogCredentials;

// Sets all three to null.
void resetDialogPointers();

#endif  // CBQ_CONNECTION_DIALOG_STATE_H
