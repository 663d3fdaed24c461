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
bool joinTexts(char *out, size_t capacity, std::initializer_list<const char *> pieces);

#endif  // CBQ_CONNECTION_JOIN_TEXT_H
