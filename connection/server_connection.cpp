#include "connection/server_connection.h"

#include <string.h>

#include "connection/dialog_state.h"
#include "connection/join_text.h"
#include "host/memory.h"
#include "host/qvdata.h"
#include "text/nls_text.h"
#include "text/string_list.h"

ServerConnection::ServerConnection()
    : hostWord1(0),
      hostWord2(0),
      connectionHandle(0),
      address(),
      state(0),
      credentials(nullptr),
      firstEntry(nullptr),
      lastEntry(nullptr),
      settings(nullptr),
      relationalDatabase(),
      chosenPath(),
      helpContext(0),
      helpFunction(nullptr) {
    dialogState.reset();
}

ServerConnection::~ServerConnection() {
    if (state & kConnected)
        QVClose();
    if (firstEntry != nullptr)
        freeServerList(this);
    if (credentials != nullptr) {
        if (state & kOwnsCredentials) {
            memFree(credentials);
            state &= ~kOwnsCredentials;
        }
        credentials = nullptr;
    }
    dialogState.reset();
    relationalDatabase.clear();
}

void freeServerList(ServerConnection *connection) {
    ServerEntry *entry = connection->firstEntry;
    while (entry != nullptr) {
        ServerEntry *next = entry->next;
        memFree(entry);
        entry = next;
    }
    connection->firstEntry = nullptr;
    connection->lastEntry = nullptr;
}

int32_t entryCount(const ServerConnection *connection) {
    int32_t count = 0;
    for (const ServerEntry *e = connection->firstEntry; e != nullptr; e = e->next)
        ++count;
    return count;
}

int removeEntry(ServerConnection *connection, ServerEntry *entry) {
    ServerEntry *previous = nullptr;
    ServerEntry *e = connection->firstEntry;
    while (e != nullptr && e != entry) {
        previous = e;
        e = e->next;
    }
    if (e == nullptr)
        return 0;
    if (previous == nullptr)
        connection->firstEntry = e->next;
    else
        previous->next = e->next;
    if (connection->lastEntry == e)
        connection->lastEntry = previous;
    if (dialogState.chosenEntry == e)
        dialogState.chosenEntry = nullptr;
    memFree(e);
    return 1;
}

bool entryPath(StringList *directories, const ServerEntry *entry, char *path, size_t capacity) {
    const NlsString *directory = directories->item(entry->directoryIndex);
    if (directory == nullptr) {
        if (capacity >= terminatorSize())
            putTerminator(path);
        return false;
    }
    return joinTexts(path, capacity, {directory->text(), entry->fileName});
}
