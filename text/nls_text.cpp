#include "text/nls_text.h"

#include <string.h>

#include "host/module_state.h"
#include "host/tsknls.h"

namespace {

// Zero bytes that putTerminator copies from; enough for any terminator size.
const char kZeros[4] = {0, 0, 0, 0};

}  // namespace

bool twoZeroTerminator() {
    const NlsLanguage *language = moduleState.nlsLanguage;
    return language != nullptr && (language->flags & NLS_FLAG_TWO_ZERO_TERMINATOR) != 0;
}

size_t terminatorSize() {
    if (twoZeroTerminator())
        return 2;
    return moduleState.terminatorSize > 1 ? moduleState.terminatorSize : 1;
}

size_t textLength(const char *text) {
    if (twoZeroTerminator())
        return lxsulen(text);
    return strlen(text);
}

size_t putTerminator(char *destination) {
    size_t n = terminatorSize();
    memcpy(destination, kZeros, n);
    return n;
}

void copyText(char *destination, const char *source) {
    if (moduleState.nlsLanguage == nullptr) {
        memmove(destination, source, textLength(source) + terminatorSize());
        return;
    }
    lxscop(destination, source, moduleState.nlsLanguage, moduleState.nlsContext);
}

void appendText(char *destination, const char *source) {
    if (moduleState.nlsLanguage == nullptr) {
        copyText(destination + textLength(destination), source);
        return;
    }
    lxscat(destination, source, moduleState.nlsLanguage, moduleState.nlsContext);
}

int compareText(const char *a, const char *b) {
    if (moduleState.nlsLanguage == nullptr)
        return strcmp(a, b);
    return lxsCmpStr(a, -1, b, -1, NLS_COMPARE_WHOLE, moduleState.nlsLanguage,
                     moduleState.nlsContext);
}
