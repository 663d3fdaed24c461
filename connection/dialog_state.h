// The module-wide state of the connect dialog, in one struct: one modal
// dialog runs at a time, on the host's thread, so it is a plain global
// without a lock.
//
// Who resets it: selectServer when it opens the dialog and again when the
// dialog is over, whatever the outcome; and a ServerConnection when it is
// made and when it goes (the chosen entry and the connection point into a
// connection, and the credentials block is one it owns, so none of them may
// outlive it or carry over to a new one).
#ifndef CBQ_CONNECTION_DIALOG_STATE_H
#define CBQ_CONNECTION_DIALOG_STATE_H

#include <stdint.h>

#include "cbq90.h"
#include "connection/dialog_window.h"

class ServerConnection;
struct ServerEntry;

struct DialogState {
    // The entry that the dialog last applied; null when none.
    ServerEntry *chosenEntry;
    // The connection whose dialog is open; null outside a dialog.
    ServerConnection *connection;
    // The credentials block that selectServer allocated for the dialog.
    Credentials *credentials;
    // 1 while the relational group is hidden, 0 while it is shown.
    int32_t compact;
    // Set by readCredentialFields when an enabled field holds more than a
    // Credentials text takes (99 bytes): the credentials are not handed over.
    int32_t fieldTooLong;
    // The dialog's client area and the OK button's top in client
    // coordinates as the dialog was created from the template (pixels),
    // recorded by each dialog before it changes its layout.
    DialogRect fullClient;
    int32_t buttonRowTop;

    // No dialog: no chosen entry, connection or credentials, the full
    // layout and no field too long. The recorded layout stays as it is.
    void reset();
};

extern DialogState dialogState;

#endif  // CBQ_CONNECTION_DIALOG_STATE_H
