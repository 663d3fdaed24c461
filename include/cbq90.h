/* cbq90: the data-source module that lets a report-designer host define report
 * queries against a multidimensional OLAP server.
 *
 * The host loads the module at run time and calls these eight plain C
 * functions (cdecl, undecorated names). The records below are shared with the
 * host byte for byte; their sizes and offsets are checked at compile time.
 *
 * Calling order: cbqInit first; then cbqSelectServer and cbqEdit as the user
 * works; cbqTerm at the end. cbqGetVer, cbqSetHelp, cbqFreeMem and
 * cbqFreePWQCOL may be called at any time. One thread at a time. */
#ifndef CBQ90_H
#define CBQ90_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* 0 success, 1 nothing to do, failures 2015-2017, 2033 and 3001-3014. */
typedef uint16_t ResultCode;

/* Six texts of at most 99 bytes and a terminator each. */
typedef struct Credentials {
    char userId[100];
    char password[100];
    char domain[100];
    char relationalUserId[100];
    char relationalPassword[100];
    char quorvelId[100];
} Credentials;

/* A server's settings as read from its connection file. */
typedef struct ConnectionSettings {
    int32_t serverType;
    int32_t serverLogin;
    int32_t connectionType;
    int32_t serverVersion;
    char serverString[202];
    char connectionVersion[20];
    char masterDatabase[260];
    char serverScript[260];
    char relationalServerName[202];
    int16_t relationalConnectionType;
    int16_t personalConfig;
    int16_t promptForQuorvelId;
    char relationalServerType[10];
} ConnectionSettings;

/* What the host passes to cbqEdit: its open connection. */
typedef struct HostConnection {
    uint32_t hostWord1;
    uint32_t hostWord2;
    Credentials *credentials;
    ConnectionSettings *settings;
    int16_t connectionHandle;
} HostConnection;

/* One result column of a finished query. The array and every name block are
 * the module's; the host releases them with cbqFreePWQCOL. */
typedef struct PWQCOL {
    uint8_t type;
    uint8_t isMeasure;
    uint8_t precision;
    uint8_t scale;
    int32_t size;
    char *name;
    uint8_t position;
    uint8_t isCompanion;
    uint8_t reserved[2];
} PWQCOL;

/* The host's option lookup: returns the option's text or null. The module
 * reads the text at once and never frees it. */
typedef const char *(*HostCallback)(const char *key, const char *defaultText);

/* The host's help function, called with the context given to
 * cbqSelectServer and a topic number. */
typedef int32_t (*HelpCallback)(uint32_t context, int32_t topic);

ResultCode cbqInit(void *nlsLanguage, void *nlsContext, uint32_t hostValue, HostCallback options);
ResultCode cbqTerm(void);
ResultCode cbqSelectServer(char *connectString, char *connectionFile,
                           uint32_t helpContext, HelpCallback help);
/* cbqEdit: one edit of a query over the host's open connection.
 *
 * definition: the host's pointer to its stored definition text; null for a
 * new query (an empty text is a stored definition). When the edit changed
 * the query, the new text is copied into the host's block if it fits (the
 * pointer keeps its value), else into a new block of exactly its length + 1
 * bytes that replaces the pointer; the host frees that block with
 * cbqFreeMem, and still owns (and frees) its old block; when that new block
 * cannot be allocated the pointer holds null and the result is 3003.
 * changed is written only once the wizard has run: 1 when the query differs
 * from the stored definition (always for a new query), else 0.
 * measureCount, columns and columnCount may be null; they are first set to
 * 0, null and 0. measureCount receives the finished query's measure count
 * as soon as it is known; columns and columnCount receive the PWQCOL array
 * (freed with cbqFreePWQCOL) and its record count only when the result is 0.
 *
 * Counts travel in one byte, so a finished query with more than 255
 * measures, or with more than 255 column records, is refused with 3003:
 * changed is 0, the column outputs stay null and 0 (and the measure count 0
 * when the measures are too many), no text and no columns are handed over,
 * and the query is still deleted and the connection released. No count the
 * host receives is ever wrapped. */
