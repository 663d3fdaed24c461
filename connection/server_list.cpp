#include "connection/server_list.h"

#include <string.h>

#include "connection/join_text.h"
#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/result_code.h"
#include "platform/platform.h"
#include "text/char_cursor.h"
#include "text/string_list.h"

namespace {

// Longer patterns and paths than the platform takes name nothing, so these
// buffers only need room for what could be found.
enum {
    kPatternSize = kPlatformPathLimit + 1,
    kPathSize = kPlatformPathLimit + 1,
    kDescriptionReadSize = 264,  // the description as read: at most 263 bytes
};

const uint32_t kSkippedAttributes = kPlatformAttributeDirectory | kPlatformAttributeOffline;

// Makes the item end with a backslash; false when memory runs out.
bool endWithBackslash(NlsString *item) {
    return item->endsWithChar('\\') || item->append("\\") != 0;
}

// A new entry for the match when it is a listed connection file; null with
// *failed false when it is not, null with *failed true when memory runs out.
ServerEntry *makeEntry(const char *directory, int32_t index, const PlatformFind &match,
                       bool *failed) {
    *failed = false;
    if (match.attributes() & kSkippedAttributes)
        return nullptr;
    char path[kPathSize];
    if (!joinTexts(path, sizeof path, {directory, match.name()}))
        return nullptr;
    if (platformProfileInt(path, "Quorvel", "ServerType", 0) != 1)
        return nullptr;
    char description[kDescriptionReadSize];
    uint32_t length =
        platformProfileString(path, "Quorvel", "ServerDescription", "", description, sizeof description);
    if (length == 0)
        return nullptr;
    ServerEntry *entry = static_cast<ServerEntry *>(memAllocZero(sizeof(ServerEntry)));
    if (entry == nullptr) {
        *failed = true;
        return nullptr;
    }
    copyChars(entry->description, sizeof entry->description, description, length);
    copyChars(entry->fileName, sizeof entry->fileName, match.name(), strlen(match.name()));
    entry->directoryIndex = index;
    return entry;
}

void link(ServerConnection *connection, ServerEntry *entry) {
    if (connection->lastEntry == nullptr)
        connection->firstEntry = entry;
    else
        connection->lastEntry->next = entry;
    connection->lastEntry = entry;
}

}  // namespace

ResultCode buildServerList(ServerConnection *connection, StringList *directories) {
    NlsString *item;
    for (int32_t i = 0; (item = directories->item(i)) != nullptr; ++i) {
        if (item->length() == 0)
            continue;
        if (!endWithBackslash(item))
            return kOutOfMemory;
        char pattern[kPatternSize];
        if (!joinTexts(pattern, sizeof pattern, {item->text(), "*.qcf"}))
            continue;
        PlatformFind find;
        for (bool found = find.begin(pattern); found; found = find.next()) {
            bool failed;
            ServerEntry *entry = makeEntry(item->text(), i, find, &failed);
            if (failed)
                return kOutOfMemory;
            if (entry != nullptr)
                link(connection, entry);
        }
    }
    return kOk;
}
