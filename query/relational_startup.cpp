#include "query/relational_startup.h"

#include "host/result_code.h"

// Not built yet: a relational server cannot be started, so its edit fails.
ResultCode relationalStartup(ServerConnection *) { return kRelationalStartupFailed; }
