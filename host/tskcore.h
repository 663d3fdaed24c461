/* The platform's core library, tskcore9: the module reads one environment
 * variable through it. */
#ifndef CBQ_HOST_TSKCORE_H
#define CBQ_HOST_TSKCORE_H

#include <stdint.h>

#if defined(_WIN32) && defined(TSKCORE_BUILD)
#define TSKCORE_API __declspec(dllexport)
#else
#define TSKCORE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the variable `name` (nameLength bytes, no terminator needed) into
 * buffer (bufferSize bytes) without a terminator. Returns the value's length in
 * bytes, greater than 0 when the variable is set and not empty, 0 otherwise.
 * A longer value is cut to bufferSize. `work` is a 12-byte area of the
 * caller's; `flags` is 0. */
TSKCORE_API int32_t slzgetevar(void *work, const char *name, int32_t nameLength,
                               char *buffer, int32_t bufferSize, int32_t flags);

#ifdef __cplusplus
}
#endif

#endif /* CBQ_HOST_TSKCORE_H */
