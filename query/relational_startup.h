// The start-up of a relational data source, run before the query exists
// when the server's connection type is 1.
//
// relationalStartup sends, through QVExecuteEx, in this order:
//   "dtb attach DSCODE.DB LAST RO", and only when that fails
//   "dtb attach DSCODE.db LAST RO"                         (both fail: 2015)
// then rewrites the server script in the host's own settings block with
// toForwardSlashes (empty: 2016; the slashes stay there), checks the master
// database (empty: 2016, after the script was rewritten), and sends the
// seven-line start-up command
//   push ifcopy;ifcopy=no;call DS.STARTUP('QUORVEL-ID',-
//   '6',-
//   'STEM',-
//   'MASTER-DATABASE',-
//   'SERVER-SCRIPT',-
//   'USER\nPASSWORD\nSERVER-NAME\nSERVER-TYPE\n',-
//   'PERSONAL');pop ifcopy
// (lines end in LF; each \n in the sixth argument is the two characters
// backslash and n; GUEST instead of PERSONAL when the personal
// configuration is 0; MASTER-DATABASE is a copy of the master database with
// forward slashes, STEM its pathStem: its name after the last slash up to its
// last dot), then "show QV_GETSLYDATADB('N')" with the connection type N,
// and attaches the database that this names with QVDatabaseAttach. Any of
// these three failing gives 2017. The success flag is set to 0 once, before
// the first command; QVExecuteEx writes it on every call.
//
// Values are carried whole: nothing is cut to a working buffer, so a long
// command (the fields of the settings and credentials blocks allow close
// to 1400 bytes) reaches the server as it was built. A field of the host's
// blocks is read up to its first zero byte and never beyond its own size.
//
// Refused with 2017 before any command is sent, because the command would
// not carry them as they are:
//   - a value holding a single quote, a CR or an LF (the command language
//     quotes values with single quotes and has no escape; a line end would
//     end the statement);
//   - a relational user ID, password, server name or server type holding a
//     backslash followed by n, the separator of the sixth argument;
//   these are single-byte characters: a byte of a double-byte character
//   that has such a code (a GBK character whose second byte is 0x5C, any
//   byte in the double-byte state of a shift-sensitive set) is sent as it
//   is;
//   - a character set whose texts end in two zero bytes: its characters hold
//     zero bytes, and a command is a byte string that ends at its first zero
//     byte.
// In a shift-sensitive set a value that ends in the double-byte state is
// sent with the shift-in byte after it, so that the quote that follows it is
// read as a quote.
//
// The relational data database in the connection is replaced only on
// success; a failed start-up leaves the previous value. What was done on the
// server before a failure is not undone. 3003 when memory runs out (no
// command is sent when building the start-up command runs out).
#ifndef CBQ_QUERY_RELATIONAL_STARTUP_H
#define CBQ_QUERY_RELATIONAL_STARTUP_H

#include "cbq90.h"

class ServerConnection;

// The size of the settings block's master database and server script.
enum { kPathFieldSize = 260 };

// Attaches the data-source code database, runs the start-up program and
// attaches the data database it makes available, leaving its name in the
// connection's relationalDatabase. 0, or 2015, 2016, 2017 or 3003. A null
// settings pointer reads as an empty block, null credentials as empty texts.
ResultCode relationalStartup(ServerConnection *connection);

// Replaces every single-byte backslash of the field's text by a slash, in
// place; the text keeps its length and the rest of the field is not written.
// The text runs to its first zero byte or fills the field. 0, with the field
// untouched, when the text is empty; else 1. A byte of a double-byte
// character is never taken for a backslash.
int toForwardSlashes(char (&text)[kPathFieldSize]);

#endif  // CBQ_QUERY_RELATIONAL_STARTUP_H
