// The simulated server's command language, as far as the module speaks it.
//
// A command text holds statements separated by ";" or by line ends; a line
// that ends in "-" (outside a quoted text) continues on the next line.
// Keywords and names are matched without regard to case; texts are quoted
// with single quotes and have no escapes. A word is a name, a number or an
// unquoted file name or path (letters, digits and . _ $ # / \, and : - after
// the first character). Statements:
//
//   show EXPR  /  shw EXPR            prints the value (NA as the NA spelling)
//   row [w N] <EXPR EXPR ...>         one cell per value, left-aligned in
//                                     columns N wide (default 10); a value
//                                     that does not fit is printed whole and
//                                     followed by one space
//   dsc NAME ...  /  describe         the definition of objects
//   limit DIM to all | none | 'V' ... | EXPR eq|ne EXPR
//                                     DIM is NAME (the objects) or QV_SEL (the
//                                     saved selections); in the EXPR eq form,
//                                     obj(...) without an object name means
//                                     each value in turn. A value that DIM
//                                     does not have is an error and leaves the
//                                     status empty.
//   dtb attach DB [first|last] [ro|rw]   (default: first; a new database
//                                     read-only, an attached one keeps its
//                                     mode and only moves)
//   dtb detach DB  /  dtb list
//   VAR = EXPR  /  push VAR ...  /  pop VAR ...
//   call PROGRAM(ARG, ...)
//
// Expressions: 'text', numbers, na, yes/no/true/false, the variables
// NASPELL, IFCOPY and QV_OTHERAPPDTBS, QV_SELTYPE and QV_SELVALUE (of the
// first saved selection in QV_SEL's status), and the functions
// obj(data|formula|type|ld, 'X'), obj(property 'P' 'X'), charlist(DIM),
// qv_refs('X') and, while the relational code database is attached,
// QV_GETSLYDATADB('n'). An object that does not exist gives NA in obj() and
// qv_refs(); naming it elsewhere is an error.
//
// Output is plain text with CR LF between lines and no line end after the
// last line. An error prints "ERROR: " and a message, and ends the command:
// what earlier statements printed stays in front of it.
#ifndef CBQ_STANDINS_QVDATA_COMMAND_LANGUAGE_H
#define CBQ_STANDINS_QVDATA_COMMAND_LANGUAGE_H

#include <string>

#include "standins/qvdata/server_session.h"

namespace qvsim {

struct CommandResult {
    std::string output;
    bool ok = true;
};

CommandResult executeCommand(ServerSession &session, const std::string &command);

}  // namespace qvsim

#endif
