// Private-profile reading on Linux, as GetPrivateProfileStringA and
// GetPrivateProfileIntA read: the rules are stated in platform.h. The file is
// scanned line by line through its offsets, so a line of any length costs no
// memory.
#include "platform/path_posix.h"
#include "platform/platform.h"
#include "platform/profile_common.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

namespace {

bool isProfileSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1a;
}

// A text given by the caller, without its surrounding blanks.
struct Trimmed {
    const char *text;
    size_t length;
};

Trimmed trim(const char *text) {
    while (isProfileSpace(static_cast<unsigned char>(*text)))
        ++text;
    size_t length = strlen(text);
    while (length > 0 && isProfileSpace(static_cast<unsigned char>(text[length - 1])))
        --length;
    return {text, length};
}

// What one line holds, by file offsets; -1 where there is nothing.
struct Line {
    long first;          // the first byte that is no blank
    long last;           // the last byte that is no blank
    long closeBracket;   // the first ']' when the line starts with '['
    long equals;         // the first '='
    long nameLast;       // the last byte before '=' that is no blank
    long valueFirst;     // the first byte after '=' that is no blank
    int firstByte;
};

class ProfileFile {
public:
    explicit ProfileFile(FILE *file) : file_(file) {}

    void start() {
        fseek(file_, 0, SEEK_END);
        long size = ftell(file_);
        lastLineFeed_ = findLastLineFeed(size);
        unsigned char mark[3] = {0, 0, 0};
        fseek(file_, 0, SEEK_SET);
        bool hasMark = fread(mark, 1, 3, file_) == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF;
        position_ = hasMark ? 3 : 0;
        fseek(file_, position_, SEEK_SET);
    }

    // Reads the next line; false at the end of the file.
    bool readLine(Line *line) {
        *line = {-1, -1, -1, -1, -1, -1, 0};
        fseek(file_, position_, SEEK_SET);
        int c = getc(file_);
        if (c == EOF)
            return false;
        for (; c != EOF; c = getc(file_), ++position_) {
            if (c == '\n' || (c == '\r' && position_ > lastLineFeed_)) {
                ++position_;
                break;
            }
            if (isProfileSpace(c))
                continue;
            if (line->first < 0) {
                line->first = position_;
                line->firstByte = c;
            }
            line->last = position_;
            if (c == ']' && line->closeBracket < 0 && line->firstByte == '[')
                line->closeBracket = position_;
            if (line->equals >= 0) {
                if (line->valueFirst < 0)
                    line->valueFirst = position_;
            } else if (c == '=') {
                line->equals = position_;
            } else {
                line->nameLast = position_;
            }
        }
        return true;
    }

    // True when the bytes [from, to] of the file equal the text without
    // regard to ASCII case (NUL ends the file's text, as in the Win32 call).
    bool equals(long from, long to, const Trimmed &text) {
        if (from < 0 || to - from + 1 != static_cast<long>(text.length))
            return from < 0 && text.length == 0;
        fseek(file_, from, SEEK_SET);
        for (size_t i = 0; i < text.length; ++i) {
            int c = getc(file_);
            if (c == EOF || c == 0 || asciiUpper(static_cast<char>(c)) != asciiUpper(text.text[i]))
                return false;
        }
        return true;
    }

    int byteAt(long offset) {
        fseek(file_, offset, SEEK_SET);
        return getc(file_);
    }

    // Copies the bytes [from, from + count) up to a NUL; returns the count copied.
    uint32_t copy(long from, uint32_t count, char *buffer) {
        fseek(file_, from, SEEK_SET);
        uint32_t copied = 0;
        for (; copied < count; ++copied) {
            int c = getc(file_);
            if (c == EOF || c == 0)
                break;
            buffer[copied] = static_cast<char>(c);
        }
        return copied;
    }

private:
    long findLastLineFeed(long size) {
        char chunk[512];
        for (long end = size; end > 0;) {
            long begin = end > static_cast<long>(sizeof chunk) ? end - static_cast<long>(sizeof chunk) : 0;
            fseek(file_, begin, SEEK_SET);
            size_t wanted = static_cast<size_t>(end - begin);
            if (fread(chunk, 1, wanted, file_) != wanted)
                return -1;
            for (size_t i = wanted; i > 0; --i)
                if (chunk[i - 1] == '\n')
                    return begin + static_cast<long>(i - 1);
            end = begin;
        }
        return -1;
    }

    FILE *file_;
    long position_ = 0;
    long lastLineFeed_ = -1;
};

