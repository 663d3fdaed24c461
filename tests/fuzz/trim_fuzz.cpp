// trimLeft and trimRight (and skipSpace) over every character set: input
// byte 0 picks the set, the rest is the text.
#include "tests/fuzz/text_fuzz.h"
#include "text/text_utils.h"

namespace {

char *copyOf(const fuzz::Text &text) {
    size_t bytes = text.length + terminatorSize();
    char *copy = fuzz::exactBuffer(bytes);
    memcpy(copy, text.bytes, bytes);
    return copy;
}

// The last character of text is not white space (or text is empty).
bool endsInNonSpace(const char *text) {
    bool space = false;
    for (CharCursor c(text); !c.atEnd(); c.step())
        space = c.isSpace();
    return !space;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    fuzz::selectCharset(data[0]);
    fuzz::Text text = fuzz::makeText(data + 1, size - 1);

    const char *first = skipSpace(text.bytes);
    FUZZ_CHECK(first >= text.bytes && first <= text.bytes + text.length);
    FUZZ_CHECK(fuzz::isBoundary(text.bytes, static_cast<size_t>(first - text.bytes)));

    char *left = copyOf(text);
    trimLeft(left);
    size_t leftLength = textLength(left);
    size_t skipped = static_cast<size_t>(first - text.bytes);
    FUZZ_CHECK(leftLength == text.length - skipped);
    FUZZ_CHECK(memcmp(left, first, leftLength) == 0);
    FUZZ_CHECK(CharCursor(left).atEnd() || !CharCursor(left).isSpace());

    char *right = copyOf(text);
    trimRight(right);
    size_t rightLength = textLength(right);
    FUZZ_CHECK(rightLength <= text.length);
    FUZZ_CHECK(memcmp(right, text.bytes, rightLength) == 0);
    FUZZ_CHECK(fuzz::isBoundary(text.bytes, rightLength));
    FUZZ_CHECK(endsInNonSpace(right));

    // Trimming again changes nothing, and the two trims commute.
    trimRight(right);
    FUZZ_CHECK(textLength(right) == rightLength);
    trimLeft(left);
    FUZZ_CHECK(textLength(left) == leftLength);
    trimRight(left);
    trimLeft(right);
    FUZZ_CHECK(textLength(left) == textLength(right));
    FUZZ_CHECK(memcmp(left, right, textLength(left)) == 0);

    free(right);
    free(left);
    free(text.bytes);
    return 0;
}
