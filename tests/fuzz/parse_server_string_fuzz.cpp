// parseServerString over every character set: input byte 0 picks the set,
// the rest is the server string. Every part ends inside its field, the whole
// string is kept as far as its field holds, and the kind is local or remote.
#include <string>

#include "connection/connection_file.h"
#include "tests/fuzz/text_fuzz.h"

namespace {

void checkTerminated(const char *field, size_t size) {
    if (twoZeroTerminator()) {
        bool found = false;
        for (size_t i = 0; i + 1 < size && !found; i += 2)
            found = field[i] == 0 && field[i + 1] == 0;
        FUZZ_CHECK(found);
    } else {
        FUZZ_CHECK(memchr(field, 0, size) != nullptr);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    fuzz::selectCharset(data[0]);
    fuzz::Text text = fuzz::makeText(data + 1, size - 1);
    ServerAddress *address = static_cast<ServerAddress *>(malloc(sizeof(ServerAddress)));
    memset(address, 0xAA, sizeof *address);
    parseServerString(text.bytes, address);
    FUZZ_CHECK(address->kind == kAddressLocal || address->kind == kAddressRemote);
    checkTerminated(address->host, sizeof address->host);
    checkTerminated(address->protocol, sizeof address->protocol);
    checkTerminated(address->endpoint, sizeof address->endpoint);
    checkTerminated(address->options, sizeof address->options);
    fuzz::checkBounded(text.bytes, address->serverString, sizeof address->serverString);
    // Without any delimiter the whole string is the endpoint.
    if (!fuzz::containsDelimiter(text.bytes, '|') && !fuzz::containsDelimiter(text.bytes, '@') &&
        !fuzz::containsDelimiter(text.bytes, ':') && !fuzz::containsDelimiter(text.bytes, '['))
        fuzz::checkBounded(text.bytes, address->endpoint, sizeof address->endpoint);
    free(address);
    free(text.bytes);
    return 0;
}
