// Private-profile reading on Linux, as GetPrivateProfileStringA and
// GetPrivateProfileIntA read: the rules are stated in platform.h. The file is
// read once, from the start, in fixed chunks (a UTF-16 file decoded to UTF-8
// on the way), and each line is matched as its bytes go by, so a line of any
// length costs no memory and nothing is read after the line that decides the
// answer. Only a regular file of at most kPlatformProfileSizeLimit bytes is
// read.
#include "platform/path_posix.h"
#include "platform/platform.h"
#include "platform/profile_common.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Compares the bytes of a name in the file, fed one by one, with a wanted
// text: blanks around the name don't count, letters match without regard to
// ASCII case, other bytes (blanks inside the name too) exactly. A NUL ends
// the name, as in the Win32 call: "K<NUL>x" is the name "K", "K <NUL>" the
// name "K " (the blank before the NUL stays part of it).
class NameMatch {
public:
    void start(const Trimmed &wanted) {
        wanted_ = wanted;
        matched_ = 0;
        blanks_ = 0;
        blanksMatch_ = true;
        begun_ = false;
        match_ = true;
        ended_ = false;
    }

    void add(int c) {
        if (ended_)
            return;
        if (isProfileSpace(c)) {
            // Blanks count only when more of the name follows them, so they
            // are compared now and settled at the next byte that is no blank.
            if (!begun_)
                return;
            size_t at = matched_ + blanks_;
            if (at >= wanted_.length || static_cast<unsigned char>(wanted_.text[at]) != c)
                blanksMatch_ = false;
            ++blanks_;
            return;
        }
        begun_ = true;
        if (blanks_ > 0) {
            match_ = match_ && blanksMatch_;
            matched_ += blanks_;
            blanks_ = 0;
            blanksMatch_ = true;
        }
        if (c == 0) {
            ended_ = true;
            return;
        }
        if (!match_)
            return;
        if (matched_ >= wanted_.length || asciiUpper(static_cast<char>(c)) != asciiUpper(wanted_.text[matched_]))
            match_ = false;
        else
            ++matched_;
    }

    bool matches() const { return match_ && matched_ == wanted_.length; }

private:
    Trimmed wanted_ = {"", 0};
    size_t matched_ = 0;     // bytes of wanted_ matched by the name up to its last non-blank
    size_t blanks_ = 0;      // blanks since then
    bool blanksMatch_ = true;
    bool begun_ = false;     // a non-blank byte of the name was seen
    bool match_ = true;
    bool ended_ = false;     // a NUL ended the name
};

// The value of the key, kept as its bytes go by: its first size bytes from
// the first non-blank byte on (room for the value and one quote) go into the
// caller's buffer.
struct Value {
    char *buffer;
    uint32_t size;
    uint64_t count;     // bytes from the first non-blank byte on
    uint64_t trimmed;   // of them, up to the last non-blank byte
    int first;          // the first and the last non-blank byte
    int last;

    void start() { count = trimmed = 0; first = last = -1; }

    void add(int c) {
        if (count == 0 && isProfileSpace(c))
            return;
        if (count < size)
            buffer[count] = static_cast<char>(c);
        ++count;
        if (!isProfileSpace(c)) {
            trimmed = count;
            if (first < 0)
                first = c;
            last = c;
        }
    }

    // Drops one pair of matching quotes, cuts to size - 1 bytes and at a
    // NUL, terminates; returns the length.
    uint32_t finish() {
        uint64_t from = 0, length = trimmed;
        if (length >= 2 && (first == '"' || first == '\'') && last == first) {
            from = 1;
            length -= 2;
        }
        if (length > size - 1)
            length = size - 1;
        memmove(buffer, buffer + from, static_cast<size_t>(length));
        uint32_t end = static_cast<uint32_t>(length);
        const void *nul = memchr(buffer, '\0', end);
        if (nul != nullptr)
            end = static_cast<uint32_t>(static_cast<const char *>(nul) - buffer);
        buffer[end] = '\0';
        return end;
    }
};

// What a line turned out to be, known at its end.
enum class LineKind { kBlank, kHeader, kKey };

// One line being read, byte by byte: whether it is a section header (its
// first non-blank byte '[' and a ']' after it) and whether the name between
// them is the section wanted; else whether the name before its first '='
// (the whole line when there is none) is the key wanted, and that key's
// value.
class LineScan {
public:
    LineScan(const Trimmed &section, const Trimmed &key, Value *value)
        : section_(section), key_(key), value_(value) {}

