// The module-wide state, set up by the load routine and cbqInit and read
// throughout the module. The host calls the module from one thread at a
// time, so nothing here is locked.
#ifndef CBQ_HOST_MODULE_STATE_H
#define CBQ_HOST_MODULE_STATE_H

#include <stdint.h>

#include "cbq90.h"
#include "host/tsknls.h"

class ServerConnection;

enum { kHelpPathSize = 264 };  // the help path: at most 263 bytes and a terminator

struct ModuleState {
    void *instance;                  // the module's own handle, kept by the load routine
    const NlsLanguage *nlsLanguage;  // passed to every national-language call
    const NlsContext *nlsContext;
    uint32_t hostValue;              // kept; nothing reads it
    uint32_t terminatorSize;         // zero bytes that end a text: 0 before cbqInit, then 1
    uint32_t multibyte;              // nonzero: texts are scanned character by character
    HostCallback hostCallback;       // the host's option lookup
    char helpPath[kHelpPathSize];    // stored by cbqSetHelp; nothing reads it
    ServerConnection *processConnection; // made by the first cbqEdit, destroyed by cbqTerm
};

extern ModuleState moduleState;

// The load routine's work on process attach: keep the module's handle,
// initialise the component-object library, announce the host to the data
// library.
void moduleLoad(void *instance);

// The host's option: the stored callback's answer for key, with the default
// passed through unchanged; null when the host gave no callback.
const char *hostOption(const char *key, const char *defaultText);

#endif  // CBQ_HOST_MODULE_STATE_H
