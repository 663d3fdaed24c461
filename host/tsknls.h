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
 * nlsGlobalContext; the module never calls those two.
 *
 * Character sets of this project's stand-in (nlsOpenLanguage names):
 *   "LATIN1"  single-byte (NLS_FLAG_SINGLE_BYTE): every byte is a character;
 *             white space is what its class says (0x09-0x0D, 0x20).
 *   "GBK"     double-byte: a byte whose class has an NLS_CLASS_MULTIBYTE_LEAD
 *             bit (0x81-0xFE) and whatever nonzero byte follows it form one
 *             character, so a second byte 0x2F or 0x5C is no delimiter; a lead
 *             byte just before the terminator is a one-byte character of its
 *             own. White space: the single-byte spaces and the pair 0xA1 0xA1
 *             (the ideographic space).
 *   "SOSI"    shift-sensitive (shiftOut 0x0E, shiftIn 0x0F): a text starts in
 *             the single-byte state; the shift-out byte enters the double-byte
 *             state and the shift-in byte returns to the single-byte state.
 *             Each shift byte is a one-byte character of its own, never white
 *             space; stepping over it changes the cursor's shiftState (0
 *             single-byte, 1 double-byte). In the double-byte state two bytes
 *             that are neither zero nor shift bytes form one character; a byte
 *             before a zero or shift byte is a lone one-byte character. White
 *             space: single-byte spaces in the single-byte state, the pair
 *             0xA1 0xA1 in the double-byte state.
 *   "UCS2"    two-zero-terminator mode (NLS_FLAG_TWO_ZERO_TERMINATOR): every
 *             character is one two-byte unit, low byte first; a text ends at
 *             the first zero unit (two zero bytes at an even offset), which
 *             lxsulen finds. White space: the units 0x0009-0x000D, 0x0020 and
 *             0x3000. The class table is not consulted for this set.
 * The stand-in reads a handle's kind from its fields: NLS_FLAG_TWO_ZERO_TERMINATOR,
 * then NLS_FLAG_SINGLE_BYTE, then a nonzero shiftOut (shift-sensitive),
 * otherwise double-byte with lead bytes found by class. */
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
#define NLS_COMPARE_WHOLE 0x10000000u           /* lxsCmpStr: whole texts, ASCII letter case ignored */
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
 * when NLS_FLAG_TWO_ZERO_TERMINATOR is set. It counts the bytes before the
 * first two-byte unit at an even offset that is zero. */
TSKNLS_API uint32_t lxsulen(const char *text);
/* Copies source with its terminator (two zero bytes in the two-zero mode) to
 * destination, which may overlap it; returns the bytes of text copied. */
TSKNLS_API uint32_t lxscop(char *destination, const char *source, const NlsLanguage *language,
                           const NlsContext *context);
/* Appends source, with its terminator, to the text in destination; returns
 * the new length of destination. The bytes are joined as they are: a
 * shift-sensitive text is expected to end in the single-byte state. */
TSKNLS_API uint32_t lxscat(char *destination, const char *source, const NlsLanguage *language,
                           const NlsContext *context);
/* Compares two texts character by character; 0 when equal, otherwise
 * negative or positive as a is ordered before or after b (byte values, a
 * text that is a leading part of the other first). A length of -1 runs to
 * the terminator. With NLS_COMPARE_WHOLE the case of ASCII letters in
 * single-byte characters does not count ("Sales" equals "SALES"); bytes of
 * double-byte characters always compare exactly. Without it case counts. */
TSKNLS_API int32_t lxsCmpStr(const char *a, int32_t aLength, const char *b, int32_t bLength,
                             uint32_t option, const NlsLanguage *language,
                             const NlsContext *context);
/* Opens a read cursor on the first character of text; returns nonzero on
 * success, 0 for a null text, cursor or language. The cursor's length is the
 * text's byte length (length -1) or the given length; its shift state is 0. */
TSKNLS_API int32_t lxmcpen(const char *text, int32_t length, NlsCursor *cursor,
                           const NlsLanguage *language, const NlsContext *context);
/* Opens a write cursor at the start of buffer (forWrite is 1); the cursor's
 * length is the given buffer size, -1 for none. */
TSKNLS_API int32_t lxmopen(char *buffer, int32_t length, NlsCursor *cursor,
                           const NlsLanguage *language, const NlsContext *context,
                           int32_t forWrite);
/* Advances the cursor by one character; returns the bytes stepped over, 0 at
 * the terminator (the cursor stays there). */
TSKNLS_API int32_t lxmfwdx(NlsCursor *cursor, const NlsContext *context);
/* Nonzero when the cursor's current character is white space. */
TSKNLS_API int32_t lxmspax(NlsCursor *cursor, const NlsContext *context);
/* Copies one character from source to destination, advancing both; returns
 * the bytes written. A nonnegative destinationLength is the room left at the
 * destination: a character that doesn't fit is not copied (result 0, neither
 * cursor moves); sourceLength and flags are not used. In a shift-sensitive
 * set a source shift byte is stepped over without being copied, and the
 * destination writes the shift byte its own state needs before a character
 * of the other state. At the source's terminator nothing happens. */
TSKNLS_API int32_t lxoCpChar(NlsCursor *destination, int32_t destinationLength, NlsCursor *source,
                             int32_t sourceLength, uint32_t flags, const NlsContext *context);
/* Writes the character `character` at the cursor and advances it; returns the
 * bytes written, 0 when the set has no such character (0, above 0xFFFF, a
 * lone lead byte, a shift byte). Codes below 0x100 are single-byte; larger
 * codes are double-byte, first byte code / 256 (UCS2: one unit). A
 * shift-sensitive cursor writes the shift byte that its new state needs. */
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
