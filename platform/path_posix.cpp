// Windows paths and names on Linux.
#include "platform/path_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Bytes that Windows refuses in a name (besides the separators).
bool isReservedByte(char c) { return c != '\0' && strchr(":*?\"<>|", c) != nullptr; }

bool holdsReservedByte(const char *text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (isReservedByte(text[i]))
            return true;
    return false;
}

// A bounded text being built: appends fail once it would not fit.
struct PathText {
    char *text;
    size_t size;
    size_t length;

    bool append(const char *part, size_t partLength) {
        if (length + partLength + 1 > size)
            return false;
        memcpy(text + length, part, partLength);
        length += partLength;
        text[length] = '\0';
        return true;
    }
    bool appendComponent(const char *part, size_t partLength) {
        return append("/", 1) && append(part, partLength);
    }
    void dropLastComponent() {
        while (length > 0 && text[length - 1] != '/')
            --length;
        if (length > 0)
            --length;
        text[length] = '\0';
    }
};

// The lexical pass: the path made absolute with '/' separators and no
// trailing one ("" for the root), with "." and ".." applied and the trailing
// dots and blanks dropped as Windows drops them.
bool normalizePath(const char *path, PathText *norm, bool *trailingSeparator) {
    norm->length = 0;
    norm->text[0] = '\0';
    if (!isSeparator(path[0])) {
        char cwd[kPosixPathSize];
        if (getcwd(cwd, sizeof cwd) == nullptr)
            return false;
        if (strcmp(cwd, "/") != 0 && !norm->append(cwd, strlen(cwd)))
            return false;
    }
    *trailingSeparator = false;
    const char *p = path;
    while (*p != '\0') {
        while (isSeparator(*p))
            ++p;
        if (*p == '\0') {
            *trailingSeparator = p > path;
            break;
        }
        const char *start = p;
        while (*p != '\0' && !isSeparator(*p))
            ++p;
        size_t length = static_cast<size_t>(p - start);
        bool last = *p == '\0';
        if (length == 1 && start[0] == '.')
            continue;
        if (length == 2 && start[0] == '.' && start[1] == '.') {
            norm->dropLastComponent();
            continue;
        }
        if (last) {
            while (length > 0 && (start[length - 1] == '.' || start[length - 1] == ' '))
                --length;
            if (length == 0) {
                *trailingSeparator = true;
                break;
            }
        } else if (start[length - 1] == '.') {
            --length;
            if (length == 0 || (length == 1 && start[0] == '.') ||
                (length == 2 && start[0] == '.' && start[1] == '.'))
                return false;
        }
        if (!norm->appendComponent(start, length))
            return false;
    }
    return true;
}

bool namesEqualNoCase(const char *a, const char *b, size_t bLength) {
    for (size_t i = 0; i < bLength; ++i)
        if (a[i] == '\0' || asciiUpper(a[i]) != asciiUpper(b[i]))
            return false;
    return a[bLength] == '\0';
}

// Appends the component to the resolved directory: its exact name when that
// exists, else the first entry (in listing order) equal to it without regard
// to case, else the component as it is.
bool appendResolved(PathText *out, const char *component, size_t length) {
    size_t directoryLength = out->length;
    if (!out->appendComponent(component, length))
        return false;
    struct stat status;
    if (lstat(out->text, &status) == 0)
        return true;
    char directory[kPosixPathSize];
    memcpy(directory, out->text, directoryLength);
    directory[directoryLength] = '\0';
    DIR *stream = opendir(directoryLength == 0 ? "/" : directory);
    if (stream == nullptr)
        return true;
    char best[256] = "";
    while (struct dirent *entry = readdir(stream)) {
        if (namesEqualNoCase(entry->d_name, component, length) && isWindowsName(entry->d_name) &&
            (best[0] == '\0' || compareListingOrder(entry->d_name, best) < 0))
            memcpy(best, entry->d_name, length + 1);
    }
    closedir(stream);
    if (best[0] != '\0')
        memcpy(out->text + directoryLength + 1, best, length);
    return true;
}

}  // namespace

