/* The OLAP server's data library, QVDATA: the module's only way to the server.
 *
 * A returned text is never null, stays valid until the next call into the
 * library and is copied by the caller at once; empty means none. "query" is
 * the name that QVCreateQuery gave a query; edges are 0 to 2; indexes start
 * at 0. Functions that return int32_t report success as nonzero.
 *
 * The module calls only these. Hosts and tests reach the stand-in's own
 * functions through standins/qvdata/qvdata_standin.h. */
#ifndef CBQ_HOST_QVDATA_H
#define CBQ_HOST_QVDATA_H

#include <stdint.h>

#if defined(_WIN32) && defined(QVDATA_BUILD)
#define QVDATA_API __declspec(dllexport)
#else
#define QVDATA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

QVDATA_API int32_t QVPagewright(int32_t flag);                 /* called with 1 at load */
QVDATA_API void QVSetTarsikHome(const char *home);
QVDATA_API void QVSetKHVMethod(uint32_t method);              /* the host's help method */
QVDATA_API int32_t QVConnectHandle(int16_t handle);           /* nonzero: attached */
QVDATA_API void QVDisconnect(void);
QVDATA_API void QVClose(void);
QVDATA_API const char *QVCreateQuery(void);                   /* the new query's name; empty: none */
QVDATA_API int32_t QVDeleteQuery(const char *query);          /* nonzero: deleted */
QVDATA_API const char *QVGetOption(const char *name);
QVDATA_API void QVSetOption(const char *name, const char *value);
QVDATA_API int32_t QVStartWizard(const char *query, int32_t flags); /* 0 failed, 1 finished, 2 cancelled */
QVDATA_API const char *QVExecute(const char *command);        /* the command's printed output */
QVDATA_API const char *QVExecuteEx(const char *command, int32_t *ok); /* *ok nonzero: success */
QVDATA_API int16_t QVGetDatabaseCount(void);
QVDATA_API const char *QVGetDatabase(int32_t index, int32_t form); /* form 0 name, 1 full path */
QVDATA_API int32_t QVDatabaseAttach(const char *database);
QVDATA_API int32_t QVDatabaseDetach(const char *database);
QVDATA_API int16_t QVGetMeasureCount(const char *query);
QVDATA_API const char *QVGetMeasureName(const char *query, int32_t index);
QVDATA_API const char *QVGetMeasureDatabase(const char *query, int32_t index, int32_t form);
QVDATA_API int16_t QVGetMeasures(const char *database);       /* chooses the list of the next two */
QVDATA_API const char *QVGetMeasure(int32_t index);
QVDATA_API const char *QVGetMeasureDesc(int32_t index);
QVDATA_API int16_t QVGetDimEdgeCount(const char *query, int32_t edge);
QVDATA_API const char *QVGetDimensionName(const char *query, int32_t edge, int32_t index);
QVDATA_API const char *QVGetDimensionDesc(const char *query, int32_t edge, int32_t index);
QVDATA_API const char *QVGetDimensionHierName(const char *query, int32_t edge, int32_t index);
QVDATA_API const char *QVGetSelectionScript(const char *query, int32_t edge, int32_t index);
QVDATA_API const char *QVGetSelectionSortScript(const char *query, int32_t edge, int32_t index);
QVDATA_API int32_t QVIsMeasureDimension(const char *query, int32_t edge, int32_t index);
QVDATA_API int32_t QVAddMeasure(const char *query, const char *measure, const char *database);
QVDATA_API int32_t QVCreateCube(const char *query);
QVDATA_API int32_t QVRunQuery(const char *query);
QVDATA_API int32_t QVSetDimensionEdge(const char *query, const char *dimension, int32_t edge,
                                      int32_t position, int32_t flag);
QVDATA_API int32_t QVSetScript(const char *query, const char *dimension,
                               const char *selectionScript, const char *sortScript);

#ifdef __cplusplus
}
#endif

#endif /* CBQ_HOST_QVDATA_H */
