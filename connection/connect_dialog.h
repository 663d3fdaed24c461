// The connect dialog's behaviour, written against DialogWindow so that the
// Win32 dialog and the Linux window model run the same code.
//
// The dialog shows the server list (connection->firstEntry on) in its
// sorted combo box 1001, each item carrying its ServerEntry; it enables the
// credential fields that the chosen server's connection file asks for,
// shrinks to the frame 1013 when the server has no relational access
// (connection type 0), and drops servers whose connection file has vanished
// since the list was built, after telling the user (string 1, caption 2).
// The module-wide state it keeps is in connection/dialog_state.h.
#ifndef CBQ_CONNECTION_CONNECT_DIALOG_H
#define CBQ_CONNECTION_CONNECT_DIALOG_H

#include <stdint.h>

class DialogWindow;
class ServerConnection;

enum { kHelpTopicConnect = 13006 };  // the Help button's topic number

// The initialisation message: the dialog's connection becomes connection;
// each of the six edits takes at most 99 characters;
// the dialog is centred on the screen; the combo box is filled; with no
// server (or an item refused) the dialog goes to the empty state (compact,
// OK and the three authentication fields and their labels disabled);
// otherwise the full client rectangle and button-row top are recorded and
// the remembered selection (or, when it names no listed entry, which makes
// it forgotten, the first item) is selected and applied. Returns 1, so that
// the platform sets the default focus.
intptr_t connectDialogInit(DialogWindow *window, ServerConnection *connection);

// A command message from control with notification: OK reads the credential
// fields and ends the dialog with 1; Cancel ends it with 0 (both make the
// dialog's connection null); Help calls the connection's help function with
// its context and 13006; a selection change of the combo box applies the
// current selection. Returns 1 when the control is one of these four (any
// notification of the combo box), else 0.
intptr_t connectDialogCommand(DialogWindow *window, int control, int notification);

// The position of the combo item whose entry's full path equals path
// without regard to case, or -1.
int findListedPath(DialogWindow *window, const char *path);

// Applies combo item i: see connect_dialog.cpp.
void applySelection(DialogWindow *window, int i);

// Switches to the compact layout (wanted 1) or the full one (0) unless the
// dialog is in it already.
void setCompact(DialogWindow *window, int32_t wanted);
void compactLayout(DialogWindow *window);
void expandLayout(DialogWindow *window);

// Copies the enabled authentication edits, and the relational ones when
// the layout is full, into the dialog's credentials; every other field is
// made empty. A text longer than 99 bytes is not cut: its field stays empty
// and dialogState.fieldTooLong is set.
void readCredentialFields(DialogWindow *window);

#endif  // CBQ_CONNECTION_CONNECT_DIALOG_H
