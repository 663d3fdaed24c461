#include "standins/qvdata/query_cube.h"

#include <unordered_set>

#include "standins/qvdata/server_session.h"

namespace qvsim {

namespace {

ObjectRef refOf(const QueryMeasure &m) {
    ObjectRef r;
    r.database = m.database;
    r.measure = m.measure;
    r.custom = m.custom;
    return r;
}

bool findDimension(const Query &query, const std::string &name, int &edge, int &index) {
    std::string key = upperCase(name);
    for (edge = 0; edge < 3; ++edge)
        for (index = 0; index < static_cast<int>(query.edges[edge].size()); ++index)
            if (query.edges[edge][index].key == key)
                return true;
    return false;
}

// The dimensions that the query's measures need, measure dimension first.
std::vector<CubeDimension> wantedDimensions(const ServerSession &session, const Query &query) {
    std::vector<CubeDimension> out;
    CubeDimension md;
    md.name = session.model().measureDimension;
    md.key = upperCase(md.name);
    md.description = session.model().measureDimensionDescription;
    md.isMeasure = true;
    out.push_back(md);
    std::unordered_set<std::string> have{md.key};
    for (const QueryMeasure &m : query.measures)
        for (const Dimension *d : session.dimensionsOf(refOf(m))) {
            if (have.insert(d->key).second) {
                CubeDimension c;
                c.name = d->name;
                c.key = d->key;
                c.description = d->description;
                c.hierarchy = d->hierarchy;
                out.push_back(c);
            }
        }
    return out;
}

// Fills an empty edge 0 or 1 from edge 2, or from the other of the two when
// it has more than one dimension.
void refillEdges(Query &query) {
    for (int e = 0; e < 2; ++e) {
        if (!query.edges[e].empty())
            continue;
        std::vector<CubeDimension> *from = !query.edges[2].empty()          ? &query.edges[2]
                                           : query.edges[1 - e].size() > 1 ? &query.edges[1 - e]
                                                                            : nullptr;
        if (from == nullptr)
            continue;
        query.edges[e].push_back(from->front());
        from->erase(from->begin());
    }
}

}  // namespace

bool addMeasure(const ServerSession &session, Query &query, const std::string &measure,
                const std::string &database, std::string &why) {
    QueryMeasure m;
    if (!database.empty()) {
        const Database *db = session.findDatabase(database);
        if (db == nullptr || session.attachedIndex(db) < 0) {
            why = "database " + database + (db == nullptr ? " does not exist" : " is not attached");
            return false;
        }
        for (const ObjectRef &r : session.databaseMeasures(db))
            if (sameName(r.name(), measure)) {
                m.database = db;
                m.measure = r.measure;
                m.custom = r.custom;
            }
        const CustomMeasure *c = session.findCustomMeasure(measure);
        if (m.measure == nullptr && m.custom == nullptr && c != nullptr && c->database.empty())
            m.custom = c;
    } else {
        ObjectRef r = session.findObject(measure);
        m.database = r.database;
        m.measure = r.measure;
        m.custom = r.custom;
    }
    if (m.measure == nullptr && m.custom == nullptr) {
        why = "measure " + measure + " is not in " +
              (database.empty() ? std::string("any attached database") : "database " + database);
        return false;
    }
    m.name = m.measure ? m.measure->name : m.custom->name;
    for (const QueryMeasure &have : query.measures)
        if (sameName(have.name, m.name)) {
            why = "the query has measure " + m.name + " already";
            return false;
        }
    query.measures.push_back(m);
    query.cubeCurrent = false;
    return true;
}

bool removeMeasure(Query &query, const std::string &measure, std::string &why) {
    for (size_t i = 0; i < query.measures.size(); ++i)
        if (sameName(query.measures[i].name, measure)) {
            query.measures.erase(query.measures.begin() + i);
            query.cubeCurrent = false;
            return true;
        }
    why = "the query has no measure " + measure;
    return false;
}

bool createCube(const ServerSession &session, Query &query, std::string &why) {
    if (query.measures.empty()) {
        why = "the query has no measures";
        return false;
    }
    std::vector<CubeDimension> wanted = wantedDimensions(session, query);
    if (!query.cubeBuilt) {
        for (auto &edge : query.edges)
            edge.clear();
        for (size_t i = 0; i < wanted.size(); ++i)
            query.edges[i == 0 ? 0 : i == 1 ? 1 : 2].push_back(wanted[i]);
    } else {
        std::unordered_set<std::string> wantedKeys, present;
        for (const CubeDimension &w : wanted)
            wantedKeys.insert(w.key);
        for (auto &edge : query.edges)
            for (size_t i = edge.size(); i-- > 0;) {
                if (wantedKeys.count(edge[i].key) == 0)
                    edge.erase(edge.begin() + i);
                else
                    present.insert(edge[i].key);
            }
        for (const CubeDimension &w : wanted)
            if (present.count(w.key) == 0)
                query.edges[query.edges[1].empty() ? 1 : 2].push_back(w);
        refillEdges(query);
    }
    query.cubeBuilt = true;
    query.cubeCurrent = true;
    return true;
}

bool placeDimension(Query &query, const std::string &dimension, int edge, int position, int flag,
                    std::string &why) {
    int from, at;
    if (!query.cubeBuilt || !findDimension(query, dimension, from, at)) {
        why = "the cube has no dimension " + dimension;
        return false;
    }
    if (edge < 0 || edge > 2 || position < 0) {
        why = "no such edge or position";
        return false;
    }
    std::vector<CubeDimension> &target = query.edges[edge];
    if (flag != 0) {
        if (position >= static_cast<int>(target.size())) {
            why = "edge " + std::to_string(edge) + " has no position " + std::to_string(position) +
                  " to swap with";
            return false;
        }
        std::swap(query.edges[from][at], target[position]);
        return true;
    }
    if (from < 2 && from != edge && query.edges[from].size() == 1) {
        why = "edge " + std::to_string(from) + " may not be left empty";
        return false;
    }
    CubeDimension moved = query.edges[from][at];
    query.edges[from].erase(query.edges[from].begin() + at);
    size_t insertAt = std::min(static_cast<size_t>(position), target.size());
    target.insert(target.begin() + insertAt, moved);
    return true;
}

bool setScripts(Query &query, const std::string &dimension, const std::string *selection,
                const std::string *sort, std::string &why) {
    int e, k;
    if (!query.cubeBuilt || !findDimension(query, dimension, e, k)) {
        why = "the cube has no dimension " + dimension;
        return false;
    }
    if (selection != nullptr)
        query.edges[e][k].selection = *selection;
    if (sort != nullptr)
        query.edges[e][k].sort = *sort;
    return true;
}

const CubeDimension *dimensionAt(const Query &query, int edge, int index) {
    if (edge < 0 || edge > 2 || index < 0 || index >= static_cast<int>(query.edges[edge].size()))
        return nullptr;
    return &query.edges[edge][index];
}

bool usesDatabase(const Query &query, const Database *db) {
    for (const QueryMeasure &m : query.measures)
        if (m.database == db)
            return true;
    return false;
}

}  // namespace qvsim
