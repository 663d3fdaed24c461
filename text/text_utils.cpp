#include "text/text_utils.h"

#include <string.h>

#include "host/memory.h"
#include "text/char_cursor.h"

namespace {

bool isEmpty(const char *text) { return CharCursor(text).atEnd(); }

// Where the last character of text starts (null for an empty text) and
// whether it is a single-byte character.
const char *findLastChar(const char *text, bool *singleByte) {
    const char *last = nullptr;
    *singleByte = false;
    for (CharCursor c(text); !c.atEnd(); c.step()) {
        last = c.position();
        *singleByte = c.singleByte();
    }
    return last;
}

// Offset of the base name in path: just after its last single-byte slash or
// backslash, 0 when there is none.
size_t baseNameOffset(const char *path) {
    size_t base = 0;
    for (CharCursor c(path); !c.atEnd();) {
        bool separator = c.is('/') || c.is('\\');
        c.step();
        if (separator)
            base = c.offset();
    }
    return base;
}

}  // namespace

char *dupText(const char *text, size_t extra) {
    char *block = static_cast<char *>(memAlloc(textLength(text) + terminatorSize() + extra));
    if (block != nullptr)
        copyText(block, text);
    return block;
}

TextBlock::~TextBlock() { memFree(bytes_); }

bool TextBlock::allocateFor(const char *text) {
    memFree(bytes_);
    capacity_ = textLength(text) + terminatorSize();
    bytes_ = static_cast<char *>(memAlloc(capacity_));
    if (bytes_ == nullptr)
        capacity_ = 0;
    return bytes_ != nullptr;
}

const char *skipSpace(const char *text) {
    CharCursor c(text);
    while (!c.atEnd() && c.isSpace())
        c.step();
    return c.position();
}

void trimLeft(char *text) {
    if (isEmpty(text))
        return;
    size_t skipped = static_cast<size_t>(skipSpace(text) - text);
    if (skipped > 0)
        memmove(text, text + skipped, textLength(text) - skipped + terminatorSize());
}

void trimRight(char *text) {
    CharCursor c(text);
    while (!c.atEnd()) {
        if (!c.isSpace()) {
            c.step();
            continue;
        }
        size_t runStart = c.offset();
        while (!c.atEnd() && c.isSpace())
            c.step();
        if (c.atEnd()) {
            putTerminator(text + runStart);
            return;
        }
    }
}

int endsWithChar(const char *text, char c) {
    bool singleByte;
    const char *last = findLastChar(text, &singleByte);
    return last != nullptr && singleByte && *last == c ? 1 : 0;
}

void pathBaseName(char *output, size_t capacity, const char *path) {
    const char *base = path + baseNameOffset(path);
    copyChars(output, capacity, base, textLength(base));
}

void pathStem(char *output, size_t capacity, const char *path) {
    const char *base = path + baseNameOffset(path);
    size_t stem = textLength(base);
    for (CharCursor c(base); !c.atEnd(); c.step())
        if (c.is('.'))
            stem = c.offset();
    copyChars(output, capacity, base, stem);
}

size_t unquote(const char *text, char *output, size_t capacity) {
    if (capacity >= terminatorSize())
        putTerminator(output);
    if (isEmpty(text))
        return 0;
    CharCursor c(skipSpace(text));
    if (c.atEnd())
        return copyChars(output, capacity, text, textLength(text));
    char quote = 0;
    if (c.is('\'') || c.is('"')) {
        quote = *c.position();
        c.step();
    }
    const char *from = c.position();
    size_t bytes = textLength(from);
    if (quote != 0) {
        // The closing quote is looked for in the text, so that a value cut
        // to the buffer never loses a quote of its own instead.
        bool singleByte;
        const char *last = findLastChar(from, &singleByte);
        if (last != nullptr && singleByte && *last == quote)
            bytes = static_cast<size_t>(last - from);
    }
    return copyChars(output, capacity, from, bytes);
}

namespace {

// readLine with the cursor opened on text.
int readLineFrom(CharCursor c, const char *text, char *line, size_t capacity, const char **rest) {
    if (capacity >= terminatorSize())
        putTerminator(line);
    if (c.atEnd()) {
        *rest = text;
        return 0;
    }
    while (!c.atEnd() && !c.is('\r') && !c.is('\n'))
        c.step();
    size_t lineBytes = c.offset();
    if (c.is('\r')) {
        c.step();
        if (!c.atEnd() && c.is('\n'))
            c.step();
    } else if (c.is('\n')) {
        c.step();
    }
    *rest = c.position();
    copyChars(line, capacity, text, lineBytes);
    return *rest != text ? 1 : 0;
}

}  // namespace

int readLine(const char *text, char *line, size_t capacity, const char **rest) {
    return readLineFrom(CharCursor(text), text, line, capacity, rest);
}

LineReader::LineReader(const char *text) : rest_(text), left_(textLength(text)) {}

int LineReader::next(char *line, size_t capacity) {
    const char *from = rest_;
    int result = readLineFrom(CharCursor(from, left_), from, line, capacity, &rest_);
    size_t consumed = static_cast<size_t>(rest_ - from);
    left_ = consumed < left_ ? left_ - consumed : 0;
    return result;
}

const char *quotedItem(const char *text, char *output, size_t capacity, int n) {
    if (capacity >= terminatorSize())
        putTerminator(output);
    CharCursor c(text);
    int item = 0;
    bool inside = false;
    size_t contentStart = 0;
    for (; !c.atEnd(); c.step()) {
        if (!c.is('\''))
            continue;
        if (!inside) {
            inside = true;
            contentStart = c.offset() + 1;
            continue;
        }
        if (item == n) {
            copyChars(output, capacity, text + contentStart, c.offset() - contentStart);
            c.step();
            return c.position();
        }
        inside = false;
        ++item;
    }
    if (inside && item == n)
        copyChars(output, capacity, text + contentStart, c.offset() - contentStart);
    return c.position();
}

int escapeLineBreaks(char *text) {
    int count = 0;
    for (CharCursor c(text); !c.atEnd();) {
        if (!c.is('\r')) {
            c.step();
            continue;
        }
        size_t at = c.offset();
        c.step();
        if (c.atEnd() || !c.is('\n'))
            continue;
        text[at] = '\\';
        text[at + 1] = 'n';
        ++count;
        c.step();
    }
    return count;
}
