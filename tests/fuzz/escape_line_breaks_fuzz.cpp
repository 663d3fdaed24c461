// escapeLineBreaks over every character set: input byte 0 picks the set, the
// rest is the text.
#include "tests/fuzz/text_fuzz.h"
#include "text/text_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    fuzz::selectCharset(data[0]);
    fuzz::Text text = fuzz::makeText(data + 1, size - 1);
    size_t bytes = text.length + terminatorSize();
    char *escaped = fuzz::exactBuffer(bytes);
    memcpy(escaped, text.bytes, bytes);

    int count = escapeLineBreaks(escaped);
    FUZZ_CHECK(count >= 0 && static_cast<size_t>(count) * 2 <= text.length);
    FUZZ_CHECK(textLength(escaped) == text.length);
    // Only CR LF pairs changed, each into a backslash and n.
    int changed = 0;
    for (size_t i = 0; i < text.length; ++i) {
        if (escaped[i] == text.bytes[i])
            continue;
        FUZZ_CHECK(i + 1 < text.length && text.bytes[i] == '\r' && text.bytes[i + 1] == '\n');
        FUZZ_CHECK(escaped[i] == '\\' && escaped[i + 1] == 'n');
        ++changed;
        ++i;
    }
    FUZZ_CHECK(changed == count);
    FUZZ_CHECK(escapeLineBreaks(escaped) == 0);
    free(escaped);
    free(text.bytes);
    return 0;
}
