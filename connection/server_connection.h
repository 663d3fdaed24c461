// The connection records: what the module knows of one server and of the
// host's connection to it.
#ifndef CBQ_CONNECTION_SERVER_CONNECTION_H
#define CBQ_CONNECTION_SERVER_CONNECTION_H

#include <stdint.h>

#include "cbq90.h"

// The parts of a server's address, from its connection file.
struct ServerAddress {
    int32_t kind;          // 0 none, 1 local, 2 remote
    int32_t versionFlag;   // 1 when the connection file gives a server version
    int32_t loginMode;
    int32_t loginValue;
    char serverString[202];
    char host[40];
    char protocol[16];
    char endpoint[32];
    char options[50];
};

enum { kAddressNone = 0, kAddressLocal = 1, kAddressRemote = 2 };

// One item of the server list, allocated zero-filled.
struct ServerEntry {
    char description[100];       // at most 99 bytes and a terminator
    char fileName[260];          // the connection file's name, without directory
    int32_t directoryIndex;      // its directory's index in the connection directories
    ConnectionSettings settings;
    ServerEntry *next;
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
// Construction leaves every field zero, null or empty. Destruction calls
// QVClose when the connected flag is set, frees the server list and, when it
// is owned, the credentials block. The settings block belongs to the host.
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
    ServerAddress address;
    uint32_t state;
    Credentials *credentials;
    ServerEntry *firstEntry;
    ServerEntry *lastEntry;
    ConnectionSettings *settings;
    char chosenPath[kChosenPathSize];
    uint32_t helpContext;
    HelpCallback helpFunction;
};

// Frees every entry of the server list; both list pointers become null.
void freeServerList(ServerConnection *connection);

#endif  // CBQ_CONNECTION_SERVER_CONNECTION_H
