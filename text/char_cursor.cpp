#include "text/char_cursor.h"

#include <string.h>

#include "host/module_state.h"
#include "text/nls_text.h"

namespace {

bool asciiSpace(uint8_t b) { return b == 0x20 || (b >= 0x09 && b <= 0x0D); }

// Fills an NLS cursor for a byte-wise walk or write.
void openBytes(NlsCursor *cursor, uint8_t *text, int32_t length) {
    cursor->singleByteSet = 1;
    cursor->shiftSensitive = 0;
    cursor->position = text;
    cursor->language = moduleState.nlsLanguage;
    cursor->start = text;
    cursor->shiftState = 0;
    cursor->length = length;
}

bool multibyte() { return moduleState.multibyte != 0 && moduleState.nlsLanguage != nullptr; }

}  // namespace

CharCursor::CharCursor(const char *text) : byteWise_(!multibyte()) { open(text, -1); }

CharCursor::CharCursor(const char *text, size_t length) : byteWise_(!multibyte()) {
    open(text, static_cast<int32_t>(length));
}

void CharCursor::open(const char *text, int32_t length) {
    if (!byteWise_ &&
        lxmcpen(text, length, &cursor_, moduleState.nlsLanguage, moduleState.nlsContext) == 0)
        byteWise_ = true;
    if (byteWise_)
        openBytes(&cursor_, reinterpret_cast<uint8_t *>(const_cast<char *>(text)),
                  length >= 0 ? length : static_cast<int32_t>(textLength(text)));
}

bool CharCursor::atEnd() const {
    if (cursor_.position[0] != 0)
        return false;
    return !twoZeroTerminator() || cursor_.position[1] == 0;
}

bool CharCursor::singleByte() const {
    if (byteWise_ || cursor_.singleByteSet)
        return true;
    if (twoZeroTerminator())
        return false;
    if (cursor_.shiftSensitive)
        return cursor_.shiftState == 0;
    return (nlsCharClass(moduleState.nlsLanguage, moduleState.nlsContext, *cursor_.position) &
            NLS_CLASS_MULTIBYTE_LEAD) == 0;
}

bool CharCursor::isSpace() const {
    uint8_t b = *cursor_.position;
    const NlsLanguage *language = moduleState.nlsLanguage;
    if (byteWise_ && language == nullptr)
        return asciiSpace(b);
    if (byteWise_ || cursor_.singleByteSet)
        return (nlsCharClass(language, moduleState.nlsContext, b) & NLS_CLASS_SPACE) != 0;
    return lxmspax(const_cast<NlsCursor *>(&cursor_), moduleState.nlsContext) != 0;
}

void CharCursor::step() {
    bool oneByte = byteWise_ || offset() >= static_cast<size_t>(cursor_.length) ||
                   (moduleState.nlsLanguage->flags & NLS_FLAG_SINGLE_BYTE) != 0;
    // A library that reports no progress is stepped over byte by byte, so
    // that no walk can stand still.
    if (oneByte || lxmfwdx(&cursor_, moduleState.nlsContext) <= 0)
        cursor_.position += 1;
}

size_t CharCursor::charBytes() const {
    if (atEnd())
        return 0;
    CharCursor probe = *this;
    probe.step();
    return static_cast<size_t>(probe.cursor_.position - cursor_.position);
}

CharWriter::CharWriter(char *buffer, size_t capacity)
    : capacity_(capacity), byteWise_(!multibyte()) {
    if (!byteWise_ &&
        lxmopen(buffer, -1, &cursor_, moduleState.nlsLanguage, moduleState.nlsContext, 1) == 0)
        byteWise_ = true;
    if (byteWise_)
        openBytes(&cursor_, reinterpret_cast<uint8_t *>(buffer), -1);
}

bool CharWriter::fits(size_t bytes) const {
    // Room for a shift byte before the character and the shift-in byte and
    // terminator after it.
    size_t shifts = cursor_.shiftSensitive ? 2 : 0;
    return length() + bytes + shifts + terminatorSize() <= capacity_;
}

bool CharWriter::copyChar(CharCursor *from) {
    size_t bytes = from->charBytes();
    if (bytes == 0 || !fits(bytes))
        return false;
    if (byteWise_) {
        memcpy(cursor_.position, from->position(), bytes);
        cursor_.position += bytes;
        from->step();
        return true;
    }
    const char *before = from->position();
    lxoCpChar(&cursor_, -1, from->nls(), -1, NLS_COPY_CHAR, moduleState.nlsContext);
    return from->position() != before;
}

bool CharWriter::writeChar(uint32_t code) {
    size_t bytes = code < 0x100 && !twoZeroTerminator() ? 1 : 2;
    if (!fits(bytes))
        return false;
    if (byteWise_) {
        if (code == 0 || code > 0xFF)
            return false;
        *cursor_.position++ = static_cast<uint8_t>(code);
        return true;
    }
    return lxoWriChar(&cursor_, code, NLS_WRITE_CHAR, moduleState.nlsContext) > 0;
}

size_t CharWriter::close() {
    size_t t = terminatorSize();
    if (cursor_.shiftSensitive && cursor_.shiftState != 0 && length() + 1 + t <= capacity_) {
        cursor_.shiftState = 0;
        *cursor_.position++ = cursor_.language->shiftIn;
    }
    if (length() + t <= capacity_)
        putTerminator(reinterpret_cast<char *>(cursor_.position));
    return length();
}

size_t copyChars(char *destination, size_t capacity, const char *source, size_t sourceBytes) {
    size_t t = terminatorSize();
    if (capacity < t)
        return 0;
    size_t cut = sourceBytes;
    bool closeShift = false;
    if (sourceBytes + t > capacity) {
        cut = 0;
        CharCursor c(source);
        while (!c.atEnd() && c.offset() < sourceBytes) {
            bool wasShifted = c.shifted();
            c.step();
            size_t end = c.offset();
            if (end > sourceBytes || end + (c.shifted() ? 1 : 0) + t > capacity)
                break;
            if (!wasShifted && c.shifted())
                continue;  // never cut just after a shift-out byte
            cut = end;
            closeShift = c.shifted();
        }
    }
    memmove(destination, source, cut);
    if (closeShift)
        destination[cut++] = static_cast<char>(moduleState.nlsLanguage->shiftIn);
    putTerminator(destination + cut);
    return cut;
}
