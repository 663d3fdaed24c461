#include "platform/profile_common.h"

#include <string.h>

bool profileNamesGiven(const char *path, const char *section, const char *key) {
    return path != nullptr && section != nullptr && key != nullptr && key[0] != '\0';
}

bool startProfileRead(const char *path, const char *section, const char *key,
                      const char **defaultText, char *buffer, uint32_t size) {
    if (size == 0)
        return false;
    buffer[0] = '\0';
    if (*defaultText == nullptr)
        *defaultText = "";
    return profileNamesGiven(path, section, key);
}

uint32_t copyProfileDefault(const char *text, bool dropQuotes, char *buffer, uint32_t size) {
    size_t length = strlen(text);
    while (length > 0 && text[length - 1] == ' ')
        --length;
    if (dropQuotes && length >= 2 && (text[0] == '"' || text[0] == '\'') && text[length - 1] == text[0]) {
        ++text;
        length -= 2;
    }
    uint32_t count = length < size - 1 ? static_cast<uint32_t>(length) : size - 1;
    memcpy(buffer, text, count);
    buffer[count] = '\0';
    return count;
}
