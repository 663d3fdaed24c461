/* The national-language library, tsknls9: measuring, copying, comparing and
 * scanning texts in the host's character set.
 *
 * The module receives a language handle and a global context from the host
 * (cbqInit) and passes them to every call, in that order, or the context
 * alone. A length of -1 means "up to the terminator". The layouts of the
 * language handle, the context and the cursor are this project's own and are
 * shared by the module and the stand-in; the module reads the handle's flag
 * word, its shift-in byte and the character classes directly.
 *
 * Hosts obtain handles from the library with nlsOpenLanguage and
 * nlsGlobalContext; the module never calls those two. */
#ifndef CBQ_HOST_TSKNLS_H
#define CBQ_HOST_TSKNLS_H

#include <stdint.h>

#if defined(_WIN32) && defined(TSKNLS_BUILD)
#define TSKNLS_API __declspec(dllexport)
#else
#define TSKNLS_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Flag word of a language handle. */
#define NLS_FLAG_SINGLE_BYTE 0x10u              /* a single-byte character set */
#define NLS_FLAG_TWO_ZERO_TERMINATOR 0x4000000u /* texts end in two zero bytes; lengths from lxsulen */

/* Character classes, one per byte value. */
#define NLS_CLASS_SPACE 0x40u                   /* white space */
#define NLS_CLASS_MULTIBYTE_LEAD 0x03u          /* starts a multibyte character */

/* Option and flag values the module passes. */
#define NLS_COMPARE_WHOLE 0x10000000u           /* lxsCmpStr */
#define NLS_COPY_CHAR 0x40800000u               /* lxoCpChar */
#define NLS_WRITE_CHAR 0x40000000u              /* lxoWriChar */

typedef struct NlsLanguage {
    uint32_t flags;       /* NLS_FLAG_* */
    uint8_t shiftIn;      /* returns a shift-sensitive text to the single-byte state */
    uint8_t shiftOut;     /* enters the double-byte state of a shift-sensitive text */
    uint16_t classTable;  /* index of this set's class table in the context */
    const char *name;     /* the character set's name, as nlsOpenLanguage takes it */
} NlsLanguage;

typedef struct NlsContext {
    uint32_t tableCount;
    const uint16_t *const *classTables; /* each table holds 256 classes, one per byte value */
} NlsContext;

/* A character cursor, filled by lxmcpen (reading) or lxmopen (writing) in the
 * caller's storage. */
typedef struct NlsCursor {
    int32_t singleByteSet;        /* nonzero: the character set is single-byte */
    int32_t shiftSensitive;       /* nonzero: the cursor tracks a shift state */
    uint8_t *position;            /* the current character */
    const NlsLanguage *language;
    uint8_t *start;               /* where the cursor was opened */
    int32_t shiftState;           /* 0: single-byte (unshifted) state */
    int32_t length;               /* tracked byte length of the text */
} NlsCursor;

/* The class of byte value b in the language's character set. */
static inline uint16_t nlsCharClass(const NlsLanguage *language, const NlsContext *context,
                                    uint8_t b) {
    return context->classTables[language->classTable][b];
}

/* Length of a text in bytes, without its terminator; used by the module only
 * when NLS_FLAG_TWO_ZERO_TERMINATOR is set. */
TSKNLS_API uint32_t lxsulen(const char *text);
/* Copies source with its terminator to destination; returns the bytes of text copied. */
TSKNLS_API uint32_t lxscop(char *destination, const char *source, const NlsLanguage *language,
                           const NlsContext *context);
/* Appends source, with its terminator, to the text in destination; returns
 * the new length of destination. */
TSKNLS_API uint32_t lxscat(char *destination, const char *source, const NlsLanguage *language,
                           const NlsContext *context);
/* Compares two texts; 0 when equal. */
TSKNLS_API int32_t lxsCmpStr(const char *a, int32_t aLength, const char *b, int32_t bLength,
                             uint32_t option, const NlsLanguage *language,
                             const NlsContext *context);
/* Opens a read cursor on the first character of text; returns nonzero on success. */
TSKNLS_API int32_t lxmcpen(const char *text, int32_t length, NlsCursor *cursor,
                           const NlsLanguage *language, const NlsContext *context);
/* Opens a write cursor at the start of buffer (forWrite is 1). */
TSKNLS_API int32_t lxmopen(char *buffer, int32_t length, NlsCursor *cursor,
                           const NlsLanguage *language, const NlsContext *context,
                           int32_t forWrite);
/* Advances the cursor by one character; returns the bytes stepped over. */
TSKNLS_API int32_t lxmfwdx(NlsCursor *cursor, const NlsContext *context);
/* Nonzero when the cursor's current character is white space. */
TSKNLS_API int32_t lxmspax(NlsCursor *cursor, const NlsContext *context);
/* Copies one character from source to destination, advancing both; returns
 * the bytes written. */
TSKNLS_API int32_t lxoCpChar(NlsCursor *destination, int32_t destinationLength, NlsCursor *source,
                             int32_t sourceLength, uint32_t flags, const NlsContext *context);
/* Writes the character `character` at the cursor and advances it; returns the
 * bytes written. */
TSKNLS_API int32_t lxoWriChar(NlsCursor *destination, uint32_t character, uint32_t flags,
                              const NlsContext *context);

/* Host side: a language handle for a character set name, null for an unknown
 * name; the library's global context. */
TSKNLS_API void *nlsOpenLanguage(const char *charset);
TSKNLS_API void *nlsGlobalContext(void);

#ifdef __cplusplus
}
#endif

#endif /* CBQ_HOST_TSKNLS_H */