    void start() {
        begun_ = bracketOpen_ = closed_ = equals_ = keyMatched_ = false;
        header_.start(section_);
        name_.start(key_);
        value_->start();
    }

    void add(int c) {
        if (closed_)
            return;
        if (!begun_) {
            if (isProfileSpace(c))
                return;
            begun_ = true;
            bracketOpen_ = c == '[';
        } else if (bracketOpen_) {
            if (c == ']') {
                closed_ = true;
                return;
            }
            header_.add(c);
        }
        if (equals_) {
            if (keyMatched_)
                value_->add(c);
        } else if (c == '=') {
            equals_ = true;
            keyMatched_ = name_.matches();
        } else {
            name_.add(c);
        }
    }

    LineKind kind() const { return closed_ ? LineKind::kHeader : begun_ ? LineKind::kKey : LineKind::kBlank; }
    bool sectionMatches() const { return header_.matches(); }
    bool keyMatches() const { return equals_ ? keyMatched_ : name_.matches(); }
    bool hasValue() const { return equals_; }

private:
    Trimmed section_;
    Trimmed key_;
    Value *value_;
    bool begun_ = false;        // a non-blank byte was seen
    bool bracketOpen_ = false;  // the line starts with '[' and no ']' came yet
    bool closed_ = false;       // ... and then one came: a header
    bool equals_ = false;       // the first '=' was seen
    bool keyMatched_ = false;   // the name before it is the key wanted
    NameMatch header_;
    NameMatch name_;
};

}  // namespace

namespace {

// The bytes of an open file in order, read in chunks; a file that turns out
// longer than the limit (it grew after it was measured) or that fails to read
// ends in kUnreadable.
class FileBytes {
public:
    enum { kEnd = -1, kUnreadable = -2 };

    explicit FileBytes(int descriptor) : descriptor_(descriptor) {}

    int next() {
        if (at_ == have_ && !fill())
            return end_;
        return static_cast<unsigned char>(chunk_[at_++]);
    }

    // Goes back to the start (within the first chunk when it is still
    // held, which it is after the few bytes of a mark); false when the file
    // can't.
    bool rewind() {
        if (offset_ == 0) {
            at_ = 0;
            return true;
        }
        if (lseek(descriptor_, 0, SEEK_SET) < 0)
            return false;
        offset_ = 0;
        at_ = have_ = 0;
        return true;
    }

private:
    bool fill() {
        if (end_ != kEnd)
            return false;
        offset_ += have_;
        at_ = have_ = 0;
        ssize_t n;
        do
            n = read(descriptor_, chunk_, sizeof chunk_);
        while (n < 0 && errno == EINTR);
        if (n < 0 || offset_ + static_cast<uint64_t>(n) > kPlatformProfileSizeLimit) {
            end_ = kUnreadable;
            return false;
        }
        if (n == 0)
            return false;
        have_ = static_cast<size_t>(n);
        return true;
    }

    int descriptor_;
    char chunk_[4096];
    uint64_t offset_ = 0;  // of chunk_[0]
    size_t at_ = 0;
    size_t have_ = 0;
    int end_ = kEnd;
};

// The text of a profile file, byte by byte, as its mark says: after a
// UTF-8 mark (EF BB BF) or without a mark, the file's own bytes; after a
// UTF-16 mark (FF FE little-endian, FE FF big-endian) the characters of
// the two-byte units in UTF-8. There a pair of surrogates is one character,
// a surrogate without its partner reads as U+FFFD, and an odd last byte,
// half a unit, is dropped.
class ProfileText {
public:
    enum { kEnd = FileBytes::kEnd, kUnreadable = FileBytes::kUnreadable };

    explicit ProfileText(FileBytes *file) : file_(file) {}

    // Reads the mark; false when the file can't be read.
    bool start() {
        int first = file_->next();
        int second = first == 0xEF || first == 0xFF || first == 0xFE ? file_->next() : kEnd;
        if (first == 0xFF && second == 0xFE)
            form_ = kLittleEndian;
        else if (first == 0xFE && second == 0xFF)
            form_ = kBigEndian;
        else if (!(first == 0xEF && second == 0xBB && file_->next() == 0xBF))
            return file_->rewind();
        return true;
    }

