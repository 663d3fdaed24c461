#include "connection/connect_dialog.h"

#include <string.h>

#include "connection/connection_directories.h"
#include "connection/connection_file.h"
#include "connection/dialog_state.h"
#include "connection/dialog_window.h"
#include "connection/last_selection.h"
#include "connection/server_connection.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"

namespace {

// The three authentication fields, each an edit and its label.
const int kDomainControls[] = {IDC_DOMAIN, IDC_DOMAIN_LABEL};
const int kUserIdControls[] = {IDC_USER_ID, IDC_USER_ID_LABEL};
const int kPasswordControls[] = {IDC_PASSWORD, IDC_PASSWORD_LABEL};
const int kButtons[] = {IDOK, IDCANCEL, IDC_HELP_BUTTON};

enum {
    kCredentialFieldSize = 100,  // each text of Credentials: 99 bytes and a terminator
    kFieldReadSize = 128,        // what is read of an edit: enough to see it is longer
    kFieldCharacters = 99,       // what the user may type into an edit
};

const int kEdits[] = {IDC_DOMAIN,           IDC_USER_ID,
                      IDC_PASSWORD,         IDC_RELATIONAL_USER_ID,
                      IDC_RELATIONAL_PASSWORD, IDC_QUORVEL_ID};

void enablePair(DialogWindow *window, const int (&pair)[2], bool enable) {
    window->enableControl(pair[0], enable);
    window->enableControl(pair[1], enable);
}

// The dialog in the empty state: compact, OK and the authentication fields
// disabled, until it ends.
void emptyState(DialogWindow *window) {
    setCompact(window, 1);
    window->enableControl(IDOK, false);
    enablePair(window, kDomainControls, false);
    enablePair(window, kPasswordControls, false);
    enablePair(window, kUserIdControls, false);
}

// Makes the client area width x height, keeping the top-left corner.
void resizeClient(DialogWindow *window, int32_t width, int32_t height) {
    DialogRect r = {0, 0, width, height};
    window->clientToWindowRect(&r);
    window->resizeWindow(r.right - r.left, r.bottom - r.top);
}

// A control's window rectangle in client coordinates.
DialogRect clientRectOf(DialogWindow *window, int id) {
    DialogRect r = {0, 0, 0, 0};
    if (!window->controlWindowRect(id, &r))
        return r;
    DialogPoint topLeft = {r.left, r.top};
    DialogPoint bottomRight = {r.right, r.bottom};
    window->screenToClient(&topLeft);
    window->screenToClient(&bottomRight);
    return DialogRect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void moveButtonsTo(DialogWindow *window, int32_t top) {
    for (int id : kButtons) {
        DialogRect r = clientRectOf(window, id);
        window->moveControl(id, r.left, top, r.right - r.left, r.bottom - r.top);
    }
}

// Copies an enabled edit's text into a 100-byte credential field; a
// disabled edit leaves the field empty. A text of more than 99 bytes (the
// edits take 99 characters, which a multibyte set may make longer) is not
// cut, which would hand the host another password or name: the field stays
// empty and dialogState.fieldTooLong is set.
void readField(DialogWindow *window, int id, char *field) {
    field[0] = '\0';
    if (!window->controlEnabled(id))
        return;
    char text[kFieldReadSize];
    window->controlText(id, text, sizeof text);
    size_t length = strlen(text);
    if (length >= kCredentialFieldSize) {
        dialogState.fieldTooLong = 1;
        return;
    }
    memcpy(field, text, length + 1);
}

bool anyEntryPath(const ServerEntry *entry, char *path) {
    return entryPath(&connectionDirectories, entry, path, kChosenPathSize);
}

}  // namespace

intptr_t connectDialogInit(DialogWindow *window, ServerConnection *connection) {
    dialogState.connection = connection;
    for (int id : kEdits)
        window->limitText(id, kFieldCharacters);

    // Centred on the screen, size unchanged.
    DialogRect w;
    window->windowRect(&w);
    int32_t screenWidth = 0, screenHeight = 0;
    window->screenSize(&screenWidth, &screenHeight);
    window->moveWindow((screenWidth - (w.right - w.left)) >> 1, (screenHeight - (w.bottom - w.top)) >> 1);

    bool refused = false;
    for (ServerEntry *e = connection->firstEntry; e != nullptr && !refused; e = e->next)
        refused = window->addItem(e->description, e) < 0;
    if (connection->firstEntry == nullptr || refused) {
        emptyState(window);
        return 1;
    }

    window->clientRect(&dialogState.fullClient);
    dialogState.buttonRowTop = clientRectOf(window, IDOK).top;

    readLastSelection(connection);
    int i = 0;
    if (connection->chosenPath[0] != '\0') {
        i = findListedPath(window, connection->chosenPath);
        if (i == -1) {
            forgetLastSelection(connection);
            i = 0;
        }
    }
    window->selectItem(i);
    applySelection(window, i);
    return 1;
}

intptr_t connectDialogCommand(DialogWindow *window, int control, int notification) {
    switch (control) {
    case IDOK:
        readCredentialFields(window);
        window->endDialog(1);
        dialogState.connection = nullptr;
        return 1;
    case IDCANCEL:
        window->endDialog(0);
        dialogState.connection = nullptr;
        return 1;
    case IDC_HELP_BUTTON:
        if (dialogState.connection != nullptr && dialogState.connection->helpFunction != nullptr)
            dialogState.connection->helpFunction(dialogState.connection->helpContext, kHelpTopicConnect);
        return 1;
    case IDC_SERVER_COMBO:
        if (notification == kComboSelectionChanged)
            applySelection(window, window->currentSelection());
        return 1;
    }
    return 0;
}

int findListedPath(DialogWindow *window, const char *path) {
    void *data = nullptr;
    for (int i = 0; window->itemData(i, &data); ++i) {
        char listed[kChosenPathSize];
        if (data != nullptr && anyEntryPath(static_cast<ServerEntry *>(data), listed) &&
            platformCompareNoCase(listed, path) == 0)
            return i;
    }
    return -1;
}

// Makes the entry of combo item i the chosen one and sets the dialog up for
// it. An entry whose connection file has vanished is reported once, leaves
// the combo box and the server list, and the first remaining item is
// applied instead; when none remains, OK is disabled.
void applySelection(DialogWindow *window, int i) {
    ServerConnection *connection = dialogState.connection;
    for (;;) {
        dialogState.chosenEntry = nullptr;
        void *data = nullptr;
        if (connection == nullptr || !window->itemData(i, &data) || data == nullptr)
            return;
        ServerEntry *entry = static_cast<ServerEntry *>(data);
        dialogState.chosenEntry = entry;
        char path[kChosenPathSize];
        bool named = anyEntryPath(entry, path);
        if (named && fileExists(path)) {
            readConnectionFile(path, entry, &connection->address);
            break;
        }
        window->messageBox(IDS_FILE_VANISHED, IDS_ERROR_CAPTION);
        window->deleteItem(i);
        dialogState.chosenEntry = nullptr;
        removeEntry(connection, entry);
        if (connection->firstEntry == nullptr) {
            window->enableControl(IDOK, false);
            return;
        }
        i = 0;
        window->selectItem(0);
    }

    ServerEntry *entry = dialogState.chosenEntry;
    bool domain = false, userAndPassword = false;
    if (connection->address.kind == kAddressRemote) {
        int32_t login = entry->settings.serverLogin;
        if ((login >= 1 && login <= 5) || login == -2)
            domain = userAndPassword = true;
        else if (login == -1)
            userAndPassword = true;
    }
    enablePair(window, kDomainControls, domain);
    enablePair(window, kPasswordControls, userAndPassword);
    enablePair(window, kUserIdControls, userAndPassword);

    setCompact(window, entry->settings.connectionType == 0 ? 1 : 0);
    if (dialogState.compact == 0) {
        bool prompt = entry->settings.promptForQuorvelId != 0;
        window->enableControl(IDC_QUORVEL_ID, prompt);
        window->enableControl(IDC_QUORVEL_ID_LABEL, prompt);
    }
}

void setCompact(DialogWindow *window, int32_t wanted) {
    if (wanted == dialogState.compact)
        return;
    if (wanted == 1)
        compactLayout(window);
    else
        expandLayout(window);
}

void compactLayout(DialogWindow *window) {
    DialogRect frame = clientRectOf(window, IDC_COMPACT_FRAME);
    resizeClient(window, frame.right, frame.bottom);
    window->showControl(IDC_RELATIONAL_GROUP, false);
    window->showControl(IDC_RELATIONAL_USER_ID, false);
    window->showControl(IDC_RELATIONAL_USER_ID_LABEL, false);
    moveButtonsTo(window, clientRectOf(window, IDC_RELATIONAL_GROUP).top);
    window->enableControl(IDC_RELATIONAL_USER_ID, false);
    window->enableControl(IDC_RELATIONAL_PASSWORD, false);
    window->enableControl(IDC_QUORVEL_ID, false);
    dialogState.compact = 1;
}

void expandLayout(DialogWindow *window) {
    resizeClient(window, dialogState.fullClient.right - dialogState.fullClient.left,
                 dialogState.fullClient.bottom - dialogState.fullClient.top);
    window->showControl(IDC_RELATIONAL_GROUP, true);
    window->showControl(IDC_RELATIONAL_USER_ID, true);
    window->showControl(IDC_RELATIONAL_USER_ID_LABEL, true);
    moveButtonsTo(window, dialogState.buttonRowTop);
    window->enableControl(IDC_RELATIONAL_USER_ID, true);
    window->enableControl(IDC_RELATIONAL_PASSWORD, true);
    window->enableControl(IDC_QUORVEL_ID, true);
    dialogState.compact = 0;
}

void readCredentialFields(DialogWindow *window) {
    Credentials *c = dialogState.credentials;
    if (c == nullptr)
        return;
    readField(window, IDC_DOMAIN, c->domain);
    readField(window, IDC_USER_ID, c->userId);
    readField(window, IDC_PASSWORD, c->password);
    c->relationalUserId[0] = c->relationalPassword[0] = c->quorvelId[0] = '\0';
    if (dialogState.compact != 0)
        return;
    readField(window, IDC_RELATIONAL_USER_ID, c->relationalUserId);
    readField(window, IDC_RELATIONAL_PASSWORD, c->relationalPassword);
    readField(window, IDC_QUORVEL_ID, c->quorvelId);
}
