// The module's view of the national-language environment: how a text ends,
// how long it is, and whole-text copies, comparison. Every text routine of the
// module measures and copies through here.
//
// Texts are zero-terminated byte strings in the character set of the NLS
// handles that cbqInit stored in moduleState. Lengths are byte counts without
// the terminator.
#ifndef CBQ_TEXT_NLS_TEXT_H
#define CBQ_TEXT_NLS_TEXT_H

#include <stddef.h>

// Whether texts end in two zero bytes: the language handle's flag word says
// so (a set of two-byte units). False without NLS handles.
bool twoZeroTerminator();

// Bytes of zero that end a text: 2 when the language handle's flag word says
// that texts end in two zero bytes, otherwise the module's terminator size
// but never less than 1. (Before cbqInit the module's terminator size is 0;
// a text with no terminator at all could not be read back safely, so the
// routines still end what they write with one zero byte.)
size_t terminatorSize();

// The length of text in bytes, without its terminator: lxsulen when texts end
// in two zero bytes, otherwise the bytes before the first zero byte. text is
// never null.
size_t textLength(const char *text);

// Writes the terminator at destination; returns its size in bytes.
size_t putTerminator(char *destination);

// Copies source with its terminator to destination (lxscop); the regions may
// overlap. Without NLS handles (before cbqInit) the bytes are copied as they are.
void copyText(char *destination, const char *source);

// Appends source with its terminator to the text in destination (lxscat).
void appendText(char *destination, const char *source);

// Compares two whole texts through lxsCmpStr with the option 0x10000000
// (ASCII letter case does not count in the stand-in); 0 when equal. Without
// NLS handles the bytes are compared exactly.
int compareText(const char *a, const char *b);

#endif  // CBQ_TEXT_NLS_TEXT_H
