// Routines that scan and edit zero-terminated texts character by character
// in the module's character set (see text/char_cursor.h for how a walk steps
// and which characters count as white space or as an ASCII delimiter).
//
// An ASCII delimiter (quote, slash, backslash, dot, CR, LF) is found only
// where the current character is a single-byte character with that code, so a
// byte of a double-byte character never matches one. Texts are never null.
//
// Every routine that writes into a caller's buffer takes the buffer's size in
// bytes (capacity) and never writes past it: a result that does not fit is cut
// after the last whole character that leaves room for the terminator (see
// copyChars). With a capacity below the terminator size nothing is written.
#ifndef CBQ_TEXT_TEXT_UTILS_H
#define CBQ_TEXT_TEXT_UTILS_H

#include <stddef.h>

#include "text/nls_text.h"

// A new block from the allocation seam of textLength + terminator size +
// extra bytes holding a copy of text; null when memory is short. The extra
// bytes are left unwritten. The caller frees it with memFree.
char *dupText(const char *text, size_t extra);

// A block from the allocation seam that one scope owns and frees when it
// ends: one it adopts (a dupText copy, say), or one made by allocateFor to
// hold any part of a text whole (its length and a terminator).
class TextBlock {
public:
    TextBlock() : bytes_(nullptr), capacity_(0) {}
    explicit TextBlock(char *bytes) : bytes_(bytes), capacity_(0) {}
    ~TextBlock();
    TextBlock(const TextBlock &) = delete;
    TextBlock &operator=(const TextBlock &) = delete;

    char *get() const { return bytes_; }
    // The size of a block made by allocateFor; 0 for an adopted one.
    size_t capacity() const { return capacity_; }
    // Replaces the block by one of textLength(text) + terminator size bytes;
    // false (and no block) when memory is short.
    bool allocateFor(const char *text);

private:
    char *bytes_;
    size_t capacity_;
};

// The first character that is not white space (the terminator when all of
// the text is white space).
const char *skipSpace(const char *text);
inline char *skipSpace(char *text) {
    return const_cast<char *>(skipSpace(static_cast<const char *>(text)));
}

// Removes leading / trailing white space in place.
void trimLeft(char *text);
void trimRight(char *text);

// 1 when the last character is the single-byte character c, else 0 (0 for
// an empty text). A double-byte character whose second byte is c is not c.
int endsWithChar(const char *text, char c);

// The part of path after its last single-byte slash or backslash (all of it
// when there is none; empty when the path ends in one). No intermediate
// buffer limits the name: only capacity does.
void pathBaseName(char *output, size_t capacity, const char *path);

// pathBaseName without the part from its last single-byte dot: archive.tar.gz
// gives archive.tar, a name without a dot stays as it is, .profile gives the
// empty text. output may be path's own buffer.
void pathStem(char *output, size_t capacity, const char *path);

// text without leading white space and without one pair of enclosing quotes:
// a single-byte ' or " as the first character after the white space opens,
// and the same character as the last character closes; an opening quote
// without a closing one is dropped alone; quotes inside stay. A text that is
// all white space is copied whole. Returns the output's length in bytes.
size_t unquote(const char *text, char *output, size_t capacity);

// Reads the first line of text into line: the bytes before the first
// single-byte CR or LF, or all of the text. CR LF, a lone CR and a lone LF
// each end one line. *rest receives the start of the next line (or the end
// of the text). A line longer than the buffer is cut; *rest still moves past
// the whole line. Returns 1 when a line or a line end was consumed, 0 for an
// empty text (*rest is then text).
int readLine(const char *text, char *line, size_t capacity, const char **rest);

// Reads a text line by line as readLine does, measuring the text once: a
// loop of readLine over the rest of a long text measures the rest at every
// line.
class LineReader {
public:
    explicit LineReader(const char *text);
    // readLine on the rest of the text; the rest moves past the line.
    int next(char *line, size_t capacity);
    const char *rest() const { return rest_; }

private:
    const char *rest_;
    size_t left_;  // textLength(rest_)
};

// The content of item n (from 0) of the single-quoted items in text: a
// single-byte ' opens an item and the next one closes it (no escapes; a
// doubled quote closes one item and opens the next). Returns the position just
// after the item's closing quote, or the end of the text when the item runs
// to it; when text has no item n the output is empty and the end of the text
// is returned. Successive items are read by calling again with n = 0 on the
// returned position.
const char *quotedItem(const char *text, char *output, size_t capacity, int n);

// Replaces every CR LF (both single-byte characters) in place by a backslash
// and the letter n; the text keeps its length. Returns the replacements made.
int escapeLineBreaks(char *text);

#endif  // CBQ_TEXT_TEXT_UTILS_H
