#include "connection/server_connection.h"

#include <string.h>

#include "host/memory.h"
#include "host/qvdata.h"

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
      chosenPath(),
      helpContext(0),
      helpFunction(nullptr) {}

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
