// readLine over every character set: input byte 0 picks the set, byte 1 the
// line buffer's capacity, the rest is the text.
#include "tests/fuzz/text_fuzz.h"
#include "text/text_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    fuzz::selectCharset(data[0]);
    size_t capacity = data[1] % 48;
    fuzz::Text text = fuzz::makeText(data + 2, size - 2);
    const char *end = text.bytes + text.length;
    size_t t = terminatorSize();

    // Every line in turn, into a buffer that holds any line whole.
    size_t fullCapacity = text.length + t;
    char *full = fuzz::exactBuffer(fullCapacity);
    char *bounded = fuzz::exactBuffer(capacity);
    const char *p = text.bytes;
    for (;;) {
        const char *rest = nullptr;
        int result = readLine(p, full, fullCapacity, &rest);
        FUZZ_CHECK(result == (p != end ? 1 : 0));
        FUZZ_CHECK(rest >= p && rest <= end);
        if (result == 0) {
            FUZZ_CHECK(rest == p && textLength(full) == 0);
            break;
        }
        FUZZ_CHECK(rest > p);
        size_t line = textLength(full);
        FUZZ_CHECK(memcmp(full, p, line) == 0);
        FUZZ_CHECK(!fuzz::containsDelimiter(full, '\r') && !fuzz::containsDelimiter(full, '\n'));
        size_t ending = static_cast<size_t>(rest - p) - line;
        FUZZ_CHECK(ending <= 2 && (ending > 0 || rest == end));
        if (ending > 0)
            FUZZ_CHECK(p[line] == '\r' || p[line] == '\n');

        const char *boundedRest = nullptr;
        FUZZ_CHECK(readLine(p, bounded, capacity, &boundedRest) == 1);
        FUZZ_CHECK(boundedRest == rest);
        fuzz::checkBounded(full, bounded, capacity);
        p = rest;
    }
    free(bounded);
    free(full);
    free(text.bytes);
    return 0;
}
