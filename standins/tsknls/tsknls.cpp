// Stand-in for the national-language library. Character sets are language
// handles with a class table each; the global context holds the tables. How
// the stand-in reads a handle (which kind of set it is) and the rules of each
// kind are described in host/tsknls.h.
#include "host/tsknls.h"

#include <stddef.h>
#include <string.h>

namespace {

constexpr uint16_t kSpace = NLS_CLASS_SPACE;
constexpr uint16_t kLead = 0x01;  // one of the NLS_CLASS_MULTIBYTE_LEAD bits

struct ClassTable {
    uint16_t classes[256];
};

constexpr ClassTable singleByteClasses() {
    ClassTable t{};
    for (int b = 0x09; b <= 0x0D; ++b)
        t.classes[b] = kSpace;
    t.classes[0x20] = kSpace;
    return t;
}

constexpr ClassTable doubleByteClasses() {
    ClassTable t = singleByteClasses();
    for (int b = 0x81; b <= 0xFE; ++b)
        t.classes[b] = kLead;
    return t;
}

constexpr ClassTable kSingleByteClasses = singleByteClasses();
constexpr ClassTable kDoubleByteClasses = doubleByteClasses();

const uint16_t *const kTables[] = {kSingleByteClasses.classes, kDoubleByteClasses.classes};

const NlsContext kContext = {sizeof kTables / sizeof kTables[0], kTables};

const NlsLanguage kLanguages[] = {
    {NLS_FLAG_SINGLE_BYTE, 0, 0, 0, "LATIN1"},
    {0, 0, 0, 1, "GBK"},
    {0, 0x0F, 0x0E, 0, "SOSI"},
    {NLS_FLAG_TWO_ZERO_TERMINATOR, 0, 0, 0, "UCS2"},
};

// The kinds of character set, read from the handle.
enum Kind { kSingleByte, kDoubleByte, kShiftSensitive, kTwoByteUnits };

Kind kindOf(const NlsLanguage *language) {
    if (language == nullptr)
        return kSingleByte;
    if (language->flags & NLS_FLAG_TWO_ZERO_TERMINATOR)
        return kTwoByteUnits;
    if (language->flags & NLS_FLAG_SINGLE_BYTE)
        return kSingleByte;
    if (language->shiftOut != 0)
        return kShiftSensitive;
    return kDoubleByte;
}

uint16_t classOf(const NlsLanguage *language, const NlsContext *context, uint8_t b) {
    if (context == nullptr)
        context = &kContext;
    if (language == nullptr || language->classTable >= context->tableCount)
        return 0;
    return nlsCharClass(language, context, b);
}

bool atTerminator(Kind kind, const uint8_t *p) {
    return kind == kTwoByteUnits ? p[0] == 0 && p[1] == 0 : p[0] == 0;
}

size_t textBytes(Kind kind, const char *text) {
    if (kind != kTwoByteUnits)
        return strlen(text);
    return lxsulen(text);
}

size_t terminatorBytes(Kind kind) { return kind == kTwoByteUnits ? 2 : 1; }

// One character as the cursor finds it at a position in a shift state.
struct Char {
    int bytes;           // 0 at the terminator
    uint32_t code;       // single byte: its value; double byte: first byte * 256 + second
    bool singleByte;     // a one-byte character of the single-byte repertoire
    bool shiftByte;      // a shift-out or shift-in byte
    int32_t stateAfter;  // the shift state after the character
};

bool isShiftByte(const NlsLanguage *language, uint8_t b) {
    return b == language->shiftOut || b == language->shiftIn;
}

Char charAt(const NlsLanguage *language, const NlsContext *context, const uint8_t *p,
            int32_t state) {
    Kind kind = kindOf(language);
    Char c = {1, p[0], true, false, state};
    if (atTerminator(kind, p)) {
        c.bytes = 0;
        return c;
    }
    switch (kind) {
    case kSingleByte:
        break;
    case kDoubleByte:
        if ((classOf(language, context, p[0]) & NLS_CLASS_MULTIBYTE_LEAD) != 0) {
            c.singleByte = false;
            if (p[1] != 0) {
                c.bytes = 2;
                c.code = p[0] * 256u + p[1];
            }
        }
        break;
    case kShiftSensitive:
        if (p[0] == language->shiftOut || p[0] == language->shiftIn) {
            c.shiftByte = true;
            c.singleByte = false;
            c.stateAfter = p[0] == language->shiftOut ? 1 : 0;
        } else if (state != 0) {
            c.singleByte = false;
            if (p[1] != 0 && !isShiftByte(language, p[1])) {
                c.bytes = 2;
                c.code = p[0] * 256u + p[1];
            }
        }
        break;
    case kTwoByteUnits:
        c.bytes = 2;
        c.code = p[0] + p[1] * 256u;
        c.singleByte = c.code < 0x100;
        break;
    }
    return c;
}

bool isSpaceChar(const NlsLanguage *language, const NlsContext *context, const Char &c) {
    if (c.bytes == 0 || c.shiftByte)
        return false;
    if (kindOf(language) == kTwoByteUnits)
        return (c.code >= 0x09 && c.code <= 0x0D) || c.code == 0x20 || c.code == 0x3000;
    if (c.bytes == 2)
        return c.code == 0xA1A1;
    return c.singleByte && (classOf(language, context, static_cast<uint8_t>(c.code)) & kSpace);
}

Char currentChar(const NlsCursor *cursor, const NlsContext *context) {
    return charAt(cursor->language, context, cursor->position, cursor->shiftState);
}

void advance(NlsCursor *cursor, const Char &c) {
    cursor->position += c.bytes;
    cursor->shiftState = c.stateAfter;
}

void openCursor(uint8_t *text, int32_t length, NlsCursor *cursor, const NlsLanguage *language) {
    cursor->singleByteSet = (language->flags & NLS_FLAG_SINGLE_BYTE) != 0;
    cursor->shiftSensitive = kindOf(language) == kShiftSensitive;
    cursor->position = text;
    cursor->language = language;
    cursor->start = text;
    cursor->shiftState = 0;
    cursor->length = length;
}

// Bytes a character of `code` takes in the set, 0 when the set can't write it.
int encode(const NlsLanguage *language, uint32_t code, uint8_t out[2], int32_t *state) {
    if (code == 0 || code > 0xFFFF)
        return 0;
    uint8_t hi = static_cast<uint8_t>(code >> 8), lo = static_cast<uint8_t>(code);
    switch (kindOf(language)) {
    case kSingleByte:
        if (hi != 0)
            return 0;
        out[0] = lo;
        return 1;
    case kDoubleByte:
        if (hi == 0) {
            if (lo >= 0x81 && lo <= 0xFE)
                return 0;  // a lead byte alone would swallow what follows it
            out[0] = lo;
            return 1;
        }
        if (hi < 0x81 || hi > 0xFE || lo == 0)
            return 0;
        out[0] = hi;
        out[1] = lo;
        return 2;
    case kShiftSensitive:
        if (hi == 0) {
            if (isShiftByte(language, lo))
                return 0;
            out[0] = lo;
            *state = 0;
            return 1;
        }
        if (lo == 0 || isShiftByte(language, hi) || isShiftByte(language, lo))
            return 0;
        out[0] = hi;
        out[1] = lo;
        *state = 1;
        return 2;
    case kTwoByteUnits:
        out[0] = lo;
        out[1] = hi;
        return 2;
    }
    return 0;
}

// Writes bytes of a character in shift state `state` at the cursor, preceded
// by the shift byte that takes the cursor there when it is elsewhere. Nothing
// is written when it doesn't fit in `room` bytes (negative: no bound).
int32_t put(NlsCursor *cursor, const uint8_t *bytes, int count, int32_t state, int32_t room) {
    const NlsLanguage *language = cursor->language;
    bool shift = cursor->shiftSensitive && cursor->shiftState != state;
    int32_t total = count + (shift ? 1 : 0);
    if (room >= 0 && total > room)
        return 0;
    if (shift) {
        *cursor->position++ = state != 0 ? language->shiftOut : language->shiftIn;
        cursor->shiftState = state;
    }
    memcpy(cursor->position, bytes, static_cast<size_t>(count));
    cursor->position += count;
    return total;
}

int compareBytes(const uint8_t *a, int na, const uint8_t *b, int nb) {
    int n = na < nb ? na : nb;
    int c = memcmp(a, b, static_cast<size_t>(n));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

uint32_t foldCase(uint32_t code) { return code >= 'a' && code <= 'z' ? code - 32 : code; }

}  // namespace

extern "C" {

uint32_t lxsulen(const char *text) {
    const uint8_t *p = reinterpret_cast<const uint8_t *>(text);
    uint32_t n = 0;
    while (p[n] != 0 || p[n + 1] != 0)
        n += 2;
    return n;
}

uint32_t lxscop(char *destination, const char *source, const NlsLanguage *language,
                const NlsContext *) {
    Kind kind = kindOf(language);
    size_t n = textBytes(kind, source);
    memmove(destination, source, n + terminatorBytes(kind));
    return static_cast<uint32_t>(n);
}

uint32_t lxscat(char *destination, const char *source, const NlsLanguage *language,
                const NlsContext *) {
    Kind kind = kindOf(language);
    size_t d = textBytes(kind, destination);
    size_t n = textBytes(kind, source);
    memmove(destination + d, source, n + terminatorBytes(kind));
    return static_cast<uint32_t>(d + n);
}

int32_t lxsCmpStr(const char *a, int32_t aLength, const char *b, int32_t bLength, uint32_t option,
                  const NlsLanguage *language, const NlsContext *context) {
    Kind kind = kindOf(language);
    const uint8_t *pa = reinterpret_cast<const uint8_t *>(a);
    const uint8_t *pb = reinterpret_cast<const uint8_t *>(b);
    const uint8_t *ea = pa + (aLength < 0 ? textBytes(kind, a) : static_cast<size_t>(aLength));
    const uint8_t *eb = pb + (bLength < 0 ? textBytes(kind, b) : static_cast<size_t>(bLength));
    bool ignoreCase = (option & NLS_COMPARE_WHOLE) != 0;
    int32_t sa = 0, sb = 0;
    while (pa < ea && pb < eb) {
        Char ca = charAt(language, context, pa, sa), cb = charAt(language, context, pb, sb);
        // A terminator inside an explicit length counts as one unit of its own.
        int unit = static_cast<int>(terminatorBytes(kind));
        int na = ca.bytes == 0 ? unit : ca.bytes, nb = cb.bytes == 0 ? unit : cb.bytes;
        if (na > ea - pa)
            na = static_cast<int>(ea - pa);
        if (nb > eb - pb)
            nb = static_cast<int>(eb - pb);
        int c;
        if (ignoreCase && ca.singleByte && cb.singleByte && ca.code < 0x80 && cb.code < 0x80) {
            uint32_t fa = foldCase(ca.code), fb = foldCase(cb.code);
            c = fa == fb ? 0 : (fa < fb ? -1 : 1);
        } else {
            c = compareBytes(pa, na, pb, nb);
        }
        if (c != 0)
            return c;
        pa += na;
        pb += nb;
        sa = ca.stateAfter;
        sb = cb.stateAfter;
    }
    return pa == ea ? (pb == eb ? 0 : -1) : 1;
}

int32_t lxmcpen(const char *text, int32_t length, NlsCursor *cursor, const NlsLanguage *language,
                const NlsContext *) {
    if (text == nullptr || cursor == nullptr || language == nullptr)
        return 0;
    if (length < 0)
        length = static_cast<int32_t>(textBytes(kindOf(language), text));
    openCursor(reinterpret_cast<uint8_t *>(const_cast<char *>(text)), length, cursor, language);
    return 1;
}

int32_t lxmopen(char *buffer, int32_t length, NlsCursor *cursor, const NlsLanguage *language,
                const NlsContext *, int32_t) {
    if (buffer == nullptr || cursor == nullptr || language == nullptr)
        return 0;
    openCursor(reinterpret_cast<uint8_t *>(buffer), length < 0 ? -1 : length, cursor, language);
    return 1;
}

int32_t lxmfwdx(NlsCursor *cursor, const NlsContext *context) {
    Char c = currentChar(cursor, context);
    advance(cursor, c);
    return c.bytes;
}

int32_t lxmspax(NlsCursor *cursor, const NlsContext *context) {
    return isSpaceChar(cursor->language, context, currentChar(cursor, context)) ? 1 : 0;
}

int32_t lxoCpChar(NlsCursor *destination, int32_t destinationLength, NlsCursor *source,
                  int32_t sourceLength, uint32_t flags, const NlsContext *context) {
    Char c = currentChar(source, context);
    if (c.bytes == 0)
        return 0;
    int32_t written = 0;
    if (c.shiftByte) {
        // The destination writes its own shift bytes where its characters need them.
        advance(source, c);
        return 0;
    }
    written = put(destination, source->position, c.bytes, source->shiftState, destinationLength);
    if (written > 0)
        advance(source, c);
    return written;
}

int32_t lxoWriChar(NlsCursor *destination, uint32_t character, uint32_t flags,
                   const NlsContext *) {
    uint8_t bytes[2];
    int32_t state = destination->shiftState;
    int count = encode(destination->language, character, bytes, &state);
    if (count == 0)
        return 0;
    return put(destination, bytes, count, state, -1);
}

void *nlsOpenLanguage(const char *charset) {
    if (charset == nullptr)
        return nullptr;
    for (const NlsLanguage &l : kLanguages)
        if (strcmp(l.name, charset) == 0)
            return const_cast<NlsLanguage *>(&l);
    return nullptr;
}

void *nlsGlobalContext(void) { return const_cast<NlsContext *>(&kContext); }

}  // extern "C"
