// The character cursor: the one place that says how the module walks a text
// character by character, so that a byte inside a multibyte character never
// counts as an ASCII delimiter.
//
// While the module's multibyte switch is on (always after cbqInit) a cursor
// is an NLS cursor opened with lxmcpen on the text (length -1) and the module's
// NLS handles:
//   at end       the current byte is zero (texts ending in two zero bytes:
//                it and the byte after it are both zero);
//   single byte  the current character is a one-byte character that may be
//                compared with an ASCII code: true for a single-byte set,
//                false in the two-zero-terminator mode, the single-byte shift
//                state when the cursor tracks one, otherwise when the two low
//                bits of the current byte's class are zero;
//   space        a single-byte set: class bit 0x40 of the current byte;
//                otherwise lxmspax;
//   step         one byte when the position is at or beyond the length the
//                cursor tracks or the set is single-byte, otherwise lxmfwdx.
// With the switch off (before cbqInit) the walk is over bytes: every byte is
// a single-byte character, white space is the class bit 0x40 of the set when
// there are NLS handles and the ASCII spaces 0x09-0x0D, 0x20 otherwise.
//
// CharWriter writes characters into a buffer through an NLS write cursor and
// closes the text so that it ends in the single-byte state; copyChars is the
// bounded copy that every routine writing into a caller's buffer uses.
#ifndef CBQ_TEXT_CHAR_CURSOR_H
#define CBQ_TEXT_CHAR_CURSOR_H

#include <stddef.h>
#include <stdint.h>

#include "host/tsknls.h"

class CharCursor {
public:
    // Opens the cursor on the first character of text.
    explicit CharCursor(const char *text);
    // The same for a text whose length (textLength) the caller knows, so
    // that opening the cursor does not measure the text again.
    CharCursor(const char *text, size_t length);

    bool atEnd() const;
    bool singleByte() const;
    bool isSpace() const;
    // The current character is the single-byte character `ascii`.
    bool is(char ascii) const { return singleByte() && *position() == ascii; }
    // Moves to the next character; never called at the end.
    void step();

    const char *position() const { return reinterpret_cast<const char *>(cursor_.position); }
    size_t offset() const { return static_cast<size_t>(cursor_.position - cursor_.start); }
    // The cursor is in the double-byte state of a shift-sensitive set.
    bool shifted() const { return cursor_.shiftSensitive != 0 && cursor_.shiftState != 0; }
    // The bytes of the current character (0 at the end).
    size_t charBytes() const;

    NlsCursor *nls() { return &cursor_; }

private:
    void open(const char *text, int32_t length);  // length -1: measured here

    NlsCursor cursor_;
    bool byteWise_;
};

// Writes characters at the start of buffer, never more than capacity bytes in
// all, always keeping room to close the text: the shift-in byte when a
// shift-sensitive text is in its double-byte state, and the terminator.
class CharWriter {
public:
    CharWriter(char *buffer, size_t capacity);

    // Copies the current character of from and steps from past it (lxoCpChar).
    // false, with from unchanged, when the character would not fit.
    bool copyChar(CharCursor *from);
    // Writes the character of the given code (lxoWriChar; a code below 0x100 is
    // a single-byte character). false when it would not fit or the set has no
    // such character.
    bool writeChar(uint32_t code);
    // Ends the text: in the double-byte state of a shift-sensitive set the
    // state returns to 0 and the shift-in byte is written, then the
    // terminator. Returns the bytes before the terminator.
    size_t close();

    size_t length() const { return static_cast<size_t>(cursor_.position - cursor_.start); }

private:
    bool fits(size_t bytes) const;

    NlsCursor cursor_;
    size_t capacity_;
    bool byteWise_;
};

// Copies at most sourceBytes bytes of source (which runs at least that far, or
// to its terminator) to destination, which holds capacity bytes, and
// terminates the copy. When the whole span and the terminator don't fit, the
// copy is cut after the last whole character that leaves room for the
// terminator (and for the shift-in byte that a cut inside a double-byte shift
// state adds, so that the copy ends in the single-byte state); a cut never
// falls just after a shift-out byte. source starts at a character of the
// single-byte state, as every text and every position just after a
// single-byte delimiter does. The regions may overlap. Returns the bytes copied before the terminator; with capacity
// below the terminator size nothing is written and 0 is returned.
size_t copyChars(char *destination, size_t capacity, const char *source, size_t sourceBytes);

#endif  // CBQ_TEXT_CHAR_CURSOR_H