// Where a value lies in the file, or that the key has none.
struct Found {
    bool found;
    long from;
    long to;  // the last byte; to < from for an empty value
};

Found findValue(ProfileFile *file, const Trimmed &section, const Trimmed &key) {
    bool inSection = section.length == 0;  // lines before any header belong to ""
    Line line;
    while (file->readLine(&line)) {
        if (line.first < 0)
            continue;
        if (line.closeBracket >= 0) {
            if (inSection)
                return {false, 0, 0};  // only the first section of the name counts
            long from = -1, to = -1;
            for (long i = line.first + 1; i < line.closeBracket; ++i) {
                if (!isProfileSpace(file->byteAt(i))) {
                    if (from < 0)
                        from = i;
                    to = i;
                }
            }
            inSection = file->equals(from, to, section);
            continue;
        }
        if (!inSection)
            continue;
        long nameLast = line.equals >= 0 ? line.nameLast : line.last;
        if (!file->equals(nameLast < 0 ? -1 : line.first, nameLast, key))
            continue;
        if (line.equals < 0)
            return {false, 0, 0};  // the first line of the key decides: no value
        if (line.valueFirst < 0)
            return {true, 0, -1};
        return {true, line.valueFirst, line.last};
    }
    return {false, 0, 0};
}

bool isQuote(int c) { return c == '"' || c == '\''; }

// The file when it is a regular file that can be read; a directory or device
// reads as a file that can't be opened.
FILE *openRegularFile(const char *path) {
    FILE *stream = fopen(path, "rb");
    struct stat status;
    if (stream != nullptr && (fstat(fileno(stream), &status) != 0 || !S_ISREG(status.st_mode))) {
        fclose(stream);
        stream = nullptr;
    }
    return stream;
}

// True when the folder of a missing file exists (the file could be created).
bool folderExists(const char *path) {
    struct stat status;
    if (stat(path, &status) == 0)
        return false;
    char folder[kPosixPathSize];
    snprintf(folder, sizeof folder, "%s", path);
    char *slash = strrchr(folder, '/');
    if (slash == nullptr)
        return false;
    slash[slash == folder ? 1 : 0] = '\0';
    return stat(folder, &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

uint32_t platformProfileString(const char *path, const char *section, const char *key,
                               const char *defaultText, char *buffer, uint32_t size) {
    if (!startProfileRead(path, section, key, &defaultText, buffer, size))
        return 0;
    char mapped[kPosixPathSize];
    if (strlen(path) > kPlatformProfilePathLimit || !mapWindowsPath(path, false, mapped, sizeof mapped, nullptr))
        return copyProfileDefault(defaultText, false, buffer, size);
    FILE *stream = openRegularFile(mapped);
    if (stream == nullptr)
        return copyProfileDefault(defaultText, folderExists(mapped), buffer, size);
    ProfileFile file(stream);
    file.start();
    Found value = findValue(&file, trim(section), trim(key));
    uint32_t length;
    if (!value.found) {
        length = copyProfileDefault(defaultText, true, buffer, size);
    } else {
        long from = value.from, to = value.to;
        if (to > from && isQuote(file.byteAt(from)) && file.byteAt(to) == file.byteAt(from)) {
            ++from;
            --to;
        }
        long count = to - from + 1;
        if (count < 0)
            count = 0;
        if (count > static_cast<long>(size - 1))
            count = size - 1;
        length = file.copy(from, static_cast<uint32_t>(count), buffer);
        buffer[length] = '\0';
    }
    fclose(stream);
    return length;
}

namespace {

// The number as the Win32 call reads it: see platform.h.
int32_t parseProfileInteger(const char *text) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    while (*p != '\0' && *p <= ' ')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    uint32_t base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
        base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
        p += 2;
    }
    uint32_t total = 0;
    for (;; ++p) {
        uint32_t digit;
        if (*p >= '0' && *p <= '9')
            digit = *p - '0';
        else if (*p >= 'a' && *p <= 'z')
            digit = *p - 'a' + 10;
        else if (*p >= 'A' && *p <= 'Z')
            digit = *p - 'A' + 10;
        else
            break;
        if (digit >= base)
            break;
        total = total * base + digit;
    }
    return static_cast<int32_t>(negative ? 0u - total : total);
}

}  // namespace

int32_t platformProfileInt(const char *path, const char *section, const char *key,
                           int32_t defaultValue) {
    char text[30];
    if (platformProfileString(path, section, key, "", text, sizeof text) == 0)
        return defaultValue;
    return parseProfileInteger(text);
}
