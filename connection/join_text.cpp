#include "connection/join_text.h"

#include "host/module_state.h"
#include "host/tsknls.h"
#include "text/nls_text.h"

namespace {

bool twoByteUnits() {
    const NlsLanguage *language = moduleState.nlsLanguage;
    return language != nullptr && (language->flags & NLS_FLAG_TWO_ZERO_TERMINATOR) != 0;
}

}  // namespace

bool joinTexts(char *out, size_t capacity, std::initializer_list<const char *> pieces) {
    size_t terminator = terminatorSize();
    if (capacity < terminator)
        return false;
    putTerminator(out);
    if (twoByteUnits())
        return false;
    size_t total = 0;
    for (const char *piece : pieces)
        total += textLength(piece);
    if (total + terminator > capacity)
        return false;
    for (const char *piece : pieces)
        appendText(out, piece);
    return true;
}