ResultCode cbqEdit(const HostConnection *connection, char **definition, uint8_t *changed,
                   uint8_t *measureCount, PWQCOL **columns, uint8_t *columnCount,
                   uint32_t helpMethod);
ResultCode cbqFreePWQCOL(PWQCOL *columns, uint8_t count);
void cbqFreeMem(void *block);
void cbqGetVer(uint8_t *v1, uint8_t *v2, uint8_t *v3, uint8_t *v4, uint8_t *v5);
uint8_t cbqSetHelp(const char *helpPath);

/* Signatures of the exports, for hosts that resolve them by name. */
typedef ResultCode (*cbqInitFn)(void *, void *, uint32_t, HostCallback);
typedef ResultCode (*cbqTermFn)(void);
typedef ResultCode (*cbqSelectServerFn)(char *, char *, uint32_t, HelpCallback);
typedef ResultCode (*cbqEditFn)(const HostConnection *, char **, uint8_t *, uint8_t *,
                                PWQCOL **, uint8_t *, uint32_t);
typedef ResultCode (*cbqFreePWQCOLFn)(PWQCOL *, uint8_t);
typedef void (*cbqFreeMemFn)(void *);
typedef void (*cbqGetVerFn)(uint8_t *, uint8_t *, uint8_t *, uint8_t *, uint8_t *);
typedef uint8_t (*cbqSetHelpFn)(const char *);

#ifdef __cplusplus
}
#define CBQ90_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define CBQ90_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* The shared layouts. */
CBQ90_STATIC_ASSERT(sizeof(Credentials) == 600, "Credentials is 600 bytes");
CBQ90_STATIC_ASSERT(offsetof(Credentials, password) == 100, "Credentials.password");
CBQ90_STATIC_ASSERT(offsetof(Credentials, domain) == 200, "Credentials.domain");
CBQ90_STATIC_ASSERT(offsetof(Credentials, relationalUserId) == 300, "Credentials.relationalUserId");
CBQ90_STATIC_ASSERT(offsetof(Credentials, relationalPassword) == 400, "Credentials.relationalPassword");
CBQ90_STATIC_ASSERT(offsetof(Credentials, quorvelId) == 500, "Credentials.quorvelId");
CBQ90_STATIC_ASSERT(sizeof(ConnectionSettings) == 976, "ConnectionSettings is 976 bytes");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, serverLogin) == 4, "serverLogin");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, connectionType) == 8, "connectionType");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, serverVersion) == 12, "serverVersion");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, serverString) == 16, "serverString");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, connectionVersion) == 218, "connectionVersion");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, masterDatabase) == 238, "masterDatabase");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, serverScript) == 498, "serverScript");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, relationalServerName) == 758, "relationalServerName");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, relationalConnectionType) == 960, "relationalConnectionType");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, personalConfig) == 962, "personalConfig");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, promptForQuorvelId) == 964, "promptForQuorvelId");
CBQ90_STATIC_ASSERT(offsetof(ConnectionSettings, relationalServerType) == 966, "relationalServerType");
CBQ90_STATIC_ASSERT(offsetof(PWQCOL, size) == 4, "PWQCOL.size");
CBQ90_STATIC_ASSERT(offsetof(PWQCOL, name) == 8, "PWQCOL.name");
#if defined(_WIN32) && !defined(_WIN64)
CBQ90_STATIC_ASSERT(sizeof(PWQCOL) == 16, "PWQCOL is 16 bytes on 32-bit Windows");
CBQ90_STATIC_ASSERT(offsetof(PWQCOL, position) == 12, "PWQCOL.position");
CBQ90_STATIC_ASSERT(offsetof(PWQCOL, isCompanion) == 13, "PWQCOL.isCompanion");
CBQ90_STATIC_ASSERT(offsetof(HostConnection, credentials) == 8, "HostConnection.credentials");
CBQ90_STATIC_ASSERT(offsetof(HostConnection, settings) == 12, "HostConnection.settings");
CBQ90_STATIC_ASSERT(offsetof(HostConnection, connectionHandle) == 16, "HostConnection.connectionHandle");
#endif

#endif /* CBQ90_H */
