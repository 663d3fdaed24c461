// The server list: one entry for each connection file of server type 1 with
// a description, found in the connection directories.
#ifndef CBQ_CONNECTION_SERVER_LIST_H
#define CBQ_CONNECTION_SERVER_LIST_H

#include "cbq90.h"

class ServerConnection;
class StringList;

// Appends to connection's server list an entry for each connection file
// (*.qcf) in the directories, directory by directory in list order and in
// each in the order the platform's search returns them. Empty items are
// skipped; an item without a trailing backslash gets one appended, which it
// keeps. A match is listed when it is neither a directory nor offline, its
// "Quorvel" "ServerType" is 1 and its "ServerDescription" is not empty; the
// entry holds the description's first 99 bytes (cut at a character
// boundary), the file name and the directory's index.
//
// Returns 0, or 3003 when memory runs out for an entry or for a directory's
// backslash; the entries made so far stay in the list. A pattern or path
// longer than the platform accepts names nothing and is passed over.
ResultCode buildServerList(ServerConnection *connection, StringList *directories);

#endif  // CBQ_CONNECTION_SERVER_LIST_H
