// Stand-in for the core library: environment variables come from the process
// environment.
#include "host/tskcore.h"

#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

extern "C" int32_t slzgetevar(void *work, const char *name, int32_t nameLength, char *buffer,
                              int32_t bufferSize, int32_t flags) {
    if (name == nullptr || nameLength <= 0 || nameLength > 255 || buffer == nullptr ||
        bufferSize <= 0)
        return 0;
    char key[256];
    memcpy(key, name, static_cast<size_t>(nameLength));
    key[nameLength] = '\0';
#ifdef _WIN32
    // The value is read whole first, so that a long one can be cut rather
    // than refused.
    DWORD needed = GetEnvironmentVariableA(key, nullptr, 0);
    if (needed <= 1)
        return 0;
    char *whole = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, needed));
    if (whole == nullptr)
        return 0;
    DWORD got = GetEnvironmentVariableA(key, whole, needed);
    int32_t length = got < static_cast<DWORD>(bufferSize) ? static_cast<int32_t>(got) : bufferSize;
    memcpy(buffer, whole, static_cast<size_t>(length));
    HeapFree(GetProcessHeap(), 0, whole);
    return length;
#else
    const char *value = getenv(key);
    if (value == nullptr)
        return 0;
    size_t n = strlen(value);
    int32_t length = n < static_cast<size_t>(bufferSize) ? static_cast<int32_t>(n) : bufferSize;
    memcpy(buffer, value, static_cast<size_t>(length));
    return length;
#endif
}
