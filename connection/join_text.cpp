#include "connection/join_text.h"

#include "text/nls_text.h"

bool joinTexts(char *out, size_t capacity, std::initializer_list<const char *> pieces) {
    size_t terminator = terminatorSize();
    if (capacity < terminator)
        return false;
    putTerminator(out);
    if (twoZeroTerminator())
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