    int next() {
        if (form_ == kBytes)
            return file_->next();
        if (at_ == count_ && !decode())
            return end_;
        return encoded_[at_++];
    }

private:
    enum Form { kBytes, kLittleEndian, kBigEndian };
    enum { kNoUnit = -3 };

    // The next two-byte unit, or kEnd / kUnreadable.
    int unit() {
        if (held_ != kNoUnit) {
            int held = held_;
            held_ = kNoUnit;
            return held;
        }
        int low = file_->next();
        if (low < 0)
            return low;
        int high = file_->next();
        if (high == kUnreadable)
            return high;
        if (high == kEnd)
            return kEnd;  // half a unit
        return form_ == kLittleEndian ? low | high << 8 : low << 8 | high;
    }

    // Decodes the next character into encoded_; false at the end.
    bool decode() {
        at_ = count_ = 0;
        int u = unit();
        if (u < 0) {
            end_ = u;
            return false;
        }
        uint32_t character = static_cast<uint32_t>(u);
        if (u >= 0xD800 && u <= 0xDBFF) {
            int partner = unit();
            if (partner >= 0xDC00 && partner <= 0xDFFF) {
                character = 0x10000 + ((character - 0xD800) << 10) + (static_cast<uint32_t>(partner) - 0xDC00);
            } else {
                held_ = partner;  // read again as the next character (or the end)
                character = 0xFFFD;
            }
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            character = 0xFFFD;
        }
        encode(character);
        return true;
    }

    void encode(uint32_t c) {
        if (c < 0x80) {
            encoded_[count_++] = static_cast<unsigned char>(c);
            return;
        }
        int continuations = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
        encoded_[count_++] = static_cast<unsigned char>(kLead[continuations] | (c >> (6 * continuations)));
        for (int i = continuations - 1; i >= 0; --i)
            encoded_[count_++] = static_cast<unsigned char>(0x80 | ((c >> (6 * i)) & 0x3F));
    }

    FileBytes *file_;
    Form form_ = kBytes;
    unsigned char encoded_[4] = {};
    int count_ = 0;
    int at_ = 0;
    int held_ = kNoUnit;  // a unit read ahead after a lone high surrogate
    int end_ = kEnd;
};

enum class Answer { kFound, kMissing, kUnreadable };

// The first line of the key in the first section of the name decides; the
// value, when there is one, is then in value's buffer (not yet finished).
// A CR and an LF each end a line, wherever they stand (a CR LF pair ends one
// line and leaves a blank one, which counts for nothing).
Answer findValue(FileBytes *file, const Trimmed &section, const Trimmed &key, Value *value) {
    ProfileText text(file);
    if (!text.start())
        return Answer::kUnreadable;
    bool inSection = section.length == 0;  // lines before any header belong to ""
    LineScan line(section, key, value);
    line.start();
    for (;;) {
        int c = text.next();
        if (c == ProfileText::kUnreadable)
            return Answer::kUnreadable;
        if (c != ProfileText::kEnd && c != '\n' && c != '\r') {
            line.add(c);
            continue;
        }
        // The end of a line.
        switch (line.kind()) {
        case LineKind::kBlank:
            break;
        case LineKind::kHeader:
            if (inSection)
                return Answer::kMissing;  // only the first section of the name counts
            inSection = line.sectionMatches();
            break;
        case LineKind::kKey:
            if (inSection && line.keyMatches())  // the first line of the key decides
                return line.hasValue() ? Answer::kFound : Answer::kMissing;
            break;
        }
        if (c == ProfileText::kEnd)
            return Answer::kMissing;
        line.start();
    }
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
    // Anything but a regular file (a directory, a FIFO, a device) and a file
    // over the size limit read as a file that can't be opened.
    long long fileSize = 0;
    int descriptor = openRegularFile(mapped, &fileSize);
    if (descriptor < 0)
        return copyProfileDefault(defaultText, folderExists(mapped), buffer, size);
    Answer answer = Answer::kUnreadable;
    Value value = {buffer, size, 0, 0, -1, -1};
    if (fileSize <= kPlatformProfileSizeLimit) {
        FileBytes file(descriptor);
        answer = findValue(&file, trim(section), trim(key), &value);
    }
    close(descriptor);
    if (answer == Answer::kFound)
        return value.finish();
    return copyProfileDefault(defaultText, answer == Answer::kMissing, buffer, size);
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
