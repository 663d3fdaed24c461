// The registry on Linux: the store file described in registry_store_posix.h,
// read and changed line by line.
#include "platform/path_posix.h"
#include "platform/platform.h"
#include "platform/registry_store_posix.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kRoot[] = "HKEY_LOCAL_MACHINE";

// One line of the store. A line that does not fit is marked and its rest is
// skipped, or copied to the output when the store is being rewritten.
struct StoreLine {
    char text[kStoreLineSize];
    size_t length;   // without the LF; CR included when the line had one
    bool whole;
    bool lineFeed;
};

bool readStoreLine(FILE *in, FILE *copyRestTo, StoreLine *line) {
    line->length = 0;
    line->whole = true;
    line->lineFeed = false;
    int c = getc(in);
    if (c == EOF)
        return false;
    for (; c != EOF; c = getc(in)) {
        if (c == '\n') {
            line->lineFeed = true;
            break;
        }
        if (line->length + 1 == sizeof line->text) {
            // Too long: the start goes out now, the rest straight after it.
            line->whole = false;
            if (copyRestTo != nullptr)
                fwrite(line->text, 1, line->length, copyRestTo);
            for (; c != EOF && c != '\n'; c = getc(in))
                if (copyRestTo != nullptr)
                    putc(c, copyRestTo);
            line->lineFeed = c == '\n';
            if (copyRestTo != nullptr && line->lineFeed)
                putc('\n', copyRestTo);
            break;
        }
        line->text[line->length++] = static_cast<char>(c);
    }
    line->text[line->length] = '\0';
    return true;
}

// The line's meaning. Header: name is the key between the brackets. Value:
// name is the value name, data its text.
enum class LineKind { kOther, kHeader, kValue };

struct Parsed {
    LineKind kind;
    const char *name;
    size_t nameLength;
    const char *data;
    size_t dataLength;
};

