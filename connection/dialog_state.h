// The module-wide state of the connect dialog: one modal dialog runs at a
// time, on the host's thread, so these are plain globals without a lock.
#ifndef CBQ_CONNECTION_DIALOG_STATE_H
#define CBQ_CONNECTION_DIALOG_STATE_H

#include <stdint.h>

#include "cbq90.h"
#include "connection/dialog_window.h"

class ServerConnection;
struct ServerEntry;

// The entry that the dialog last applied; null when none.
extern ServerEntry *chosenEntry;
// The connection whose dialog is open; null outside a dialog.
extern ServerConnection *dialogConnection;
// The credentials block that selectServer allocated for the dialog.
extern Credentials *dialogCredentials;
// 1 while the relational group is hidden, 0 while it is shown.
extern int32_t dialogCompact;
// The dialog's client area as created from the template (pixels).
extern DialogRect dialogFullClient;
// The OK button's top in client coordinates as created from the template.
extern int32_t dialogButtonRowTop;

// Set by readCredentialFields when an enabled field holds more than a
// Credentials text takes (99 bytes): the credentials are not handed over.
extern int32_t dialogFieldTooLong;

// Sets the three pointers to null.
void resetDialogPointers();

#endif  // CBQ_CONNECTION_DIALOG_STATE_H
