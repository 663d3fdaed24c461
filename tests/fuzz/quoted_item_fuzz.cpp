// quotedItem over every character set: input byte 0 picks the set, byte 1
// the item number (low 2 bits) and the output capacity, the rest is the text.
#include "tests/fuzz/text_fuzz.h"
#include "text/text_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    fuzz::selectCharset(data[0]);
    int n = data[1] & 3;
    size_t capacity = data[1] >> 2;
    fuzz::Text text = fuzz::makeText(data + 2, size - 2);
    const char *end = text.bytes + text.length;
    size_t fullCapacity = text.length + terminatorSize();
    char *full = fuzz::exactBuffer(fullCapacity);
    char *bounded = fuzz::exactBuffer(capacity);

    const char *after = quotedItem(text.bytes, full, fullCapacity, n);
    FUZZ_CHECK(after >= text.bytes && after <= end);
    size_t item = textLength(full);
    FUZZ_CHECK(!fuzz::containsDelimiter(full, '\''));
    if (item > 0) {
        // The item lies just before its closing quote, or runs to the end.
        bool beforeQuote = after > text.bytes + item && after[-1] == '\'' &&
                           memcmp(after - 1 - item, full, item) == 0;
        bool toEnd = after == end && memcmp(end - item, full, item) == 0;
        FUZZ_CHECK(beforeQuote || toEnd);
    }
    FUZZ_CHECK(quotedItem(text.bytes, bounded, capacity, n) == after);
    fuzz::checkBounded(full, bounded, capacity);

    // Reading item after item always moves on and ends at the end.
    int items = 0;
    for (const char *p = text.bytes; p != end; ++items) {
        const char *next = quotedItem(p, full, fullCapacity, 0);
        FUZZ_CHECK(next > p || (next == p && next == end));
        if (next == p)
            break;
        p = next;
    }
    FUZZ_CHECK(items <= static_cast<int>(text.length));
    free(bounded);
    free(full);
    free(text.bytes);
    return 0;
}
