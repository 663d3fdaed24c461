// The platform layer on Linux: character classes (IsCharAlphaA), answered as
// Windows answers for the ANSI code page 936 (see platform.h).
#include "platform/platform.h"

bool platformIsCharAlpha(char c) {
    unsigned char b = static_cast<unsigned char>(c);
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}
