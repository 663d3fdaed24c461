#include "connection/connection_file.h"

#include <string.h>

#include "platform/platform.h"
#include "text/char_cursor.h"
#include "text/nls_text.h"

namespace {

const char kQuorvel[] = "Quorvel";
const char kSollary[] = "Sollary";
const char kSql[] = "SQL";

// Room for the longest text field (259 bytes), so that the cut to a field
// is always made here, at a character boundary.
enum { kReadBufferSize = 264 };

// Reads a text key into a field of size bytes; empty when missing.
void readText(const char *path, const char *section, const char *key, char *field, size_t size) {
    char value[kReadBufferSize];
    uint32_t length = platformProfileString(path, section, key, "", value, sizeof value);
    copyChars(field, size, value, length);
}

int32_t readInt(const char *path, const char *section, const char *key) {
    return platformProfileInt(path, section, key, 0);
}

int16_t readShort(const char *path, const char *section, const char *key) {
    return static_cast<int16_t>(static_cast<uint16_t>(readInt(path, section, key)));
}

// Copies an ASCII literal into a field; measured as bytes, so that it is
// never read past its end.
void copyLiteral(char *field, size_t size, const char *literal) {
    copyChars(field, size, literal, strlen(literal));
}

void setLogin(int32_t serverLogin, ServerAddress *address) {
    if (serverLogin >= 1 && serverLogin <= 5) {
        address->loginMode = 1;
        address->loginValue = serverLogin;
    } else if (serverLogin == -2) {
        address->loginMode = 1;
    } else if (serverLogin == -1) {
        address->loginMode = 0;
    } else {
        address->loginMode = 2;
    }
}

void fillAddress(const ConnectionSettings &settings, ServerAddress *address) {
    switch (settings.serverType) {
    case 2:
        address->kind = kAddressLocal;
        copyLiteral(address->serverString, sizeof address->serverString, "ncalrpc:");
        break;
    case 0:
        address->kind = kAddressNone;
        break;
    default:
        address->kind = kAddressRemote;
        if (!CharCursor(settings.serverString).atEnd())
            parseServerString(settings.serverString, address);
        address->versionFlag = settings.serverVersion != 0 ? 1 : 0;
        setLogin(settings.serverLogin, address);
        break;
    }
}

void readRelational(const char *path, ConnectionSettings *settings) {
    readText(path, kSollary, "MasterDB", settings->masterDatabase, sizeof settings->masterDatabase);
    settings->relationalConnectionType = readShort(path, kSollary, "ConnectionType");
    settings->personalConfig = readShort(path, kSollary, "PersonalConfig");
    settings->promptForQuorvelId = readShort(path, kSollary, "PromptForQuorvelID");
    readText(path, kSollary, "ServerScript", settings->serverScript, sizeof settings->serverScript);
    readText(path, kSql, "ServerName", settings->relationalServerName,
             sizeof settings->relationalServerName);
    readText(path, kSql, "ServerType", settings->relationalServerType,
             sizeof settings->relationalServerType);
}

// The first single-byte character c in text, or null.
const char *findChar(const char *text, char c) {
    for (CharCursor cursor(text); !cursor.atEnd(); cursor.step())
        if (cursor.is(c))
            return cursor.position();
    return nullptr;
}

// The n bytes of word are a leading part of whole (byte for byte; the empty
// word is a leading part of everything).
bool isLeadingPart(const char *word, size_t n, const char *whole) {
    return n <= strlen(whole) && memcmp(word, whole, n) == 0;
}

void copyPart(char *field, size_t size, const char *from, const char *to) {
    copyChars(field, size, from, static_cast<size_t>(to - from));
}

}  // namespace

int readConnectionFile(const char *path, ServerEntry *entry, ServerAddress *address) {
    if (address == nullptr)
        return 0;
    memset(address, 0, sizeof *address);
    ConnectionSettings *settings = &entry->settings;
    readText(path, "General", "ConnectionVersion", settings->connectionVersion,
             sizeof settings->connectionVersion);
    settings->connectionType = readInt(path, kQuorvel, "ConnectionType");
    settings->serverType = readInt(path, kQuorvel, "ServerType");
    settings->serverVersion = readInt(path, kQuorvel, "ServerVersion");
    readText(path, kQuorvel, "ServerString", settings->serverString, sizeof settings->serverString);
    settings->serverLogin = readInt(path, kQuorvel, "ServerLogin");
    fillAddress(*settings, address);
    if (settings->connectionType == 1)
        readRelational(path, settings);
    return 1;
}

void parseServerString(const char *text, ServerAddress *address) {
    const char *end = text + textLength(text);
    copyPart(address->serverString, sizeof address->serverString, text, end);
    address->kind = kAddressRemote;
    putTerminator(address->host);
    putTerminator(address->endpoint);
    putTerminator(address->options);

    const char *rest = text;
    if (const char *bar = findChar(rest, '|')) {
        size_t n = static_cast<size_t>(bar - rest);
        if (!isLeadingPart(rest, n, "DAEMON") && isLeadingPart(rest, n, "LOCAL"))
            address->kind = kAddressLocal;
        rest = bar + 1;
    }
    if (const char *at = findChar(rest, '@')) {
        copyPart(address->host, sizeof address->host, rest, at);
        rest = at + 1;
    }
    if (const char *colon = findChar(rest, ':')) {
        copyPart(address->protocol, sizeof address->protocol, rest, colon);
        rest = colon + 1;
    } else {
        copyLiteral(address->protocol, sizeof address->protocol, "ncacn_ip_tcp");
    }
    if (const char *open = findChar(rest, '[')) {
        copyPart(address->endpoint, sizeof address->endpoint, rest, open);
        const char *options = open + 1;
        const char *close = findChar(options, ']');
        copyPart(address->options, sizeof address->options, options, close != nullptr ? close : end);
    } else {
        copyPart(address->endpoint, sizeof address->endpoint, rest, end);
    }
}

int fileExists(const char *path) {
    return platformFileAttributes(path) != kPlatformAttributesInvalid ? 1 : 0;
}
