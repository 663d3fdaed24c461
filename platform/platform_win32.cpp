// The platform layer on Windows: the Win32 calls themselves, with the few
// guards that make their results the same as the contract in platform.h.
#include "platform/platform.h"
#include "platform/profile_common.h"

#include <ole2.h>
#include <windows.h>

#include <stdarg.h>
#include <string.h>

void platformInitComponents() { OleInitialize(nullptr); }

// --- profile -----------------------------------------------------------------

namespace {

uint32_t boundedLength(const char *text, uint32_t size) {
    uint32_t length = 0;
    while (length < size && text[length] != '\0')
        ++length;
    return length;
}

// Wine drops the last character of a quoted value whose text is exactly
// size - 1 bytes long (it fits, but comes back one byte short); a second
// read with one byte more tells that case from a value that really is
// size - 2 bytes long. Buffers above this size are left as read.
const uint32_t kQuotedRereadLimit = 4096;

}  // namespace

uint32_t platformProfileString(const char *path, const char *section, const char *key,
                               const char *defaultText, char *buffer, uint32_t size) {
    if (!startProfileRead(path, section, key, &defaultText, buffer, size))
        return 0;
    // Wine reads some other file for a path it can't make full.
    if (strlen(path) > kPlatformProfilePathLimit)
        return copyProfileDefault(defaultText, false, buffer, size);
    // A cut inside a double-byte character can leave a byte unwritten before
    // the terminator: zeros make the text end before that character instead.
    memset(buffer, 0, size);
    GetPrivateProfileStringA(section, key, defaultText, buffer, size, path);
    buffer[size - 1] = '\0';
    uint32_t length = boundedLength(buffer, size);
    if (length + 2 == size && size < kQuotedRereadLimit) {
        char wider[kQuotedRereadLimit];
        memset(wider, 0, size + 1);
        GetPrivateProfileStringA(section, key, defaultText, wider, size + 1, path);
        wider[size] = '\0';
        uint32_t widerLength = boundedLength(wider, size + 1);
        if (widerLength == size - 1) {
            memcpy(buffer, wider, size);
            length = widerLength;
        }
    }
    return length;
}

int32_t platformProfileInt(const char *path, const char *section, const char *key,
                           int32_t defaultValue) {
    if (!profileNamesGiven(path, section, key) || strlen(path) > kPlatformProfilePathLimit)
        return defaultValue;
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, defaultValue, path));
}

// --- files -------------------------------------------------------------------

uint32_t platformFileAttributes(const char *path) {
    if (path == nullptr || strlen(path) > kPlatformPathLimit)
        return kPlatformAttributesInvalid;
    return GetFileAttributesA(path);
}

namespace {

void takeMatch(const WIN32_FIND_DATAA &data, char *name, uint32_t *attributes) {
    size_t length = strnlen(data.cFileName, kPlatformNameSize - 1);
    memcpy(name, data.cFileName, length);
    name[length] = '\0';
    *attributes = data.dwFileAttributes;
}

}  // namespace

bool PlatformFind::begin(const char *pattern) {
    end();
    if (pattern == nullptr || strlen(pattern) > kPlatformPathLimit)
        return false;
    WIN32_FIND_DATAA data;
    HANDLE handle = FindFirstFileA(pattern, &data);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    handle_ = handle;
    takeMatch(data, name_, &attributes_);
    return true;
}

bool PlatformFind::next() {
    if (handle_ == nullptr)
        return false;
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(static_cast<HANDLE>(handle_), &data))
        return false;
    takeMatch(data, name_, &attributes_);
    return true;
}

void PlatformFind::end() {
    if (handle_ != nullptr)
        FindClose(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

// --- registry ----------------------------------------------------------------

bool platformRegistryRead(const char *subkey, const char *valueName, char *buffer, uint32_t size) {
    if (size == 0)
        return false;
    buffer[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD length = size;
    LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr,
                                   reinterpret_cast<BYTE *>(buffer), &length);
    RegCloseKey(key);
    if (result == ERROR_SUCCESS && length <= size) {
        // A value stored without its terminator gets one when there is room.
        if (length > 0 && buffer[length - 1] == '\0')
            return true;
        if (length < size) {
            buffer[length] = '\0';
            return true;
        }
    }
    buffer[0] = '\0';
    return false;
}

bool platformRegistryDeleteValue(const char *subkey, const char *valueName) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    bool deleted = RegDeleteValueA(key, valueName) == ERROR_SUCCESS;
    RegCloseKey(key);
    return deleted;
}

// --- texts -------------------------------------------------------------------

int platformCompareNoCase(const char *a, const char *b) { return lstrcmpiA(a, b); }

char *platformUpperCase(char *text) {
    CharUpperA(text);
    return text;
}

int platformFormat(char *buffer, uint32_t capacity, const char *format, ...) {
    if (capacity == 0)
        return 0;
    // wsprintfA writes at most 1024 bytes and a terminator (Wine: 1023).
    char work[1025];
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(work, format, arguments);
    va_end(arguments);
    work[kPlatformFormatLimit] = '\0';
    uint32_t length = boundedLength(work, sizeof work);
    if (length > capacity - 1)
        length = capacity - 1;
    memcpy(buffer, work, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

// ---------------------------------------------------------------------------
// Character classes
// ---------------------------------------------------------------------------

bool platformIsCharAlpha(char c) { return IsCharAlphaA(c) != FALSE; }
