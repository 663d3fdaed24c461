// Composing a path or pattern from pieces in a fixed buffer.
#ifndef CBQ_CONNECTION_JOIN_TEXT_H
#define CBQ_CONNECTION_JOIN_TEXT_H

#include <stddef.h>

#include <initializer_list>

// Writes the pieces one after another into out (capacity bytes), copied and
// concatenated through the NLS library, when all of them and the terminator
// fit. Otherwise nothing is joined: false, and out holds the empty text (when
// capacity leaves room for a terminator). A piece that does not fit is never
// cut: a cut path would name another file.
//
// Paths are byte texts (the platform's files, searches and profiles take
// them so): in a set of two-byte units, which ends texts in two zero bytes,
// nothing is joined, so that no piece is measured past its end.
bool joinTexts(char *out, size_t capacity, std::initializer_list<const char *> pieces);

#endif  // CBQ_CONNECTION_JOIN_TEXT_H
