// Stand-in for the national-language library. Character sets are language
// handles with a class table each; the global context holds the tables.
#include "host/tsknls.h"

#include <string.h>

namespace {

constexpr uint16_t kSpace = NLS_CLASS_SPACE;

struct ClassTable {
    uint16_t classes[256];
};

constexpr ClassTable latin1Classes() {
    ClassTable t{};
    for (int b = 0x09; b <= 0x0D; ++b)
        t.classes[b] = kSpace;
    t.classes[0x20] = kSpace;
    return t;
}

constexpr ClassTable kLatin1 = latin1Classes();

const uint16_t *const kTables[] = {kLatin1.classes};

const NlsContext kContext = {sizeof kTables / sizeof kTables[0], kTables};

const NlsLanguage kLanguages[] = {
    {NLS_FLAG_SINGLE_BYTE, 0, 0, 0, "LATIN1"},
};

int32_t textBytes(const char *text, int32_t length) {
    return length < 0 ? static_cast<int32_t>(strlen(text)) : length;
}

void openCursor(uint8_t *text, int32_t length, NlsCursor *cursor, const NlsLanguage *language) {
    cursor->singleByteSet = (language->flags & NLS_FLAG_SINGLE_BYTE) != 0;
    cursor->shiftSensitive = 0;
    cursor->position = text;
    cursor->language = language;
    cursor->start = text;
    cursor->shiftState = 0;
    cursor->length = length;
}

}  // namespace

extern "C" {

uint32_t lxsulen(const char *text) { return static_cast<uint32_t>(strlen(text)); }

uint32_t lxscop(char *destination, const char *source, const NlsLanguage *, const NlsContext *) {
    size_t n = strlen(source);
    memmove(destination, source, n + 1);
    return static_cast<uint32_t>(n);
}

uint32_t lxscat(char *destination, const char *source, const NlsLanguage *, const NlsContext *) {
    size_t d = strlen(destination);
    size_t n = strlen(source);
    memmove(destination + d, source, n + 1);
    return static_cast<uint32_t>(d + n);
}

int32_t lxsCmpStr(const char *a, int32_t aLength, const char *b, int32_t bLength, uint32_t,
                  const NlsLanguage *, const NlsContext *) {
    int32_t na = textBytes(a, aLength), nb = textBytes(b, bLength);
    int32_t n = na < nb ? na : nb;
    int c = memcmp(a, b, static_cast<size_t>(n));
    if (c != 0)
        return c;
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

int32_t lxmcpen(const char *text, int32_t length, NlsCursor *cursor, const NlsLanguage *language,
                const NlsContext *) {
    openCursor(reinterpret_cast<uint8_t *>(const_cast<char *>(text)), textBytes(text, length),
               cursor, language);
    return 1;
}

int32_t lxmopen(char *buffer, int32_t length, NlsCursor *cursor, const NlsLanguage *language,
                const NlsContext *, int32_t) {
    openCursor(reinterpret_cast<uint8_t *>(buffer), length, cursor, language);
    return 1;
}

int32_t lxmfwdx(NlsCursor *cursor, const NlsContext *) {
    cursor->position += 1;
    return 1;
}

int32_t lxmspax(NlsCursor *cursor, const NlsContext *context) {
    return (nlsCharClass(cursor->language, context, *cursor->position) & kSpace) != 0;
}

int32_t lxoCpChar(NlsCursor *destination, int32_t, NlsCursor *source, int32_t, uint32_t,
                  const NlsContext *) {
    *destination->position++ = *source->position++;
    return 1;
}

int32_t lxoWriChar(NlsCursor *destination, uint32_t character, uint32_t, const NlsContext *) {
    *destination->position++ = static_cast<uint8_t>(character);
    return 1;
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
