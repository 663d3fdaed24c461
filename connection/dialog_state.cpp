#include "connection/dialog_state.h"

ServerEntry *chosenEntry = nullptr;
ServerConnection *dialogConnection = nullptr;
Credentials *dialogCredentials = nullptr;
int32_t dialogCompact = 0;
DialogRect dialogFullClient = {0, 0, 0, 0};
int32_t dialogButtonRowTop = 0;
int32_t dialogFieldTooLong = 0;

void resetDialogPointers() {
    chosenEntry = nullptr;
    dialogConnection = nullptr;
    dialogCredentials = nullptr;
}
