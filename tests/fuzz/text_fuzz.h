// Shared by the text routines' fuzz targets: the first input byte picks the
// character set (or the byte-wise form before cbqInit), texts and output
// buffers are heap blocks of exactly their size so that AddressSanitizer
// reports any access past them, and the invariants every bounded output keeps.
#ifndef CBQ_TESTS_FUZZ_TEXT_FUZZ_H
#define CBQ_TESTS_FUZZ_TEXT_FUZZ_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "cbq90.h"
#include "host/module_state.h"
#include "host/tsknls.h"
#include "text/char_cursor.h"
#include "text/nls_text.h"

#define FUZZ_CHECK(condition)                                                               \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);  \
            abort();                                                                        \
        }                                                                                   \
    } while (0)

namespace fuzz {

// Initialises the module for one of the stand-in's sets, or resets it to the
// state before cbqInit.
inline void selectCharset(uint8_t selector) {
    static const char *const kSets[] = {"LATIN1", "GBK", "SOSI", "UCS2", nullptr};
    const char *set = kSets[selector % 5];
    if (set == nullptr) {
        moduleState.nlsLanguage = nullptr;
        moduleState.nlsContext = nullptr;
        moduleState.terminatorSize = 0;
        moduleState.multibyte = 0;
        return;
    }
    cbqInit(nlsOpenLanguage(set), nlsGlobalContext(), 0, nullptr);
}

// A text of the input bytes up to the first terminator of the set, in a heap
// block of exactly its length and terminator. Free with free().
struct Text {
    char *bytes;
    size_t length;
};

inline Text makeText(const uint8_t *data, size_t size) {
    size_t n = 0;
    if (twoZeroTerminator()) {
        while (n + 1 < size && (data[n] != 0 || data[n + 1] != 0))
            n += 2;
    } else {
        while (n < size && data[n] != 0)
            ++n;
    }
    size_t t = terminatorSize();
    char *bytes = static_cast<char *>(malloc(n + t));
    memcpy(bytes, data, n);
    memset(bytes + n, 0, t);
    return {bytes, n};
}

// An output buffer of exactly capacity bytes (malloc(0) for none).
inline char *exactBuffer(size_t capacity) { return static_cast<char *>(malloc(capacity)); }

// The offsets where the characters of text start, and its length.
inline std::vector<size_t> boundaries(const char *text) {
    std::vector<size_t> out;
    CharCursor c(text);
    for (; !c.atEnd(); c.step())
        out.push_back(c.offset());
    out.push_back(c.offset());
    return out;
}

inline bool isBoundary(const char *text, size_t offset) {
    for (size_t b : boundaries(text))
        if (b == offset)
            return true;
    return false;
}

// bounded (written into capacity bytes) against the uncut result full: it is
// terminated inside its buffer, and it is full itself when full fits,
// otherwise a leading part of full that ends at a character boundary, in the
// shift-sensitive set perhaps followed by the shift-in byte that closes it.
inline void checkBounded(const char *full, const char *bounded, size_t capacity) {
    size_t t = terminatorSize();
    if (capacity < t)
        return;
    size_t n = 0;
    if (twoZeroTerminator()) {
        while (n + 1 < capacity && (bounded[n] != 0 || bounded[n + 1] != 0))
            n += 2;
        FUZZ_CHECK(n + 1 < capacity);
    } else {
        while (n < capacity && bounded[n] != 0)
            ++n;
        FUZZ_CHECK(n < capacity);
    }
    size_t fullLength = textLength(full);
    if (fullLength + t <= capacity) {
        FUZZ_CHECK(n == fullLength && memcmp(full, bounded, n) == 0);
        return;
    }
    FUZZ_CHECK(n < fullLength);
    if (memcmp(full, bounded, n) == 0 && isBoundary(full, n))
        return;
    const NlsLanguage *language = moduleState.nlsLanguage;
    bool closedShift = language != nullptr && language->shiftOut != 0 && n > 0 &&
                       static_cast<uint8_t>(bounded[n - 1]) == language->shiftIn;
    FUZZ_CHECK(closedShift && memcmp(full, bounded, n - 1) == 0 && isBoundary(full, n - 1));
}

// Whether the walk of text finds a single-byte character c.
inline bool containsDelimiter(const char *text, char c) {
    for (CharCursor cursor(text); !cursor.atEnd(); cursor.step())
        if (cursor.is(c))
            return true;
    return false;
}

}  // namespace fuzz

#endif  // CBQ_TESTS_FUZZ_TEXT_FUZZ_H
