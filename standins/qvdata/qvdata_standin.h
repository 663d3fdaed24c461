/* Host-side functions of the data-library stand-in. The module never calls
 * these; hosts and tests use them to drive and observe the stand-in. */
#ifndef CBQ_STANDINS_QVDATA_STANDIN_H
#define CBQ_STANDINS_QVDATA_STANDIN_H

#include "host/qvdata.h"

#ifdef __cplusplus
extern "C" {
#endif

/* How often QVPagewright was called, and the flag of the last call. */
QVDATA_API int32_t qvStandinPagewrightCalls(void);
QVDATA_API int32_t qvStandinPagewrightFlag(void);

#ifdef __cplusplus
}
#endif

#endif
