// A query of the data library: its measures, and the cube built from them,
// whose dimensions lie on three edges (0 columns, 1 rows, 2 pages), each
// with a selection script and a sort script.
//
// Rules of the cube, as the library keeps them:
// - The cube holds the measure dimension and every dimension of its
//   measures (a dimension that two measures share is there once). A new
//   cube has the measure dimension on edge 0, the first other dimension on
//   edge 1 and the rest on edge 2. Building it again after the measures
//   changed keeps the placement and scripts of the dimensions that stay; new
//   dimensions go to edge 1 when it is empty, else to the end of edge 2.
// - A move never leaves edge 0 or edge 1 empty; such a move is refused.
// - Placing with flag 1 swaps the dimension with the one at that position
//   (which must exist); with flag 0 the dimension is taken from its edge and
//   inserted at that position, or at the end when the edge is shorter.
#ifndef CBQ_STANDINS_QVDATA_QUERY_CUBE_H
#define CBQ_STANDINS_QVDATA_QUERY_CUBE_H

#include <string>
#include <vector>

#include "standins/qvdata/server_model.h"

namespace qvsim {

class ServerSession;

struct CubeDimension {
    std::string name, key, description, hierarchy;  // key: the name upper-cased
    bool isMeasure = false;
    std::string selection, sort;
};

struct QueryMeasure {
    std::string name;
    const Database *database = nullptr;  // null: a custom measure of no database
    const Measure *measure = nullptr;
    const CustomMeasure *custom = nullptr;
};

struct Query {
    std::string name;
    std::vector<QueryMeasure> measures;
    bool cubeBuilt = false;
    bool cubeCurrent = false;  // built since the measures last changed
    std::vector<CubeDimension> edges[3];
    int runs = 0;
};

// Adds a measure, looked for in the named database (a name, file name or
// path; it must be attached) or, with an empty database, among all visible
// objects. A custom measure of no database is found whatever database is
// named. A measure the query has already is refused.
bool addMeasure(const ServerSession &session, Query &query, const std::string &measure,
                const std::string &database, std::string &why);
bool removeMeasure(Query &query, const std::string &measure, std::string &why);
bool createCube(const ServerSession &session, Query &query, std::string &why);
bool placeDimension(Query &query, const std::string &dimension, int edge, int position, int flag,
                    std::string &why);
bool setScripts(Query &query, const std::string &dimension, const std::string *selection,
                const std::string *sort, std::string &why);

// The dimension at an edge and index, or null.
const CubeDimension *dimensionAt(const Query &query, int edge, int index);
bool usesDatabase(const Query &query, const Database *db);

}  // namespace qvsim

#endif
