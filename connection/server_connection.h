// The connection records: what the module knows of one server and of the
// host's connection to it, and the server list that the connect dialog shows.
//
// ConnectionSettings and Credentials (include/cbq90.h) are fixed layouts
// shared with the host; ServerAddress and ServerEntry are the module's own.
#ifndef CBQ_CONNECTION_SERVER_CONNECTION_H
#define CBQ_CONNECTION_SERVER_CONNECTION_H

#include <stddef.h>
#include <stdint.h>

#include "cbq90.h"
#include "text/nls_string.h"

class StringList;

// The parts of a server's address, from its connection file (see
// readConnectionFile and parseServerString in connection/connection_file.h).
// Every text is zero-terminated and holds at most its size less one byte.
struct ServerAddress {
    int32_t kind;          // kAddressNone, kAddressLocal or kAddressRemote
    int32_t versionFlag;   // 1 when the connection file gives a server version
    int32_t loginMode;     // 0, 1 or 2, from the server login
    int32_t loginValue;    // 1 to 5 for mode 1 with such a login, else 0
    char serverString[202];
    char host[40];
    char protocol[16];
    char endpoint[32];
    char options[50];
};

enum { kAddressNone = 0, kAddressLocal = 1, kAddressRemote = 2 };

enum {
    kDescriptionSize = 100,  // a listed description: at most 99 bytes and a terminator
    kFileNameSize = 260,     // a connection file's name without directory
};

// One item of the server list, allocated zero-filled.
struct ServerEntry {
    char description[kDescriptionSize];
    char fileName[kFileNameSize];
    int32_t directoryIndex;      // its directory's index in the connection directories
    ConnectionSettings settings;
    ServerEntry *next;           // null at the end of the list
};

// Bits of ServerConnection::state.
enum : uint32_t {
    kConnected = 1,        // the data library is attached to the host's connection
    kOwnsCredentials = 2,  // credentials is the object's own block
};

enum { kChosenPathSize = 264 };

// One server connection: the process-wide one that every cbqEdit reuses, or
// the short-lived one of a cbqSelectServer call.
//
// Construction leaves every field zero, null or empty and resets the connect
// dialog's state (connection/dialog_state.h), whose chosen entry is then
// null. Destruction calls QVClose when the connected flag is set, frees the
// server list and, when it is owned, the credentials block, resets the
// connect dialog's state (its three pointers are then null) and destroys
// the relational data database. The settings block belongs to the host and
// is never freed here.
class ServerConnection {
public:
    ServerConnection();
    ~ServerConnection();
    ServerConnection(const ServerConnection &) = delete;
    ServerConnection &operator=(const ServerConnection &) = delete;

    // The host's help path; the connection does not use it.
    void setHelpPath(const char *) {}

    uint32_t hostWord1;
    uint32_t hostWord2;
    int16_t connectionHandle;
    ServerAddress address;        // filled from the chosen connection file
    uint32_t state;               // kConnected, kOwnsCredentials
    Credentials *credentials;     // owned only with kOwnsCredentials
    ServerEntry *firstEntry;      // the server list, in the order built;
    ServerEntry *lastEntry;       // both null when there is none
    ConnectionSettings *settings; // the host's block, never owned
    NlsString relationalDatabase; // set by the relational start-up
    char chosenPath[kChosenPathSize];
    uint32_t helpContext;
    HelpCallback helpFunction;
};

// Frees every entry of the server list; both list pointers become null.
void freeServerList(ServerConnection *connection);

// The number of entries in the server list.
int32_t entryCount(const ServerConnection *connection);

// Unlinks entry from the server list and frees it: 1 when it was in the
// list, else 0 (and entry is left alone). When the connect dialog's chosen
// entry is the entry removed, it becomes null.
int removeEntry(ServerConnection *connection, ServerEntry *entry);

// The entry's full path: item directoryIndex of directories (which ends with
// a backslash once the list is built) followed by its file name, into path
// (capacity bytes). false, with path empty, when there is no such directory
// item or the path does not fit.
bool entryPath(StringList *directories, const ServerEntry *entry, char *path, size_t capacity);

#endif  // CBQ_CONNECTION_SERVER_CONNECTION_H
