// encodeConnectValue over every character set: input byte 0 picks the set,
// byte 1 the output capacity (low 6 bits, times 2) and the closing flag (bit
// 7), the rest is the value. The encoded value never passes its buffer, fits
// whenever the whole fits (with room for shift bytes), and in the byte and double-byte sets decodes (each
// "//" one "/", the closing "/" last) to the value's characters.
#include <string>

#include "connection/connect_string.h"
#include "tests/fuzz/text_fuzz.h"

namespace {

// The value as it should come back: its characters, without a lead byte
// that has no second byte.
std::string characters(const char *text) {
    std::string out;
    for (CharCursor c(text); !c.atEnd(); c.step())
        if (c.singleByte() || c.charBytes() > 1)
            out.append(c.position(), c.charBytes());
    return out;
}

std::string decode(const char *encoded, bool closing) {
    std::string out;
    CharCursor c(encoded);
    while (!c.atEnd()) {
        if (c.is('/')) {
            c.step();
            if (c.atEnd()) {
                FUZZ_CHECK(closing);
                return out;
            }
            FUZZ_CHECK(c.is('/'));
        }
        out.append(c.position(), c.charBytes());
        c.step();
    }
    FUZZ_CHECK(!closing);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    fuzz::selectCharset(data[0]);
    size_t capacity = (data[1] & 0x3F) * 2;
    int closing = data[1] >> 7;
    fuzz::Text text = fuzz::makeText(data + 2, size - 2);
    size_t t = terminatorSize();
    size_t fullCapacity = 2 * text.length + 4 + t + 2 * (text.length + 1);
    char *full = fuzz::exactBuffer(fullCapacity);
    char *bounded = fuzz::exactBuffer(capacity);

    FUZZ_CHECK(encodeConnectValue(text.bytes, full, fullCapacity, closing) == full);
    size_t length = textLength(full);
    FUZZ_CHECK(length + t <= fullCapacity);
    char *result = encodeConnectValue(text.bytes, bounded, capacity, closing);
    // The writer keeps room for shift bytes in the shift-sensitive set, and
    // counts a shift byte of the value that it steps over.
    const NlsLanguage *language = moduleState.nlsLanguage;
    size_t slack = language != nullptr && language->shiftOut != 0 ? 3 : 0;
    if (length + t + slack <= capacity)
        FUZZ_CHECK(result == bounded);
    if (result != nullptr) {
        FUZZ_CHECK(result == bounded);
        FUZZ_CHECK(length + t <= capacity && memcmp(full, bounded, length + t) == 0);
    } else if (capacity >= t) {
        FUZZ_CHECK(textLength(bounded) == 0);
    }
    bool byteOrDoubleByte = language == nullptr || (language->shiftOut == 0 && !twoZeroTerminator());
    if (byteOrDoubleByte)
        FUZZ_CHECK(decode(full, closing != 0) == characters(text.bytes));
    free(bounded);
    free(full);
    free(text.bytes);
    return 0;
}
