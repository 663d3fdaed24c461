// What the two profile readers share: the checks a read starts with and the
// default text as GetPrivateProfileStringA gives it.
#ifndef CBQ_PLATFORM_PROFILE_COMMON_H
#define CBQ_PLATFORM_PROFILE_COMMON_H

#include <stdint.h>

// True when path, section and a non-empty key are given.
bool profileNamesGiven(const char *path, const char *section, const char *key);

// Starts a string read: false when there is nothing to read (size 0, or the
// names are not given), the buffer then holding the empty text when size > 0.
// A null *defaultText becomes "".
bool startProfileRead(const char *path, const char *section, const char *key,
                      const char **defaultText, char *buffer, uint32_t size);

// Copies text into buffer (size > 0 bytes) with its trailing blanks dropped,
// then, with dropQuotes, one pair of matching surrounding quotes, then cut at
// size - 1 bytes; returns the length copied. The Win32 call drops the quotes
// only when it could open the file or create it (its folder exists).
uint32_t copyProfileDefault(const char *text, bool dropQuotes, char *buffer, uint32_t size);

#endif  // CBQ_PLATFORM_PROFILE_COMMON_H
