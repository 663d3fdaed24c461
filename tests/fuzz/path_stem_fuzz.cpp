// pathBaseName and pathStem over every character set, into a separate
// buffer and in place: input byte 0 picks the set, byte 1 the output
// capacity, the rest is the path.
#include "tests/fuzz/text_fuzz.h"
#include "text/text_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    fuzz::selectCharset(data[0]);
    size_t capacity = data[1] % 48;
    fuzz::Text path = fuzz::makeText(data + 2, size - 2);
    size_t t = terminatorSize();
    size_t fullCapacity = path.length + t;

    char *base = fuzz::exactBuffer(fullCapacity);
    pathBaseName(base, fullCapacity, path.bytes);
    size_t baseLength = textLength(base);
    FUZZ_CHECK(baseLength <= path.length);
    FUZZ_CHECK(memcmp(path.bytes + path.length - baseLength, base, baseLength) == 0);
    FUZZ_CHECK(!fuzz::containsDelimiter(base, '/') && !fuzz::containsDelimiter(base, '\\'));

    char *stem = fuzz::exactBuffer(fullCapacity);
    pathStem(stem, fullCapacity, path.bytes);
    size_t stemLength = textLength(stem);
    FUZZ_CHECK(stemLength <= baseLength);
    FUZZ_CHECK(memcmp(stem, base, stemLength) == 0);
    FUZZ_CHECK(stemLength == baseLength || base[stemLength] == '.');
    if (stemLength < baseLength)
        FUZZ_CHECK(!fuzz::containsDelimiter(base + stemLength + 1, '.'));
    else
        FUZZ_CHECK(!fuzz::containsDelimiter(base, '.'));

    char *bounded = fuzz::exactBuffer(capacity);
    pathBaseName(bounded, capacity, path.bytes);
    fuzz::checkBounded(base, bounded, capacity);
    pathStem(bounded, capacity, path.bytes);
    fuzz::checkBounded(stem, bounded, capacity);

    // In the path's own buffer.
    char *own = fuzz::exactBuffer(fullCapacity);
    memcpy(own, path.bytes, fullCapacity);
    pathStem(own, fullCapacity, own);
    FUZZ_CHECK(textLength(own) == stemLength && memcmp(own, stem, stemLength) == 0);

    free(own);
    free(bounded);
    free(stem);
    free(base);
    free(path.bytes);
    return 0;
}
