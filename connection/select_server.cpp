#include "connection/select_server.h"

#include <string.h>

#include "connection/connect_string.h"
#include "connection/connection_directories.h"
#include "connection/dialog_state.h"
#include "connection/dialog_window.h"
#include "connection/server_connection.h"
#include "connection/server_list.h"
#include "host/memory.h"
#include "host/result_code.h"
#include "text/nls_text.h"

int (*replacementDialog)(ServerConnection *connection) = nullptr;

namespace {

// What the dialog's end gives: the connect string and the path into the
// host's buffers, both or neither.
ResultCode handOver(ServerConnection *connection, char *connectString, char *pathBuffer) {
    if (dialogState.chosenEntry == nullptr)
        return kCancelled;  // OK is disabled without a chosen entry; nothing was chosen
    if (dialogState.fieldTooLong != 0)
        return kOutOfMemory;  // a credential does not fit its 100-byte field
    const ServerEntry *chosen = dialogState.chosenEntry;
    if (!entryPath(&connectionDirectories, chosen, connection->chosenPath, kChosenPathSize))
        return kOutOfMemory;
    ResultCode result = buildConnectString(connectString, kConnectStringSize, chosen, connection->credentials);
    if (result != kOk)
        return result;
    memcpy(pathBuffer, connection->chosenPath, textLength(connection->chosenPath) + terminatorSize());
    return kOk;
}

}  // namespace

ResultCode selectServer(ServerConnection *connection, char *connectString, char *pathBuffer) {
    Credentials *credentials = static_cast<Credentials *>(memAllocZero(sizeof(Credentials)));
    if (credentials == nullptr)
        return kOutOfMemory;
    if ((connection->state & kOwnsCredentials) != 0)
        memFree(connection->credentials);
    connection->credentials = credentials;
    connection->state |= kOwnsCredentials;
    dialogState.reset();
    dialogState.credentials = credentials;

    ResultCode result = kOk;
    if (connectionDirectories.count() == 0)
        result = loadConnectionDirectories(&connectionDirectories);
    if (result == kOk)
        result = buildServerList(connection, &connectionDirectories);
    if (result == kOk) {
        int ended = replacementDialog != nullptr ? replacementDialog(connection)
                                                 : runPlatformDialog(connection);
        if (ended == 1)
            result = handOver(connection, connectString, pathBuffer);
        else
            result = ended == 0 ? kCancelled : kOutOfMemory;
        freeServerList(connection);
    }
    dialogState.reset();
    return result;
}
