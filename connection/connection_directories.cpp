#include "connection/connection_directories.h"

#include <string.h>

#include "connection/connection_file.h"
#include "connection/join_text.h"
#include "host/memory.h"
#include "host/module_state.h"
#include "host/result_code.h"
#include "host/tskcore.h"
#include "platform/platform.h"
#include "text/char_cursor.h"
#include "text/nls_text.h"
#include "text/text_utils.h"

StringList connectionDirectories;

namespace {

const char kVersionRoot[] = "\\olap\\zcf";

enum {
    kPathSize = kPlatformPathLimit + 1,  // longer paths name nothing
    kMaxVersions = 50,
    kRecordedVersionSize = 4,            // 3 bytes and a terminator
};

// Appends text as a new last item; false when memory runs out (the list is
// then unchanged).
bool appendItem(StringList *list, const char *text) {
    int32_t index = list->append(text);
    if (index < 0)
        return false;
    if (list->item(index)->length() == 0 && textLength(text) > 0) {
        memDelete(list->item(index, 1));
        return false;
    }
    return true;
}

// Takes the items from index count on out of list.
void truncate(StringList *list, int32_t count) {
    while (list->count() > count)
        memDelete(list->item(list->count() - 1, 1));
}

bool isEmpty(const char *text) { return CharCursor(text).atEnd(); }

// The host's preferred version into version; empty when there is none or it
// does not fit.
void preferredVersion(char *version, size_t capacity) {
    putTerminator(version);
    const char *answer = hostOption("options.zcf.version", "");
    if (answer != nullptr && textLength(answer) + terminatorSize() <= capacity)
        copyText(version, answer);
}

// Whether any match of pattern is a directory.
bool findsDirectory(const char *pattern) {
    PlatformFind find;
    for (bool found = find.begin(pattern); found; found = find.next())
        if (find.isDirectory())
            return true;
    return false;
}

// The version of a version directory's name: at most 3 bytes after "ZCF" of
// the upper-cased name.
void versionOf(const char *name, char *version) {
    char upper[kPlatformNameSize];
    size_t length = strlen(name);
    copyChars(upper, sizeof upper, name, length);
    platformUpperCase(upper);
    if (length < 3)
        putTerminator(version);
    else
        copyChars(version, kRecordedVersionSize, upper + 3, length - 3);
}

// Processes one segment of a "ConnectionPath": appends it to list when it
// names something that exists. 1 appended, 0 dropped, -1 out of memory.
int processSegment(const char *start, const char *end, StringList *list) {
    size_t bytes = static_cast<size_t>(end - start);
    if (bytes == 0 || bytes + terminatorSize() > kSegmentSize)
        return 0;
    char directory[kSegmentSize];
    memcpy(directory, start, bytes);
    putTerminator(directory + bytes);
    if (!fileExists(directory))
        return 0;
    return appendItem(list, directory) ? 1 : -1;
}

}  // namespace

int32_t homeLookup(StringList *list, ResultCode *failure) {
    list->clear();
    char work[12];
    char value[kHomeValueSize + 4];
    int32_t length = slzgetevar(work, "TARSIK_HOME", 11, value, kHomeValueSize, 0);
    ResultCode why = kNoHomeDirectory;
    if (length > 0) {
        size_t n = static_cast<size_t>(length);
        if (n > kHomeValueSize)
            n = kHomeValueSize;
        // Where texts end in two zero bytes they are measured in two-byte
        // units: an odd last byte becomes a unit of its own (a zero byte
        // completes it), so that the terminator stands at an even offset
        // and measuring stops there. value has room for both.
        if (terminatorSize() == 2 && n % 2 == 1)
            value[n++] = '\0';
        putTerminator(value + n);
        if (endsWithChar(value, '\\'))
            putTerminator(value + n - 1);
        if (!appendItem(list, value))
            why = kOutOfMemory;
    }
    if (list->count() == 0 && failure != nullptr)
        *failure = why;
    return list->count();
}

ResultCode loadConnectionDirectories(StringList *list) {
    StringList homes;
    ResultCode failure = kNoHomeDirectory;
    if (homeLookup(&homes, &failure) == 0)
        return failure;
    char version[kVersionSize];
    preferredVersion(version, sizeof version);
    int32_t home = isEmpty(version) ? -1 : findVersionHome(&homes, version);
    if (home == -1)
        home = findHighestVersion(&homes, version, sizeof version);
    if (home == -1)
        return kNoVersionDirectory;

    char index[kPathSize];
    if (!joinTexts(index, sizeof index,
                   {homes.item(home)->text(), kVersionRoot, version, "\\qconnect.ini"}))
        return kNoConnectionIndex;
    size_t valueSize = 10 * (261 + terminatorSize());
    char *value = static_cast<char *>(memAlloc(valueSize));
    if (value == nullptr)
        return kOutOfMemory;
    platformProfileString(index, "General", "ConnectionPath", "", value,
                          static_cast<uint32_t>(valueSize));
    if (isEmpty(value)) {
        memFree(value);
        return kNoConnectionIndex;
    }
    int32_t before = list->count();
    int32_t appended = splitConnectionPath(value, list);
    memFree(value);
    if (appended < 0) {
        truncate(list, before);
        return kOutOfMemory;
    }
    return kOk;
}

int32_t findVersionHome(StringList *homes, const char *version) {
    NlsString *home;
    for (int32_t i = 0; (home = homes->item(i)) != nullptr; ++i) {
        char pattern[kPathSize];
        if (joinTexts(pattern, sizeof pattern, {home->text(), kVersionRoot, version, "*"}) &&
            findsDirectory(pattern))
            return i;
    }
    return -1;
}

int32_t findHighestVersion(StringList *homes, char *version, size_t capacity) {
    putTerminator(version);
    char best[kRecordedVersionSize] = "000";
    char recorded[kMaxVersions][kRecordedVersionSize];
    int count = 0;
    int32_t result = -1;
    NlsString *home;
    for (int32_t i = 0; count < kMaxVersions && (home = homes->item(i)) != nullptr; ++i) {
        char pattern[kPathSize];
        if (!joinTexts(pattern, sizeof pattern, {home->text(), kVersionRoot, "*"}))
            continue;
        PlatformFind find;
        for (bool found = find.begin(pattern); found && count < kMaxVersions; found = find.next())
            if (find.isDirectory())
                versionOf(find.name(), recorded[count++]);
        for (int v = 0; v < count; ++v) {
            if (strcmp(recorded[v], best) > 0) {
                strcpy(best, recorded[v]);
                result = i;
            }
        }
    }
    if (result != -1)
        copyChars(version, capacity, best, strlen(best));
    return result;
}

int32_t splitConnectionPath(const char *text, StringList *list) {
    const char *segment = skipSpace(text);
    int32_t count = 0;
    CharCursor cursor(segment);
    for (;;) {
        bool atEnd = cursor.atEnd();
        if (atEnd || cursor.is(';')) {
            int processed = processSegment(segment, cursor.position(), list);
            if (processed < 0)
                return -1;
            count += processed;
            if (atEnd)
                return count;
            cursor.step();
            segment = cursor.position();
        } else {
            cursor.step();
        }
    }
}
