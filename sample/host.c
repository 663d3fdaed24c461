/* A minimal host of the cbq90 module, in plain C99: the calls a report
 * designer makes, in their order (doc/host-guide.md explains each one).
 *
 *   i686-w64-mingw32-gcc -std=c99 -Wall -Werror -Iinclude sample/host.c -Llib -lcbq90 -o host.exe
 *
 * Run it beside cbq90.dll and the three vendor libraries (QVDATA.dll,
 * tsknls9.dll, tskcore9.dll), from the release's top folder, with the demo:
 *
 *   set TARSIK_HOME=demo\home
 *   host.exe demo\servers\sales.json
 *
 * A real host takes its national-language handles from its own NLS
 * environment and its connection handle from the connection it opened
 * (after cbqSelectServer, which runs the connect dialog). This sample has
 * neither: it asks the demo's stand-ins of tsknls9 and QVDATA for them,
 * looking their host-side functions up at run time, so that it builds
 * against cbq90 alone. With the vendor's libraries it stops after the
 * version. */
#include <stdio.h>
#include <string.h>

#include "cbq90.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

/* A function of a library that the module loaded, or null. */
static void *libraryFunction(const char *library, const char *name) {
#ifdef _WIN32
    HMODULE module = GetModuleHandleA(library);
    return module == NULL ? NULL : (void *)GetProcAddress(module, name);
#else
    char file[64];
    void *handle, *function;
    snprintf(file, sizeof file, "lib%s.so", library);
    handle = dlopen(file, RTLD_NOW);
    if (handle == NULL)
        return NULL;
    function = dlsym(handle, name);
    dlclose(handle); /* the module keeps the library loaded */
    return function;
#endif
}

/* The host-side functions of the demo's stand-ins. */
typedef void *(*OpenLanguageFn)(const char *charset);
typedef void *(*GlobalContextFn)(void);
typedef int16_t (*OpenServerFn)(const char *modelFile);

/* The host's options. This host sets none, so the module uses its defaults;
 * the module copies an answer at once and never frees it. */
static const char *hostOption(const char *key, const char *defaultText) {
    printf("option %s asked (default %s): none\n", key, defaultText != NULL ? defaultText : "null");
    return NULL;
}

/* One edit of a new query over the open connection: the finished query's
 * definition text and its columns, then what the module handed over goes
 * back to it. Returns the edit's result. */
static ResultCode editNewQuery(int16_t connectionHandle) {
    Credentials credentials;
    ConnectionSettings settings;
    HostConnection connection;
    char *definition = NULL; /* null: a new query */
    uint8_t changed = 0, measureCount = 0, columnCount = 0, i;
    PWQCOL *columns = NULL;
    ResultCode result;

    /* The chosen server's settings and the user's credentials, as the host
     * keeps them from the connect dialog; the demo's server asks for none. */
    memset(&credentials, 0, sizeof credentials);
    memset(&settings, 0, sizeof settings);
    connection.hostWord1 = 0;
    connection.hostWord2 = 0;
    connection.credentials = &credentials;
    connection.settings = &settings;
    connection.connectionHandle = connectionHandle;

    result = cbqEdit(&connection, &definition, &changed, &measureCount, &columns, &columnCount, 0);
    printf("cbqEdit: %u, changed %u, %u measures, %u column records\n", (unsigned)result,
           (unsigned)changed, (unsigned)measureCount, (unsigned)columnCount);
    for (i = 0; i < columnCount; ++i)
        printf("  %3u %-32s type %2u precision %2u scale %3u size %3ld%s\n", (unsigned)columns[i].position,
               columns[i].name, (unsigned)columns[i].type, (unsigned)columns[i].precision,
               (unsigned)columns[i].scale, (long)columns[i].size,
               columns[i].isMeasure ? " measure" : columns[i].isCompanion ? " companion" : "");
    if (changed && definition != NULL)
        printf("definition, %lu bytes, to store in the report:\n%s", (unsigned long)strlen(definition),
               definition);

    /* The column records and their names are the module's. */
    if (columns != NULL)
        cbqFreePWQCOL(columns, columnCount);
    /* The host passed no block, so a text it now holds is a block of the
     * module's. (Reopening a stored query, the host passes a pointer to its
     * own block: when the pointer then names another block, that one is the
     * module's and goes back with cbqFreeMem; the host's block stays the
     * host's.) */
    cbqFreeMem(definition);
    return result;
}

int main(int argc, char **argv) {
    const char *model = argc > 1 ? argv[1] : NULL;
    uint8_t version[5];
    OpenLanguageFn openLanguage;
    GlobalContextFn globalContext;
    OpenServerFn openServer;
    void *language;
    int status = 0;

    cbqGetVer(&version[0], &version[1], &version[2], &version[3], &version[4]);
    printf("cbq90 %u.%u.%u.%u\n", version[0], version[1], version[2], version[3]);

    openLanguage = (OpenLanguageFn)libraryFunction("tsknls9", "nlsOpenLanguage");
    globalContext = (GlobalContextFn)libraryFunction("tsknls9", "nlsGlobalContext");
    language = openLanguage != NULL && globalContext != NULL ? openLanguage("LATIN1") : NULL;
    if (language == NULL) {
        printf("tsknls9 is not the demo's stand-in: a host passes its own NLS handles to cbqInit\n");
        return 0;
    }
    printf("cbqInit: %u\n", (unsigned)cbqInit(language, globalContext(), 0, hostOption));

    openServer = (OpenServerFn)libraryFunction("QVDATA", "qvStandinOpenServer");
    if (model == NULL || openServer == NULL) {
        printf("no simulated server (a model file and the demo's QVDATA): no edit\n");
    } else {
        int16_t handle = openServer(model);
        if (handle == 0) {
            printf("cannot open the simulated server %s\n", model);
            status = 1;
        } else if (editNewQuery(handle) != 0) {
            status = 1;
        }
    }

    printf("cbqTerm: %u\n", (unsigned)cbqTerm());
    return status;
}
