// The connect string that cbqSelectServer hands the host: slash-separated
// key=value fields naming the chosen server, its connection-file settings
// and the credentials typed in the connect dialog, in this order:
//
//   server=S/sl=N/st=N/ct=N/sv=N/domain=S/user=S/password=S/slyuser=S/
//   slypassword=S/slyquorvelid=S/slyserverscript=S/slyservername=S/
//   slyservertype=S/slypersonalconfig=N/slyconnecttype=N/slymasterdb=S/
//
// (one line, no blanks). Every field ends with one "/"; a "/" inside a value
// is written twice; nothing else is escaped. Numbers are signed decimal.
// The text is in the NLS environment's character set, and each value ends
// in the single-byte state.
#ifndef CBQ_CONNECTION_CONNECT_STRING_H
#define CBQ_CONNECTION_CONNECT_STRING_H

#include <stddef.h>

#include "cbq90.h"

struct ServerEntry;

// The composition area: the longest connect string is 1999 bytes and its
// terminator. With every value at its longest and no slash the string takes
// 1759 bytes with its terminator; each slash in a value adds one.
enum { kConnectStringSize = 2000 };

// Composes the connect string of entry's settings and credentials (null:
// every credential empty) and copies it, terminator included, into output
// (capacity bytes). Returns 0; or 3003, with output not written, when the
// string would not fit the composition area or capacity: a cut string would
// name another server or other credentials. The host's connect-string
// buffer holds the longest string, so the dialog passes kConnectStringSize.
ResultCode buildConnectString(char *output, size_t capacity, const ServerEntry *entry,
                              const Credentials *credentials);

// Writes the escaped form of source into destination (capacity bytes),
// followed by a single "/" when closing is nonzero, and closes the text in
// the single-byte state (the shift-in byte when a shift-sensitive text ends
// shifted) with the terminator. A "/" is doubled where it is a character of
// its own: a single-byte character, or the slash unit of a two-byte-unit
// set; a "/" byte inside a multibyte character is copied once. A lead byte
// without its second byte (at the end of a double-byte text) is no character
// and is left out, so that it cannot join the next "/" into one. Returns
// destination, or null when the result does not fit (destination then
// holds the empty text, when capacity leaves room for a terminator).
char *encodeConnectValue(const char *source, char *destination, size_t capacity, int closing);

#endif  // CBQ_CONNECTION_CONNECT_STRING_H
