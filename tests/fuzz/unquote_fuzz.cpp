// unquote over every character set: input byte 0 picks the set, byte 1 the
// output capacity, the rest is the text.
#include "tests/fuzz/text_fuzz.h"
#include "text/text_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    fuzz::selectCharset(data[0]);
    size_t capacity = data[1] % 48;
    fuzz::Text text = fuzz::makeText(data + 2, size - 2);
    size_t t = terminatorSize();
    size_t fullCapacity = text.length + t;
    char *full = fuzz::exactBuffer(fullCapacity);
    char *bounded = fuzz::exactBuffer(capacity);

    size_t length = unquote(text.bytes, full, fullCapacity);
    FUZZ_CHECK(length == textLength(full));
    FUZZ_CHECK(length <= text.length);
    // The output is the text after its leading white space and an opening
    // quote, without the closing quote; all of the text when it is all white
    // space.
    CharCursor first(skipSpace(text.bytes));
    if (first.atEnd()) {
        FUZZ_CHECK(length == text.length && memcmp(full, text.bytes, length) == 0);
    } else if (first.is('\'') || first.is('"')) {
        const char *from = first.position() + 1;
        size_t rest = textLength(from);
        FUZZ_CHECK(memcmp(full, from, length) == 0);
        FUZZ_CHECK(length == rest || (length + 1 == rest && from[length] == *first.position()));
    } else {
        FUZZ_CHECK(length == textLength(first.position()));
        FUZZ_CHECK(memcmp(full, first.position(), length) == 0);
    }
    size_t boundedLength = unquote(text.bytes, bounded, capacity);
    if (capacity >= t) {
        FUZZ_CHECK(boundedLength == textLength(bounded));
        fuzz::checkBounded(full, bounded, capacity);
    } else {
        FUZZ_CHECK(boundedLength == 0);
    }
    free(bounded);
    free(full);
    free(text.bytes);
    return 0;
}
