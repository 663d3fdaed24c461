// Windows paths and names on Linux: the mapping of a Windows path onto the
// file system and the matching of names as Windows matches them. Used only
// by the Linux side of the platform layer; the rules are those stated in
// platform.h.
#ifndef CBQ_PLATFORM_PATH_POSIX_H
#define CBQ_PLATFORM_PATH_POSIX_H

#include <stddef.h>

enum { kPosixPathSize = 4096 };  // a mapped path and its terminator

// Maps the Windows path onto the file system, writing the Linux path into
// out (outSize bytes). Every component is looked up without regard to ASCII
// case, except the last one when lastIsPattern: that one is copied as it is
// and *lastStart receives its offset in out (it is empty when the path ends
// in a separator). Without lastIsPattern a trailing separator stays ("/"), so
// that only a directory can be found there. False for a path that names
// nothing on Linux: empty, a drive letter, a UNC name, a wildcard outside the
// last pattern component, or a result longer than outSize - 1.
bool mapWindowsPath(const char *path, bool lastIsPattern, char *out, size_t outSize,
                    size_t *lastStart);

// True when name matches pattern as Windows file search matches it: '*' and
// '?' wildcards, ASCII letters without regard to case, trailing '.' and '*'
// of the pattern matching nothing at the end of the name, and the name's 8.3
// short form as a second chance.
bool matchesPattern(const char *name, const char *pattern);

// The listing order: names compared by their upper-cased bytes, ties broken
// by the bytes themselves. Negative, 0 or positive.
int compareListingOrder(const char *a, const char *b);

// False for names that no Windows path could name: they hold \ : * ? " < > |
// or end in a dot or a blank ("." and ".." excepted).
bool isWindowsName(const char *name);

// Opens the file at the Linux path for reading when it is a regular file;
// the descriptor, or -1 for anything else (missing, a directory, a FIFO, a
// device, a socket) and when it can't be opened. Never blocks: the type is
// checked before the open, which does not wait for a writer (O_NONBLOCK), and
// again on what was opened. *size receives the file's size.
int openRegularFile(const char *path, long long *size);

// ASCII case folding, bytes of 0x80 and above unchanged.
inline char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

#endif  // CBQ_PLATFORM_PATH_POSIX_H
