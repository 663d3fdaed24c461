// The status values the module returns to the host. 0 is success everywhere;
// every failure travels up the call chain as one of these.
#ifndef CBQ_HOST_RESULT_CODE_H
#define CBQ_HOST_RESULT_CODE_H

#include "cbq90.h"

enum : ResultCode {
    kOk = 0,
    kNothingToDo = 1,                // cbqFreePWQCOL: null array or zero count
    kRelationalCodeAttach = 2015,    // attaching the data-source code database failed
    kRelationalSettingsEmpty = 2016, // server script or master database is empty
    kRelationalStartupFailed = 2017, // start-up script, or finding/attaching its database, failed
    kNoHomeDirectory = 2033,         // TARSIK_HOME unset or empty
    kNoQueryCreated = 3001,          // the data library returned an empty query name
    kWizardFailed = 3002,            // the query wizard failed to run
    kOutOfMemory = 3003,
    kCancelled = 3004,               // dialog cancelled, wizard not finished, or no measures
    kAttachRefused = 3005,           // the data library refused the host's connection
    kDeleteRefused = 3006,           // the query could not be deleted after the edit
    kRebuildRunFailed = 3007,        // running the rebuilt query failed
    kRebuildEmptyDefinition = 3008,  // the saved definition is empty or unreadable
    kRebuildDatabaseRefused = 3009,  // a database of the definition could not be attached
    kRebuildMeasureRefused = 3010,   // a measure or a dimension's scripts were refused
    kRebuildCubeFailed = 3011,       // the cube could not be built
    kRebuildPlacementRefused = 3012, // a dimension could not be placed on its edge
    kNoConnectionIndex = 3013,       // the connection index is missing or names no path
    kNoVersionDirectory = 3014,      // no connection-file version directory under the home
};

// A short English name of a code, for tools ("out of memory"); "unknown" for
// values outside the table.
const char *resultCodeName(ResultCode code);

#endif  // CBQ_HOST_RESULT_CODE_H
