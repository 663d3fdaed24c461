#include "connection/dialog_state.h"

DialogState dialogState = {nullptr, nullptr, nullptr, 0, 0, {0, 0, 0, 0}, 0};

void DialogState::reset() {
    chosenEntry = nullptr;
    connection = nullptr;
    credentials = nullptr;
    compact = 0;
    fieldTooLong = 0;
}