Parsed parseLine(const StoreLine &line) {
    Parsed parsed = {LineKind::kOther, nullptr, 0, nullptr, 0};
    if (!line.whole)
        return parsed;
    size_t length = line.length;
    if (length > 0 && line.text[length - 1] == '\r')
        --length;
    const char *text = line.text;
    if (length == 0 || text[0] == '#' || text[0] == ';')
        return parsed;
    if (text[0] == '[' && text[length - 1] == ']' && length >= 2)
        return {LineKind::kHeader, text + 1, length - 2, nullptr, 0};
    const char *equals = static_cast<const char *>(memchr(text, '=', length));
    if (equals == nullptr)
        return parsed;
    size_t nameLength = static_cast<size_t>(equals - text);
    return {LineKind::kValue, text, nameLength, equals + 1, length - nameLength - 1};
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The next byte of a key name, with runs of backslashes as one and a
// trailing one ignored; 0 at the end.
struct KeyCursor {
    const char *p;
    const char *end;
    char next() {
        if (p == end)
            return 0;
        if (*p != '\\')
            return upper(*p++);
        while (p != end && *p == '\\')
            ++p;
        return p == end ? 0 : '\\';
    }
};

bool keyMatches(const char *header, size_t headerLength, const char *subkey) {
    KeyCursor file = {header, header + headerLength};
    KeyCursor root = {kRoot, kRoot + sizeof kRoot - 1};
    char a, b;
    while ((b = root.next()) != 0)
        if (file.next() != b)
            return false;
    KeyCursor wanted = {subkey, subkey + strlen(subkey)};
    if (*subkey != '\0' && file.next() != '\\')
        return false;
    do {
        a = file.next();
        b = wanted.next();
        if (a != b)
            return false;
    } while (a != 0);
    return true;
}

bool nameMatches(const Parsed &parsed, const char *name) {
    size_t length = strlen(name);
    if (parsed.nameLength != length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (upper(parsed.name[i]) != upper(name[i]))
            return false;
    return true;
}

bool validSubkey(const char *subkey) { return subkey[0] != '\\'; }

// The store for reading when it is a regular file; null with *missing true
// when there is no file at all. Anything else there (a directory, a FIFO, a
// device) is refused without waiting on it.
FILE *openStore(const char *path, bool *missing) {
    struct stat status;
    *missing = stat(path, &status) != 0 && errno == ENOENT;
    long long size = 0;
    int descriptor = openRegularFile(path, &size);
    if (descriptor < 0)
        return nullptr;
    FILE *in = fdopen(descriptor, "rb");
    if (in == nullptr)
        close(descriptor);
    return in;
}

}  // namespace

bool registryStorePath(char *path, size_t size) {
    const char *named = getenv("CBQ_REGISTRY");
    int written;
    if (named != nullptr && named[0] != '\0') {
        written = snprintf(path, size, "%s", named);
    } else {
        const char *home = getenv("HOME");
        if (home == nullptr || home[0] == '\0')
            return false;
        written = snprintf(path, size, "%s/.cbq90/registry", home);
    }
    return written > 0 && static_cast<size_t>(written) < size;
}

bool platformRegistryRead(const char *subkey, const char *valueName, char *buffer, uint32_t size) {
    if (size == 0)
        return false;
    buffer[0] = '\0';
    if (subkey == nullptr)
        subkey = "";
    if (valueName == nullptr)
        valueName = "";
    char path[4096];
    if (!validSubkey(subkey) || !registryStorePath(path, sizeof path))
        return false;
    bool missing;
    FILE *in = openStore(path, &missing);
    if (in == nullptr)
        return false;
    StoreLine line;
    bool inKey = false;
    bool result = false;
    while (readStoreLine(in, nullptr, &line)) {
        Parsed parsed = parseLine(line);
        if (parsed.kind == LineKind::kHeader) {
            inKey = keyMatches(parsed.name, parsed.nameLength, subkey);
        } else if (parsed.kind == LineKind::kValue && inKey && nameMatches(parsed, valueName)) {
            if (parsed.dataLength + 1 <= size) {
                memcpy(buffer, parsed.data, parsed.dataLength);
                buffer[parsed.dataLength] = '\0';
                result = true;
            }
            break;
        }
    }
    fclose(in);
    return result;
}

bool platformRegistryDeleteValue(const char *subkey, const char *valueName) {
    return registryStoreChange(StoreChange::kDeleteValue, subkey, valueName, nullptr);
}

namespace {

bool holdsLineBreak(const char *text) { return strchr(text, '\n') != nullptr || strchr(text, '\r') != nullptr; }

void writeValueLine(FILE *out, const char *name, const char *text) { fprintf(out, "%s=%s\n", name, text); }

void writeHeader(FILE *out, const char *subkey) {
    size_t length = strlen(subkey);
    while (length > 0 && subkey[length - 1] == '\\')
        --length;
    fprintf(out, "[%s%s%.*s]\n", kRoot, length > 0 ? "\\" : "", static_cast<int>(length), subkey);
}

// Creates the folder that holds the store when it is missing (one level).
void makeStoreFolder(const char *path) {
    char folder[4096];
    snprintf(folder, sizeof folder, "%s", path);
    char *slash = strrchr(folder, '/');
    if (slash == nullptr || slash == folder)
        return;
    *slash = '\0';
    mkdir(folder, 0700);
}

}  // namespace

bool registryStoreChange(StoreChange change, const char *subkey, const char *valueName,
                         const char *text) {
    if (subkey == nullptr)
        subkey = "";
    if (valueName == nullptr)
        valueName = "";
    if (text == nullptr)
        text = "";
    if (!validSubkey(subkey))
        return false;
    if (change == StoreChange::kSetValue &&
        (strchr(valueName, '=') != nullptr || holdsLineBreak(valueName) || holdsLineBreak(subkey) ||
         holdsLineBreak(text) || strlen(valueName) + strlen(text) + 2 > kStoreLineSize ||
         strlen(subkey) + sizeof kRoot + 3 > kStoreLineSize))
        return false;
    char path[4096], temporary[4096 + 8];
    if (!registryStorePath(path, sizeof path))
        return false;
    snprintf(temporary, sizeof temporary, "%s.tmp", path);
    bool missing;
    FILE *in = openStore(path, &missing);
    if (in == nullptr && (change != StoreChange::kSetValue || !missing))
        return false;
    if (in == nullptr)
        makeStoreFolder(path);
    FILE *out = fopen(temporary, "wb");
    if (out == nullptr) {
        if (in != nullptr)
            fclose(in);
        return false;
    }
    StoreLine line;
    bool inKey = false, done = false, changed = false, lineOpen = false;
    while (in != nullptr && readStoreLine(in, out, &line)) {
        Parsed parsed = parseLine(line);
        if (parsed.kind == LineKind::kHeader) {
            if (change == StoreChange::kSetValue && inKey && !done) {
                writeValueLine(out, valueName, text);
                done = changed = true;
            }
            inKey = keyMatches(parsed.name, parsed.nameLength, subkey);
            if (change == StoreChange::kDeleteKey && inKey) {
                changed = true;
                continue;
            }
        } else if (inKey && change == StoreChange::kDeleteKey) {
            continue;
        } else if (parsed.kind == LineKind::kValue && inKey && !done && nameMatches(parsed, valueName)) {
            done = changed = true;
            if (change == StoreChange::kSetValue)
                writeValueLine(out, valueName, text);
            continue;
        }
        if (line.whole) {
            fwrite(line.text, 1, line.length, out);
            if (line.lineFeed)
                putc('\n', out);
        }
        lineOpen = !line.lineFeed;
    }
    if (change == StoreChange::kSetValue && !done) {
        if (lineOpen)
            putc('\n', out);
        if (!inKey)
            writeHeader(out, subkey);
        writeValueLine(out, valueName, text);
        changed = true;
    }
    if (in != nullptr)
        fclose(in);
    bool written = fclose(out) == 0;
    if (!changed || !written || rename(temporary, path) != 0) {
        remove(temporary);
        return false;
    }
    return true;
}
