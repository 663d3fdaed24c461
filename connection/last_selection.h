// The last selection: the full path of the connection file last chosen,
// which another component keeps in the registry value "LastQCF" of the key
// HKEY_LOCAL_MACHINE\SOFTWARE\Tarsik\olap\QuorvelPDS. This module reads it
// and deletes it; it never writes it.
#ifndef CBQ_CONNECTION_LAST_SELECTION_H
#define CBQ_CONNECTION_LAST_SELECTION_H

class ServerConnection;

extern const char kLastSelectionKey[];    // SOFTWARE\Tarsik\olap\QuorvelPDS
extern const char kLastSelectionValue[];  // LastQCF

// The chosen path receives the remembered path, or stays empty when the key
// or the value is missing or the value is longer than 261 bytes.
void readLastSelection(ServerConnection *connection);

// Deletes the remembered path from the key it is read from, so that a path
// that no longer names a listed server is not offered again, and empties the
// chosen path. Harmless when there is nothing to delete.
void forgetLastSelection(ServerConnection *connection);

#endif  // CBQ_CONNECTION_LAST_SELECTION_H
