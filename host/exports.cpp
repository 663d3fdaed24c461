// The module's eight exported functions.
#include "cbq90.h"

#include <string.h>

#include "connection/connection_directories.h"
#include "connection/select_server.h"
#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/module_state.h"
#include "host/result_code.h"
#include "host/version.h"
#include "query/query_session.h"

extern "C" {

ResultCode cbqInit(void *nlsLanguage, void *nlsContext, uint32_t hostValue, HostCallback options) {
    // The connection directories are texts of the character set they were
    // found in; under another one they would be measured wrongly. The next
    // connect dialog finds them again.
    if (nlsLanguage != moduleState.nlsLanguage)
        connectionDirectories.clear();
    moduleState.nlsLanguage = static_cast<const NlsLanguage *>(nlsLanguage);
    moduleState.nlsContext = static_cast<const NlsContext *>(nlsContext);
    moduleState.hostValue = hostValue;
    moduleState.terminatorSize = 1;
    moduleState.multibyte = 1;
    moduleState.hostCallback = options;
    return kOk;
}

ResultCode cbqTerm(void) {
    memDelete(moduleState.processConnection);
    moduleState.processConnection = nullptr;
    return kOk;
}

ResultCode cbqSelectServer(char *connectString, char *connectionFile, uint32_t helpContext,
                           HelpCallback help) {
    ServerConnection *connection = memNew<ServerConnection>();
    if (connection == nullptr)
        return kOutOfMemory;
    connection->setHelpPath(moduleState.helpPath);
    connection->helpContext = helpContext;
    connection->helpFunction = help;
    ResultCode result = selectServer(connection, connectString, connectionFile);
    memDelete(connection);
    return result;
}

ResultCode cbqEdit(const HostConnection *host, char **definition, uint8_t *changed,
                   uint8_t *measureCount, PWQCOL **columns, uint8_t *columnCount,
                   uint32_t helpMethod) {
    if (moduleState.processConnection == nullptr) {
        moduleState.processConnection = memNew<ServerConnection>();
        if (moduleState.processConnection == nullptr)
            return kOutOfMemory;
        moduleState.processConnection->setHelpPath(moduleState.helpPath);
    }
    QuerySession *session = memNew<QuerySession>();
    if (session == nullptr)
        return kOutOfMemory;
    ServerConnection *connection = moduleState.processConnection;
    connection->hostWord1 = host->hostWord1;
    connection->hostWord2 = host->hostWord2;
    connection->credentials = host->credentials;
    connection->settings = host->settings;
    connection->connectionHandle = host->connectionHandle;
    session->setHelpMethod(helpMethod);
    ResultCode result = session->edit(connection, definition, changed, measureCount,
                                      moduleState.helpPath, columns, columnCount);
    memDelete(session);
    return result;
}

ResultCode cbqFreePWQCOL(PWQCOL *columns, uint8_t count) {
    if (columns == nullptr || count == 0)
        return kNothingToDo;
    for (uint8_t i = 0; i < count; ++i)
        memFree(columns[i].name);
    memFree(columns);
    return kOk;
}

void cbqFreeMem(void *block) { memFree(block); }

void cbqGetVer(uint8_t *v1, uint8_t *v2, uint8_t *v3, uint8_t *v4, uint8_t *v5) {
    uint8_t *out[5] = {v1, v2, v3, v4, v5};
    const uint8_t version[5] = {CBQ_VERSION_MAJOR, CBQ_VERSION_MINOR, CBQ_VERSION_PATCH,
                                CBQ_VERSION_TWEAK, 0};
    for (int i = 0; i < 5; ++i)
        if (out[i] != nullptr)
            *out[i] = version[i];
}

uint8_t cbqSetHelp(const char *helpPath) {
    // The help path is kept for the host and read by nothing; a longer path
    // is cut to what the buffer holds.
    size_t n = 0;
    while (n < kHelpPathSize - 1 && helpPath[n] != '\0')
        ++n;
    memcpy(moduleState.helpPath, helpPath, n);
    moduleState.helpPath[n] = '\0';
    return 0;
}

}  // extern "C"