bool mapWindowsPath(const char *path, bool lastIsPattern, char *out, size_t outSize,
                    size_t *lastStart) {
    if (path == nullptr || path[0] == '\0' || outSize == 0)
        return false;
    if (isLetter(path[0]) && path[1] == ':')
        return false;
    if (isSeparator(path[0]) && isSeparator(path[1]))
        return false;
    char normText[kPosixPathSize];
    PathText norm = {normText, sizeof normText, 0};
    bool trailingSeparator = false;
    if (!normalizePath(path, &norm, &trailingSeparator))
        return false;

    // The components to look up: all of them, or all but the pattern.
    size_t lookupEnd = norm.length;
    size_t patternStart = norm.length;
    if (lastIsPattern && !trailingSeparator) {
        while (patternStart > 0 && norm.text[patternStart - 1] != '/')
            --patternStart;
        lookupEnd = patternStart > 0 ? patternStart - 1 : 0;
    }
    PathText result = {out, outSize, 0};
    out[0] = '\0';
    size_t i = 0;
    while (i < lookupEnd) {
        size_t start = i + 1;
        size_t end = start;
        while (end < lookupEnd && norm.text[end] != '/')
            ++end;
        // Names that Windows can't hold are not seen (see isWindowsName); a
        // component left ending in a dot or a blank names nothing.
        char lastByte = norm.text[end - 1];
        if (holdsReservedByte(norm.text + start, end - start) || lastByte == '.' || lastByte == ' ')
            return false;
        if (!appendResolved(&result, norm.text + start, end - start))
            return false;
        i = end;
    }
    if (lastIsPattern) {
        if (!result.append("/", 1))
            return false;
        *lastStart = result.length;
        if (!trailingSeparator &&
            !result.append(norm.text + patternStart, norm.length - patternStart))
            return false;
        return true;
    }
    if (result.length == 0 || trailingSeparator)
        return result.append("/", 1);
    return true;
}

namespace {

bool charsMatch(char patternChar, char nameChar) {
    return patternChar == '?' || asciiUpper(patternChar) == asciiUpper(nameChar);
}

bool globMatch(const char *name, const char *pattern) {
    const char *star = nullptr;  // the last '*' seen
    const char *resume = nullptr;  // where the name resumes after it
    while (*name != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern != '\0' && charsMatch(*pattern, *name)) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*' || *pattern == '.')
        ++pattern;
    return *pattern == '\0';
}

// Bytes that an 8.3 name may not hold.
bool isInvalidShortChar(char c) { return c != '\0' && strchr("*?<>|\"+=,;[] :/\\", c) != nullptr; }

// Names that are their own short form.
bool isLegalShortName(const char *name) {
    size_t length = strlen(name);
    if (length > 12)
        return false;
    if (length > 0 && name[0] == '.')
        return length == 1 || (length == 2 && name[1] == '.');
    long dot = -1;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c > 0x7f || isInvalidShortChar(name[i]))
            return false;
        if (c == '.') {
            if (dot != -1)
                return false;
            dot = static_cast<long>(i);
        }
    }
    if (dot == -1)
        return length <= 8;
    long extension = static_cast<long>(length) - dot - 1;
    return dot <= 8 && extension >= 1 && extension <= 3;
}

char shortChar(char c) { return isInvalidShortChar(c) || c == '~' || c == '.' ? '_' : asciiUpper(c); }

// The short form in the shape Wine gives it: up to four bytes of the base,
// '~' up to five, three hash bytes (not reproduced: "~~~"), then the first
// three bytes of the extension.
void makeShortName(const char *name, char *out) {
    size_t length = strlen(name);
    const char *extension = nullptr;
    for (size_t i = 1; i + 1 < length; ++i)
        if (name[i] == '.')
            extension = name + i;
    size_t n = 0;
    for (const char *p = name; n < 4 && *p != '\0' && p != extension; ++p)
        out[n++] = shortChar(*p);
    while (n < 8)
        out[n++] = '~';
    if (extension != nullptr) {
        out[n++] = '.';
        for (const char *p = extension + 1; *p != '\0' && p < extension + 4; ++p)
            out[n++] = shortChar(*p);
    }
    out[n] = '\0';
}

}  // namespace

bool matchesPattern(const char *name, const char *pattern) {
    if (globMatch(name, pattern))
        return true;
    if (isLegalShortName(name))
        return false;
    char shortName[13];
    makeShortName(name, shortName);
    return globMatch(shortName, pattern);
}

int compareListingOrder(const char *a, const char *b) {
    const unsigned char *x = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *y = reinterpret_cast<const unsigned char *>(b);
    for (size_t i = 0;; ++i) {
        unsigned char cx = static_cast<unsigned char>(asciiUpper(static_cast<char>(x[i])));
        unsigned char cy = static_cast<unsigned char>(asciiUpper(static_cast<char>(y[i])));
        if (cx != cy)
            return cx < cy ? -1 : 1;
        if (cx == 0)
            break;
    }
    return strcmp(a, b);
}

bool isWindowsName(const char *name) {
    size_t length = strlen(name);
    if (holdsReservedByte(name, length) || memchr(name, '\\', length) != nullptr)
        return false;
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return true;
    return length > 0 && name[length - 1] != '.' && name[length - 1] != ' ';
}

int openRegularFile(const char *path, long long *size) {
    struct stat status;
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return -1;
    }
    *size = static_cast<long long>(status.st_size);
    return descriptor;
}
