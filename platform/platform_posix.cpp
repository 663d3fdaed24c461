// The platform layer on Linux: component start-up and the text calls. Files,
// search, profiles and registry are in find_posix.cpp, profile_posix.cpp and
// registry_posix.cpp.
#include "platform/path_posix.h"
#include "platform/platform.h"

#include <stdarg.h>
#include <stdio.h>

void platformInitComponents() {}

int platformCompareNoCase(const char *a, const char *b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(asciiLower(*a));
        unsigned char y = static_cast<unsigned char>(asciiLower(*b));
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

char *platformUpperCase(char *text) {
    for (char *p = text; *p != '\0'; ++p)
        *p = asciiUpper(*p);
    return text;
}

int platformFormat(char *buffer, uint32_t capacity, const char *format, ...) {
    if (capacity == 0)
        return 0;
    uint32_t limit = capacity < kPlatformFormatLimit + 1 ? capacity : kPlatformFormatLimit + 1;
    va_list arguments;
    va_start(arguments, format);
    int wanted = vsnprintf(buffer, limit, format, arguments);
    va_end(arguments);
    if (wanted < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<uint32_t>(wanted) < limit ? wanted : static_cast<int>(limit - 1);
}
