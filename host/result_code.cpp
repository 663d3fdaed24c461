#include "host/result_code.h"

const char *resultCodeName(ResultCode code) {
    switch (code) {
    case kOk: return "success";
    case kNothingToDo: return "nothing to do";
    case kRelationalCodeAttach: return "relational start-up: code database not attached";
    case kRelationalSettingsEmpty: return "relational start-up: server script or master database empty";
    case kRelationalStartupFailed: return "relational start-up: start-up or data database failed";
    case kNoHomeDirectory: return "no home directory (TARSIK_HOME)";
    case kNoQueryCreated: return "the data library created no query";
    case kWizardFailed: return "the query wizard failed to run";
    case kOutOfMemory: return "out of memory";
    case kCancelled: return "cancelled or empty";
    case kAttachRefused: return "the data library refused the connection";
    case kDeleteRefused: return "the data library refused to delete the query";
    case kRebuildRunFailed: return "rebuild: running the query failed";
    case kRebuildEmptyDefinition: return "rebuild: the saved definition is empty or unreadable";
    case kRebuildDatabaseRefused: return "rebuild: a database was refused";
    case kRebuildMeasureRefused: return "rebuild: a measure or scripts were refused";
    case kRebuildCubeFailed: return "rebuild: the cube could not be built";
    case kRebuildPlacementRefused: return "rebuild: a dimension could not be placed";
    case kNoConnectionIndex: return "no connection index or connection path";
    case kNoVersionDirectory: return "no connection-file version directory";
    }
    return "unknown";
}
