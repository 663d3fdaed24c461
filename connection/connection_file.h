// Connection files: one server each, INI format, extension .qcf.
//
// Sections and keys (section "Quorvel" unless said otherwise):
//   ServerType, ServerLogin, ConnectionType, ServerVersion   integers
//   ServerString                                            the address text
//   ServerDescription                                       what the list shows
//   General / ConnectionVersion
//   Sollary / MasterDB, ServerScript, ConnectionType, PersonalConfig,
//             PromptForQuorvelID; SQL / ServerName, ServerType
//                                   read only for connection type 1
// Integers are read as the platform's profile reading reads them (0 when
// missing); texts are empty when missing and cut to their field.
#ifndef CBQ_CONNECTION_CONNECTION_FILE_H
#define CBQ_CONNECTION_CONNECTION_FILE_H

#include "connection/server_connection.h"

// Reads the connection file at path into entry's settings and fills address
// from them; returns 1. With a null address nothing is read and 0 is
// returned.
//
// Address: every byte is zeroed first. Server type 2: local, with the server
// string "ncalrpc:"; 0: kind none; any other: remote, the server string
// parsed (parseServerString) when not empty, the version flag 1 when the
// server version is not 0, and the login mode and value from the server
// login: 0 gives mode 2; 1 to 5 mode 1 with that value; -2 mode 1; -1 mode
// 0; anything else mode 2 (the value is 0 but for 1 to 5).
//
// The "Sollary" and "SQL" fields are read only for connection type 1 (the
// three 16-bit ones keep the low 16 bits of what the file says); for any
// other type they keep what the entry held.
int readConnectionFile(const char *path, ServerEntry *entry, ServerAddress *address);

// Splits a server string, [MODE|][HOST@][PROTOCOL:]ENDPOINT[[OPTIONS]], into
// address: the whole text into serverString, the parts into host, protocol
// (default "ncacn_ip_tcp"), endpoint and options, each cut to its field at a
// character boundary. The kind is remote unless the mode word is a leading
// part of "LOCAL" and not one of "DAEMON" (the empty word is one of
// "DAEMON"), which makes it local. Delimiters count only as single-byte
// characters; each part ends at the first delimiter of its kind in what
// follows the previous one; options without "]" run to the end. Leaves the
// version flag and the login alone.
void parseServerString(const char *text, ServerAddress *address);

// Nonzero when the platform reports attributes for path (a file or a
// directory), else 0.
int fileExists(const char *path);

#endif  // CBQ_CONNECTION_CONNECTION_FILE_H
