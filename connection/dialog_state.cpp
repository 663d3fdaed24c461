#include "connection/dialog_state.h"

ServerEntry *chosenEntry = nullptr;
ServerConnection *dialogConnection = nullptr;
Credentials *dialogCredentials = nullptr;

void resetDialogPointers() {
    chosenEntry = nullptr;
    dialogConnection = nullptr;
    dialogCredentials = nullptr;
}
