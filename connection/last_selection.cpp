#include "connection/last_selection.h"

#include "connection/server_connection.h"
#include "platform/platform.h"
#include "text/nls_text.h"

const char kLastSelectionKey[] = "SOFTWARE\\Tarsik\\olap\\QuorvelPDS";
const char kLastSelectionValue[] = "LastQCF";

namespace {

// A remembered path of at most 261 bytes and its terminator.
const uint32_t kLastSelectionLimit = 262;

}  // namespace

void readLastSelection(ServerConnection *connection) {
    putTerminator(connection->chosenPath);
    platformRegistryRead(kLastSelectionKey, kLastSelectionValue, connection->chosenPath,
                         kLastSelectionLimit);
}

void forgetLastSelection(ServerConnection *connection) {
    platformRegistryDeleteValue(kLastSelectionKey, kLastSelectionValue);
    putTerminator(connection->chosenPath);
}
